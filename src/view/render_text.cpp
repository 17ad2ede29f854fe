// Text in a render pass: placing characters on lines and wrapping them, and painting glyphs,
// selection, line bands and borders, and the zoom of the finished picture.
#include <algorithm>

#include "base/view_colors.h"
#include "state/bitmap_font_state.h"
#include "view/render_pass.h"

namespace qm {

int32_t RenderPass::Width(std::string_view text) const {
    const auto& table = widths_[bold_ ? 1 : 0];
    int32_t width = 0;
    for (char c : text)
        width += table[static_cast<unsigned char>(c)];
    return width;
}

void RenderPass::Wrap() {
    penX_ = 1;
    pageY_ += lineHeight_;
    bandFilled_ = false;
    lineBegun_ = true;
    Pump();
}

void RenderPass::Draw(const std::string& text) {
    if (viewMode_ == qm::ViewMode::Html && !s_.preformatted && !lineStarted_) {
        // Indentation of the source is not shown.
        if (text.find_first_not_of(' ') == std::string::npos) return;
        lineStarted_ = true;
    }
    const int32_t width = Width(text);
    // A reference that gives no text still takes the wrap step at the right edge.
    if (penX_ + width >= viewWidth_ && penX_ > 1) Wrap();
    if (text.empty()) return;
    currentLine_.Append(text);
    if (Painting() && Visible(pageY_)) PaintText(text, width);
    if (InCopyRange(pageY_)) copyText_ += text;
    // Text that takes no room is drawn as nothing.
    if (r_.sink_ && width > 0) r_.sink_->PlaceText(pageY_, penX_, text, role_);
    penX_ += width;
}

// Draw for a text of one character, except that the layout sink is left to the caller.
// Returns the x at which the character was placed, or -1 when it was dropped.
int32_t RenderPass::PlaceChar(char c) {
    if (!lineStarted_ && viewMode_ == qm::ViewMode::Html && !s_.preformatted) {
        if (c == ' ') return -1;
        lineStarted_ = true;
    }
    const int32_t width = widths_[bold_ ? 1 : 0][static_cast<unsigned char>(c)];
    if (penX_ + width >= viewWidth_ && penX_ > 1) Wrap();
    currentLine_.Append(c);
    if (Painting() && Visible(pageY_)) PaintText(std::string_view(&c, 1), width);
    if (InCopyRange(pageY_)) copyText_ += c;
    const int32_t x = penX_;
    penX_ += width;
    return x;
}

// Draws the characters of a run one by one, as that many turns would. Stops after a wrap,
// because the loop checks for F5 and for the end of the window there. Neighbouring characters
// of the sink's piece width reach the layout sink as one piece; characters that take no room
// do not reach it.
size_t RenderPass::DrawRun(std::string_view run) {
    LayoutSink* sink = r_.sink_;
    if (!Painting() && !copying_) {
        // ASCII characters of a font whose ASCII characters share one width are placed a line
        // at a time; the others (which a DOS font may show as several or none) one by one.
        const int32_t width = uniformWidths_[bold_ ? 1 : 0];
        const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
        const size_t asciiEnd =
            width > 0 ? std::find_if_not(run.begin(), run.end(), ascii) - run.begin() : 0;
        if (asciiEnd > 0) return PlaceUniformRun(run.substr(0, asciiEnd), width, sink);
        if (width > 0)
            run = run.substr(0, std::find_if(run.begin(), run.end(), ascii) - run.begin());
        if (!sink) return LayOutRun(run);
    }
    const int32_t pieceWidth = sink ? sink->PieceCharWidth() : 0;
    size_t pieceStart = 0;
    int32_t pieceX = 0, pieceY = 0;
    bool pieceOpen = false;
    auto flush = [&](size_t end) {
        if (pieceOpen)
            sink->PlaceText(pieceY, pieceX, run.substr(pieceStart, end - pieceStart), role_);
        pieceOpen = false;
    };
    for (size_t i = 0; i < run.size(); ++i) {
        const int32_t lineY = pageY_;
        const int32_t x = PlaceChar(run[i]);
        const bool wrapped = pageY_ != lineY;
        if (sink) {
            const bool drawsNothing = penX_ == x;
            if (wrapped || drawsNothing) flush(i);
            if (x >= 0 && !drawsNothing) {
                if (!pieceOpen) {
                    pieceOpen = true;
                    pieceStart = i;
                    pieceX = x;
                    pieceY = pageY_;
                }
                if (pieceWidth <= 0 || penX_ - x != pieceWidth) flush(i + 1);
            }
        }
        if (wrapped) {
            if (sink) flush(i + 1);
            return i + 1;
        }
    }
    if (sink) flush(run.size());
    return run.size();
}

// DrawRun when nothing is drawn, copied or reported: only the pen, the line and its text move,
// and they are kept in registers.
size_t RenderPass::LayOutRun(std::string_view run) {
    const auto& widths = widths_[bold_ ? 1 : 0];
    const bool dropsIndent = viewMode_ == qm::ViewMode::Html && !s_.preformatted;
    int32_t x = penX_;
    bool started = lineStarted_;
    LineText line = currentLine_;
    size_t i = 0;
    for (; i < run.size(); ++i) {
        const char c = run[i];
        if (!started && dropsIndent) {
            if (c == ' ') continue;
            started = true;
        }
        const int32_t width = widths[static_cast<unsigned char>(c)];
        if (x + width >= viewWidth_ && x > 1) {
            lineStarted_ = started;
            currentLine_ = line;
            Wrap();
            currentLine_.Append(c);
            penX_ += width;
            return i + 1;
        }
        line.Append(c);
        x += width;
    }
    penX_ = x;
    lineStarted_ = started;
    currentLine_ = line;
    return i;
}

// DrawRun when nothing is drawn or copied and every character of the run takes the same width:
// the characters up to the right edge go to the line at once and to the sink as one piece (one
// piece each when the sink's piece width differs), and a character that wraps goes alone.
size_t RenderPass::PlaceUniformRun(std::string_view run, int32_t width, LayoutSink* sink) {
    size_t i = 0;
    if (!lineStarted_ && viewMode_ == qm::ViewMode::Html && !s_.preformatted) {
        i = std::min(run.size(), run.find_first_not_of(' '));
        if (i == run.size()) return i;
        lineStarted_ = true;
    }
    // The first character of a line never wraps.
    const int64_t room = int64_t{viewWidth_} - width - penX_;
    int64_t fit = room > 0 ? (room + width - 1) / width : 0;
    if (penX_ <= 1) fit = std::max<int64_t>(fit, 1);
    const size_t count = static_cast<size_t>(std::min<int64_t>(fit, run.size() - i));
    if (count > 0) {
        const std::string_view piece = run.substr(i, count);
        currentLine_.Append(piece);
        if (sink && sink->PieceCharWidth() == width) {
            sink->PlaceText(pageY_, penX_, piece, role_);
        } else if (sink) {
            for (size_t k = 0; k < count; ++k)
                sink->PlaceText(pageY_, penX_ + static_cast<int32_t>(k) * width, piece.substr(k, 1),
                                role_);
        }
        penX_ += static_cast<int32_t>(count) * width;
        i += count;
    }
    if (i == run.size()) return i;
    Wrap();
    currentLine_.Append(run[i]);
    if (sink) sink->PlaceText(pageY_, penX_, run.substr(i, 1), role_);
    penX_ += width;
    return i + 1;
}

void RenderPass::PaintText(std::string_view text, int32_t width) {
    if (options_.Highlight && !bandFilled_) FillBand();
    uint32_t colour = fontColor_;
    if (view_.SelectionActive && pageY_ >= view_.SelectionTop - lineHeight_ &&
        pageY_ < view_.SelectionBottom) {
        auto select = view_.ClickFeedback ? RotColor : InvColor;
        FlushRun();
        FillRect(bitmap_, penX_, pageY_ - scrollY_, penX_ + width, pageY_ - scrollY_ + lineHeight_,
                 select(bandColor_));
        colour = select(fontColor_);
    }
    DrawGlyphs(penX_, pageY_, text, colour);
}

void RenderPass::FillBand() {
    FlushRun();
    // The band leaves the last column of the view as it is.
    FillRect(bitmap_, 0, pageY_ - scrollY_, viewWidth_ - 1, pageY_ - scrollY_ + lineHeight_,
             bandColor_);
    bandFilled_ = true;
}

void RenderPass::DrawBorder(int32_t kind, int32_t row, int32_t lineY) {
    if (!Painting() || !Visible(lineY) || row < 0 || row >= viewHeight_) return;
    const bool solid = kind == 0 || kind == 2;
    // A dotted border never hides a solid one on the same row.
    if (!solid && lastBorderSolid_ && lastBorderRow_ == row) return;
    FlushRun();
    const uint32_t text = RoleColor(ColorRole::Text), back = RoleColor(ColorRole::Back);
    uint32_t* pixels = bitmap_.Row(row);
    const uint32_t dot = PixelFromColor(ColorSumm12(text, back)), gap = PixelFromColor(back);
    for (int32_t x = 0; x < viewWidth_; ++x)
        pixels[x] = solid ? PixelFromColor(text) : (x % 4 == 0 ? dot : gap);
    lastBorderRow_ = row;
    lastBorderSolid_ = solid;
}

void RenderPass::DrawGlyphs(int32_t x, int32_t lineY, std::string_view text, uint32_t colour) {
    const int32_t top = lineY - scrollY_ - 1 + topOffset_;
    if (bitmapFont_) {
        DrawBitmapText(r_.c_.fonts.Font, bitmap_, text, x, top, colour,
                       bitmapOptions_[bold_ ? 1 : 0]);
        return;
    }
    if (!r_.c_.rasterizer) return;
    // Neighbouring characters of one colour go to the rasteriser as one string.
    if (!run_.text.empty() && run_.y == top && run_.endX == x && run_.colour == colour &&
        run_.bold == bold_) {
        run_.text += text;
        run_.endX += Width(text);
        return;
    }
    FlushRun();
    run_ = {x, top, x + Width(text), colour, bold_, std::string(text)};
}

void RenderPass::FlushRun() {
    if (run_.text.empty()) return;
    TextRasterizer& rasterizer = *r_.c_.rasterizer;
    rasterizer.SetFont(systemFonts_[run_.bold ? 1 : 0]);
    rasterizer.Draw(bitmap_, run_.x, run_.y, run_.text, run_.colour);
    run_.text.clear();
}

void RenderPass::Zoom() {
    Bitmap zoomed(std::max(1, view_.ImageWidth), std::max(1, view_.ImageHeight),
                  PixelFromColor(RoleColor(ColorRole::Back)));
    const int32_t width = std::min(zoomed.width, viewWidth_ * zoom_);
    const int32_t height = std::min(zoomed.height, viewHeight_ * zoom_);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* source = bitmap_.Row(y / zoom_);
        uint32_t* target = zoomed.Row(y);
        for (int32_t x = 0; x < width; ++x)
            target[x] = source[x / zoom_];
    }
    bitmap_ = std::move(zoomed);
}

} // namespace qm
