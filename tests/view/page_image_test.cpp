#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/file_io.h"
#include "state/browser.h"
#include "tools/source_decode.h"
#include "view/page_image.h"
#include "render_fixture.h"
#include "support/file_size_limit.h"

namespace qm {
namespace {

uint32_t Field(const std::string& file, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(file[at + i]);
    return value;
}

TEST(PageImageGeometry, StripsRowsAndRowSize) {
    struct Case {
        int32_t bitmapWidth, bitmapHeight, zoom, contentHeight;
        int32_t strips;
        int64_t rows, rowSize;
    } cases[] = {
        {101, 50, 1, 30, 1, 30, 304},   // shorter than the window: one strip, exactly its rows
        {100, 50, 1, 101, 3, 101, 300}, // 2H + 1: the third strip holds one row
        {100, 50, 1, 100, 3, 100, 300}, // the strip list runs up to and including ContentHeight
        {200, 100, 2, 120, 3, 240, 600}, // a zoomed view: H page pixels are H x zoom rows
        {8, 16, 1, 0, 1, 16, 24},        // nothing laid out: the bitmap's own height
    };
    for (const Case& c : cases) {
        const PageImageGeometry g = ImageGeometry(c.bitmapWidth, c.bitmapHeight, c.zoom, c.contentHeight);
        EXPECT_EQ(c.strips, g.strips) << c.bitmapWidth << "x" << c.bitmapHeight;
        EXPECT_EQ(c.rows, g.rows);
        EXPECT_EQ(c.rowSize, g.rowSize);
        EXPECT_TRUE(g.FitsInBmp());
    }
    EXPECT_FALSE(ImageGeometry(1280, 1000, 4, 1 << 30).FitsInBmp()) << "more than 4 GB of pixels";
}

TEST(PageImageGeometry, NamesGetTheExtensionOnce) {
    EXPECT_EQ("picture.BMP", ImageFileName("picture.BMP"));
    EXPECT_EQ("picture.png.bmp", ImageFileName("picture.png"));
    EXPECT_EQ("/tmp/x.bmp", ImageFileName("/tmp/x"));
}

// A browser with the built-in font and a narrow view over several strips.
struct ExportRig {
    test::ScriptedPump pump;
    Browser browser{pump};
    SourceDecodeState decode;
    test::RecordingHost host;
    Renderer renderer{{browser.State(), browser.View(), browser.Options(), browser.Fonts(), decode,
                       pump, nullptr, &host, PumpPace::EveryPlace}};
    std::string path = ::testing::TempDir() + "page_image_test.bmp";

