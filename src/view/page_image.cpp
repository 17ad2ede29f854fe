#include "view/page_image.h"

#include <algorithm>

#include "base/file_io.h"
#include "base/interfaces.h"
#include "base/ascii_case.h"
#include "base/codepage.h"
#include "net/file_name.h"
#include "net/save_files.h"
#include "state/browser.h"
#include "view/renderer.h"

namespace qm {
namespace {

constexpr int kUiImageTitle = 119;
constexpr int kUiImageFilter = 120;
constexpr int kUiImageProgress = 122;
constexpr int kUiCannotWriteFile = 258;
constexpr int kUiImageStopped = 274;
constexpr int kUiImageTooLarge = 275;
constexpr int kUiImageTooLargeEnd = 276;
constexpr int kUiImageBusy = 298;

void PutLittleEndian(std::string& out, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Restores the view's position and lets it paint again, however the export ends.
class ExportGuard {
  public:
    ExportGuard(ViewState& view, RenderHost& host) : view_(view), host_(host), scrollY_(view.ScrollY) {}
    ~ExportGuard() {
        view_.ImageExportActive = false;
        view_.ApplyPendingImageSize();
        view_.ScrollY = scrollY_;
        view_.ScrollBar.Position = scrollY_;
        host_.ScrollBarChanged();
    }

  private:
    ViewState& view_;
    RenderHost& host_;
    int32_t scrollY_;
};

// One strip's rows, bottom first, as blue, green, red.
bool WriteStrip(AtomicFileWriter& file, const Bitmap& picture, const PageImageGeometry& g,
                int64_t stripTop, std::string& row) {
    for (int64_t y = int64_t{g.stripHeight} * g.zoom - 1; y >= 0; --y) {
        if (stripTop * g.zoom + y >= g.rows) continue;
        std::fill(row.begin(), row.end(), '\0');
        if (y < picture.height) {
            const uint32_t* pixels = picture.Row(static_cast<int>(y));
            const int32_t width = std::min(g.width, picture.width);
            for (int32_t x = 0; x < width; ++x) {
                row[3 * x] = static_cast<char>(pixels[x] & 0xFF);
                row[3 * x + 1] = static_cast<char>((pixels[x] >> 8) & 0xFF);
                row[3 * x + 2] = static_cast<char>((pixels[x] >> 16) & 0xFF);
            }
        }
        if (!file.Write(row)) return false;
    }
    return true;
}

} // namespace

PageImageGeometry ImageGeometry(int32_t bitmapWidth, int32_t bitmapHeight, int32_t zoom,
                                int32_t contentHeight) {
    PageImageGeometry g;
    g.zoom = std::max(1, zoom);
    g.width = std::max(1, bitmapWidth);
    g.stripHeight = std::max(1, bitmapHeight / g.zoom);
    g.strips = std::max(0, contentHeight) / g.stripHeight + 1;
    g.rows = int64_t{std::max(0, contentHeight)} * g.zoom;
    if (g.rows == 0) g.rows = std::max(1, bitmapHeight);
    g.rowSize = (int64_t{3} * g.width + 3) / 4 * 4;
    return g;
}

std::string BmpHeader(const PageImageGeometry& g) {
    std::string header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    PutLittleEndian(header, 2, static_cast<uint64_t>(g.FileSize()), 4);
    PutLittleEndian(header, 10, 54, 4);
    PutLittleEndian(header, 14, 40, 4);
    PutLittleEndian(header, 18, static_cast<uint64_t>(g.width), 4);
    PutLittleEndian(header, 22, static_cast<uint64_t>(g.rows), 4);
    PutLittleEndian(header, 26, 1, 2);
    PutLittleEndian(header, 28, 24, 2);
    PutLittleEndian(header, 34, static_cast<uint64_t>(g.rowSize * g.rows), 4);
    return header;
}

std::string ImageFileName(const std::string& typed) {
    return EndsWithNoCase(typed, ".bmp") ? typed : typed + ".bmp";
}

bool ImageExportRefused(Browser& browser) {
    // Ctrl+P can arrive from inside a pass's or a conversion's event pump.
    const ViewState& view = browser.View();
    const BrowserState& state = browser.State();
    return state.RenderBusy || state.ConvertBusy || view.RenderSuspended || view.ImageExportActive;
}

ImageExportResult ExportPageImage(Browser& browser, Renderer& renderer, RenderHost& host,
                                  const std::string& path) {
    ViewState& view = browser.View();
    BrowserState& state = browser.State();
    if (ImageExportRefused(browser)) return ImageExportResult::Busy;
    ExportGuard guard(view, host);
    view.ScrollY = 0;
    view.ImageExportActive = true;
    if (!renderer.RenderSite(RenderMode::Paint)) return ImageExportResult::Busy;
    const PageImageGeometry g = ImageGeometry(renderer.ExportBitmap().width,
                                              renderer.ExportBitmap().height, view.PixelZoom,
                                              view.ContentHeight);
    renderer.ReleaseExportBitmap();
    if (!g.FitsInBmp()) return ImageExportResult::TooLarge;

    AtomicFileWriter file(path);
    if (!file.Write(BmpHeader(g))) return ImageExportResult::WriteFailed;
    std::string row(static_cast<size_t>(g.rowSize), '\0');
    int64_t shown = -1;
    for (int32_t index = g.strips - 1; index >= 0; --index) {
        if (const int64_t progress = int64_t{g.strips - index - 1} * 100 / g.strips; progress != shown) {
            shown = progress;
            host.SetCaption(browser.Ui(kUiImageProgress) + std::to_string(progress) + " %");
            browser.Pump().ProcessEvents();
        }
        if (state.ProcessAbort) {
            state.ProcessAbort = false;
            return ImageExportResult::Stopped;
        }
        const int64_t stripTop = int64_t{index} * g.stripHeight;
        view.ScrollY = static_cast<int32_t>(stripTop);
        if (!renderer.RenderSite(RenderMode::Paint)) return ImageExportResult::Busy;
        // A strip cut short by F5 would leave a false picture in the file.
        if (renderer.Stopped()) return ImageExportResult::Stopped;
        const bool written = WriteStrip(file, renderer.ExportBitmap(), g, stripTop, row);
        renderer.ReleaseExportBitmap();
        if (!written) return ImageExportResult::WriteFailed;
    }
    return file.Commit() ? ImageExportResult::Saved : ImageExportResult::WriteFailed;
}

std::string ImageExportProblem(const Browser& browser, ImageExportResult result,
                               const std::string& path) {
    switch (result) {
    case ImageExportResult::Saved: return {};
    case ImageExportResult::Stopped: return browser.Ui(kUiImageStopped);
    case ImageExportResult::TooLarge:
        return browser.Ui(kUiImageTooLarge) + Utf8ToCp1251(path) + browser.Ui(kUiImageTooLargeEnd);
    case ImageExportResult::WriteFailed: return browser.Ui(kUiCannotWriteFile) + Utf8ToCp1251(path);
    case ImageExportResult::Busy: return browser.Ui(kUiImageBusy);
    }
    return {};
}

void SaveWebpageImage(Browser& browser, Renderer& renderer, RenderHost& host, Dialogs& dialogs,
                      SaveFiles& saveFiles) {
    if (ImageExportRefused(browser)) {
        // The status, not only the caption: the running pass writes its progress over that.
        browser.SetStatus(ImageExportProblem(browser, ImageExportResult::Busy, {}));
        return;
    }
    // Room for the ".bmp" the export adds.
    const std::string name =
        FileSystemName(GetFileNameByURL(browser.State().CurrentURL), kMaxFileNameBytes - 4);
    const std::string proposal = saveFiles.SaveFolder() + name;
    std::string path = dialogs.AskSaveFile(browser.Ui(kUiImageTitle), browser.Ui(kUiImageFilter), proposal);
    if (path.empty()) return;
    path = ImageFileName(path);
    const ImageExportResult result = ExportPageImage(browser, renderer, host, path);
    if (result == ImageExportResult::Saved)
        browser.SetField(FieldId::File, path);
    else
        browser.SetForm1Caption(ImageExportProblem(browser, result, path));
}

} // namespace qm
