#include "platform/controls/OpenDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "platform/controls/QtText.h"

namespace {

TOpenDialogHook& Hook() {
  static TOpenDialogHook hook;
  return hook;
}

std::vector<std::string> SplitPatterns(const std::string& Text) {
  std::vector<std::string> patterns;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t end = Text.find(';', start);
    if (end == std::string::npos) end = Text.size();
    std::string one = Text.substr(start, end - start);
    // Blanks around a pattern are layout formatting, not part of it.
    size_t first = one.find_first_not_of(' ');
    size_t last = one.find_last_not_of(' ');
    if (first != std::string::npos) patterns.push_back(one.substr(first, last - first + 1));
    start = end + 1;
  }
  return patterns;
}

// Qt's filter syntax: "Description (pat1 pat2)". Qt reads the patterns from
// the last parenthesised group, so a description that already names its
// patterns ("Wave (*.wav)") keeps its text and still filters correctly.
QString QtFilter(const TFileFilter& Filter) {
  QStringList patterns;
  for (const std::string& p : Filter.Patterns) patterns << QtText(p);
  return QtText(Filter.Description) + " (" + patterns.join(' ') + ")";
}

}  // namespace

std::vector<TFileFilter> ParseFileFilter(const std::string& Filter) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (start <= Filter.size() && !Filter.empty()) {
    size_t end = Filter.find('|', start);
    if (end == std::string::npos) end = Filter.size();
    fields.push_back(Filter.substr(start, end - start));
    start = end + 1;
  }
  std::vector<TFileFilter> filters;
  for (size_t i = 0; i < fields.size(); i += 2) {
    TFileFilter f;
    f.Description = fields[i];
    if (i + 1 < fields.size()) f.Patterns = SplitPatterns(fields[i + 1]);
    if (f.Patterns.empty()) f.Patterns.push_back("*");
    if (f.Description.empty() && i + 1 >= fields.size()) continue;  // a trailing "|"
    filters.push_back(std::move(f));
  }
  return filters;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TOpenDialog::Execute() {
  TOpenDialogAnswer answer;
  if (Hook()) {
    answer = Hook()(*this);
  } else {
    const std::vector<TFileFilter> filters = ParseFileFilter(FFilter);
    QStringList qtFilters;
    for (const TFileFilter& f : filters) qtFilters << QtFilter(f);

    QFileDialog dialog(QApplication::activeWindow(), "Open");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!qtFilters.isEmpty()) {
      dialog.setNameFilters(qtFilters);
      if (FFilterIndex >= 1 && FFilterIndex <= qtFilters.size())
        dialog.selectNameFilter(qtFilters[FFilterIndex - 1]);
    }
    // Start where the current file lies, else in InitialDir.
    QFileInfo current(QtText(FFileName));
    if (!FFileName.empty() && current.dir().exists() && current.path() != ".")
      dialog.setDirectory(current.dir());
    else if (!FInitialDir.empty())
      dialog.setDirectory(QtText(FInitialDir));
    if (!FFileName.empty()) dialog.selectFile(current.fileName());

    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      answer.Confirmed = true;
      answer.FileName = HostText(dialog.selectedFiles().first());
      answer.FilterIndex = int(qtFilters.indexOf(dialog.selectedNameFilter())) + 1;
      if (answer.FilterIndex < 1) answer.FilterIndex = FFilterIndex;
    }
  }
  if (!answer.Confirmed) return false;
  FFileName = answer.FileName;
  FFilterIndex = answer.FilterIndex;
  return true;
}

void SetOpenDialogHook(TOpenDialogHook Value) { Hook() = std::move(Value); }
