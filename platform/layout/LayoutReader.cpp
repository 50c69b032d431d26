#include "platform/layout/LayoutReader.h"

#include <algorithm>
#include <vector>

#include "platform/layout/LayoutContext.h"
#include "platform/layout/LayoutLexer.h"
#include "platform/layout/RegistryLookup.h"

namespace {

// Deeper nesting than any window needs is malformed input, not a window.
constexpr int kMaxNesting = 64;

// Forms without a class of their own in the registry take the properties of
// the framework's form.
constexpr const char* kDefaultRootClass = "TForm";

class TLayoutParser {
 public:
  TLayoutParser(TComponent* root, std::string_view text, const std::string& fileName,
                const TLayoutHandlers& handlers)
      : FRoot(root), FLexer(text, fileName), FContext(fileName, root, handlers) {}

  void Read();

 private:
  void ReadHeader(std::string& name, std::string& className);
  void ReadBody(TComponent* object, const std::string& className, int depth);
  void ReadChild(TComponent* parent, const std::string& parentClass, int depth);
  void ReadProperty(TComponent* object, const std::string& className);
  TLayoutValue ReadValue();
  void Expect(char symbol);
  void FreeCreated();
  void NameComponent(TComponent* component, const std::string& name, int line);
  std::string Where(int line) const {
    return FContext.FileName() + "(" + std::to_string(line) + "): ";
  }

