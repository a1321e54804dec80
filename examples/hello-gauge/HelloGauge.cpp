// Hello, gauge: a window made in code that holds a gauge and a colour grid. A timer fills the
// gauge and starts it again; the grid chooses its colours, the bar's with the left mouse
// button and the background's with the right.
#include <windows.h>

#include "controls-extra/Cgauges.h"
#include "controls-extra/Cgrid.h"
#include "framework/win/Forms.h"
#include "framework/win/StdCtrls.h"
#include "framework/win/Timer.h"

class THelloForm : public TForm {
 public:
  explicit THelloForm(TComponent* owner) : TForm(owner) {
    SetCaption("Hello, gauge");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(328);
    SetClientHeight(176);

    // Controls are owned by the form, which frees them, and shown inside their parent.
    gauge_ = new TCGauge(this);
    gauge_->SetParent(this);
    gauge_->SetBounds(16, 16, 144, 144);
    gauge_->SetKind(TCGaugeKind::gkPie);
    gauge_->SetForeColor(clNavy);

    grid_ = new TCColorGrid(this);
    grid_->SetParent(this);
    grid_->SetBounds(176, 16, 136, 100);
    grid_->SetForegroundIndex(4);   // navy, as the gauge starts
    grid_->SetBackgroundIndex(15);  // white
    grid_->OnChange = [this](TObject*) {
      gauge_->SetForeColor(grid_->GetForegroundColor());
      gauge_->SetBackColor(grid_->GetBackgroundColor());
    };

    auto* hint = new TLabel(this);
    hint->SetParent(this);
    hint->SetBounds(176, 124, 136, 36);
    hint->SetWordWrap(true);
    hint->SetCaption("Left click: the gauge's colour. Right click: its background.");

    auto* timer = new TTimer(this);
    timer->SetInterval(50);
    timer->OnTimer = [this](TObject*) {
      gauge_->SetProgress(gauge_->Progress() < gauge_->MaxValue() ? gauge_->Progress() + 1 : 0);
    };
  }

 private:
  TCGauge* gauge_;
  TCColorGrid* grid_;
};

THelloForm* HelloForm = nullptr;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    InitApplication();
    Application->Initialize();
    Application->SetTitle("Hello, gauge");
    Application->CreateFormInCode(HelloForm);
    Application->Run();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, WideText(error.what()).c_str(), L"Hello, gauge", MB_OK | MB_ICONSTOP);
  }
  DoneApplication();
  return 0;
}
