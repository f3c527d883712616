// Finding every colour in 10 MB of source text (CSS, C, Dart and GLSL lines,
// a colour in one line of four), beside the floor: std::count of one byte
// over the same buffer. The counter x_count is the ratio of the two, each
// the fastest pass of the run; the goal is 10 at most. The list of tokens
// found is part of the cost: 40 000 tokens, 8 MB of fresh memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

#include "colortext/color_tokens.h"

namespace tintra {
namespace {

constexpr std::size_t kTextBytes = 10u << 20;

const std::string& SourceText() {
  static const std::string text = [] {
    const char* const plain[] = {
        "  .button-primary:hover { border: 1px solid; margin: 0 auto; padding: 4px 8px; }\n",
        "static int compute_value(int alpha, int beta) { return alpha * beta + 42; }\n",
        "  final widget = Container(padding: const EdgeInsets.all(8.0), child: Text(title));\n",
        "  float d = length(uv - center) * 2.0; vec2 p = fract(uv * 4.0) - 0.5;\n",
        "  for (std::size_t i = 0; i < count; ++i) { total += values[i] >> 2; }\n",
        "  return half(mix(shade, highlight, smoothstep(0.0, 1.0, h)));\n",
    };
    std::string out;
    out.reserve(kTextBytes + 256);
    unsigned n = 0;
    char line[160];
    while (out.size() < kTextBytes) {
      for (int k = 0; k < 3; ++k) out.append(plain[(n + k) % std::size(plain)]);
      const unsigned v = (n * 2654435761u) >> 8;
      switch (n % 4) {
        case 0:
          std::snprintf(line, sizeof line, "  color: #%06x; background-color: transparent;\n",
                        v & 0xFFFFFFu);
          break;
        case 1:
          std::snprintf(line, sizeof line, "#define ACCENT_COLOR_%u 0x%06Xu\n", n, v & 0xFFFFFFu);
          break;
        case 2:
          std::snprintf(line, sizeof line, "  color: const Color(0xFF%06X),\n", v & 0xFFFFFFu);
          break;
        default:
          std::snprintf(line, sizeof line, "  gl_FragColor = vec4(%u.%u, 0.5, 0.25, 1.0);\n",
                        v & 1u, v % 10u);
          break;
      }
      out.append(line);
      ++n;
    }
    return out;
  }();
  return text;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The fastest of a few passes of std::count over the text.
double CountSeconds(const std::string& text) {
  double best = 1e9;
  for (int pass = 0; pass < 20; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    const auto lines = std::count(text.begin(), text.end(), '\n');
    benchmark::DoNotOptimize(lines);
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  return best;
}

void BM_CountByte(benchmark::State& state) {
  const std::string& text = SourceText();
  for (auto _ : state) {
    const auto lines = std::count(text.begin(), text.end(), '\n');
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                          static_cast<long long>(text.size()));
}
BENCHMARK(BM_CountByte)->Unit(benchmark::kMillisecond);

void BM_FindColorTokens(benchmark::State& state) {
  const std::string& text = SourceText();
  const double count_seconds = CountSeconds(text);
  double best = 1e9;
  std::size_t found = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const auto tokens = FindColorTokens(text, {});
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    found = tokens.size();
    benchmark::DoNotOptimize(tokens.data());
  }
  state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                          static_cast<long long>(text.size()));
  state.counters["tokens"] = static_cast<double>(found);
  state.counters["x_count"] = best / count_seconds;
}
BENCHMARK(BM_FindColorTokens)->Unit(benchmark::kMillisecond);

// The filter's case with --at at the input's end: the same scan, no list kept.
void BM_ChooseColorTokenAtEnd(benchmark::State& state) {
  const std::string& text = SourceText();
  const double count_seconds = CountSeconds(text);
  double best = 1e9;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const auto token = ChooseColorToken(text, {}, text.size());
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    benchmark::DoNotOptimize(token);
  }
  state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                          static_cast<long long>(text.size()));
  state.counters["x_count"] = best / count_seconds;
}
BENCHMARK(BM_ChooseColorTokenAtEnd)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tintra
