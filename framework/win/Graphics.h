// Graphics: everything a control draws with, in one include: GDI objects with pens, brushes and
// fonts (GdiObjects), the canvas (Canvas) and the stored pictures (Pictures).
#pragma once

#include "framework/win/Canvas.h"
#include "framework/win/GdiObjects.h"
#include "framework/win/Pictures.h"
