#pragma once
// Small components the layout tests create through the registry; they log
// what happens to them so the tests can check order and state.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Types.h"
#include "platform/layout/LayoutValue.h"

// Everything the test classes report, in order: "Edit1.Left", "Loaded Edit1",
// "child Panel1 <- Edit1".
std::vector<std::string>& TestLog();

// Counts live instances, so a failed read that leaks shows.
class TCounted : public TComponent {
 public:
  explicit TCounted(TComponent* owner) : TComponent(owner) { ++Live; }
  ~TCounted() override { --Live; }
  void Loaded() override;
  static int Live;
  // Set when a property arrived at a component (or root) not in its loading state.
  static bool SetOutsideLoading;

 protected:
  void Note(const std::string& property);
};

class TTestFont : public TPersistent {
 public:
  int Color = 0;
  int Size = 0;
  std::uint64_t Style = 0;
};

enum TTestAlign { taNone, taTop, taClient };
enum TTestStyle { tsBold, tsItalic, tsUnderline };
using THitEvent = std::function<void(int)>;

class TTestControl : public TCounted {
 public:
  using TCounted::TCounted;
  void SetLeft(int v) { Note("Left"); Left = v; }
  void SetCaption(const std::string& v) { Note("Caption"); Caption = v; }
  void SetEnabled(bool v) { Note("Enabled"); Enabled = v; }
  void SetOnClick(TNotifyEvent e) { Note("OnClick"); OnClick = std::move(e); }

  TTestControl* Parent = nullptr;
  std::vector<TTestControl*> Children;
  int Left = 0;
  std::string Caption;
  bool Enabled = true;
  double Ratio = 0;
  TTestAlign Align = taNone;
  int Color = 0;
  unsigned char Small = 0;
  std::vector<Byte> PictureData;
  int SizeAsWritten = 0;
  TTestFont Font;
  TNotifyEvent OnClick;
  THitEvent OnHit;
};

class TTestPanel : public TTestControl {
 public:
  using TTestControl::TTestControl;
};

class TTestEdit : public TTestControl {
 public:
  using TTestControl::TTestControl;
};

class TTestForm : public TTestPanel {
 public:
  TTestForm() : TTestPanel(nullptr) {}
};

// A root whose class is not registered: its properties are those of "TForm".
class TLooseForm : public TTestPanel {
 public:
  TLooseForm() : TTestPanel(nullptr) {}
};

// Not a control: the child hook leaves it alone.
class TTestTimer : public TCounted {
 public:
  using TCounted::TCounted;
  int Interval = 0;
};

// Keeps every value it is given, under the property name, in file order.
class TRecorder : public TCounted {
 public:
  using TCounted::TCounted;
  std::vector<std::pair<std::string, TLayoutValue>> Values;
};

// Raises from Loaded.
class TBadLoaded : public TCounted {
 public:
  using TCounted::TCounted;
  void Loaded() override;
};

void RegisterTestLayoutClasses();
