// Wallpapr: TWallpaper, a windowless control that covers its area with a bitmap repeated as
// tiles, or with white when it has no bitmap.
//
// Tiles start at the client rectangle's top left and run right and down; the last column and
// row are cut off at the control's edge by the parent's clipping. The control owns its bitmap;
// setting the property copies into it.
#pragma once

#include <memory>

#include "framework/win/Graphics.h"
#include "framework/win/WinControls.h"

class TWallpaper : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TWallpaper(TComponent* owner);
  ~TWallpaper() override;

  // The tile; owned, never replaced. Changing it repaints.
  TBitmap* Wallpaper() const { return FWallpaper.get(); }
  // Copies the bitmap (null empties it) and repaints at once.
  void SetWallpaper(TBitmap* value);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> FWallpaper;  // owned
};

namespace Wallpapr {
// Makes TWallpaper known to form descriptions by its class name.
void Register();
}  // namespace Wallpapr
