// The tag scanner's reading: characters and references of the page text, drawable runs,
// tags collected and classified.

#include "view/tag_scanner.h"

#include "base/ansi_case.h"
#include "base/format.h"
#include "state/browser_state.h"
#include "state/ui_strings.h"
#include "tools/source_decode.h"
#include "view/hidden_tag_finder.h"
#include "view/scan_helpers.h"

namespace qm {

using namespace scan;

int32_t postag(std::string_view s) {
    bool quoted = false;
    for (size_t i = SplitStops::Find(s.data(), 0, s.size()); i < s.size();
         i = SplitStops::Find(s.data(), i + 1, s.size())) {
        if (s[i] != ' ')
            quoted = !quoted;
        else if (!quoted)
            return static_cast<int32_t>(i + 1);
    }
    return 0;
}

void ParseTag(std::string_view tag, TagAttributes& attrs) {
    size_t count = 0;
    std::string_view rest = Trim(tag);
    if (!rest.empty()) {
        if (rest.back() == '/') rest.remove_suffix(1);
        bool nameRead = false;
        for (int32_t p = postag(rest); p != 0; p = postag(rest)) {
            if (nameRead) SetAttribute(count++, rest.substr(0, p - 1), attrs);
            nameRead = true;
            rest.remove_prefix(p);
        }
        if (nameRead) SetAttribute(count++, rest, attrs);
    }
    attrs.AttrNames.resize(count);
    attrs.AttrValues.resize(count);
}

std::string GetLastTagArg(std::string_view tag, TagAttributes& attrs) {
    ParseTag(tag, attrs);
    return attrs.AttrValues.empty() ? std::string() : attrs.AttrValues.back();
}

TagScanner::TagScanner(BrowserState& browser, const ViewOptions& options, RenderMode mode,
                       qm::ViewMode viewMode)
    : browser_(browser), source_(browser.DecodedSource), options_(options), mode_(mode),
      viewMode_(viewMode) {}

TagScanner::~TagScanner() {
    CloseGap();
}

const std::string& TagScanner::Ui(int index) const {
    return UiString(index, browser_.LanguageIndex);
}

void TagScanner::RestartAt(int32_t position, bool preformatted) {
    s_ = ScanState{};
    ResumeAt(position);
    s_.preformatted = preformatted;
}

void TagScanner::RestartInBlock(const BlockRestart& restart, size_t offset) {
    s_ = restart.state;
    s_.displayPos = offset;
    ResumeAt(s_.position);
    ForgetRun();
}

ScanState TagScanner::BlockState() {
    // What only an open tag or the taking of a pending block reads is left out: it may be as
    // long as the block itself. It is set aside for the copy instead of being copied.
    std::string tag, comment;
    TagAttributes attributes;
    if (!s_.inTag) std::swap(tag, s_.tagBuffer);
    if (!s_.pendingResource && !s_.pendingLink) std::swap(attributes, s_.blockAttributes);
    if (!s_.pendingComment) std::swap(comment, s_.commentText);
    ScanState state = s_;
    if (!s_.inTag) std::swap(tag, s_.tagBuffer);
    if (!s_.pendingResource && !s_.pendingLink) std::swap(attributes, s_.blockAttributes);
    if (!s_.pendingComment) std::swap(comment, s_.commentText);
    return state;
}

bool TagScanner::BlocksLeft() const {
    return s_.blockDisplay || s_.pendingResource || s_.pendingLink || s_.pendingComment ||
           s_.pendingScript || s_.pendingStyle || s_.pendingForm || s_.pendingMeta ||
           !s_.rippedUrls.empty() || s_.HiddenLeft();
}

bool TagScanner::IsClean() const {
    return s_.plainText && !BlocksLeft() && !s_.inTag && !s_.inComment && !s_.inReference &&
           !s_.referenceFailed && !s_.rawBlock && !s_.newLine && !s_.forcedBreak &&
           !s_.borderRequest;
}

// ---- Reading ------------------------------------------------------------------------------

bool TagScanner::ReadCharacter(std::string& text) {
    text.clear();
    return s_.blockDisplay ? ReadDisplayCharacter(text) : ReadSourceCharacter(text);
}

bool TagScanner::ReadDisplayCharacter(std::string& text) {
    if (s_.displayPos >= s_.displayText->size()) return false;
    char c = (*s_.displayText)[s_.displayPos++];
    ++read_;
    if (static_cast<unsigned char>(c) < ' ') {
        if (c == '\r' || c == '\n') s_.newLine = true;
        return false;
    }
    text.assign(1, c);
    return true;
}

bool TagScanner::ReadSourceCharacter(std::string& text) {
    if (s_.position < 0 || s_.position >= SourceLength()) return false;
    const char* src = Ahead();
    char c = src[s_.position++];
    ++read_;
    // In the hex view a control byte can only be a character cell the bitmap font draws: its
    // line breaks are tags, so the byte is drawn as it stands to keep the column's width.
    const bool hexCell = viewMode_ == qm::ViewMode::Hex && !s_.inTag && !s_.inComment;
    if (static_cast<unsigned char>(c) < ' ' && !hexCell) {
        const bool lineBreak = c == '\r' || c == '\n';
        if (s_.rawBlock) {
            // Raw blocks keep line breaks as they are; nothing in them is drawn.
            if (!lineBreak) return false;
            if (s_.preformatted) {
                s_.newLine = true;
                if (formRecording_) formRecording_->Add({.position = s_.position, .newLine = true});
                return false;
            }
        } else if (s_.preformatted && !s_.inTag) {
            if (lineBreak) s_.newLine = true;
            return false;
        } else {
            // Between words and inside tags a line break or tab separates like a space; a
            // CR LF pair is one separator.
            if (!lineBreak && c != '\t') return false;
            if (c == '\r' && s_.position < SourceLength() && src[s_.position] == '\n')
                ++s_.position;
            c = ' ';
        }
    }
    if (c == '<' && !s_.inComment && !s_.inReference) {
        StartTag();
        return false;
    }
    if (s_.inTag) {
        if (c == '>')
            EndTag();
        else
            AppendToTag(c);
        return false;
    }
    if (s_.rawBlock) return false;
    if (s_.plainText && !options_.ShowText && viewMode_ == qm::ViewMode::Html) return false;
    return ScanText(c, text);
}

bool TagScanner::ScanText(char c, std::string& text) {
    if (s_.inReference) {
        if (c == ';') {
            s_.inReference = false;
            text = AmpToStr(s_.referenceBuffer);
            s_.referenceBuffer.clear();
            s_.referenceCount = 0;
            return true;
        }
        if (s_.referenceCount <= kMaxReferenceCount && TextLeft()) {
            s_.referenceBuffer += c;
            ++s_.referenceCount;
            return false;
        }
        // Too long or cut off by the end: the "&" is read again and drawn as it stands.
        s_.inReference = false;
        s_.referenceFailed = true;
        s_.referenceBuffer.clear();
        s_.referenceCount = 0;
        ResumeAt(s_.referenceStart - 1);
        return false;
    }
    if (c == '&') {
        if (s_.referenceFailed || !TextLeft()) {
            s_.referenceFailed = false;
            text.assign(1, '&');
            return true;
        }
        s_.inReference = true;
        s_.referenceBuffer.clear();
        s_.referenceCount = 0;
        s_.referenceStart = s_.position;
        return false;
    }
    text.assign(1, c);
    return true;
}

// A reference must fail while its characters can still be read again, so only characters that
// reach this point count: dropped control characters and the line breaks of a preformatted
// section do not.
bool TagScanner::TextLeft() const {
    const char* src = Ahead();
    for (int32_t p = s_.position; p < SourceLength(); ++p) {
        const unsigned char c = static_cast<unsigned char>(src[p]);
        if (c >= ' ' || (!s_.preformatted && (c == '\r' || c == '\n' || c == '\t'))) return true;
    }
    return false;
}

// ---- Runs ---------------------------------------------------------------------------------

std::string_view TagScanner::DrawableRun(int32_t limit) const {
    auto known = [&](bool display, int64_t from) {
        return runInDisplay_ == display && from >= runFrom_ && from < runTo_;
    };
    if (s_.blockDisplay) {
        const std::string& text = *s_.displayText;
        const size_t from = s_.displayPos;
        if (!known(true, static_cast<int64_t>(from))) {
            runInDisplay_ = true;
            runFrom_ = static_cast<int64_t>(from);
            runTo_ = static_cast<int64_t>(DrawableEnd(
                text.data(), from, std::min(text.size(), from + kRunStretch), RunText::Display));
        }
        return std::string_view(text).substr(from, static_cast<size_t>(runTo_) - from);
    }
    if (s_.inTag || s_.rawBlock || s_.inReference) return {};
    if (s_.plainText && !options_.ShowText && viewMode_ == qm::ViewMode::Html) return {};
    const int64_t stop = std::clamp(limit, 0, SourceLength());
    const int64_t begin = std::max(0, s_.position);
    // Most turns start at a "<": no run.
    if (begin >= stop || DrawStops::Is(Ahead()[begin])) return {};
    if (!known(false, begin)) {
        const size_t end =
            std::min(static_cast<size_t>(SourceLength()), static_cast<size_t>(begin) + kRunStretch);
        runInDisplay_ = false;
        runFrom_ = begin;
        runTo_ = static_cast<int64_t>(
            DrawableEnd(Ahead(), static_cast<size_t>(begin), end, RunText::Page));
    }
    return std::string_view(Ahead() + begin, static_cast<size_t>(std::min(runTo_, stop) - begin));
}

void TagScanner::ConsumeDrawable(size_t count) {
    if (s_.blockDisplay)
        s_.displayPos += count;
    else
        s_.position += static_cast<int32_t>(count);
    read_ += static_cast<int64_t>(count);
}

bool TagScanner::ScanUndrawn(int32_t limit) {
    if (s_.blockDisplay || s_.inReference || s_.position < 0) return false;
    const int32_t stop = std::min(limit, SourceLength());
    if (formReplay_.Active() && ReplayFormContent(stop)) return true;
    const int32_t start = s_.position;
    const bool hiddenText = s_.plainText && !options_.ShowText && viewMode_ == qm::ViewMode::Html;
    while (s_.position < stop) {
        if (s_.inTag) {
            if (!CollectTag(stop)) break;
            if (s_.position >= stop || Ahead()[s_.position] != '>') break;
            ++s_.position;
            read_ += s_.position - start;
            EndTag();
            return true;
        }
        int32_t pos = s_.position;
        if (s_.rawBlock) {
            // Nothing of a raw block is shown; only a tag, or a line break of a preformatted
            // section, matters.
            const char* begin = Ahead() + pos;
            const char* end = Ahead() + stop;
            const char* next =
                s_.preformatted
                    ? std::find_if(begin, end,
                                   [](char c) { return c == '<' || c == '\r' || c == '\n'; })
                    : static_cast<const char*>(std::memchr(begin, '<', end - begin));
            pos = static_cast<int32_t>((next ? next : end) - Ahead());
        } else if (hiddenText) {
            while (pos < stop && Ahead()[pos] != '<' &&
                   static_cast<unsigned char>(Ahead()[pos]) >= ' ')
                ++pos;
        }
        s_.position = pos;
        if (pos >= stop || Ahead()[pos] != '<') break;
        ++s_.position;
        StartTag();
    }
    read_ += s_.position - start;
    return s_.position != start;
}

// Appends the characters of the open tag up to its ">", a "<" that restarts it, the limit or
// a character only ReadCharacter handles. False when nothing could be read.
bool TagScanner::CollectTag(int32_t stop) {
    const char* text = Ahead();
    int32_t pos = s_.position;
    // The comment opener is recognised only when the buffer holds exactly "!--", so the first
    // three characters are checked as they complete it, and a control character among them is
    // left to ReadCharacter.
    // A buffer that does not start with "!" never becomes the opener.
    const std::string& buffer = s_.tagBuffer;
    const bool mayOpen =
        buffer.empty()
            ? pos < stop && (text[pos] == '!' || static_cast<unsigned char>(text[pos]) < ' ')
            : buffer[0] == '!';
    auto opening = [&] { return mayOpen && !s_.inComment && !s_.rawBlock && buffer.size() < 3; };
    if (opening()) {
        const size_t need = 3 - s_.tagBuffer.size();
        size_t take = 0;
        while (take < need && pos + static_cast<int32_t>(take) < stop &&
               !TagStops::Is(text[pos + take]))
            ++take;
        s_.tagBuffer.append(text + pos, take);
        pos += static_cast<int32_t>(take);
        if (s_.tagBuffer.size() == 3 && IsCommentOpener(s_.tagBuffer)) s_.inComment = true;
    }
    if (opening() && pos < stop && static_cast<unsigned char>(text[pos]) < ' ') {
        const bool moved = pos != s_.position;
        s_.position = pos;
        return moved;
    }
    auto find = s_.inComment ? &CommentStops::Find : &TagStops::Find;
    int32_t from = pos;
    while (pos < stop) {
        pos = static_cast<int32_t>(find(text, static_cast<size_t>(pos), static_cast<size_t>(stop)));
        if (pos >= stop) break;
        const char c = text[pos];
        if (static_cast<unsigned char>(c) >= ' ' || s_.rawBlock) break;
        // Outside raw blocks a tab or line break in a tag is a space (a CR LF pair is one);
        // other control characters are dropped.
        s_.tagBuffer.append(text + from, static_cast<size_t>(pos - from));
        if (c == '\t' || c == '\n' || c == '\r') s_.tagBuffer += ' ';
        if (c == '\r' && pos + 1 < SourceLength() && text[pos + 1] == '\n') ++pos;
        from = ++pos;
    }
    s_.tagBuffer.append(text + from, static_cast<size_t>(pos - from));
    const bool moved = pos != s_.position;
    s_.position = pos;
    return moved || (pos < stop && text[pos] == '>');
}

// ---- Tags ---------------------------------------------------------------------------------

void TagScanner::StartTag() {
    s_.inTag = true;
    s_.tagStart = s_.position;
    s_.tagBuffer.clear();
}

void TagScanner::AppendToTag(char c) {
    s_.tagBuffer += c;
    if (!s_.rawBlock && !s_.inComment && s_.tagBuffer.size() == 3 && IsCommentOpener(s_.tagBuffer))
        s_.inComment = true;
}

void TagScanner::EndTag() {
    std::string& buffer = s_.tagBuffer;
    if (s_.inComment) {
        if (buffer.size() > 2 && buffer.ends_with("--")) {
            s_.inTag = false;
            s_.inComment = false;
            s_.commentText = Clip(buffer, 3, static_cast<int64_t>(buffer.size()) - 5);
            if (buffer.capacity() > kKeptTagCapacity) std::string().swap(buffer);
            if (options_.Comments) {
                s_.forcedBreak = true;
                s_.pendingComment = true;
            }
        } else {
            buffer += '>';
        }
        return;
    }
    const TagReading& reading = ReadTag(buffer);
    // A ">" inside a quoted value that is still open belongs to the value.
    if (reading.opensQuote) {
        buffer += '>';
        return;
    }
    const TagInfo tag = reading.info;
    s_.inTag = false;
    attrsParsed_ = false;
    const std::string_view name = TagName(buffer);
    if (!s_.rawBlock && options_.AllUrls && s_.position != s_.rippedPosition &&
        RipUrls(AsciiUpper(name)))
        return;
    const bool formContent = s_.rawBlock && formRecording_;
    const bool inRawBlock = s_.rawBlock;
    const std::string upperName = options_.HiddenAddresses ? AsciiUpper(name) : std::string();
    const int32_t tagStart = s_.tagStart, end = s_.position;
    Classify(tag, !name.empty() && name[0] == '/');
    // A meta tag is a raw block of its own, read when it closes.
    if (options_.HiddenAddresses && !inRawBlock && tag.id != TagId::Meta) {
        attrsParsed_ = false;
        std::vector<HiddenAddress> found;
        HiddenAddressesOfTag(upperName, TagAttrs(), {options_.Media, options_.Linked},
                             found);
        QueueHidden(std::move(found));
    }
    if (formContent) KeepFormEffects(tag.id, tagStart, end);
    // The buffer of a long tag (a data: address) is not kept for the short tags after it.
    if (buffer.capacity() > kKeptTagCapacity) std::string().swap(buffer);
}

const TagScanner::TagReading& TagScanner::ReadTag(const std::string& text) {
    constexpr size_t kSlots = 64, kLongest = 256; // longer tags are rare and read each time
    if (tagReadings_.empty()) tagReadings_.resize(kSlots + 1);
    if (text.size() > kLongest) {
        TagReading& once = tagReadings_[kSlots];
        once.opensQuote = LastValueOpensQuote(text);
        once.info = Tags().Find(TagName(text));
        return once;
    }
    uint64_t head = 0, tail = 0;
    std::memcpy(&head, text.data(), std::min<size_t>(8, text.size()));
    if (text.size() > 8) std::memcpy(&tail, text.data() + text.size() - 8, 8);
    const uint64_t hash = (head * 0x9E3779B97F4A7C15 ^ tail ^ text.size()) * 0xC2B2AE3D27D4EB4F;
    TagReading& reading = tagReadings_[hash >> 58];
    if (reading.text != text || reading.text.empty()) {
        reading.text = text;
        reading.opensQuote = LastValueOpensQuote(text);
        reading.info = Tags().Find(TagName(text));
    }
    return reading;
}

const TagAttributes& TagScanner::TagAttrs() {
    if (!attrsParsed_) {
        ParseTag(s_.tagBuffer, attrs_);
        attrsParsed_ = true;
    }
    return attrs_;
}

void TagScanner::TakeTagAttrs() {
    TagAttrs();
    std::swap(s_.blockAttributes, attrs_);
    attrsParsed_ = false;
}

bool TagScanner::RipUrls(const std::string& name) {
    s_.rippedUrls.clear();
    const TagAttributes& attrs = TagAttrs();
    for (size_t i = attrs.AttrValues.size(); i-- > 0;) {
        const std::string& value = attrs.AttrValues[i];
        if (value.find('/') == std::string::npos) continue;
        s_.rippedUrls.push_back({DeAmper(value), Ui(125) + name + "@" + attrs.AttrNames[i] + ": "});
    }
    if (s_.rippedUrls.empty()) return false;
    s_.rippedTag = s_.tagBuffer;
    s_.rippedPosition = s_.position;
    s_.rippedTagStart = s_.tagStart;
    s_.forcedBreak = true;
    return true;
}

bool TagScanner::QueueHidden(std::vector<HiddenAddress> found) {
    if (found.empty()) return false;
    if (s_.HiddenLeft())
        found.insert(found.begin(), s_.hiddenUrls->begin() + static_cast<ptrdiff_t>(s_.hiddenNext),
                     s_.hiddenUrls->end());
    s_.hiddenUrls = std::make_shared<const std::vector<HiddenAddress>>(std::move(found));
    s_.hiddenNext = 0;
    s_.forcedBreak = true;
    return true;
}

void TagScanner::Classify(TagInfo tag, bool closing) {
    if (!s_.rawBlock) {
        if (tag.id == TagId::Script) {
            s_.scriptKinds.clear();
            s_.scriptSource.clear();
            s_.scriptHasSource = false;
            const TagAttributes& attrs = TagAttrs();
            int kinds = 0; // empty values count too: "type language=js" gives ",js"
            for (size_t i = 0; i < attrs.AttrNames.size(); ++i) {
                const std::string& attr = attrs.AttrNames[i];
                const std::string& value = attrs.AttrValues[i];
                if (attr == "LANGUAGE" || attr == "TYPE")
                    s_.scriptKinds += (kinds++ > 0 ? "," : "") + value;
                if (attr == "SRC" && !value.empty() && !s_.scriptHasSource) {
                    s_.scriptSource = value;
                    s_.scriptHasSource = true;
                }
            }
            OpenRawBlock(TagId::CloseScript);
        } else if (tag.id == TagId::Style) {
            OpenRawBlock(TagId::CloseStyle);
        } else if (tag.id == TagId::Form) {
            OpenRawBlock(TagId::CloseForm);
            s_.formResume = s_.position;
            ReadFormContent();
        } else if (tag.id == TagId::Meta) {
            OpenRawBlock(TagId::Meta);
        }
    }
    if (s_.rawBlock && tag.id == s_.rawEndTag) CloseRawBlock(tag.id);
    ApplyLineBreakRules(closing, tag.flags);
    // Most tags are neither singled out nor flagged, and no other rule applies to them.
    if (tag.flags != 0) ApplyBorderRules(tag.flags);
    if (tag.id == TagId::Other) return;
    ApplyTitleRules(tag.id);
    if (s_.rawBlock) return;
    if (tag.id == TagId::Pre) s_.preformatted = true;
    if (tag.id == TagId::ClosePre) s_.preformatted = false;
    if (tag.id == TagId::Base) {
        if (const std::string* href = FirstValue(TagAttrs(), "HREF"))
            browser_.BaseURL = DeQuote(Amp(*href));
    }
    ApplyResourceRules(tag.id);
    ApplyLinkRules(tag.id);
}

} // namespace qm
