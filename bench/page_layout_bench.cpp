// Layout speed on a real page with the built-in 8x16 font, in process.
//
//   Layout/prepare, Layout/mark, Layout/both   the passes of a newly opened page at 80 columns
//                                              (the dump's width), no layout sink
//   Dump                                       the whole dump: both passes with the line sink
//   Paint/<percent>                            one paint pass of a 1024 x 768 view at that place
//
// Targets: prepare + mark at 100 MB/s or more; every paint pass under 1 ms.
//
//   QM_PAGE=FILE build-bench/page_layout_bench   (default: build-bench/corpus/page-10mb.html)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "state/browser_state.h"
#include "tools/source_decode.h"
#include "view/renderer.h"
#include "view/view_dump.h"

namespace {

class NoEvents : public qm::EventPump {
  public:
    void ProcessEvents() override {}
};

const std::string& PageText() {
    static const std::string page = [] {
        const char* path = std::getenv("QM_PAGE");
        std::ifstream in(path ? path : "build-bench/corpus/page-10mb.html", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }();
    return page;
}

struct Rig {
    qm::BrowserState browser;
    qm::ViewState view;
    qm::ViewOptions options;
    qm::BitmapFontState fonts;
    qm::SourceDecodeState decode;
    NoEvents pump;
    qm::Renderer renderer{{browser, view, options, fonts, decode, pump}};

    Rig(int width, int height) {
        qm::LoadBuiltinTVFfont(fonts, "INT:DOS8X16");
        view.ImageWidth = width;
        view.ImageHeight = height;
        browser.PageSource = PageText();
    }
    void Prepare() {
        qm::RequestDecode(decode);
        renderer.RenderSite(qm::RenderMode::Prepare);
    }
};

constexpr int kDumpWidth = 80 * 8 + 2;

void Bytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PageText().size()));
}

void BM_LayoutPrepare(benchmark::State& state) {
    Rig rig(kDumpWidth, 1);
    for (auto _ : state)
        rig.Prepare();
    Bytes(state);
}
BENCHMARK(BM_LayoutPrepare)->Name("Layout/prepare")->Unit(benchmark::kMillisecond);

void BM_LayoutMark(benchmark::State& state) {
    Rig rig(kDumpWidth, 1);
    rig.Prepare();
    for (auto _ : state)
        rig.renderer.RenderSite(qm::RenderMode::Mark);
    Bytes(state);
}
BENCHMARK(BM_LayoutMark)->Name("Layout/mark")->Unit(benchmark::kMillisecond);

void BM_LayoutBoth(benchmark::State& state) {
    Rig rig(kDumpWidth, 1);
    for (auto _ : state) {
        rig.Prepare();
        rig.renderer.RenderSite(qm::RenderMode::Mark);
    }
    Bytes(state);
}
BENCHMARK(BM_LayoutBoth)->Name("Layout/both")->Unit(benchmark::kMillisecond);

void BM_Dump(benchmark::State& state) {
    for (auto _ : state) {
        qm::BrowserState browser;
        browser.PageSource = PageText();
        benchmark::DoNotOptimize(qm::DumpSourceView(browser, qm::ViewOptions(), 80));
    }
    Bytes(state);
}
BENCHMARK(BM_Dump)->Unit(benchmark::kMillisecond);

void BM_Paint(benchmark::State& state) {
    static Rig* rig = [] {
        auto* made = new Rig(1024, 768);
        made->Prepare();
        made->renderer.RenderSite(qm::RenderMode::Mark);
        return made;
    }();
    const int end = std::max(0, rig->view.ContentHeight - 768);
    const int offset = static_cast<int>(int64_t{end} * state.range(0) / 100);
    for (auto _ : state) {
        rig->view.ScrollY = offset;
        rig->renderer.RenderSite(qm::RenderMode::Paint);
    }
}
BENCHMARK(BM_Paint)
    ->Name("Paint")
    ->DenseRange(0, 100, 10)
    ->Arg(33)
    ->Arg(77)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
