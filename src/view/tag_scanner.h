#pragma once
// The scanning half of the render loop: splits DecodedSource into text, tags, comments,
// character references and raw blocks (scripts, styles, forms, meta tags), classifies every
// finished tag and turns recognised elements into display blocks with a label, a colour role
// and, for clickable ones, the data of a ViewObject.
//
// All state of one pass lives in ScanState. A default ScanState is the clean state of a line
// start, so restarting at a checkpoint is a plain assignment of a fresh state, a position and
// whether the line lies in a preformatted section; inside a display block it is a copy of the
// state kept while the block was shown.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/view_options.h"
#include "state/view_state.h"
#include "view/form_content_memo.h"
#include "view/hidden_addresses.h"

namespace qm {

struct BrowserState;
class HiddenTagFinder;

// The tag names the classification rules single out; others are Other.
enum class TagId : uint8_t {
    Other,
    Script,
    CloseScript,
    Style,
    CloseStyle,
    Form,
    CloseForm,
    Meta,
    Title,
    CloseTitle,
    Pre,
    ClosePre,
    Base,
    Link,
    Img,
    Applet,
    Object,
    Track,
    Background, // BODY, TABLE, TD, TH
    Media,      // EMBED, BGSOUND, AUDIO, VIDEO, SOURCE, INPUT
    A,
    Area,
    Frame, // IFRAME, FRAME, PORTAL
};

// A tag name as the classification rules see it.
struct TagInfo {
    TagId id = TagId::Other;
    uint32_t flags = 0; // line-break and border classes
};

// Attribute lists of one tag. Names are upper-case; values stay exactly as written, quotes
// included.
struct TagAttributes {
    std::vector<std::string> AttrNames;
    std::vector<std::string> AttrValues;
};

// 1-based position of the first space outside quotes, 0 when there is none. Double quotes
// and apostrophes toggle one shared quote flag.
int32_t postag(std::string_view s);

// Splits a tag (the text between "<" and ">") into attributes; the tag name is not stored.
// Consecutive spaces give attributes with an empty name and value.
void ParseTag(std::string_view tag, TagAttributes& attrs);

// ParseTag, then the last value (empty when there are no attributes).
std::string GetLastTagArg(std::string_view tag, TagAttributes& attrs);

struct RippedUrl {
    std::string url;   // the value with references decoded, quotes kept
    std::string label; // "Maybe URL " + tag name + "@" + attribute name + ": "
};

// Where a display block comes from: the pending items in their order of precedence.
enum class PendingItem : uint8_t {
    None,
    Ripped,
    Resource,
    Link,
    Comment,
    Script,
    Style,
    Form,
    Meta,
    Hidden
};

// A block the renderer shows instead of the source.
struct DisplayBlock {
    std::string text;
    ColorRole role = ColorRole::Text;
    bool hasObject = false;
    ViewObjectKind objectKind = ViewObjectKind::Link;
    std::string objectText;
    bool broken = false; // the page's link check found the address broken
    bool hidden = false; // shows a hidden address
    HiddenUse hiddenUse = HiddenUse::Media;
    std::string where; // of a hidden address
};

struct ScanState {
    int32_t position = 0; // 0-based index of the next source character

    bool inTag = false;
    std::string tagBuffer; // without "<" and ">"
    int32_t tagStart = 0;  // 1-based position of the "<"
    bool inComment = false;

    bool inReference = false;
    std::string referenceBuffer;
    int32_t referenceCount = 0;
    int32_t referenceStart = 0; // position just after the "&"
    bool referenceFailed = false;

    bool rawBlock = false;
    TagId rawEndTag = TagId::Other; // /SCRIPT, /STYLE, /FORM or META
    int32_t blockStart = 0;         // 0-based index of the "<" that opened the raw block
    int32_t formResume = 0;         // position just after the FORM start tag
    bool preformatted = false;

    bool pendingResource = false;
    bool pendingLink = false;
    bool pendingComment = false;
    bool pendingScript = false;
    bool pendingStyle = false;
    bool pendingForm = false;
    bool pendingMeta = false;

