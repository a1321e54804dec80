// The framework's demo form: a windowless swatch, a windowed counter, a timer and handlers
// bound by name from its form description. It proves the framework end to end.
#pragma once

#include "framework/win/Forms.h"
#include "framework/win/Timer.h"

// A windowless control: a filled ellipse on a frame.
class TSwatch : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TSwatch(TComponent* owner);
  TColor Fill() const { return fill_; }
  void SetFill(TColor fill);

 protected:
  void Paint() override;

 private:
  TColor fill_ = clRed;
};

// A windowed control that paints a number on its own canvas.
class TCounter : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCounter(TComponent* owner);
  int Value() const { return value_; }
  void SetValue(int value);

 protected:
  void Paint() override;

 private:
  int value_ = 0;
};

class TDemoForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;

  TSwatch* Swatch1 = nullptr;
  TCounter* Counter1 = nullptr;
  TTimer* Timer1 = nullptr;

  void FormCreate(TObject* sender);
  void Swatch1Click(TObject* sender);
  void Counter1Click(TObject* sender);
  void Timer1Timer(TObject* sender);

  int Created = 0;
  int Ticks = 0;
};
