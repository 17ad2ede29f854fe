#include "view/form_content_memo.h"

#include <algorithm>

#include "view/tag_scanner.h"

namespace qm {

void FormContentRecord::Add(const RawEffect& effect) {
    if (effect.newLine || effect.borderRequest || effect.title != TagId::Other)
        effects_.push_back(effect);
}

void FormContentRecord::Finish(int32_t tagStart, int32_t end, const std::string& tag) {
    complete_ = true;
    end_ = end;
    endTagStart_ = tagStart;
    endTag_ = tag;
    tagEnds_.shrink_to_fit();
    effects_.shrink_to_fit();
    const size_t count = effects_.size();
    laterBorders_.assign(count + 1, 0);
    nextTitle_.assign(count + 1, static_cast<uint32_t>(count));
    for (size_t i = count; i-- > 0;) {
        const RawEffect& effect = effects_[i];
        uint8_t border = 0;
        if (effect.newLine && effect.borderRequest)
            border = effect.borderKind % 2 == 0 ? kSolid : kDotted;
        laterBorders_[i] = laterBorders_[i + 1] | border;
        nextTitle_[i] = effect.title != TagId::Other ? static_cast<uint32_t>(i) : nextTitle_[i + 1];
    }
}

bool FormContentRecord::Covers(int32_t from, bool preformatted) const {
    if (!complete_ || preformatted != preformatted_ || from < cutFrom_) return false;
    const int32_t kept = from + shift_;
    return kept < end_ && ((from == from_ && shift_ == 0) ||
                           std::binary_search(tagEnds_.begin(), tagEnds_.end(), kept));
}

bool FormContentRecord::SourceCut(int32_t start, int32_t length) {
    if (start >= end_ - shift_) return true;
    if (start < cutFrom_ || start + length > endTagStart_ - 1 - shift_) return false;
    shift_ += length;
    cutFrom_ = start;
    return true;
}

void FormContentReplay::Start(std::shared_ptr<const FormContentRecord> record, int32_t from,
                              bool compress) {
    const auto& effects = record->effects_;
    auto after = std::upper_bound(effects.begin(), effects.end(), from + record->shift_,
                                  [](int32_t p, const RawEffect& e) { return p < e.position; });
    next_ = static_cast<size_t>(after - effects.begin());
    record_ = std::move(record);
    compress_ = compress;
    lineBreaks_ = 0;
    settled_ = false;
    borderSteps_ = 0;
}

FormContentReplay::Step FormContentReplay::Next(int32_t stop) {
    const FormContentRecord& record = *record_;
    Step step;
    if (borderSteps_ != 0) {
        // A dotted border never hides a solid one, so the dotted one goes first.
        const uint8_t border = borderSteps_ & FormContentRecord::kDotted
                                   ? FormContentRecord::kDotted
                                   : FormContentRecord::kSolid;
        borderSteps_ &= static_cast<uint8_t>(~border);
        step.kind = Step::Kind::Border;
        step.borderKind = border == FormContentRecord::kDotted ? 1 : 0;
        return step;
    }
    if (!settled_ && compress_ && lineBreaks_ >= 2) {
        settled_ = true;
        borderSteps_ = record.laterBorders_[next_];
        if (borderSteps_ != 0) return Next(stop);
    }
    const size_t index = settled_ ? record.nextTitle_[next_] : next_;
    const size_t count = record.effects_.size();
    const int32_t target =
        (index < count ? record.effects_[index].position : record.end_ - 1) - record.shift_;
    step.position = std::min(target, stop);
    if (target > stop) return step;
    if (index == count) {
        step.kind = Step::Kind::EndTag;
        step.endTag = record.endTag_;
        step.endTagStart = record.endTagStart_ - record.shift_;
        record_.reset();
        return step;
    }
    next_ = index + 1;
    step.kind = Step::Kind::Effect;
    step.effect = record.effects_[index];
    step.effect.position = target;
    if (settled_) {
        // The line breaks were given in the summary.
        step.effect.newLine = false;
        step.effect.borderRequest = false;
    } else if (step.effect.newLine) {
        ++lineBreaks_;
    }
    return step;
}

} // namespace qm
