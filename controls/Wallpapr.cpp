#include "controls/Wallpapr.h"

const TClassInfo& TWallpaper::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TWallpaper>("TWallpaper", &TGraphicControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align", "Visible"})
          .ObjectProperty("Wallpaper", &TWallpaper::Wallpaper)
          .Build();
  return info;
}

TWallpaper::TWallpaper(TComponent* owner)
    : TGraphicControl(owner), FWallpaper(std::make_unique<TBitmap>()) {
  // The form description reads the picture straight into the bitmap ("Wallpaper.Data").
  FWallpaper->OnChange = [this](TObject*) { Invalidate(); };
}

TWallpaper::~TWallpaper() {
  FWallpaper->OnChange = nullptr;
  FWallpaper.reset();
}

void TWallpaper::SetWallpaper(TBitmap* value) {
  if (value != FWallpaper.get()) FWallpaper->Assign(value);
  Repaint();
}

void TWallpaper::Paint() {
  const RECT client = ClientRect();
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  TCanvas* canvas = Canvas();
  const int tile_width = ScaleDesign(FWallpaper->GetWidth());
  const int tile_height = ScaleDesign(FWallpaper->GetHeight());
  // A bitmap without pixels in one direction cannot be tiled: it counts as no bitmap.
  if (FWallpaper->GetEmpty() || tile_width <= 0 || tile_height <= 0) {
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas->Brush()->SetColor(RGBColor(255, 255, 255));
    canvas->FillRect(client);
    return;
  }
  const int columns = width / tile_width + (width % tile_width ? 1 : 0);
  const int rows = height / tile_height + (height % tile_height ? 1 : 0);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const int left = client.left + column * tile_width;
      const int top = client.top + row * tile_height;
      canvas->StretchDraw(RECT{left, top, left + tile_width, top + tile_height}, FWallpaper.get());
    }
  }
}

namespace Wallpapr {
void Register() {
  RegisterComponentClass(TWallpaper::StaticClassInfo());
}
}  // namespace Wallpapr
