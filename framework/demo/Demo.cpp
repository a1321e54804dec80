// The framework's demo program: shows the demo form until it is closed.
#include <windows.h>

#include "framework/demo/DemoForm.h"

TDemoForm* DemoForm = nullptr;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    InitApplication();
    Application->Initialize();
    Application->SetTitle("Framework demo");
    Application->CreateForm(DemoForm);
    Application->Run();
  } catch (const std::exception& error) {
    if (Application) {
      Application->ShowException(error);
    } else {
      MessageBoxW(nullptr, WideText(error.what()).c_str(), L"Framework demo", MB_OK | MB_ICONSTOP);
    }
  }
  DoneApplication();
  return 0;
}
