// Cost of the render passes with the built-in 8x16 font in a 1024 x 768 view.
//
// On a generated 1 MB page: the mark pass over the whole page, and the paint pass that runs on
// every scroll step, at the top and deep inside the page (where it must restart from a
// checkpoint).
//
// On hostile pages, each beside an ordinary page of the same size and options:
//   Layout/<page>[/ordinary]   the prepare and mark passes of a newly opened page
//   Paint/<page>/top|middle|end  one paint pass (a scroll step) at that place
//   Memory/<page>[/ordinary]   peak resident memory of opening the page, measured in a
//                              process of its own, beside the page's size
// A table at the end puts each hostile page beside its ordinary one.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

constexpr int kViewWidth = 1024;
constexpr int kViewHeight = 768;

// An ordinary page: paragraphs, links, images, tables, scripts and comments.
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

using Tweak = std::function<void(qm::ViewOptions&, qm::BitmapFontState&)>;

struct Rig {
    qm::BrowserState browser;
    qm::ViewState view;
    qm::ViewOptions options;
    qm::BitmapFontState fonts;
    qm::SourceDecodeState decode;
    NoEvents pump;
    qm::Renderer renderer{{browser, view, options, fonts, decode, pump}};

    explicit Rig(std::string page, const Tweak& tweak = {}) {
        qm::LoadBuiltinTVFfont(fonts, "INT:DOS8X16");
        view.ImageWidth = kViewWidth;
        view.ImageHeight = kViewHeight;
        if (tweak) tweak(options, fonts);
        browser.PageSource = std::move(page);
        qm::RequestDecode(decode);
        renderer.RenderSite(qm::RenderMode::Prepare);
    }

    void Open() {
        qm::RequestDecode(decode);
        renderer.RenderSite(qm::RenderMode::Prepare);
        renderer.RenderSite(qm::RenderMode::Mark);
    }
};

void BM_MarkPass(benchmark::State& state) {
    Rig rig(Page(1 << 20));
    for (auto _ : state)
        rig.renderer.RenderSite(qm::RenderMode::Mark);
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * rig.browser.DecodedSource.size()));
    state.counters["checkpoints"] = static_cast<double>(rig.view.RenderCheckpoints.size());
    state.counters["height"] = rig.view.ContentHeight;
}
BENCHMARK(BM_MarkPass)->Unit(benchmark::kMillisecond);

void BM_PaintPass(benchmark::State& state) {
    Rig rig(Page(1 << 20));
    rig.renderer.RenderSite(qm::RenderMode::Mark);
    const int offset = static_cast<int>(rig.view.ContentHeight * state.range(0) / 100);
    for (auto _ : state) {
        rig.view.ScrollY = offset;
        rig.renderer.RenderSite(qm::RenderMode::Paint);
    }
}
BENCHMARK(BM_PaintPass)->Arg(0)->Arg(50)->Arg(99)->Unit(benchmark::kMicrosecond);

// ---- Hostile pages ------------------------------------------------------------------------

std::string Repeat(std::string_view piece, size_t size) {
    std::string text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    return text;
}

std::string DataImage(size_t size) {
    return "<p>A photo:<img src=\"data:image/png;base64," + Repeat("iVBORw0KGgoAAAANSUhEUg", size) +
           "\" alt=photo> and the text after it.";
}

std::string LongLink(size_t size) {
    return "<p>See <a href=\"http://example.com/search?q=" + Repeat("a+long+query", size) +
           "\">this link</a> for more.";
}

std::string OpenForms(int count) {
    return Repeat("<form>\n", 7 * static_cast<size_t>(count)) + "</form>";
}

std::string NestedForms(int count) {
    const size_t n = static_cast<size_t>(count);
    return Repeat("<form>", 6 * n) + Repeat("</form>", 7 * n);
}

const Tweak kShownScripts = [](qm::ViewOptions& o, qm::BitmapFontState&) {
    o.Scripts = true;
    o.ScriptsCode = true;
};
const Tweak kScale72 = [](qm::ViewOptions&, qm::BitmapFontState& f) { f.BitmapFontScale = 72; };

struct HostilePage {
    std::string name;
    std::function<std::string()> make;
    Tweak tweak;
};

