#pragma once
// Root of the host's object model: every object knows its class name.
#include <string>

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The most derived class's name, as written in the source ("TSkPanel").
  std::string ClassName() const;
};
