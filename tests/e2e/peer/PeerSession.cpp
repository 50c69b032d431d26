#include "PeerSession.h"

#include <cctype>
#include <cstdlib>
#include <exception>
#include <map>
#include <set>

#include "CommandLine.h"
#include "MainWindowFields.h"
#include "PeerDialogs.h"
#include "PeerUserInput.h"
#include "platform/base/Exceptions.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Control.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Form.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/Messages.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

namespace {

// Whether the capture layer offers a virtual camera: scenarios that need a
// camera skip rather than fail while it does not.
#if __has_include("platform/videodriver/VirtualCamera.h")
constexpr bool VirtualCameraBuilt = true;
#else
constexpr bool VirtualCameraBuilt = false;
#endif

bool ParseInt(const std::string& Text, long& Value) {
  if (Text.empty()) return false;
  char* end = nullptr;
  Value = std::strtol(Text.c_str(), &end, 10);
  return end && *end == 0;
}

const char* KindName(TMsgDlgType Kind) {
  switch (Kind) {
    case mtWarning: return "warning";
    case mtError: return "error";
    case mtInformation: return "information";
    case mtConfirmation: return "confirmation";
    case mtCustom: return "custom";
  }
  return "custom";
}

// A key as "enter", "tab", "a", "7", a virtual key number, each optionally
// after modifiers: "ctrl+a", "shift+tab".
bool KeyCode(std::string Name, Word& Key, TShiftState& Shift) {
  static const std::map<std::string, TShiftState> modifiers = {
      {"ctrl+", ssCtrl}, {"shift+", ssShift}, {"alt+", ssAlt}};
  Shift = 0;
  for (bool found = true; found;) {
    found = false;
    for (const auto& [prefix, flag] : modifiers) {
      if (Name.size() > prefix.size() && Name.compare(0, prefix.size(), prefix) == 0) {
        Shift |= flag;
        Name.erase(0, prefix.size());
        found = true;
      }
    }
  }
  static const std::map<std::string, Word> keys = {
      {"enter", VK_RETURN}, {"tab", VK_TAB},     {"escape", VK_ESCAPE}, {"space", VK_SPACE},
      {"back", VK_BACK},    {"delete", VK_DELETE}, {"up", VK_UP},       {"down", VK_DOWN},
      {"left", VK_LEFT},    {"right", VK_RIGHT}, {"home", VK_HOME},     {"end", VK_END}};
  auto it = keys.find(Name);
  if (it != keys.end()) {
    Key = it->second;
    return true;
  }
  if (Name.size() == 1 && std::isalnum(static_cast<unsigned char>(Name[0]))) {
    Key = Word(std::toupper(static_cast<unsigned char>(Name[0])));
    return true;
  }
  long code = 0;
  if (ParseInt(Name, code) && code > 0 && code < 256) {
    Key = Word(code);
    return true;
  }
  return false;
}

std::string NoControl(const std::string& Name) { return AnswerError("no control named " + Name); }

// A user can only reach a control that is shown and enabled.
std::string Unreachable(TControl* Control, const std::string& Name) {
  if (!Control->Showing()) return AnswerError(Name + " is not showing");
  if (!Control->Enabled()) return AnswerError(Name + " is disabled");
  return {};
}

}  // namespace

TPeerSession::TPeerSession() = default;
TPeerSession::~TPeerSession() = default;

void TPeerSession::Attach(TCustomForm* MainForm) {
  FForm = MainForm;
  FFrames.Attach(MainForm);
  FBoxes = std::make_unique<TMessageBoxCapture>();
}

bool TPeerSession::ReadCaption(const std::string& Name, std::string& Caption) const {
  if (!FForm) return false;
  TControl* control = Name == FForm->Name() ? FForm : dynamic_cast<TControl*>(FForm->FindComponent(Name));
  if (!control) return false;
  Caption = control->Caption();
  return true;
}

