// Throughput of the text decoders and the object info area's tools on page-sized inputs. Each
// runs on 10 MB and 20 MB, so the report shows that time grows linearly.

#include <map>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "tools/attribute_text.h"
#include "tools/info_area_tools.h"
#include "tools/text_decoders.h"
#include "tools/text_replace.h"
#include "base/codepage.h"
#include "base/dos_text.h"
#include "tools/source_decode.h"

namespace {

constexpr size_t kMegabyte = 1 << 20;

// Windows-1251 page text: Latin and Cyrillic words, markup, punctuation and, per kind of
// input, the escapes its decoder meets in the wild.
std::string MakeText(size_t size, const std::vector<std::string>& extras) {
    static const std::vector<std::string> words = {"the",
                                                   "href",
                                                   "<a ",
                                                   "class=\"x\"",
                                                   "\xEF\xF0\xE8\xE2\xE5\xF2",
                                                   "\xEC\xE8\xF0",
                                                   "data",
                                                   "</p>",
                                                   "\r\n",
                                                   "value",
                                                   "\xC4\xEE\xEC",
                                                   "\xAB\xBB\x97",
                                                   "\xB9",
                                                   "2024",
                                                   "(c)",
                                                   "script",
                                                   "\xF1\xEB\xEE\xE2\xEE",
                                                   "\xA9\x85"};
    std::mt19937 random(866);
    std::string text;
    text.reserve(size + 64);
    while (text.size() < size) {
        const bool extra = !extras.empty() && random() % 4 == 0;
        text += extra ? extras[random() % extras.size()] : words[random() % words.size()];
        text += ' ';
    }
    text.resize(size);
    return text;
}

// Cut so that no escape is split at the end (an incomplete one would make HTTPDecod bail out).
std::string MakeEscapedText(size_t size, const std::vector<std::string>& escapes) {
    std::string text = MakeText(size + 64, escapes);
    size_t cut = text.find(' ', size);
    return text.substr(0, cut);
}

const std::string& Input(const std::string& kind, size_t megabytes) {
    static std::map<std::pair<std::string, size_t>, std::string> inputs;
    auto key = std::make_pair(kind, megabytes);
    if (auto found = inputs.find(key); found != inputs.end()) return found->second;
    const size_t size = megabytes * kMegabyte;
    std::string text;
    if (kind == "plain") {
        text = MakeText(size, {});
    } else if (kind == "utf8") {
        text = qm::Cp1251ToUtf8(MakeText(size * 2 / 3, {}));
    } else if (kind == "url") {
        text = MakeEscapedText(size, {"%D0%9F%D1%80", "%20", "%u0451", "%2F", "%%"});
    } else if (kind == "percent") {
        text = MakeEscapedText(size, {"%D0%9F", "%20", "%u0410", "%u20AC", "%zz", "%3"});
    } else if (kind == "slash") {
        text = MakeEscapedText(size, {"\\n", "\\\"", "\\u0410", "\\x41", "\\/", "\\q"});
    } else if (kind == "amper") {
        text = MakeEscapedText(size, {"&amp;", "&lt;", "&nbsp;", "&#1025;", "&quot;", "AT&T"});
    }
    return inputs.emplace(key, std::move(text)).first->second;
}

template <typename Operation>
void Run(benchmark::State& state, const std::string& kind, Operation operation) {
    const std::string& input = Input(kind, static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::string result = operation(input);
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_ReplaceText(benchmark::State& state) {
    Run(state, "plain", [](const std::string& s) {
        return qm::ReplaceText(s, "href", "HREF", qm::ReplaceFlags::ReplaceAll);
    });
}

void BM_ReplaceTextIgnoreCase(benchmark::State& state) {
    Run(state, "plain", [](const std::string& s) {
        return qm::ReplaceText(s, "\xEC\xE8\xF0", "X",
                               qm::ReplaceFlags::ReplaceAll | qm::ReplaceFlags::IgnoreCase);
    });
}

void BM_Utf8ToAnsi(benchmark::State& state) {
    Run(state, "utf8", [](const std::string& s) { return qm::Utf8ToAnsi(s); });
}

void BM_HTTPDecod(benchmark::State& state) {
    Run(state, "url", [](const std::string& s) { return qm::HTTPDecod(s); });
}

void BM_ProcDecode(benchmark::State& state) {
    Run(state, "percent", [](const std::string& s) { return qm::ProcDecode(s); });
}

void BM_SlashDecode(benchmark::State& state) {
    Run(state, "slash", [](const std::string& s) { return qm::SlashDecode(s); });
}

void BM_DeAmper(benchmark::State& state) {
    Run(state, "amper", [](const std::string& s) { return qm::DeAmper(s); });
}

void BM_WinToDos(benchmark::State& state) {
    Run(state, "plain",
        [](const std::string& s) { return qm::WinToDos(s, qm::DosSubstitution::On); });
}

// The object info area's tools on a page-sized area: one pass each, however many lines and hits.
void BM_KeepLines(benchmark::State& state) {
    Run(state, "plain", [](const std::string& s) { return qm::KeepLinesWith(s, "script"); });
}

void BM_KeepLinesDropBlank(benchmark::State& state) {
    Run(state, "plain", [](const std::string& s) { return qm::KeepLinesWith(s, ""); });
}

void BM_SplitText(benchmark::State& state) {
    Run(state, "plain",
        [](const std::string& s) { return qm::SplitAtTerm(s, "</p>", qm::SplitPlace::After); });
}

// Every word a hit: the text grows by half.
void BM_SplitTextEveryWord(benchmark::State& state) {
    Run(state, "plain",
        [](const std::string& s) { return qm::SplitAtTerm(s, " ", qm::SplitPlace::Before); });
}

} // namespace

#define QM_TEXT_BENCH(name) BENCHMARK(name)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)
QM_TEXT_BENCH(BM_ReplaceText);
QM_TEXT_BENCH(BM_ReplaceTextIgnoreCase);
QM_TEXT_BENCH(BM_Utf8ToAnsi);
QM_TEXT_BENCH(BM_HTTPDecod);
QM_TEXT_BENCH(BM_ProcDecode);
QM_TEXT_BENCH(BM_SlashDecode);
QM_TEXT_BENCH(BM_DeAmper);
QM_TEXT_BENCH(BM_WinToDos);
QM_TEXT_BENCH(BM_KeepLines);
QM_TEXT_BENCH(BM_KeepLinesDropBlank);
QM_TEXT_BENCH(BM_SplitText);
QM_TEXT_BENCH(BM_SplitTextEveryWord);

BENCHMARK_MAIN();
