// The gallery: shows every control of the library live, until it is closed.
#include <windows.h>

#include "controls-extra/gallery/GalleryForm.h"

TGalleryForm* Gallery = nullptr;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    InitApplication();
    Application->Initialize();
    Application->SetTitle("Control gallery");
    Application->CreateForm(Gallery);
    Application->Run();
  } catch (const std::exception& error) {
    if (Application) {
      Application->ShowException(error);
    } else {
      MessageBoxW(nullptr, WideText(error.what()).c_str(), L"Control gallery", MB_OK | MB_ICONSTOP);
    }
  }
  DoneApplication();
  return 0;
}
