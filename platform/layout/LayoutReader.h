#pragma once
// Reads a layout into a form (or any root component):
//
//   object frmMain: TfrmMain          <- the root itself; its class must be root's class
//     Caption = 'Quillory - Tamblin'
//     object SkPanel1: TSkPanel       <- created through the registry, owned by root
//       Align = alTop
//     end
//   end
//
// Properties are set in file order. Every component created is owned by the
// root and named by its object name; an object read inside another is handed
// to the outer object's child hook (controls set their Parent there) before
// its own properties are set. Every component read, the root first, is in
// the loading state (csLoading) while the layout is read; afterwards Loaded()
// runs on each in creation order. The root's properties are looked up under
// its class when registered, else under "TForm".
//
// Values: integers (12, -3, $00C0C0C0), floats (1.5), strings ('it''s',
// #13#10, 'a'#9'b', and 'a' + 'b' across lines), identifiers (alTop, True,
// a handler name), sets ([fsBold, fsItalic], []) and binary data as hex in
// braces, over as many lines as needed ({ 0A1B 2C3D }).
//
// Any failure raises ELayoutError "file(line): ..." naming the class, the
// property, the handler or the unexpected text; everything the reader created
// is freed again and the root's loading state cleared.
#include <string>
#include <string_view>

#include "platform/base/Component.h"
#include "platform/layout/LayoutError.h"
#include "platform/layout/LayoutHandlers.h"

void ReadLayout(TComponent* root, std::string_view text, const std::string& fileName,
                const TLayoutHandlers& handlers);

// ReadLayout over a file embedded into the executable (see Resources.h);
// ELayoutError "layout 'x' is not embedded" when there is none of that name.
void ReadLayoutResource(TComponent* root, const std::string& resourceName,
                        const TLayoutHandlers& handlers);

// The component the layout created under this name, as the form's field:
//   BindLayoutComponent(this, "btnCall1", btnCall1);
// Raises ELayoutError when the root owns no component of that name or it is
// of another class.
[[noreturn]] void ThrowLayoutComponentMissing(TComponent* root, const std::string& name,
                                              TComponent* found);

template <class T>
T* LayoutComponent(TComponent* root, const std::string& name) {
  TComponent* found = root->FindComponent(name);
  T* typed = dynamic_cast<T*>(found);
  if (typed == nullptr) ThrowLayoutComponentMissing(root, name, found);
  return typed;
}

template <class T>
void BindLayoutComponent(TComponent* root, const std::string& name, T*& field) {
  field = LayoutComponent<T>(root, name);
}
