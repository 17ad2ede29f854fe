// Throughput of the page decoding on a mixed Russian and English page, on text that is mostly
// characters Windows-1251 lacks (the slow path of the reverse lookup), and of the reference
// decoder.
#include <benchmark/benchmark.h>

#include <string>

#include "base/codepage.h"
#include "base/dos_text.h"
#include "tools/source_decode.h"

namespace {

std::string MixedPage(size_t size) {
    const std::string chunk = qm::Cp1251ToUtf8(
        "<p class=\"x\">\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0 \x97 hello, world \x85 "
        "\xB9 5 \xAB\xF6\xE8\xF2\xE0\xF2\xE0\xBB</p>\n");
    std::string page;
    while (page.size() < size)
        page += chunk;
    return page;
}

void BM_Utf8ToAnsiMixed(benchmark::State& state) {
    const std::string page = MixedPage(1 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::Utf8ToAnsi(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToAnsiMixed);

void BM_Utf8ToAnsiUnmappable(benchmark::State& state) {
    std::string page;
    while (page.size() < (1 << 20))
        page += "\xE4\xB8\xAD\xE6\x96\x87";
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::Utf8ToAnsi(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToAnsiUnmappable);

void BM_AmpToStr(benchmark::State& state) {
    const char* names[] = {"nbsp", "#1055", "laquo", "#x41", "unknown", "Prime"};
    for (auto _ : state)
        for (const char* name : names)
            benchmark::DoNotOptimize(qm::AmpToStr(name));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 6));
}
BENCHMARK(BM_AmpToStr);

void BM_WinToDos(benchmark::State& state) {
    const std::string text = qm::Utf8ToAnsi(MixedPage(1 << 20));
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::WinToDos(text, qm::DosSubstitution::On));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WinToDos);

} // namespace

BENCHMARK_MAIN();
