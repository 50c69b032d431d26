#pragma once
// The event handlers a form offers its layout, by name. A layout line
// "OnClick = btnCall1Click" binds the handler registered as "btnCall1Click";
// the event's setter takes it out with its own type (TNotifyEvent, ...).
//
//   TLayoutHandlers h;
//   h.Add("btnCall1Click", [this](TObject* s) { btnCall1Click(s); });   // TNotifyEvent
//   h.Add<TKeyEvent>("edt1KeyDown", [this](TObject* s, Word& k, TShiftState st) { ... });
#include <any>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/base/Events.h"

class TLayoutHandlers {
 public:
  // The event type is named explicitly, so that a lambda is stored as the
  // std::function the event setter asks for.
  template <class TEvent>
  TLayoutHandlers& Add(const std::string& name, std::type_identity_t<TEvent> handler) {
    return AddAny(name, std::any(std::move(handler)));
  }
  TLayoutHandlers& Add(const std::string& name, TNotifyEvent handler) {
    return AddAny(name, std::any(std::move(handler)));
  }
  // A second handler of the same name replaces the first.
  TLayoutHandlers& AddAny(const std::string& name, std::any handler);

  // The handler of this name (any case), or nullptr.
  const std::any* Find(std::string_view name) const;

 private:
  struct TNoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::map<std::string, std::any, TNoCaseLess> FHandlers;
};
