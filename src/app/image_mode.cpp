#include "app/image_mode.h"

#include <algorithm>

#include "app/terminal_pump.h"
#include "base/codepage.h"
#include "state/browser.h"
#include "tools/source_decode.h"
#include "view/page_image.h"
#include "view/renderer.h"

namespace qm {
namespace {

constexpr int32_t kStripHeight = 1024; // page pixels one paint pass covers

// Where the progress captions go without a window: nowhere; the image is the result.
class QuietHost : public RenderHost {};

} // namespace

bool ImageModeNeedsFonts(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--font") != args.end();
}

int RunImageMode(const std::vector<std::string>& args, std::ostream& err,
                 CommandEnvironment& environment, TextRasterizer* rasterizer) {
    if (!args.empty() && IsUnknownOption(args[0])) {
        err << "quillmar --image: " << UnknownOptionProblem(args[0]) << "\n";
        return 2;
    }
    if (args.empty() || args[0].empty() || args[0].rfind("--", 0) == 0) {
        err << "quillmar --image: the first argument is the image file to write\n";
        return 2;
    }
    const std::string path = args[0];
    CommandArgs parsed;
    if (std::string problem =
            ParseCommandArgs({args.begin() + 1, args.end()}, ModeOptions{.image = true}, parsed);
        !problem.empty()) {
        err << "quillmar --image: " << problem << "\n";
        return 2;
    }
    if (!parsed.font.empty() && !rasterizer) {
        err << "quillmar --image: --font needs the window program beside this one\n";
        return 2;
    }
    CommandPage page(environment);
    if (!page.Open(parsed, "--image", err)) return 2;
    Browser& browser = page.GetBrowser();
    if (parsed.font.empty())
        LoadBuiltinTVFfont(browser.Fonts(), "INT:DOS8X16");
    else
        browser.Options().FontName = Utf8ToCp1251(parsed.font);
    ViewState& view = browser.View();
    view.ImageWidth = parsed.width;
    view.ImageHeight = kStripHeight;
    SourceDecodeState decode;
    RequestDecode(decode);
    QuietHost host;
    Renderer renderer({browser.State(), view, browser.Options(), browser.Fonts(), decode,
                       environment.pump, rasterizer, &host});
    renderer.RenderSite(RenderMode::Prepare);
    renderer.RenderSite(RenderMode::Mark);
    const ImageExportResult result = ExportPageImage(browser, renderer, host, path);
    if (result != ImageExportResult::Saved) {
        err << "quillmar --image: " << Cp1251ToUtf8(ImageExportProblem(browser, result, path))
            << "\n";
        return 1;
    }
    const bool stopped = environment.pump.StopRequested();
    return !browser.State().LastDownloadFailed && !stopped ? 0 : 1;
}

} // namespace qm