  TComponent* FRoot;
  TLayoutLexer FLexer;
  TLayoutContext FContext;
  std::vector<TComponent*> FCreated;  // in creation order, root excluded
};

void TLayoutParser::Expect(char symbol) {
  if (!FLexer.IsSymbol(symbol))
    FLexer.Fail(std::string("'") + symbol + "' expected, found " + FLexer.Describe());
  FLexer.Next();
}

void TLayoutParser::ReadHeader(std::string& name, std::string& className) {
  if (!FLexer.IsName("object")) FLexer.Fail("'object' expected, found " + FLexer.Describe());
  FLexer.Next();
  if (FLexer.Token() != TLayoutToken::ltName || FLexer.IsName("end") || FLexer.IsName("object") ||
      FLexer.Text().find('.') != std::string::npos)
    FLexer.Fail("object name expected, found " + FLexer.Describe());
  name = FLexer.Text();
  FLexer.Next();
  Expect(':');
  if (FLexer.Token() != TLayoutToken::ltName)
    FLexer.Fail("class name expected, found " + FLexer.Describe());
  className = FLexer.Text();
  // The class line ends here; the body starts with the next token.
  FLexer.Next();
}

void TLayoutParser::Read() {
  FLexer.Next();
  int headerLine = FLexer.Line();
  std::string name, className;
  ReadHeader(name, className);
  if (!LayoutNameEqual(className, FRoot->ClassName()))
    FLexer.FailAt(headerLine, "layout of " + className + " read into " + FRoot->ClassName());
  TLayoutClassView view;
  std::string rootClass = FindLayoutClass(className, view) ? view.Name : kDefaultRootClass;

  std::vector<TComponent*> loading{FRoot};
  FRoot->BeginLoading();
  try {
    NameComponent(FRoot, name, headerLine);
    ReadBody(FRoot, rootClass, 0);
    if (FLexer.Token() != TLayoutToken::ltEnd)
      FLexer.Fail("end of file expected, found " + FLexer.Describe());
    loading.insert(loading.end(), FCreated.begin(), FCreated.end());
    for (TComponent* component : loading) component->Loaded();
  } catch (...) {
    FreeCreated();
    // Clears the root's loading state without running its own Loaded.
    FRoot->TComponent::Loaded();
    throw;
  }
}

void TLayoutParser::NameComponent(TComponent* component, const std::string& name, int line) {
  try {
    component->SetName(name);
  } catch (const std::exception& e) {
    FLexer.FailAt(line, e.what());
  }
}

void TLayoutParser::FreeCreated() {
  // Newest first: a child goes before the control that holds it. One freed
  // by another's destructor is no longer owned by the root and is skipped.
  while (!FCreated.empty()) {
    TComponent* component = FCreated.back();
    FCreated.pop_back();
    bool owned = false;
    for (int i = 0; i < FRoot->ComponentCount() && !owned; ++i)
      owned = FRoot->Components(i) == component;
    if (owned) delete component;
  }
}

void TLayoutParser::ReadBody(TComponent* object, const std::string& className, int depth) {
  for (;;) {
    if (FLexer.IsName("end")) {
      FLexer.Next();
      return;
    }
    if (FLexer.IsName("object")) {
      ReadChild(object, className, depth + 1);
    } else if (FLexer.Token() == TLayoutToken::ltName) {
      ReadProperty(object, className);
    } else {
      FLexer.Fail("property or 'end' expected, found " + FLexer.Describe());
    }
  }
}

void TLayoutParser::ReadChild(TComponent* parent, const std::string& parentClass, int depth) {
  int line = FLexer.Line();
  if (depth > kMaxNesting) FLexer.Fail("objects nested too deeply");
  std::string name, className;
  ReadHeader(name, className);
  TLayoutClassView view;
  if (!FindLayoutClass(className, view)) FLexer.FailAt(line, "unknown class '" + className + "'");
  if (view.Factory == nullptr)
    FLexer.FailAt(line, "class '" + view.Name + "' cannot be created by a layout");
  if (FRoot->FindComponent(name) != nullptr)
    FLexer.FailAt(line, "a component named '" + name + "' already exists");

  TComponent* child = nullptr;
  try {
    child = (*view.Factory)(FRoot);
  } catch (const std::exception& e) {
    FLexer.FailAt(line, "cannot create " + name + ": " + e.what());
  }
  if (child == nullptr) FLexer.FailAt(line, "cannot create " + name);
  if (child->Owner() != FRoot) FRoot->InsertComponent(child);
  FCreated.push_back(child);
  child->BeginLoading();
  NameComponent(child, name, line);

  if (const TLayoutChildHook* hook = FindLayoutChildHook(parentClass)) {
    try {
      (*hook)(parent, child);
    } catch (const std::exception& e) {
      FLexer.FailAt(line, name + " in " + parent->Name() + ": " + e.what());
    }
  }
  ReadBody(child, view.Name, depth);
}

void TLayoutParser::ReadProperty(TComponent* object, const std::string& className) {
  int line = FLexer.Line();
  std::string path = FLexer.Text();
  FLexer.Next();
  Expect('=');
  TLayoutValue value = ReadValue();

  TResolvedProperty resolved;
  bool found = false;
  try {
    found = ResolveLayoutProperty(className, object, path, resolved);
  } catch (const std::exception& e) {
    FLexer.FailAt(line, path + " of " + object->Name() + ": " + e.what());
  }
  if (!found) FLexer.FailAt(line, "unknown property '" + path + "' of " + className);

  FContext.SetLine(line);
  try {
    (*resolved.Setter)(resolved.Target, value, FContext);
  } catch (const std::exception& e) {
    FLexer.FailAt(line, path + " of " + object->Name() + ": " + e.what());
  }
}

TLayoutValue TLayoutParser::ReadValue() {
  switch (FLexer.Token()) {
    case TLayoutToken::ltInteger: {
      TLayoutValue v = TLayoutValue::Integer(FLexer.Integer());
      FLexer.Next();
      return v;
    }
    case TLayoutToken::ltFloat: {
      TLayoutValue v = TLayoutValue::Float(FLexer.Float());
      FLexer.Next();
      return v;
    }
    case TLayoutToken::ltString: {
      std::string text = FLexer.Text();
      FLexer.Next();
      // 'first part' +
      //   'second part'
      while (FLexer.IsSymbol('+')) {
        FLexer.Next();
        if (FLexer.Token() != TLayoutToken::ltString)
          FLexer.Fail("string expected after '+', found " + FLexer.Describe());
        text += FLexer.Text();
        FLexer.Next();
      }
      return TLayoutValue::String(std::move(text));
    }
    case TLayoutToken::ltName: {
      if (FLexer.IsName("object") || FLexer.IsName("end"))
        FLexer.Fail("value expected, found " + FLexer.Describe());
      TLayoutValue v = TLayoutValue::Identifier(FLexer.Text());
      FLexer.Next();
      return v;
    }
    case TLayoutToken::ltSymbol:
      if (FLexer.IsSymbol('[')) {
        FLexer.Next();
        std::vector<std::string> names;
        if (!FLexer.IsSymbol(']')) {
          for (;;) {
            if (FLexer.Token() != TLayoutToken::ltName)
              FLexer.Fail("set element expected, found " + FLexer.Describe());
            names.push_back(FLexer.Text());
            FLexer.Next();
            if (!FLexer.IsSymbol(',')) break;
            FLexer.Next();
          }
        }
        Expect(']');
        return TLayoutValue::Set(std::move(names));
      }
      if (FLexer.IsSymbol('{')) {
        TLayoutValue v = TLayoutValue::Binary(FLexer.ReadHexBlock());
        FLexer.Next();
        return v;
      }
      break;
    case TLayoutToken::ltEnd:
      break;
  }
  FLexer.Fail("value expected, found " + FLexer.Describe());
}

}  // namespace

void ReadLayout(TComponent* root, std::string_view text, const std::string& fileName,
                const TLayoutHandlers& handlers) {
  TLayoutParser(root, text, fileName, handlers).Read();
}

void ThrowLayoutComponentMissing(TComponent* root, const std::string& name, TComponent* found) {
  if (found == nullptr)
    throw ELayoutError(root->Name() + ": the layout has no component '" + name + "'");
  throw ELayoutError(root->Name() + ": component '" + name + "' is a " + found->ClassName());
}
