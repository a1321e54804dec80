#include "framework/demo/DemoForm.h"

const TClassInfo& TSwatch::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TSwatch>("TSwatch", &TGraphicControl::StaticClassInfo())
          .Publish(
              {"Left", "Top", "Width", "Height", "Align", "Hint", "ShowHint", "Visible", "OnClick"})
          .Property("Fill", &TSwatch::Fill, &TSwatch::SetFill,
                    [] {
                      TPropOptions options = Default(clRed);
                      options.Idents = &ColorIdents();
                      return options;
                    }())
          .Build();
  return info;
}

TSwatch::TSwatch(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 40, 40);
}

void TSwatch::SetFill(TColor fill) {
  fill_ = fill;
  Invalidate();
}

void TSwatch::Paint() {
  Canvas()->Brush()->SetColor(clWhite);
  Canvas()->FillRect({0, 0, Width(), Height()});
  Canvas()->Pen()->SetColor(clBlack);
  Canvas()->Brush()->SetColor(fill_);
  Canvas()->Ellipse(0, 0, Width(), Height());
}

const TClassInfo& TCounter::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCounter>("TCounter", &TCustomControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Color", "Font", "Hint", "ParentFont", "ShowHint"})
          .Publish(kPublishTabStop)
          .Publish({"OnClick"})
          .Property("Value", &TCounter::Value, &TCounter::SetValue, Default(0))
          .Build();
  return info;
}

TCounter::TCounter(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 80, 30);
  SetParentColor(false);
  SetColor(clWindow);
}

void TCounter::SetValue(int value) {
  value_ = value;
  Invalidate();
}

void TCounter::Paint() {
  RECT r = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas()->DrawText(IntToStr(value_), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

const TClassInfo& TDemoForm::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TDemoForm>("TDemoForm", &TForm::StaticClassInfo())
                                      .PublishInherited()
                                      .Field("Swatch1", &TDemoForm::Swatch1)
                                      .Field("Counter1", &TDemoForm::Counter1)
                                      .Field("Timer1", &TDemoForm::Timer1)
                                      .Method("FormCreate", &TDemoForm::FormCreate)
                                      .Method("Swatch1Click", &TDemoForm::Swatch1Click)
                                      .Method("Counter1Click", &TDemoForm::Counter1Click)
                                      .Method("Timer1Timer", &TDemoForm::Timer1Timer)
                                      .Build();
  return info;
}

void TDemoForm::FormCreate(TObject*) {
  ++Created;
}

void TDemoForm::Swatch1Click(TObject*) {
  Swatch1->SetFill(Swatch1->Fill() == clRed ? clBlue : clRed);
}

void TDemoForm::Counter1Click(TObject*) {
  Counter1->SetValue(Counter1->Value() + 1);
}

void TDemoForm::Timer1Timer(TObject*) {
  ++Ticks;
  Counter1->SetValue(Counter1->Value() + 10);
}