const std::vector<HostilePage>& HostilePages() {
    static const std::vector<HostilePage> pages = {
        {"data-image-1.6MB", [] { return DataImage(1600000); }, {}},
        {"link-address-0.4MB", [] { return LongLink(400000); }, {}},
        {"link-address-0.8MB", [] { return LongLink(800000); }, {}},
        {"link-address-1.6MB", [] { return LongLink(1600000); }, {}},
        {"text-line-20MB", [] { return Repeat("one long line of text ", 20000000); }, {}},
        {"shown-script-20MB",
         [] { return "<p>x<script>" + Repeat("var a = b + 1;\r\n", 20000000) + "</script>y"; },
         kShownScripts},
        {"shown-script-line-20MB",
         [] { return "<p>x<script>" + Repeat("var a=b+1;", 20000000) + "</script>y"; },
         kShownScripts},
        {"open-forms-20000", [] { return OpenForms(20000); }, {}},
        {"nested-forms-20000", [] { return NestedForms(20000); }, {}},
        {"nested-forms-50000", [] { return NestedForms(50000); }, {}},
        {"pre-lines-32MB", [] { return "<pre>" + Repeat("12\n", 32000000); }, {}},
        {"pre-lines-4MB-scale-72", [] { return "<pre>" + Repeat("x\n", 4000000); }, kScale72},
    };
    return pages;
}

// Mean seconds per iteration, and other figures, by benchmark name, for the closing table.
std::map<std::string, double>& Figures() {
    static std::map<std::string, double> figures;
    return figures;
}

std::string MakePage(const HostilePage& page, bool ordinary) {
    std::string text = page.make();
    if (ordinary) return Page(text.size());
    return text;
}

std::string Name(const HostilePage& page, bool ordinary) {
    return page.name + (ordinary ? "/ordinary" : "");
}

void Layout(benchmark::State& state, const HostilePage& page, bool ordinary) {
    Rig rig(MakePage(page, ordinary), page.tweak);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rig.Open();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Figures()["Layout/" + Name(page, ordinary)] = seconds / static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(rig.browser.PageSource.size()) / 1e6;
    state.counters["height"] = rig.view.ContentHeight;
    state.counters["checkpoints"] = static_cast<double>(rig.view.RenderCheckpoints.size());
}

// The rig of the last page painted, so that the three places share one layout.
std::unique_ptr<Rig>& PaintRig(const std::string& name) {
    static std::string rigName;
    static std::unique_ptr<Rig> rig;
    if (rigName != name) {
        rig.reset();
        rigName = name;
    }
    return rig;
}

enum class Place { Top, Middle, End };
constexpr const char* kPlaceNames[] = {"top", "middle", "end"};

void Paint(benchmark::State& state, const HostilePage& page, Place place) {
    std::unique_ptr<Rig>& rig = PaintRig(page.name);
    if (!rig) {
        rig = std::make_unique<Rig>(page.make(), page.tweak);
        rig->Open();
    }
    const int end = std::max(0, rig->view.ContentHeight - kViewHeight);
    const int offset = place == Place::Top ? 0 : place == Place::Middle ? end / 2 : end;
    double seconds = 0;
    for (auto _ : state) {
        rig->view.ScrollY = offset;
        const auto start = std::chrono::steady_clock::now();
        rig->renderer.RenderSite(qm::RenderMode::Paint);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Figures()["Paint/" + page.name + "/" + kPlaceNames[static_cast<int>(place)]] =
        seconds / static_cast<double>(state.iterations());
    state.counters["scrollY"] = offset;
}

long StatusKilobytes(const char* key) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(key) + ":";
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
    return 0;
}

const HostilePage* FindPage(const std::string& name) {
    for (const HostilePage& page : HostilePages())
        if (page.name == name) return &page;
    return nullptr;
}

// In a process of its own: opens a small page of every kind first, so that loading the font,
// the texts and the program's code counts as start-up; then makes the page and prints the peak
// resident memory of holding it and opening it, and the page's size, in megabytes. Making it
// does not count: the peak starts again once it is made, with the page itself counted.
int MeasureMemory(const std::string& name, bool ordinary) {
    const HostilePage* page = FindPage(name);
    if (!page) return 2;
    // Large blocks go back to the system when freed, so that memory left over from making the
    // page is not counted as free room for opening it.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    Rig(Page(4096) + DataImage(100) + OpenForms(10) + NestedForms(10) + "<pre>1\n2\n</pre>",
        page->tweak)
        .Open();
    std::string text = MakePage(*page, ordinary);
    text.shrink_to_fit();
    const double megabytes = static_cast<double>(text.size()) / 1e6;
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    const long before = StatusKilobytes("VmRSS");
    Rig rig(std::move(text), page->tweak);
    rig.Open();
    std::printf("%f %f\n", (StatusKilobytes("VmHWM") - before) / 1e3 + megabytes, megabytes);
    return 0;
}

