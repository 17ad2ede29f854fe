#pragma once
// A form's content is read twice: first as the raw block that ends at the form's /FORM, then
// again as page content after the form block. A form that opens inside that content (a form
// left open, or a nested one) reads the rest of the same raw block up to the same end tag, so n
// such forms would read it n times. A record keeps what one reading did that the layout can
// see (the tags and line breaks that requested a new line, a border or a title position) and
// where each of its tags ended, so that a form opening at one of those places replays only
// that. The mark pass keeps its records for the paint passes of the same layout.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

enum class TagId : uint8_t;

// What one tag or line break of a raw reading requested.
struct RawEffect {
    int32_t position = 0; // just after the tag or the line break
    bool newLine = false;
    bool borderRequest = false;
    int32_t borderKind = 0;
    TagId title{}; // TITLE or /TITLE, whose positions the title rules take
};

class FormContentRecord {
  public:
    // A reading that starts at from (just after a FORM start tag).
    FormContentRecord(int32_t from, bool preformatted)
        : from_(from), preformatted_(preformatted), cutFrom_(from) {}
    void TagEnded(int32_t position) { tagEnds_.push_back(position); }
    void Add(const RawEffect& effect);
    // The reading met its end tag: "<" at tagStart (1-based), ">" just before end.
    void Finish(int32_t tagStart, int32_t end, const std::string& tag);

    int32_t From() const { return from_; }
    // A reading from a place where this one stood between two tags reads the same tags.
    bool Covers(int32_t from, bool preformatted) const;
    // The prepare pass cut [start, start + length) out of the page while reading the content
    // again. The places after the cut move back; false when the record no longer holds (a cut
    // before an earlier one, or into the end tag).
    bool SourceCut(int32_t start, int32_t length);

  private:
    friend class FormContentReplay;
    enum : uint8_t { kDotted = 1, kSolid = 2 };

    int32_t from_;
    bool preformatted_;
    // Positions are kept as read; those from cutFrom_ on lie shift_ further back in the page
    // now. Places before cutFrom_ are never asked for again once a cut is made.
    int32_t cutFrom_;
    int32_t shift_ = 0;
    bool complete_ = false;
    int32_t end_ = 0;
    int32_t endTagStart_ = 0;
    std::string endTag_;
    std::vector<int32_t> tagEnds_;
    std::vector<RawEffect> effects_;
    // From each effect on: the borders of later line breaks, and the next title effect.
    std::vector<uint8_t> laterBorders_;
    std::vector<uint32_t> nextTitle_;
};

using FormContentRecords = std::vector<std::shared_ptr<const FormContentRecord>>;

class FormContentReplay {
  public:
    // Replays the reading of record from `from`, which the record covers. Once two line breaks
    // have been replayed the line cannot advance any further (nothing is drawn in between), so
    // with compress the later ones only give the borders they draw on that line.
    void Start(std::shared_ptr<const FormContentRecord> record, int32_t from, bool compress);
    bool Active() const { return record_ != nullptr; }
    void Stop() { record_.reset(); }

    struct Step {
        enum class Kind { Wait, Effect, Border, EndTag } kind = Kind::Wait;
        int32_t position = 0; // where the reading stands after the step
        RawEffect effect;     // Effect
        int32_t borderKind = 0;
        std::string endTag;      // EndTag
        int32_t endTagStart = 0; // EndTag
    };
    // The next step, not beyond stop. EndTag leaves the reading at the end tag's ">", to be read
    // with endTag as the open tag; the replay is then over.
    Step Next(int32_t stop);

  private:
    std::shared_ptr<const FormContentRecord> record_;
    bool compress_ = false;
    size_t next_ = 0;
    int lineBreaks_ = 0;
    bool settled_ = false;    // only title effects are left to replay
    uint8_t borderSteps_ = 0; // summarised borders not yet given
};

} // namespace qm
