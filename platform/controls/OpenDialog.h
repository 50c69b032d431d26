#pragma once
// The file-open dialog component. Filter is written in the host's syntax:
// pairs of description and patterns separated by "|", patterns within a pair
// separated by ";" ("Wave (*.wav)|*.wav|Any|*.mp3;*.wma"). FilterIndex counts
// the pairs from 1. Execute shows the dialog modally; on confirmation it
// stores the chosen path in FileName and the chosen pair in FilterIndex and
// answers true; on cancel it changes nothing and answers false.
#include <functional>
#include <string>
#include <vector>

#include "platform/base/Component.h"

struct TFileFilter {
  std::string Description;
  std::vector<std::string> Patterns;  // "*.mp3", ...
  friend bool operator==(const TFileFilter&, const TFileFilter&) = default;
};

// Splits a host filter into its pairs. A trailing description without
// patterns gets the pattern "*"; empty patterns between ";" are dropped.
std::vector<TFileFilter> ParseFileFilter(const std::string& Filter);

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner);

  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }

  virtual bool Execute();

 private:
  std::string FFilter;
  int FFilterIndex = 1;
  std::string FInitialDir;
  std::string FFileName;
};

// Test seam: while set, Execute asks this instead of showing a dialog. It
// sees the dialog as the program prepared it and answers as the user would:
// a path to choose (with the filter pair, counted from 1), or nothing for
// cancel.
struct TOpenDialogAnswer {
  bool Confirmed = false;
  std::string FileName;
  int FilterIndex = 1;
};
using TOpenDialogHook = std::function<TOpenDialogAnswer(const TOpenDialog& Dialog)>;
void SetOpenDialogHook(TOpenDialogHook Hook);
