#pragma once
#include <string>
#include <string_view>

#include "TestClasses.h"
#include "platform/layout/LayoutReader.h"

// The message of the ELayoutError a read raises, or "" when it succeeds.
inline std::string LayoutErrorOf(TComponent* root, std::string_view text,
                                 const TLayoutHandlers& handlers = {}) {
  try {
    ReadLayout(root, text, "Test.lay", handlers);
  } catch (const ELayoutError& e) {
    return e.Message();
  }
  return "";
}

// Fresh registry entries and log for every test.
inline void ResetLayoutTest() {
  RegisterTestLayoutClasses();
  TestLog().clear();
  TCounted::SetOutsideLoading = false;
}