    bool blockDisplay = false;
    PendingItem shownItem = PendingItem::None; // of the block shown
    // Shared, so that restart points inside a long block do not copy it.
    std::shared_ptr<const std::string> displayText;
    size_t displayPos = 0;
    bool displayIsRipped = false; // the block shows an entry of rippedUrls
    bool plainText = true;        // outside marked blocks

    bool newLine = false;
    bool forcedBreak = false;
    bool borderRequest = false;
    int32_t borderKind = 0; // 0 solid top, 1 dotted top, 2 solid bottom, 3 dotted bottom

    std::vector<RippedUrl> rippedUrls; // shown from the back
    std::string rippedTag;
    int32_t rippedPosition = -1; // end position of the ripped tag
    int32_t rippedTagStart = 0;
    // Hidden addresses still to show, from hiddenNext on; shared, as restart points copy the state.
    std::shared_ptr<const std::vector<HiddenAddress>> hiddenUrls;
    size_t hiddenNext = 0;
    bool HiddenLeft() const { return hiddenUrls && hiddenNext < hiddenUrls->size(); }

    // What the pending blocks show.
    TagAttributes blockAttributes; // of the tag that set the pending resource or link
    std::string resourceLabel;
    std::string resourceAttribute;
    std::string linkLabel;
    std::string linkAttribute;
    bool linkHasAnchor = false;
    std::string commentText;
    std::string scriptKinds; // LANGUAGE and TYPE values of the SCRIPT start tag
    std::string scriptSource;
    bool scriptHasSource = false;
    int32_t codeStart = 0; // of the last script, style or meta block; 1-based
    int32_t codeLength = 0;
    int32_t formStart = 0; // of the last form, from the "<" of its start tag; 0-based
    int32_t formLength = 0;

    int32_t titleEnd = -1; // position after the last TITLE tag; -1 before any
};

// What a restart inside a display block needs: the scanner state while the block is shown
// (nothing of it changes then but the place in the block and the line-break requests) and the
// block as it was started. The mark pass fills in the bottom once the block has ended.
struct BlockRestart {
    ScanState state;
    DisplayBlock block;  // without its text, which the state holds
    int32_t top = 0;     // page y of the block's first line
    int32_t bottom = -1; // page y below its last line; -1 until known
};

class TagScanner {
  public:
    using TitleHandler = std::function<void(const std::string& title)>;

    // The scanner reads and, in the prepare pass, shortens browser.DecodedSource; it sets
    // PageTitle (prepare pass) and BaseURL.
    TagScanner(BrowserState& browser, const ViewOptions& options, RenderMode mode,
               qm::ViewMode viewMode);
    ~TagScanner();
    TagScanner(const TagScanner&) = delete;
    TagScanner& operator=(const TagScanner&) = delete;

    // Called with every title found by the prepare pass, after PageTitle is set.
    void SetTitleHandler(TitleHandler handler) { titleHandler_ = std::move(handler); }
    // Where the mark pass keeps its readings of form content and a paint pass finds them.
    void SetFormRecords(FormContentRecords* records) { formRecords_ = records; }

    ScanState& State() { return s_; }
    const ScanState& State() const { return s_; }

    // A clean state at a checkpoint's position, inside a preformatted section when the
    // checkpoint lies in one.
    void RestartAt(int32_t position, bool preformatted = false);
    // The state of a restart point inside a display block, at that offset of the block's text.
    void RestartInBlock(const BlockRestart& restart, size_t offset);
    // The state to keep for restarts inside the active display block.
    ScanState BlockState();
    // Characters read so far in this pass, from the source and from display blocks: a measure
    // of the work between two places of the pass.
    int64_t CharactersRead() const { return read_; }

    int32_t SourceLength() const { return static_cast<int32_t>(source_.size() - gapLength_); }
    bool SourceLeft() const { return s_.position < SourceLength(); }
    // Something still waits to be shown: an active display block, a pending block or a
    // ripped address.
    bool BlocksLeft() const;
    // No tag, comment, reference, raw block, display block, pending block, ripped address or
    // line-break request is open: a checkpoint may be taken. A preformatted section may be
    // open; the checkpoint records it.
    bool IsClean() const;
    // No line-break request is open: inside a display block, where the rest of the state is
    // kept whole, a checkpoint may be taken.
    bool NoLineRequest() const { return !s_.newLine && !s_.forcedBreak && !s_.borderRequest; }