    explicit ExportRig(int lines) {
        LoadBuiltinTVFfont(browser.Fonts(), "INT:DOS8X16");
        browser.View().ImageWidth = 101;
        browser.View().ImageHeight = 64;
        for (int i = 0; i < lines; ++i) browser.State().PageSource += "line " + std::to_string(i) + "<br>";
        RequestDecode(decode);
        renderer.RenderSite(RenderMode::Prepare);
        renderer.RenderSite(RenderMode::Mark);
        browser.View().ScrollY = 40;
        std::filesystem::remove(path);
    }
};

TEST(PageImageExport, WritesTheWholePageBottomUpAndRestoresTheView) {
    ExportRig rig(12);
    ASSERT_EQ(ImageExportResult::Saved, ExportPageImage(rig.browser, rig.renderer, rig.host, rig.path));
    const ViewState& view = rig.browser.View();
    EXPECT_EQ(40, view.ScrollY);
    EXPECT_FALSE(view.ImageExportActive);
    EXPECT_GT(rig.host.scrollBarChanges, 0);

    const std::string file = GetFileToString(rig.path);
    const auto height = static_cast<uint32_t>(view.ContentHeight);
    ASSERT_GT(height, 64u * 2) << "the page spans more than two strips";
    EXPECT_EQ("BM", file.substr(0, 2));
    EXPECT_EQ(file.size(), Field(file, 2, 4));
    EXPECT_EQ(101u, Field(file, 18, 4));
    EXPECT_EQ(height, Field(file, 22, 4));
    EXPECT_EQ(24u, Field(file, 28, 2));
    EXPECT_EQ(54u + 304u * height, file.size());

    // Every page row is the row the view paints there.
    for (int32_t top : {0, 64, 128}) {
        const Bitmap& picture = test::RenderRig::PaintOf(rig.renderer, rig.browser.View(), rig.host, top);
        for (int y = 0; y < picture.height && top + y < static_cast<int32_t>(height); ++y) {
            const size_t row = 54 + 304 * (height - 1 - static_cast<size_t>(top + y));
            for (int x = 0; x < 101; ++x) {
                const uint32_t pixel = picture.Row(y)[x];
                ASSERT_EQ(pixel & 0xFF, Field(file, row + 3 * x, 1)) << "row " << top + y << " x " << x;
                ASSERT_EQ(pixel >> 8 & 0xFF, Field(file, row + 3 * x + 1, 1));
                ASSERT_EQ(pixel >> 16 & 0xFF, Field(file, row + 3 * x + 2, 1));
            }
        }
    }
}

TEST(PageImageExport, AStopOrAFullDiskLeavesTheOldFileAndNoOther) {
    for (bool fullDisk : {false, true}) {
        ExportRig rig(40);
        WriteFileAtomically(rig.path, "older image");
        ImageExportResult result;
        if (fullDisk) {
            test::FileSizeLimit limit(20000);
            result = ExportPageImage(rig.browser, rig.renderer, rig.host, rig.path);
        } else {
            rig.pump.onEvents = [&](int) { rig.browser.Stop(); };
            result = ExportPageImage(rig.browser, rig.renderer, rig.host, rig.path);
        }
        EXPECT_EQ(fullDisk ? ImageExportResult::WriteFailed : ImageExportResult::Stopped, result);
        EXPECT_EQ("older image", GetFileToString(rig.path));
        EXPECT_FALSE(rig.browser.View().ImageExportActive);
        EXPECT_FALSE(rig.browser.State().ProcessAbort);
        EXPECT_EQ(40, rig.browser.View().ScrollY);
        for (const auto& entry : std::filesystem::directory_iterator(::testing::TempDir()))
            EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".quillmar-"))
                << "temporary file left: " << entry.path();
    }
}

TEST(PageImageExport, ABusyViewOrAResizeCannotSpoilTheImage) {
    struct Case {
        const char* what;
        std::function<void(ExportRig&)> before;
    } cases[] = {
        {"a render pass runs", [](ExportRig& r) { r.browser.State().RenderBusy = true; }},
        {"a conversion runs", [](ExportRig& r) { r.browser.State().ConvertBusy = true; }},
        {"an export runs", [](ExportRig& r) { r.browser.View().ImageExportActive = true; }},
    };
    for (const Case& c : cases) {
        ExportRig rig(40);
        WriteFileAtomically(rig.path, "older image");
        c.before(rig);
        EXPECT_EQ(ImageExportResult::Busy, ExportPageImage(rig.browser, rig.renderer, rig.host, rig.path))
            << c.what;
        EXPECT_EQ("older image", GetFileToString(rig.path)) << c.what;
        EXPECT_FALSE(ImageExportProblem(rig.browser, ImageExportResult::Busy, rig.path).empty());
    }
    // The window is resized while the strips are painted: every strip keeps the first geometry,
    // and the new size applies once the export ends.
    ExportRig rig(40);
    rig.pump.onEvents = [&](int) { rig.browser.View().SetImageSize(300, 20); };
    ASSERT_EQ(ImageExportResult::Saved, ExportPageImage(rig.browser, rig.renderer, rig.host, rig.path));
    const std::string file = GetFileToString(rig.path);
    EXPECT_EQ(101u, Field(file, 18, 4));
    EXPECT_EQ(static_cast<size_t>(Field(file, 2, 4)), file.size());
    EXPECT_EQ(rig.browser.View().ContentHeight, static_cast<int32_t>(Field(file, 22, 4)));
    ExportRig reference(40);
    ASSERT_EQ(ImageExportResult::Saved,
              ExportPageImage(reference.browser, reference.renderer, reference.host, reference.path));
    EXPECT_EQ(GetFileToString(reference.path), file) << "the resized export differs";
    EXPECT_EQ(300, rig.browser.View().ImageWidth);
    EXPECT_EQ(20, rig.browser.View().ImageHeight);
}

} // namespace
} // namespace qm
