#pragma once
// Small controls for the core tests: they record what the host tells them.
#include <string>
#include <vector>

#include "platform/controls/Application.h"
#include "platform/controls/CustomControl.h"
#include "platform/controls/Form.h"
#include "platform/graphics/Canvas.h"

// A windowed control that logs its notifications and mouse operations.
class TProbeControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::string> Log;
  std::vector<int> Ticks;
  std::vector<std::pair<Word, bool>> Keys;  // key, auto-repeat
  int Sizes = 0;
  int Inset = 0;  // narrows the area its aligned children get
  bool TakeReturn = false;
  bool TakeEscape = false;

  using TWinControl::KillTimer;
  using TWinControl::SetTimer;

 protected:
  void CMMouseEnter() override {
    Log.push_back("enter");
    TCustomControl::CMMouseEnter();
  }
  void CMMouseLeave() override {
    Log.push_back("leave");
    TCustomControl::CMMouseLeave();
  }
  void CMEnabledChanged() override {
    Log.push_back("enabled");
    TCustomControl::CMEnabledChanged();
  }
  void CMColorChanged() override {
    Log.push_back("color");
    TCustomControl::CMColorChanged();
  }
  void CMFontChanged() override {
    Log.push_back("font");
    TCustomControl::CMFontChanged();
  }
  void CMTextChanged() override {
    Log.push_back("text");
    TCustomControl::CMTextChanged();
  }
  void CMFocusChanged(TWinControl* Focused) override {
    Log.push_back(Focused == this ? "focus:me" : "focus:other");
  }
  void WMSize() override {
    ++Sizes;
    TCustomControl::WMSize();
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Log.push_back("down " + std::to_string(X) + "," + std::to_string(Y) +
                  (MouseCapture() ? " captured" : ""));
    TCustomControl::MouseDown(Button, Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Log.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
    TCustomControl::MouseUp(Button, Shift, X, Y);
  }
  void Click() override {
    Log.push_back(MouseCapture() ? "click captured" : "click");
    TCustomControl::Click();
  }
  void KeyDown(Word& Key, TShiftState Shift) override {
    Keys.emplace_back(Key, KeyIsRepeat());
    TCustomControl::KeyDown(Key, Shift);
  }
  void WMTimer(int Id) override { Ticks.push_back(Id); }
  void AdjustClientRect(TRect& Rect) override {
    Rect.Left += Inset;
    Rect.Top += Inset;
    Rect.Right -= Inset;
    Rect.Bottom -= Inset;
  }
  bool DialogKey(Word Key, TShiftState Shift) override {
    if ((Key == VK_RETURN && TakeReturn) || (Key == VK_ESCAPE && TakeEscape)) {
      Log.push_back(Key == VK_RETURN ? "dialog return" : "dialog escape");
      return true;
    }
    return TCustomControl::DialogKey(Key, Shift);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// Waits (handling messages) until Done or the time is up; true when Done.
// Handles messages for about Milliseconds.
void PumpFor(int Milliseconds);

// Handles messages until Done() or the time is up; true when Done.
template <class F>
bool WaitFor(F Done, int Milliseconds = 3000) {
  for (int waited = 0; waited < Milliseconds; waited += 5) {
    if (Done()) return true;
    PumpFor(5);
  }
  return Done();
}