constexpr const char* kMemoryOption = "--memory-of";

// A fresh process, so that no memory freed by earlier benchmarks is reused.
void Memory(benchmark::State& state, const HostilePage& page, bool ordinary) {
    double megabytes = 0, pageMegabytes = 0;
    for (auto _ : state) {
        const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " + kMemoryOption +
                                    " " + page.name + (ordinary ? " ordinary" : "");
        FILE* child = popen(command.c_str(), "r");
        const bool answered =
            child && std::fscanf(child, "%lf %lf", &megabytes, &pageMegabytes) == 2;
        if (child) pclose(child);
        if (!answered) {
            state.SkipWithError("the measuring process failed");
            return;
        }
    }
    Figures()["Memory/" + Name(page, ordinary)] = megabytes;
    Figures()["Size/" + Name(page, ordinary)] = pageMegabytes;
    state.counters["page_MB"] = pageMegabytes;
    state.counters["resident_MB"] = megabytes;
    state.counters["x_page"] = pageMegabytes > 0 ? megabytes / pageMegabytes : 0;
}

void RegisterHostilePages() {
    for (const HostilePage& page : HostilePages()) {
        for (bool ordinary : {false, true})
            benchmark::RegisterBenchmark(("Layout/" + Name(page, ordinary)).c_str(), Layout, page,
                                         ordinary)
                ->Unit(benchmark::kMillisecond);
        for (Place place : {Place::Top, Place::Middle, Place::End})
            benchmark::RegisterBenchmark(
                ("Paint/" + page.name + "/" + kPlaceNames[static_cast<int>(place)]).c_str(), Paint,
                page, place)
                ->Unit(benchmark::kMillisecond);
        for (bool ordinary : {false, true})
            benchmark::RegisterBenchmark(("Memory/" + Name(page, ordinary)).c_str(), Memory, page,
                                         ordinary)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
    }
}

// A figure, or "-" when its benchmark did not run.
std::string Shown(const std::string& key, double scale, const char* format) {
    auto it = Figures().find(key);
    if (it == Figures().end()) return "-";
    char text[32];
    std::snprintf(text, sizeof text, format, it->second * scale);
    return text;
}

std::string Ratio(const std::string& a, const std::string& b) {
    auto x = Figures().find(a), y = Figures().find(b);
    if (x == Figures().end() || y == Figures().end() || y->second <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", x->second / y->second);
    return text;
}

void PrintTable() {
    std::printf("\n%-24s %7s | %9s %9s %6s | %9s %7s %9s %6s | %8s %8s %8s\n", "hostile page", "MB",
                "layout ms", "ordinary", "ratio", "memory MB", "x page", "ordinary", "ratio",
                "paint ms", "middle", "end");
    for (const HostilePage& page : HostilePages()) {
        const std::string& n = page.name;
        const std::string ordinary = n + "/ordinary";
        std::printf(
            "%-24s %7s | %9s %9s %6s | %9s %7s %9s %6s | %8s %8s %8s\n", n.c_str(),
            Shown("Size/" + n, 1, "%.2f").c_str(), Shown("Layout/" + n, 1e3, "%.1f").c_str(),
            Shown("Layout/" + ordinary, 1e3, "%.1f").c_str(),
            Ratio("Layout/" + n, "Layout/" + ordinary).c_str(),
            Shown("Memory/" + n, 1, "%.1f").c_str(), Ratio("Memory/" + n, "Size/" + n).c_str(),
            Shown("Memory/" + ordinary, 1, "%.1f").c_str(),
            Ratio("Memory/" + n, "Memory/" + ordinary).c_str(),
            Shown("Paint/" + n + "/top", 1e3, "%.2f").c_str(),
            Shown("Paint/" + n + "/middle", 1e3, "%.2f").c_str(),
            Shown("Paint/" + n + "/end", 1e3, "%.2f").c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == kMemoryOption)
        return MeasureMemory(argv[2], argc >= 4 && std::string(argv[3]) == "ordinary");
    benchmark::Initialize(&argc, argv);
    RegisterHostilePages();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintTable();
    return 0;
}
