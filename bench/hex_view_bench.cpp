// The text and hex view conversions alone on a 10 MiB file of random bytes (or the file given
// as QUILLMAR_HEX_FILE). bench/hex_peers.sh compares the hex view with xxd and hexdump.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

#include "base/file_io.h"
#include "state/bitmap_font_state.h"
#include "view/site_to_hex.h"

namespace {

const std::string& Source() {
    static const std::string source = [] {
        if (const char* path = std::getenv("QUILLMAR_HEX_FILE")) return qm::GetFileToString(path);
        std::string bytes(10 << 20, '\0');
        std::mt19937 random(42);
        for (char& c : bytes) c = static_cast<char>(random());
        return bytes;
    }();
    return source;
}

void BM_HexViewSource(benchmark::State& state) {
    qm::BitmapFontState fonts;
    const qm::HexCharacterCells cells = qm::MarkupCells(qm::HexShownBytes(fonts));
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::HexViewSource(Source(), cells, "<br>", [](int) { return true; }));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Source().size()));
}
BENCHMARK(BM_HexViewSource)->Unit(benchmark::kMillisecond);

void BM_TextViewSource(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::TextViewSource(Source(), [](int) { return true; }));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Source().size()));
}
BENCHMARK(BM_TextViewSource)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
