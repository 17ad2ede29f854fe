#pragma once
// The page image export: the whole laid-out page as one 24-bit BMP, painted strip by strip
// from the last to the first (a BMP stores its rows bottom-up) and streamed row by row, so
// that memory stays at one strip whatever the page height.

#include <cstdint>
#include <string>

namespace qm {

class Browser;
class Dialogs;
class Renderer;
class RenderHost;
class SaveFiles;

struct PageImageGeometry {
    int32_t width = 1;       // W: pixels of a row, the render bitmap's width
    int32_t stripHeight = 1; // H: page pixels one paint pass covers
    int32_t zoom = 1;
    int32_t strips = 1;      // ScrollY = 0, H, 2H, ... up to ContentHeight
    int64_t rows = 0;        // R
    int64_t rowSize = 0;     // S: 3W rounded up to a multiple of 4
    int64_t FileSize() const { return rowSize * rows + 54; }
    // The header keeps the height as a signed and the sizes as unsigned 32-bit numbers.
    bool FitsInBmp() const { return rows <= INT32_MAX && FileSize() <= UINT32_MAX; }
};

PageImageGeometry ImageGeometry(int32_t bitmapWidth, int32_t bitmapHeight, int32_t zoom,
                                int32_t contentHeight);

// The 54-byte file and information header.
std::string BmpHeader(const PageImageGeometry& geometry);

// The name as typed when it ends in ".bmp" in any case, else with ".bmp" added.
std::string ImageFileName(const std::string& typed);

enum class ImageExportResult { Saved, Stopped, TooLarge, WriteFailed, Busy };

// A render pass, a view conversion or another export is running.
bool ImageExportRefused(Browser& browser);

// Paints the page into path (replacing it only when the whole image is written), with the
// progress in the caption. F5 stops it and nothing is written. It is refused (Busy) while a
// render pass or a view conversion runs, which would leave it nothing to paint. ScrollY and the
// view are restored in every case; a window size taken meanwhile applies at the end.
ImageExportResult ExportPageImage(Browser& browser, Renderer& renderer, RenderHost& host,
                                  const std::string& path);

// The caption text for a result other than Saved, in the current language.
std::string ImageExportProblem(const Browser& browser, ImageExportResult result,
                               const std::string& path);

// Ctrl+P: the save dialog, ".bmp" added when the name lacks it, the export, and the file field
// of the file bar set to the image.
void SaveWebpageImage(Browser& browser, Renderer& renderer, RenderHost& host, Dialogs& dialogs,
                      SaveFiles& saveFiles);

} // namespace qm
