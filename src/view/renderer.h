#pragma once
// RenderSite: the three passes over DecodedSource that share one loop with the tag scanner.
// The prepare pass decodes the page, finds its title and cuts hidden scripts, styles and meta
// tags; the mark pass lays out the whole page, measures its height and records restart
// checkpoints; the paint pass draws the window at ScrollY and records its ViewObjects.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/bitmap.h"
#include "state/view_options.h"
#include "state/view_state.h"

namespace qm {

struct BrowserState;
struct BitmapFontState;
struct SourceDecodeState;
class EventPump;
class TextRasterizer;

// What a pass asks of the main window. Every call has a do-nothing default, so headless
// callers override only what they need.
class RenderHost {
  public:
    virtual ~RenderHost() = default;
    virtual void SetCaption(const std::string& /*text*/) {} // SetForm1Caption
    virtual void RestoreStopCaption() {}                    // "Stop (F5)"
    // The change handler of the scroll bar, run after a mark pass: caption with the offset,
    // control bar, paint request.
    virtual void ScrollBarChanged() {}
    virtual void ShowPicture(const Bitmap& /*picture*/) {} // the picture of Image1
    virtual void SetObjectInfoText(const std::string& /*text*/) {}
    // The prepare pass found a title; PageTitle is already set (history entries keep it).
    virtual void PageTitleFound(const std::string& /*title*/) {}
};

// Receives every piece of text the layout places, drawn or not, in every pass; a piece that
// takes no room is drawn as nothing and does not come.
class LayoutSink {
  public:
    virtual ~LayoutSink() = default;
    virtual void PlaceText(int32_t pageY, int32_t x, std::string_view text, ColorRole role) = 0;
    // Neighbouring page characters this many pixels wide may come as one piece, each placed
    // that far right of the one before it; other characters come one at a time. Zero: every
    // page character comes alone.
    virtual int32_t PieceCharWidth() const { return 0; }
};

// How often a pass lets the window process its events. The places are the same either way
// (every wrapped or advanced line, every progress step); Throttled skips the pump there when
// less than kPumpIntervalMs has passed since the last one, so that a long pass spends its time
// on the page, and F5 still stops it within that interval.
enum class PumpPace { EveryPlace, Throttled };
inline constexpr int kPumpIntervalMs = 10;

// The mark pass keeps restart points this far apart, in lines or in characters read (source
// and display text), whichever is reached first: few enough that they take little memory beside
// the page, close enough that a paint pass lays out little above the window.
inline constexpr int32_t kCheckpointLines = 64;
inline constexpr int64_t kCheckpointCharacters = 4096;

// The layout ends at this page y, where a line says that the rest of the page is not shown, so
// that page coordinates stay far inside 32 bits. No line is higher than kMaxLineHeight.
inline constexpr int32_t kPageHeightLimit = 1 << 30;
inline constexpr int32_t kMaxLineHeight = 1 << 22;

struct RenderContext {
    BrowserState& browser;
    ViewState& view;
    const ViewOptions& options;
    BitmapFontState& fonts;
    SourceDecodeState& decode;
    EventPump& pump;
    TextRasterizer* rasterizer = nullptr; // the system font; unused while a bitmap font draws
    RenderHost* host = nullptr;
    PumpPace pumpPace = PumpPace::Throttled;
};

class Renderer {
  public:
    explicit Renderer(RenderContext context);
    ~Renderer();

    // Runs one pass. Does nothing and returns false while RenderSuspended or while another
    // pass runs (a pass started from inside the message pump of a running one).
    bool RenderSite(RenderMode mode);

    // The picture of the last paint pass made while ImageExportActive.
    const Bitmap& ExportBitmap() const { return exportBitmap_; }
    void ReleaseExportBitmap() { exportBitmap_ = Bitmap(); }
    // Whether F5 stopped the last pass before the end of its work.
    bool Stopped() const { return stopped_; }

    void SetLayoutSink(LayoutSink* sink) { sink_ = sink; }

  private:
    friend class RenderPass;
    RenderContext c_;
    RenderHost defaultHost_;
    LayoutSink* sink_ = nullptr;
    Bitmap exportBitmap_;
    bool stopped_ = false;
};

} // namespace qm
