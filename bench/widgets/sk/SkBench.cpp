// Costs of the skinned controls' cached drawing: a full rebuild of the wide
// window's anti-aliased main panel, of one slot panel (rebuilt at every ring
// blink), and one frame of a button's hover fade.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/controls/Application.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {

void BM_MainPanelRebuild(benchmark::State& state) {
  TSkPanel panel(nullptr);
  panel.SetColor(clWhite);
  panel.SetCornerWidth(0);
  panel.SetBorderWidth(7);
  panel.SetBorderColor(clSilver);
  panel.SetOuterColor(clSilver);
  panel.SetAntialiased(true);
  panel.SetBounds(0, 0, 1008, 552);
  for (auto _ : state) panel.RebuildBitmaps();
}
BENCHMARK(BM_MainPanelRebuild)->Unit(benchmark::kMillisecond);

void BM_SlotPanelBlink(benchmark::State& state) {
  TSkPanel panel(nullptr);
  panel.SetCornerWidth(25);
  panel.SetBorderWidth(3);
  panel.SetBorderColor(clSilver);
  panel.SetOuterColor(clWhite);
  panel.SetAntialiased(true);
  panel.SetBounds(0, 0, 215, 180);
  bool gray = false;
  for (auto _ : state) {
    // The ring blink: each colour change rebuilds the cache.
    gray = !gray;
    panel.SetColor(gray ? clGray : clWhite);
  }
}
BENCHMARK(BM_SlotPanelBlink)->Unit(benchmark::kMicrosecond);

class TFadingButton : public TSkButton {
 public:
  using TSkButton::TSkButton;
  // One fade tick at mid-hover and the paint it asks for.
  void Frame() {
    FFadePos = 40;
    FMouseState = msMouseInside;
    UseFadeIn();
    WMTimer(1);
    Paint();
  }
};

void BM_ButtonFadeFrame(benchmark::State& state) {
  TFadingButton button(nullptr);
  button.SetCaption("Chat");
  button.SetSpacing(10);
  button.SetBounds(0, 0, 75, 25);
  for (auto _ : state) button.Frame();
}
BENCHMARK(BM_ButtonFadeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  TApplication application(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
