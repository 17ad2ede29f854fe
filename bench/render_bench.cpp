// Cost of the render passes with the built-in 8x16 font on a generated 1 MB page: the mark
// pass over the whole page, and the paint pass that runs on every scroll step, at the top and
// deep inside the page (where it must restart from a checkpoint).
#include <benchmark/benchmark.h>

#include <string>

#include "state/browser_state.h"
#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "view/renderer.h"
#include "tools/source_decode.h"

namespace {

class NoEvents : public qm::EventPump {
  public:
    void ProcessEvents() override {}
};

std::string Page(size_t size) {
    std::string page;
    for (int i = 0; page.size() < size; ++i) {
        const std::string n = std::to_string(i);
        page += "<p>Paragraph " + n + " &mdash; some text of a page that wraps around.</p>";
        page += "<a href=\"/page" + n + ".html?a=1&amp;b=2\">link</a> <img src=i" + n + ".png>";
        page += "<table><tr><td>cell</td><td>cell</td></tr></table>\r\n";
        page += "<script>var x" + n + " = '<b>' + 1;</script><!-- comment -->\r\n";
    }
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

    Rig() {
        qm::LoadBuiltinTVFfont(fonts, "INT:DOS8X16");
        view.ImageWidth = 1024;
        view.ImageHeight = 768;
        browser.PageSource = Page(1 << 20);
        qm::RequestDecode(decode);
        renderer.RenderSite(qm::RenderMode::Prepare);
    }
};

void BM_MarkPass(benchmark::State& state) {
    Rig rig;
    for (auto _ : state)
        rig.renderer.RenderSite(qm::RenderMode::Mark);
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * rig.browser.DecodedSource.size()));
    state.counters["checkpoints"] = static_cast<double>(rig.view.RenderCheckpoints.size());
    state.counters["height"] = rig.view.ContentHeight;
}
BENCHMARK(BM_MarkPass)->Unit(benchmark::kMillisecond);

void BM_PaintPass(benchmark::State& state) {
    Rig rig;
    rig.renderer.RenderSite(qm::RenderMode::Mark);
    const int offset = static_cast<int>(rig.view.ContentHeight * state.range(0) / 100);
    for (auto _ : state) {
        rig.view.ScrollY = offset;
        rig.renderer.RenderSite(qm::RenderMode::Paint);
    }
}
BENCHMARK(BM_PaintPass)->Arg(0)->Arg(50)->Arg(99)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
