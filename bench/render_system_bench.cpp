// The render passes on real pages with the system font, as the window runs them: the Qt
// rasteriser (Liberation Sans 8 pt) at 1280 x 800, the Qt event pump, UTF-8 decoding on.
// For every page given on the command line:
//   PrepareMark/<page>       the prepare and mark passes of a newly opened page
//   Paint/<page>/top|middle|end  one paint pass (a scroll step) at that place of the page
//
//   render_system_bench [benchmark flags] PAGE...
// bench/render_peers.sh runs it on the pages of bench/corpus.sh.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "state/browser_state.h"
#include "base/file_io.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_text_rasterizer.h"
#include "state/bitmap_font_state.h"
#include "view/renderer.h"
#include "tools/source_decode.h"

namespace {

constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 800;

struct Rig {
    qm::BrowserState browser;
    qm::ViewState view;
    qm::ViewOptions options;
    qm::BitmapFontState fonts;
    qm::SourceDecodeState decode;
    qm::QtEventPump pump;
    qm::QtTextRasterizer rasterizer;
    qm::Renderer renderer{{browser, view, options, fonts, decode, pump, &rasterizer}};

    explicit Rig(std::string page) {
        browser.PageSource = std::move(page);
        browser.Utf8Decoding = true;
        options.FontName = "Liberation Sans";
        view.FontSize = 8;
        view.ImageWidth = kViewWidth;
        view.ImageHeight = kViewHeight;
        fonts.BitmapFontActive = false;
    }

    void Open() {
        qm::RequestDecode(decode);
        renderer.RenderSite(qm::RenderMode::Prepare);
        renderer.RenderSite(qm::RenderMode::Mark);
    }
};

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void PrepareMark(benchmark::State& state, const std::string& path) {
    Rig rig(qm::GetFileToString(path));
    for (auto _ : state)
        rig.Open();
    const double bytes = static_cast<double>(rig.browser.PageSource.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["MB"] = bytes / 1e6;
    state.counters["lines"] = rig.view.ContentHeight / std::max(1, rig.view.LineHeight);
    state.counters["checkpoints"] = static_cast<double>(rig.view.RenderCheckpoints.size());
}

enum class Place { Top, Middle, End };

void Paint(benchmark::State& state, const std::string& path, Place place) {
    Rig rig(qm::GetFileToString(path));
    rig.Open();
    const int end = std::max(0, rig.view.ContentHeight - kViewHeight);
    const int offset = place == Place::Top ? 0 : place == Place::Middle ? end / 2 : end;
    size_t objects = 0;
    for (auto _ : state) {
        rig.view.ScrollY = offset;
        rig.renderer.RenderSite(qm::RenderMode::Paint);
        objects = rig.view.ViewObjects.size();
    }
    state.counters["scrollY"] = offset;
    state.counters["objects"] = static_cast<double>(objects);
}

// Resident memory a page holds after it has been opened and painted, beyond what the process
// held before it was read. A tiny page is shown first, so that loading the fonts counts as
// start-up.
void ReportMemory(const std::string& path) {
    Rig warmUp("<p>A small page with a <a href=x.html>link</a>.");
    warmUp.Open();
    warmUp.renderer.RenderSite(qm::RenderMode::Paint);
    const long before = ResidentKilobytes();
    auto rig = std::make_unique<Rig>(qm::GetFileToString(path));
    rig->Open();
    rig->renderer.RenderSite(qm::RenderMode::Paint);
    const long after = ResidentKilobytes();
    const double size = static_cast<double>(rig->browser.PageSource.size());
    std::printf("memory %s: %.1f MB page, %.1f MB resident beyond start-up (%.2f x the page)\n",
                BaseName(path).c_str(), size / 1e6, (after - before) / 1e3,
                (after - before) * 1e3 / size);
}

} // namespace

int main(int argc, char** argv) {
    // The rasteriser needs a GUI application; no display is needed to draw into images.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> pages(argv + 1, argv + argc);
    if (pages.empty()) {
        std::fprintf(stderr, "usage: render_system_bench [benchmark flags] PAGE...\n");
        return 2;
    }
    for (const std::string& page : pages) {
        if (!qm::FileExists(page)) {
            std::fprintf(stderr, "no such page: %s\n", page.c_str());
            return 2;
        }
        const std::string name = BaseName(page);
        benchmark::RegisterBenchmark(("PrepareMark/" + name).c_str(), PrepareMark, page)
            ->Unit(benchmark::kMillisecond);
        const std::pair<const char*, Place> places[] = {
            {"top", Place::Top}, {"middle", Place::Middle}, {"end", Place::End}};
        for (const auto& [label, place] : places)
            benchmark::RegisterBenchmark(("Paint/" + name + "/" + label).c_str(), Paint, page,
                                         place)
                ->Unit(benchmark::kMillisecond);
    }
    for (const std::string& page : pages)
        ReportMemory(page);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