std::string TPeerSession::Execute(const std::vector<std::string>& Words) {
  if (Words.empty()) return AnswerError("empty command");
  if (!FForm) return AnswerError("the main window is not running");
  const std::string& verb = Words[0];
  const std::size_t args = Words.size() - 1;
  auto arg = [&](std::size_t I) -> const std::string& { return Words[I]; };
  try {
    if (verb == "ping" && args == 0) return AnswerOk();
    if (verb == "virtual-camera" && args == 0) return AnswerOk(VirtualCameraBuilt ? "1" : "0");
    if (verb == "click" && args == 1) return Click(arg(1));
    if (verb == "type" && args == 2) return Type(arg(1), arg(2));
    if (verb == "key" && args == 2) return Key(arg(1), arg(2));
    if (verb == "tick" && args == 2) return Tick(arg(1), arg(2));
    if (verb == "enable" && args == 2) return Enable(arg(1), arg(2));
    if (verb == "clear" && args == 1) return Clear(arg(1));
    if ((verb == "label" || verb == "text" || verb == "caption") && args == 1) {
      std::string caption;
      if (!ReadCaption(arg(1), caption)) return NoControl(arg(1));
      return AnswerOk(JsonString(caption));
    }
    if (verb == "enabled" && args == 1) return Flag(arg(1), false);
    if (verb == "checked" && args == 1) return Flag(arg(1), true);
    if (verb == "frames" && args == 1) return Frames(arg(1));
    if (verb == "picture" && args == 1) return PictureSummary(arg(1));
    if (verb == "chat-items" && args == 0) return ChatItems();
    if (verb == "boxes" && args == 0) return Boxes();
    if (verb == "peers" && args == 0) return Peers();
    if (verb == "quality" && args == 0) return Quality();
    if (std::string answer; ExecuteDialogCommand(FForm, Words, answer)) return answer;
    if (std::string answer; ExecuteUserInputCommand(FForm, Words, answer)) return answer;
    return AnswerError("unknown command or wrong number of words: " + verb);
  } catch (const std::exception& e) {
    return AnswerError(std::string("raised: ") + e.what());
  }
}

std::string TPeerSession::Click(const std::string& Name) {
  auto* control = dynamic_cast<TControl*>(FindNamed(FForm, Name));
  if (!control) return NoControl(Name);
  if (std::string why = Unreachable(control, Name); !why.empty()) return why;
  SimulateClick(control);
  return AnswerOk();
}

// Typing goes where the focus is, as the user's does: the control is
// focused first (as tabbing to it would) and the text typed at the caret.
std::string TPeerSession::Type(const std::string& Name, const std::string& Text) {
  auto* control = dynamic_cast<TWinControl*>(FForm->FindComponent(Name));
  if (!control) return NoControl(Name);
  if (std::string why = Unreachable(control, Name); !why.empty()) return why;
  control->SetFocus();
  SimulateTyping(Text);
  return AnswerOk();
}

std::string TPeerSession::Key(const std::string& Name, const std::string& KeyName) {
  auto* control = dynamic_cast<TWinControl*>(FForm->FindComponent(Name));
  if (!control) return NoControl(Name);
  Word key = 0;
  TShiftState shift = 0;
  if (!KeyCode(KeyName, key, shift)) return AnswerError("unknown key " + KeyName);
  if (std::string why = Unreachable(control, Name); !why.empty()) return why;
  control->SetFocus();
  SimulateKey(key, shift);
  return AnswerOk();
}

// The user's click on the box, only when its tick differs from Value.
std::string TPeerSession::Tick(const std::string& Name, const std::string& Value) {
  auto* box = dynamic_cast<TCheckBox*>(FForm->FindComponent(Name));
  if (!box) return NoControl(Name);
  if (Value != "0" && Value != "1") return AnswerError("tick takes 0 or 1");
  const bool wanted = Value == "1";
  if (box->Checked() == wanted) return AnswerOk();
  if (std::string why = Unreachable(box, Name); !why.empty()) return why;
  SimulateClick(box);
  if (box->Checked() != wanted) return AnswerError(Name + " did not change its tick");
  return AnswerOk();
}

// Not a user's action: stands in for a camera start on machines where no
// camera, real or virtual, can start, so that a call can still be placed.
std::string TPeerSession::Enable(const std::string& Name, const std::string& Value) {
  auto* control = dynamic_cast<TControl*>(FForm->FindComponent(Name));
  if (!control) return NoControl(Name);
  if (Value != "0" && Value != "1") return AnswerError("enable takes 0 or 1");
  control->SetEnabled(Value == "1");
  return AnswerOk();
}

