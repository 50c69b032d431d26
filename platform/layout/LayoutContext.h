#pragma once
// What a property setter may ask of the reader while it sets a value: where
// it is (for messages), the root component, and the form's handlers.
#include <any>
#include <string>

#include "platform/layout/LayoutError.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutValue.h"

class TComponent;

class TLayoutContext {
 public:
  TLayoutContext(const std::string& fileName, TComponent* root, const TLayoutHandlers& handlers)
      : FFileName(fileName), FRoot(root), FHandlers(handlers) {}

  const std::string& FileName() const { return FFileName; }
  int Line() const { return FLine; }
  void SetLine(int line) { FLine = line; }
  TComponent* Root() const { return FRoot; }

  // The handler named by an identifier value, with the event's own type.
  // Raises ELayoutError "unknown handler 'x'" or "handler 'x' does not fit
  // this event".
  template <class TEvent>
  TEvent Handler(const TLayoutValue& value) const {
    const std::string& name = value.AsIdentifier();
    const std::any* found = FHandlers.Find(name);
    if (found == nullptr) throw ELayoutError("unknown handler '" + name + "'");
    const TEvent* handler = std::any_cast<TEvent>(found);
    if (handler == nullptr) throw ELayoutError("handler '" + name + "' does not fit this event");
    return *handler;
  }

 private:
  std::string FFileName;
  int FLine = 0;
  TComponent* FRoot;
  const TLayoutHandlers& FHandlers;
};
