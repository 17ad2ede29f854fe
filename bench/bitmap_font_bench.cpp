// Drawing a view-sized window of text with the built-in fonts, as a paint pass does.
#include <benchmark/benchmark.h>
#include <string>

#include "base/bitmap.h"
#include "base/bitmap_font.h"

namespace {

void DrawWindow(benchmark::State& state, const char* fontName) {
    qm::BitmapFont font;
    font.Load(fontName);
    qm::BitmapTextOptions options;
    options.scale = static_cast<int32_t>(state.range(0));
    qm::Bitmap bitmap(1280, 800);
    const std::string line =
        "<a href=\"index.html\">\xCF\xF0\xE8\xE2\xE5\xF2, world</a> 0123456789";
    const int lineHeight = font.Height() * options.scale;
    int64_t glyphs = 0;
    for (auto _ : state) {
        for (int y = 0; y < bitmap.height; y += lineHeight) {
            for (int x = 0; x < bitmap.width; x += qm::BitmapTextWidth(font, line, options)) {
                qm::DrawBitmapText(font, bitmap, line, x, y, 0x00FFFFFF, options);
                glyphs += static_cast<int64_t>(line.size());
            }
        }
        benchmark::DoNotOptimize(bitmap.pixels.data());
    }
    state.counters["glyphs/s"] =
        benchmark::Counter(static_cast<double>(glyphs), benchmark::Counter::kIsRate);
}

void BM_DrawWindow8x16(benchmark::State& state) {
    DrawWindow(state, "INT:DOS8X16");
}
void BM_DrawWindow8x8(benchmark::State& state) {
    DrawWindow(state, "INT:DOS8X8");
}

BENCHMARK(BM_DrawWindow8x16)->Arg(1)->Arg(2)->Arg(4);
BENCHMARK(BM_DrawWindow8x8)->Arg(1);

} // namespace

BENCHMARK_MAIN();