std::string TPeerSession::Clear(const std::string& Name) {
  auto* control = dynamic_cast<TControl*>(FForm->FindComponent(Name));
  if (!control) return NoControl(Name);
  control->SetText("");
  return AnswerOk();
}

std::string TPeerSession::Flag(const std::string& Name, bool Checked) {
  auto* control = dynamic_cast<TControl*>(FForm->FindComponent(Name));
  if (!control) return NoControl(Name);
  if (!Checked) return AnswerOk(control->Enabled() ? "1" : "0");
  auto* box = dynamic_cast<TCheckBox*>(control);
  if (!box) return AnswerError(Name + " is not a check box");
  return AnswerOk(box->Checked() ? "1" : "0");
}

std::string TPeerSession::Frames(const std::string& Slot) {
  long slot = 0;
  if (!ParseInt(Slot, slot) || slot < 1 || slot > 4) return AnswerError("slot is 1 to 4");
  return AnswerOk(std::to_string(FFrames.Count(int(slot))));
}

// The slot's picture as the user sees it: its size, class, mean colour and
// how many different colours a sample of its pixels holds (a test picture
// has many, a blank or placeholder few).
std::string TPeerSession::PictureSummary(const std::string& Slot) {
  long slot = 0;
  if (!ParseInt(Slot, slot) || slot < 1 || slot > 4) return AnswerError("slot is 1 to 4");
  TPicture* picture = FFrames.Picture(int(slot));
  if (!picture) return AnswerError("slot has no picture");
  TGraphic* graphic = picture->Graphic();
  if (!graphic || graphic->Empty())
    return AnswerOk("{\"width\":0,\"height\":0,\"class\":\"\",\"mean\":[0,0,0],\"colours\":0}");
  const int width = graphic->Width();
  const int height = graphic->Height();
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  bitmap.Canvas()->Draw(0, 0, graphic);
  double sum[3] = {0, 0, 0};
  long samples = 0;
  std::set<unsigned> colours;
  const int stepY = height > 64 ? height / 64 : 1;
  const int stepX = width > 64 ? width / 64 : 1;
  for (int y = 0; y < height; y += stepY) {
    const auto* row = static_cast<const Byte*>(bitmap.ScanLine(y));
    for (int x = 0; x < width; x += stepX) {
      const Byte* p = row + 3 * x;  // blue, green, red
      sum[0] += p[2];
      sum[1] += p[1];
      sum[2] += p[0];
      colours.insert(unsigned(p[2]) << 16 | unsigned(p[1]) << 8 | p[0]);
      ++samples;
    }
  }
  std::string json = "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                     ",\"class\":" + JsonString(GraphicClassName(typeid(*graphic))) + ",\"mean\":[";
  for (int c = 0; c < 3; ++c) {
    if (c) json += ',';
    json += std::to_string(samples ? long(sum[c] / double(samples) + 0.5) : 0);
  }
  json += "],\"colours\":" + std::to_string(colours.size()) + "}";
  return AnswerOk(json);
}

std::string TPeerSession::ChatItems() {
  auto* list = dynamic_cast<TListBox*>(FForm->FindComponent("ListBox1"));
  if (!list) return NoControl("ListBox1");
  std::vector<std::string> items;
  for (int i = 0; i < list->Items()->Count(); ++i) items.push_back(list->Items()->Strings(i));
  return AnswerOk(JsonStringArray(items));
}

std::string TPeerSession::Boxes() {
  std::string json = "[";
  bool first = true;
  for (const TMessageBox& box : FBoxes->Boxes()) {
    if (!first) json += ',';
    first = false;
    json += "{\"kind\":\"" + std::string(KindName(box.Kind)) + "\",\"caption\":" + JsonString(box.Caption) +
            ",\"text\":" + JsonString(box.Text) + "}";
  }
  return AnswerOk(json + "]");
}

std::string TPeerSession::Peers() { return AnswerOk(std::to_string(MainPeerCount())); }

std::string TPeerSession::Quality() { return AnswerOk(std::to_string(MainJpegQuality())); }
