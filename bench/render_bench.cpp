// What a drag costs per burst of pointer events (one canvas stage), the
// hue-bar redraw and the dialog's opening, beside the floor: a plain copy
// of a canvas-sized 32-bit buffer. Compare the figures of one run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "picker/dialog_layout.h"
#include "picker/presets.h"
#include "picker/render.h"

namespace tintra {
namespace {

constexpr ColorValue kButtonFace = 0xF0F0F0u;

// Other work on the machine only ever slows a repetition down: with
// --benchmark_repetitions, the fastest one is the figure to compare.
double Fastest(const std::vector<double>& v) {
  return *std::min_element(v.begin(), v.end());
}

// The floor: the canvas with alpha copied once, 372 x 368 pixels at 96 DPI
// (argument 96), 744 x 736 at 192.
void BM_CopyCanvasBuffer(benchmark::State& state) {
  const auto dpi = static_cast<int>(state.range(0));
  const std::size_t pixels = static_cast<std::size_t>(ToPhysical(372, dpi)) *
                             static_cast<std::size_t>(ToPhysical(368, dpi));
  const std::vector<ColorValue> source(pixels, 0xFF336699u);
  std::vector<ColorValue> target(source.size());
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), target.begin());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                          static_cast<long long>(source.size() * sizeof(ColorValue)));
}
BENCHMARK(BM_CopyCanvasBuffer)->Arg(96)->Arg(192)->ComputeStatistics("min", Fastest);

struct OpenDialog {
  std::unique_ptr<DialogImages> images = std::make_unique<DialogImages>();
  PickerState picker;
  explicit OpenDialog(int alpha_flag, int dpi = kBaseDpi) {
    BuildDialogImages(*images, MakeDialogLayout(alpha_flag, 0, dpi));
    picker.alpha_flag = alpha_flag;
    picker.current = 0x80C08040u;
    picker.stored = 0x40204080u;
    picker.flags = {true, true, true, false};
    RunRefreshStages(picker, *images, kButtonFace);
  }
};

// One canvas refresh during a field drag (with the read-back): the hue
// stays, so only swatches and markers are redrawn.
void BM_CanvasStage(benchmark::State& state) {
  OpenDialog dialog(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  dialog.picker.drag = Drag::kField;
  int step = 0;
  for (auto _ : state) {
    dialog.picker.field_x = step & 255;
    dialog.picker.field_y = (step * 7) & 255;
    ++step;
    RunCanvasStage(dialog.picker, *dialog.images, kButtonFace);
    benchmark::DoNotOptimize(dialog.images->canvas.pixels.data());
  }
  state.SetLabel(state.range(0) != 0 ? "field drag, alpha" : "field drag");
}
BENCHMARK(BM_CanvasStage)
    ->Args({0, 96})
    ->Args({1, 96})
    ->Args({1, 192})
    ->ComputeStatistics("min", Fastest);

// One canvas refresh with a new hue each time, as during a hue-bar drag:
// everything is redrawn.
void BM_CanvasStageNewHue(benchmark::State& state) {
  OpenDialog dialog(1, static_cast<int>(state.range(0)));
  dialog.picker.drag = Drag::kHueBar;
  int step = 0;
  for (auto _ : state) {
    dialog.picker.hue = dialog.images->hue_table.entries[static_cast<std::size_t>(step++ % 1530)];
    RunCanvasStage(dialog.picker, *dialog.images, kButtonFace);
    benchmark::DoNotOptimize(dialog.images->canvas.pixels.data());
  }
}
BENCHMARK(BM_CanvasStageNewHue)->Arg(96)->Arg(192)->ComputeStatistics("min", Fastest);

// The whole canvas drawn in order, without the retained base.
void BM_CanvasStageFull(benchmark::State& state) {
  OpenDialog dialog(1, static_cast<int>(state.range(0)));
  dialog.picker.drag = Drag::kField;
  int step = 0;
  for (auto _ : state) {
    dialog.picker.field_x = step & 255;
    ++step;
    RunCanvasStageFull(dialog.picker, *dialog.images, kButtonFace);
    benchmark::DoNotOptimize(dialog.images->canvas.pixels.data());
  }
}
BENCHMARK(BM_CanvasStageFull)->Arg(96)->Arg(192)->ComputeStatistics("min", Fastest);

// One hue-bar redraw, alternating between two hues.
void BM_HueBarStage(benchmark::State& state) {
  OpenDialog dialog(1, static_cast<int>(state.range(0)));
  const ColorValue hues[2] = {0x0000FFu, 0xFF8000u};
  int step = 0;
  for (auto _ : state) {
    dialog.picker.hue = hues[step++ & 1];
    RunHueBarStage(dialog.picker, *dialog.images);
    benchmark::DoNotOptimize(dialog.images->hue_bar.pixels.data());
  }
}
BENCHMARK(BM_HueBarStage)->Arg(96)->Arg(192)->ComputeStatistics("min", Fastest);

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The opening: every image (overlays decoded from the program's icons),
// the hue table and the 93 preset swatches; then the first refresh.
// `faults`: pages first touched per opening. A dialog opens once in its
// process, where every page is new; here the allocator may keep them
// between openings, and the figure then leaves that cost out.
void BM_Opening(benchmark::State& state) {
  const bool with_refresh = state.range(0) != 0;
  const auto dpi = static_cast<int>(state.range(1));
  const long faults = MinorFaults();
  for (auto _ : state) {
    auto images = std::make_unique<DialogImages>();
    const DialogLayout layout = MakeDialogLayout(1, 2, dpi);
    BuildDialogImages(*images, layout);
    std::vector<Image> swatches;
    swatches.reserve(kPresetCount);
    for (int i = 0; i < kPresetCount; ++i) {
      swatches.push_back(MakePresetSwatch(PresetAt(i).color, layout.preset_swatch_size));
    }
    if (with_refresh) {
      PickerState picker;
      picker.alpha_flag = 1;
      picker.current = 0x80C08040u;
      picker.flags = {true, true, true, false};
      RunRefreshStages(picker, *images, kButtonFace);
    }
    benchmark::DoNotOptimize(images->canvas.pixels.data());
    benchmark::DoNotOptimize(swatches.data());
  }
  state.counters["faults"] = benchmark::Counter(static_cast<double>(MinorFaults() - faults),
                                                benchmark::Counter::kAvgIterations);
  state.SetLabel(with_refresh ? "images + first refresh" : "images and tables");
}
BENCHMARK(BM_Opening)
    ->Args({0, 96})
    ->Args({1, 96})
    ->Args({1, 192})
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace tintra
