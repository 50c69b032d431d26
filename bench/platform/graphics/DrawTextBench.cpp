// DrawText on texts of 100, 10,000 and 1,000,000 characters. A row of the
// address book (one line with an end ellipsis in a 467-pixel row) must cost
// the same however long its line; breaking a text into lines must cost the
// same per character however long the text (items_per_second counts
// characters).
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdlib>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

// Words of one to eleven letters with blanks between, as ordinary text.
std::string Words(std::size_t Length) {
  static const char* kWords[] = {"Tamblin", "a", "call", "with", "video", "both", "ways",
                                 "between", "contacts", "on", "the", "neighbourhood's", "LAN"};
  std::string text;
  for (std::size_t i = 0; text.size() < Length; ++i) {
    if (!text.empty()) text += ' ';
    text += kWords[(i * 7) % std::size(kWords)];
  }
  text.resize(Length);
  return text;
}

// A contact line with a name as long as asked.
std::string ContactLine(std::size_t Length) {
  std::string line = Words(Length > 16 ? Length - 16 : 1) + " <192.168.0.7>";
  line.resize(Length, 'x');
  return line;
}

TBitmap& Surface(int W, int H, const char* Face, int Height) {
  static TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(W, H);
  TCanvas* c = bitmap.Canvas();
  c->Font()->SetName(Face);
  c->Font()->SetHeight(Height);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  return bitmap;
}

// The address book's row: Verdana 16 pixels, the text box 45 pixels in.
void BM_DrawTextEndEllipsisRow(benchmark::State& state) {
  const std::string line = ContactLine(std::size_t(state.range(0)));
  TCanvas* c = Surface(467, 40, "Verdana", -16).Canvas();
  for (auto _ : state) {
    TRect box = Rect(45, 10, 467, 40);
    benchmark::DoNotOptimize(c->DrawText(line, box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX));
  }
}
BENCHMARK(BM_DrawTextEndEllipsisRow)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Words broken over a box 300 pixels wide and 400 high, as the chat list's
// boxes break a line: every line counted, those in the box drawn.
void BM_DrawTextWordBreak(benchmark::State& state) {
  const std::string text = Words(std::size_t(state.range(0)));
  TCanvas* c = Surface(300, 400, "MS Sans Serif", -11).Canvas();
  for (auto _ : state) {
    TRect box = Rect(0, 0, 300, 400);
    benchmark::DoNotOptimize(c->DrawText(text, box, DT_WORDBREAK));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawTextWordBreak)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The same words only measured: every line broken and measured, none drawn.
void BM_DrawTextWordBreakMeasured(benchmark::State& state) {
  const std::string text = Words(std::size_t(state.range(0)));
  TCanvas* c = Surface(300, 400, "MS Sans Serif", -11).Canvas();
  for (auto _ : state) {
    TRect box = Rect(0, 0, 300, 400);
    benchmark::DoNotOptimize(c->DrawText(text, box, DT_WORDBREAK | DT_CALCRECT));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawTextWordBreakMeasured)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// One word without a blank, cut between characters into lines of the box's
// width and measured whole.
void BM_DrawTextEditControlCutsALongWord(benchmark::State& state) {
  const std::string text(std::size_t(state.range(0)), 'w');
  TCanvas* c = Surface(300, 400, "MS Sans Serif", -11).Canvas();
  for (auto _ : state) {
    TRect box = Rect(0, 0, 300, 400);
    benchmark::DoNotOptimize(c->DrawText(text, box, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawTextEditControlCutsALongWord)
    ->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
