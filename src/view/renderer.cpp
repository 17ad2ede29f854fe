// Renderer and the two ends of its passes: setting a pass up (decoding, fonts, scroll range,
// where a paint pass restarts) and handing its results to the view and the host.
#include "view/renderer.h"

#include <algorithm>

#include "base/interfaces.h"
#include "base/view_colors.h"
#include "state/bitmap_font_state.h"
#include "state/browser_state.h"
#include "tools/source_decode.h"
#include "view/render_pass.h"
#include "view/site_to_hex.h"

namespace qm {

RenderPass::RenderPass(Renderer& renderer, RenderMode mode)
    : r_(renderer), browser_(renderer.c_.browser), view_(renderer.c_.view),
      host_(renderer.c_.host ? *renderer.c_.host : renderer.defaultHost_), mode_(mode),
      options_(renderer.c_.options), viewMode_(renderer.c_.view.ViewMode),
      scanner_(renderer.c_.browser, options_, mode, renderer.c_.view.ViewMode),
      s_(scanner_.State()) {
    scanner_.SetTitleHandler([this](const std::string& title) { host_.PageTitleFound(title); });
}

void RenderPass::Run() {
    SetUp();
    Loop();
    Finish();
}

FontSpec RenderPass::SystemFont(bool bold) const {
    FontSpec font;
    font.name = options_.FontName;
    font.charset = options_.Charset;
    font.pointSize = view_.FontSize;
    font.bold = bold;
    font.antialiasing = options_.Antialiasing;
    return font;
}

BitmapTextOptions RenderPass::BitmapOptions(bool bold) const {
    return ViewTextOptions(
        r_.c_.fonts, viewMode_ == qm::ViewMode::Hex ? DosSubstitution::Off : DosSubstitution::On,
        bold ? BoldText::On : BoldText::Off);
}

void RenderPass::SetUp() {
    if (Painting()) {
        view_.ViewObjects.clear();
    } else {
        view_.RenderCheckpoints.assign(1, RenderCheckpoint{});
        view_.FormRecords.clear();
    }
    if (mode_ != RenderMode::Prepare) scanner_.SetFormRecords(&view_.FormRecords);
    if (mode_ == RenderMode::Prepare) browser_.PageTitle = browser_.DefaultPageTitle;
    if (Painting() && view_.CopyRequest) {
        view_.CopyRequest = false;
        copying_ = true;
    }
    const bool html = viewMode_ == qm::ViewMode::Html;
    if (mode_ == RenderMode::Prepare) {
        if (viewMode_ == qm::ViewMode::Text) {
            SiteToHex(r_.c_, host_, ConvertedView::Text);
        } else if (viewMode_ == qm::ViewMode::Hex) {
            SiteToHex(r_.c_, host_, ConvertedView::Hex);
        }
        DecodeSiteIfNeeded(browser_, r_.c_.decode);
    }
    zoom_ = std::max(1, view_.PixelZoom);
    viewWidth_ = std::max(1, std::max(1, view_.ImageWidth) / zoom_);
    viewHeight_ = std::max(1, std::max(1, view_.ImageHeight) / zoom_);
    // Only the paint pass draws; the other passes need no picture.
    if (Painting()) bitmap_ = Bitmap(viewWidth_, viewHeight_);

    const BitmapFontState& fonts = r_.c_.fonts;
    bitmapFont_ = fonts.BitmapFontActive && (fonts.Font.Loaded() || !r_.c_.rasterizer);
    lineGap_ = html ? (bitmapFont_ ? 3 : 2) : 0;
    topOffset_ = html ? (bitmapFont_ ? 2 : 1) : 0;
    MeasureFont();
    view_.LineHeight = lineHeight_;
    view_.MaxScrollSpeed = 2 * lineHeight_;

    if (Painting() && !view_.ImageExportActive) ClampScroll();
    scrollY_ = view_.ScrollY;
    if (Painting()) FillRect(bitmap_, 0, 0, viewWidth_, viewHeight_, RoleColor(ColorRole::Back));

    fontColor_ = RoleColor(ColorRole::Text);
    bold_ = options_.IsBold(ColorRole::Text);
    bandColor_ = RoleColor(ColorRole::Back);
    if (Painting()) ChooseStart();
}

void RenderPass::MeasureFont() {
    for (int bold = 0; bold < 2; ++bold) {
        systemFonts_[bold] = SystemFont(bold != 0);
        bitmapOptions_[bold] = BitmapOptions(bold != 0);
    }
    if (bitmapFont_) {
        const BitmapFontState& fonts = r_.c_.fonts;
        lineHeight_ = static_cast<int32_t>(std::min<int64_t>(
            kMaxLineHeight,
            int64_t{BitmapFontHeight(fonts.Font)} * std::max(1, fonts.BitmapFontScale) + lineGap_));
        for (int bold = 0; bold < 2; ++bold) {
            const BitmapTextOptions& textOptions = bitmapOptions_[bold];
            for (int byte = 0; byte < 256; ++byte) {
                const char c = static_cast<char>(byte);
                widths_[bold][byte] =
                    BitmapTextWidth(fonts.Font, std::string_view(&c, 1), textOptions);
            }
        }
    } else if (TextRasterizer* rasterizer = r_.c_.rasterizer) {
        for (int bold = 0; bold < 2; ++bold) {
            rasterizer->SetFont(systemFonts_[bold]);
            for (int byte = 0; byte < 256; ++byte)
                widths_[bold][byte] = rasterizer->CharWidth(static_cast<unsigned char>(byte));
        }
        rasterizer->SetFont(systemFonts_[options_.IsBold(ColorRole::Text) ? 1 : 0]);
        lineHeight_ = std::min(kMaxLineHeight, rasterizer->LineHeight() + lineGap_);
    } else {
        lineHeight_ = lineGap_;
    }
    lineHeight_ = std::max(1, lineHeight_);
    for (int bold = 0; bold < 2; ++bold) {
        const auto& widths = widths_[bold];
        const bool uniform = std::all_of(widths.begin() + ' ', widths.begin() + 0x80,
                                         [&](int32_t width) { return width == widths[' ']; });
        uniformWidths_[bold] = uniform && widths[' '] > 0 ? widths[' '] : 0;
    }
}

void RenderPass::ClampScroll() {
    if (view_.ContentHeight - viewHeight_ < view_.ScrollY) {
        view_.AtBottom = true;
        view_.ScrollY = view_.ContentHeight - viewHeight_;
    } else {
        view_.AtBottom = false;
    }
    if (view_.ScrollY < 0) view_.ScrollY = 0;
    view_.AtTop = view_.ScrollY < 1;
    view_.ScrollBar.Position = view_.ScrollY;
    view_.ScrollBar.Max = std::max(0, view_.ContentHeight - viewHeight_);
    view_.ScrollBar.SmallStep = lineHeight_;
    view_.ScrollBar.LargeStep = std::max(1, view_.ImageHeight);
}

void RenderPass::Finish() {
    scanner_.CloseGap();
    FlushRun();
    if (!Painting()) host_.SetCaption("Quillmar " + browser_.VersionString);
    if (Painting() && objectOpen_ && CloseObject(pageY_ + lineHeight_)) {
        const ViewObject& object = view_.ViewObjects.back();
        if (object.Top < -lineHeight_ && object.Bottom < -lineHeight_) view_.ViewObjects.pop_back();
    }
    if (Painting() && zoom_ > 1) Zoom();
    if (Painting() && !view_.ImageExportActive) host_.ShowPicture(bitmap_);
    if (mode_ == RenderMode::Mark) {
        view_.ContentHeight = std::max(0, pageY_ + lineHeight_);
        const int32_t maxScroll = std::max(0, view_.ContentHeight - viewHeight_);
        if (view_.ScrollY > maxScroll) view_.ScrollY = maxScroll;
        view_.ScrollBar.Position = view_.ScrollY;
        view_.ScrollBar.Max = maxScroll;
        view_.ScrollBar.SmallStep = lineHeight_;
        view_.ScrollBar.LargeStep = std::max(1, view_.ImageHeight);
        host_.ScrollBarChanged();
    }
    if (copying_) host_.SetObjectInfoText(copyText_);
    if (Painting() && view_.ImageExportActive) r_.exportBitmap_ = std::move(bitmap_);
}

Renderer::Renderer(RenderContext context) : c_(context) {}
Renderer::~Renderer() = default;

bool Renderer::RenderSite(RenderMode mode) {
    if (c_.view.RenderSuspended || c_.browser.RenderBusy) return false;
    c_.browser.RenderBusy = true;
    stopped_ = false;
    struct BusyGuard {
        Renderer& renderer;
        ~BusyGuard() {
            RenderHost& host = renderer.c_.host ? *renderer.c_.host : renderer.defaultHost_;
            host.RestoreStopCaption();
            renderer.c_.browser.RenderBusy = false;
        }
    } guard{*this};
    RenderPass pass(*this, mode);
    pass.Run();
    return true;
}

} // namespace qm
