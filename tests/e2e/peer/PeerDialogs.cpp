#include "PeerDialogs.h"

#include "CommandLine.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/SimulateInput.h"

namespace {

std::string NoControl(const std::string& Name) { return AnswerError("no control named " + Name); }

std::string ClickLater(TCustomForm* MainForm, const std::string& Name) {
  auto* control = dynamic_cast<TControl*>(FindNamed(MainForm, Name));
  if (!control) return NoControl(Name);
  if (!control->Showing()) return AnswerError(Name + " is not showing");
  if (!control->Enabled()) return AnswerError(Name + " is disabled");
  Queue([control] { SimulateClick(control); });
  return AnswerOk();
}

std::string Items(TCustomForm* MainForm, const std::string& Name) {
  auto* list = dynamic_cast<TListBox*>(FindNamed(MainForm, Name));
  if (!list) return NoControl(Name);
  std::vector<std::string> items;
  for (int i = 0; i < list->Items()->Count(); ++i) items.push_back(list->Items()->Strings(i));
  return AnswerOk(JsonStringArray(items));
}

std::string Select(TCustomForm* MainForm, const std::string& Name, const std::string& Text) {
  auto* list = dynamic_cast<TListBox*>(FindNamed(MainForm, Name));
  if (!list) return NoControl(Name);
  const int index = list->Items()->IndexOf(Text);
  if (index < 0) return AnswerError(Name + " has no item " + Text);
  list->SetItemIndex(index);
  return AnswerOk();
}

std::string Showing(TCustomForm* MainForm, const std::string& Name) {
  auto* control = dynamic_cast<TControl*>(FindNamed(MainForm, Name));
  if (!control) return NoControl(Name);
  return AnswerOk(control->Showing() ? "1" : "0");
}

}  // namespace

TComponent* FindNamed(TCustomForm* MainForm, const std::string& Name) {
  const std::size_t dot = Name.find('.');
  if (dot == std::string::npos) {
    if (TComponent* control = MainForm->FindComponent(Name)) return control;
    return Application->FindComponent(Name);
  }
  TComponent* form = Application->FindComponent(Name.substr(0, dot));
  return form ? form->FindComponent(Name.substr(dot + 1)) : nullptr;
}

bool ExecuteDialogCommand(TCustomForm* MainForm, const std::vector<std::string>& Words, std::string& Answer) {
  const std::string& verb = Words[0];
  if (verb == "click-later" && Words.size() == 2)
    Answer = ClickLater(MainForm, Words[1]);
  else if (verb == "items" && Words.size() == 2)
    Answer = Items(MainForm, Words[1]);
  else if (verb == "select" && Words.size() == 3)
    Answer = Select(MainForm, Words[1], Words[2]);
  else if (verb == "showing" && Words.size() == 2)
    Answer = Showing(MainForm, Words[1]);
  else
    return false;
  return true;
}