    // The prepare pass's cuts leave a gap in DecodedSource until this closes it; the pass
    // calls it before anything outside the pass may read the source, and at its end.
    void CloseGap();
    // Prepare pass: the state is clean and no hidden script, style or meta tag and no closing
    // title tag can begin after the reading position, so reading on would change nothing.
    bool NothingLeftToCut();

    // Turns the first pending item into the active display block. A block the mark pass kept
    // for restarts is taken from there, as it was, instead of being made again.
    std::optional<DisplayBlock> TakePendingBlock(const BlockRestart* recorded = nullptr);
    // The ViewObject text of the block shown, which passes other than the paint pass leave
    // out of resource, link and form blocks.
    std::string ShownObjectText() const;
    bool DisplayUsedUp() const {
        return s_.blockDisplay && s_.displayPos >= s_.displayText->size();
    }
    // Ends the active display block; after the last ripped address the ripped tag is read
    // again.
    void EndDisplayBlock();

    // Reads one character from the display block or the source and scans it. Returns true
    // with the text to draw (one character or a decoded reference, maybe empty).
    bool ReadCharacter(std::string& text);

    // Fast paths of the render loop. Each covers a stretch that ReadCharacter would take in as
    // many turns, one character per turn, and stops before the source position limit.
    //
    // The characters that would each be drawn as they stand (plain page text or display text);
    // empty when the next character needs ReadCharacter. ConsumeDrawable then moves past the
    // first count of them. A run is looked for a stretch at a time and remembered, so a long run
    // drawn line by line is read once.
    std::string_view DrawableRun(int32_t limit) const;
    void ConsumeDrawable(size_t count);
    // Reads characters that draw nothing: skips those of raw blocks and page text hidden by
    // the "Text" option, starts a tag at "<", appends to the open tag or comment, and ends the
    // tag at its ">", after which it returns so that the loop sees what the tag requested.
    // False when the next character needs ReadCharacter.
    bool ScanUndrawn(int32_t limit);
    // Whether TakePendingBlock has anything to turn into a display block.
    bool HasPendingBlock() const {
        return !s_.blockDisplay &&
               (s_.pendingResource || s_.pendingLink || s_.pendingComment || s_.pendingScript ||
                s_.pendingStyle || s_.pendingForm || s_.pendingMeta || !s_.rippedUrls.empty() ||
                s_.HiddenLeft());
    }

  private:
    bool ReadDisplayCharacter(std::string& text);
    bool ReadSourceCharacter(std::string& text);
    bool ScanText(char c, std::string& text);
    // A character follows that would reach the text scanning.
    bool TextLeft() const;
    void StartTag();
    bool CollectTag(int32_t stop);
    void AppendToTag(char c);
    void EndTag();
    // The attributes of the tag being classified; parsed when a rule first needs them.
    const TagAttributes& TagAttrs();
    // Hands the tag's attributes to the pending block.
    void TakeTagAttrs();
    bool RipUrls(const std::string& name);
    // Queues the hidden addresses found for a block; false when there are none.
    bool QueueHidden(std::vector<HiddenAddress> found);
    // Those of the raw block that just closed: a script's or style's text, a meta tag.
    bool QueueHiddenOfRawBlock(TagId endTag);
    void Classify(TagInfo tag, bool closing);
    void OpenRawBlock(TagId endTag);
    void CloseRawBlock(TagId endTag);
    // Keeps or replays what reading the content of a form as a raw block does.
    void ReadFormContent();
    void KeepFormEffects(TagId id, int32_t tagStart, int32_t end);
    std::shared_ptr<const FormContentRecord> FindFormRecord(int32_t from) const;
    void FormSourceCut(int32_t start, int32_t length);
    bool ReplayFormContent(int32_t stop);
    void CutBlock(int32_t stepBack);
    void MoveGap(size_t to);
    // Sets the reading position, moving the gap out of the way when the position goes back
    // before it.
    void ResumeAt(int32_t position);
    // Part of the source by logical position, clipped to it.
    std::string SourceText(int32_t start, int32_t length) const;
    void AppendSourceText(std::string& text, int32_t start, int32_t length) const;
    // Ahead()[p] is the character at p for every p from the gap on, which includes the reading
    // position and everything after it.
    const char* Ahead() const { return source_.data() + gapLength_; }
    void ApplyLineBreakRules(bool closing, uint32_t flags);
    void ApplyBorderRules(uint32_t flags);
    void RequestBorder(int32_t kind);
    void ApplyTitleRules(TagId id);
    void ApplyResourceRules(TagId id);
    void ApplyLinkRules(TagId id);
    void SetPendingResource(std::string label, std::string attribute);
    void SetPendingLink(std::string label, std::string attribute, bool anchor);

