// The chat list of the wide main window, which keeps every line it is given:
// adding a line at the top and drawing what is in sight must cost the same
// with 10, 10,000 or 100,000 lines in it. Also reports the memory one line
// takes (malloc's count of bytes in use, per line added).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QWidget>

#include <cstdlib>
#include <string>

#include "app/LayoutClasses.h"
#include "app/Main.h"
#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/ListBox.h"

namespace {

// A line as received: caller ID, slot digit, text (60 bytes in all).
std::string ChatLine(int Number) {
  return "Ann <2> the quick brown fox jumps over the lazy dog " + std::to_string(100000000 + Number);
}

TfrmMain* MainWindow() {
  static TfrmMain* form = [] {
    RegisterProgramLayoutClasses();
    return new TfrmMain(Application, "frmMain.lay");
  }();
  return form;
}

void Fill(TListBox* List, int Count) {
  List->Clear();
  List->Items()->BeginUpdate();
  for (int i = 0; i < Count; ++i) List->Items()->Insert(0, ChatLine(i));
  List->Items()->EndUpdate();
  Application->ProcessMessages();
}

void BM_ChatListInsertAtTop(benchmark::State& state) {
  TListBox* list = MainWindow()->ListBox1;
  Fill(list, int(state.range(0)));
  int n = 0;
  for (auto _ : state) {
    list->Items()->Insert(0, ChatLine(n++));
    list->Items()->Delete(list->Count() - 1);  // the count stays as set
    Application->ProcessMessages();
  }
}
BENCHMARK(BM_ChatListInsertAtTop)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ChatListDrawScreenful(benchmark::State& state) {
  TListBox* list = MainWindow()->ListBox1;
  Fill(list, int(state.range(0)));
  QWidget* widget = ControlWidget(list);
  for (auto _ : state) benchmark::DoNotOptimize(widget->grab());
}
BENCHMARK(BM_ChatListDrawScreenful)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ChatListBytesPerLine(benchmark::State& state) {
  TListBox* list = MainWindow()->ListBox1;
  const int count = int(state.range(0));
  double perLine = 0;
  for (auto _ : state) {
    list->Clear();
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < count; ++i) list->Items()->Insert(0, ChatLine(i));
    perLine = double(mallinfo2().uordblks - before) / count;
  }
  state.counters["bytes_per_line"] = perLine;
  state.counters["text_bytes_per_line"] = double(ChatLine(0).size());
}
BENCHMARK(BM_ChatListBytesPerLine)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApplication application(argc, argv);
  application.SetTitle("Tamblin");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