    // The first pending item, its flag cleared (a ripped address stays queued until shown).
    PendingItem NextPendingItem();
    bool Shows(PendingItem item) const;
    std::optional<DisplayBlock> MakeBlock(PendingItem item);
    const std::string* ResourceValue() const;
    const std::string* LinkValue() const;
    std::string FormSource() const;
    int32_t FormLength() const;
    std::optional<DisplayBlock> RippedBlock();
    std::optional<DisplayBlock> ResourceBlock();
    std::optional<DisplayBlock> LinkBlock();
    DisplayBlock CommentBlock();
    DisplayBlock ScriptBlock();
    DisplayBlock StyleBlock();
    DisplayBlock FormBlock();
    DisplayBlock MetaBlock();
    DisplayBlock HiddenBlock();
    std::string CharactersText(int32_t length) const;
    // A carriage return and the source of the last script, style or meta block.
    void AppendCode(std::string& text) const;
    // The result of the page's link check for the address, after it.
    void AppendLinkMark(DisplayBlock& block, std::string_view value) const;
    // Only the paint pass records ViewObjects; other passes may leave objectText empty.
    bool RecordsObjects() const { return mode_ == RenderMode::Paint; }
    const std::string& Ui(int index) const;

    BrowserState& browser_;
    std::string& source_; // browser_.DecodedSource
    // Cuts of the prepare pass are collected in a gap instead of moving the rest of the page
    // every time: logical position p lies at byte p before gapStart_, at p + gapLength_ after
    // it. The gap never lies after the reading position.
    size_t gapStart_ = 0;
    size_t gapLength_ = 0;
    const ViewOptions& options_;
    RenderMode mode_;
    qm::ViewMode viewMode_;
    TitleHandler titleHandler_;
    ScanState s_;
    // Pages repeat their tags, so what EndTag reads from a tag's text is kept for the texts
    // seen last, in slots by a hash of the text.
    struct TagReading {
        std::string text;
        bool opensQuote = false; // LastValueOpensQuote
        TagInfo info;            // of its name
    };
    const TagReading& ReadTag(const std::string& text);
    std::vector<TagReading> tagReadings_;

    TagAttributes attrs_;      // filled by every ParseTag of the scanner
    bool attrsParsed_ = false; // attrs_ belong to the tag being classified
    int64_t read_ = 0;         // CharactersRead
    // The reading of form content being recorded, the last one recorded, the one replayed, and
    // those the mark pass keeps (or a paint pass finds) in the view state.
    std::shared_ptr<FormContentRecord> formRecording_;
    std::shared_ptr<FormContentRecord> lastFormRecord_;
    FormContentReplay formReplay_;
    FormContentRecords* formRecords_ = nullptr;

    // The first "<" at or after hiddenSearchFrom_ that may begin a hidden block; -1 when not
    // searched since the last cut.
    int32_t hiddenSearchFrom_ = -1;
    int32_t hiddenTagAt_ = 0;
    std::unique_ptr<HiddenTagFinder> hiddenTags_;

    // The drawable run found last: every character from runFrom_ to runTo_ of the source (or of
    // the display text, when runInDisplay_) is drawable.
    mutable bool runInDisplay_ = false;
    mutable int64_t runFrom_ = 0;
    mutable int64_t runTo_ = 0;
    void ForgetRun() const { runFrom_ = runTo_ = 0; }
};

} // namespace qm
