#include "net/punycode.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/codepage.h"

namespace qm {
namespace {

constexpr uint64_t kBase = 36;
constexpr uint64_t kTMin = 1;
constexpr uint64_t kTMax = 26;
constexpr uint64_t kSkew = 38;
constexpr uint64_t kDamp = 700;
constexpr uint64_t kInitialBias = 72;
constexpr char16_t kInitialN = 128;
constexpr uint64_t kMaxDelta = 0xFFFFFFFF;

char Digit(uint64_t d) {
    return static_cast<char>(d < 26 ? 'a' + d : '0' + (d - 26));
}

uint64_t Adapt(uint64_t delta, uint64_t numPoints, bool firstTime) {
    delta = firstTime ? delta / kDamp : delta / 2;
    delta += delta / numPoints;
    uint64_t k = 0;
    while (delta > ((kBase - kTMin) * kTMax) / 2) {
        delta /= kBase - kTMin;
        k += kBase;
    }
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

void AppendVariableLengthInteger(std::string& out, uint64_t q, uint64_t bias) {
    for (uint64_t k = kBase;; k += kBase) {
        uint64_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
        if (q < t) break;
        out.push_back(Digit(t + (q - t) % (kBase - t)));
        q = (q - t) / (kBase - t);
    }
    out.push_back(Digit(q));
}

// Counts marked positions below a given one (a Fenwick tree). It replaces the encoder's full
// rescan of the label for every distinct code unit, which is quadratic on long labels.
class MarkedPositions {
  public:
    explicit MarkedPositions(size_t size) : tree_(size + 1, 0) {}

    void Mark(size_t pos) {
        for (size_t i = pos + 1; i < tree_.size(); i += i & (~i + 1))
            ++tree_[i];
    }

    uint64_t CountBelow(size_t pos) const {
        uint64_t count = 0;
        for (size_t i = pos; i > 0; i -= i & (~i + 1))
            count += tree_[i];
        return count;
    }

  private:
    std::vector<size_t> tree_;
};

void AppendLabel(std::string& out, std::u16string_view label) {
    bool ascii = std::all_of(label.begin(), label.end(), [](char16_t c) { return c < 128; });
    if (ascii) {
        for (char16_t c : label)
            out.push_back(static_cast<char>(c));
        return;
    }
    if (std::optional<std::string> encoded = EncodePunycode(label)) {
        out += "xn--";
        out += *encoded;
        return;
    }
    for (char16_t c : label) {
        int byte = UnicodeToCp1251(c);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
}

} // namespace

// The RFC 3492 encoder, computed group by group: for each distinct code unit m (ascending)
// the delta of one occurrence is the number of positions holding a smaller code unit between
// it and the previous occurrence, which MarkedPositions answers in logarithmic time.
std::optional<std::string> EncodePunycode(std::u16string_view label) {
    const size_t length = label.size();
    std::string out;
    MarkedPositions smaller(length); // positions whose code unit is below n
    std::vector<std::pair<char16_t, size_t>> pending;
    for (size_t i = 0; i < length; ++i) {
        if (label[i] < kInitialN) {
            out.push_back(static_cast<char>(label[i]));
            smaller.Mark(i);
        } else {
            pending.emplace_back(label[i], i);
        }
    }
    const uint64_t basicCount = out.size();
    if (basicCount > 0) out.push_back('-');
    std::sort(pending.begin(), pending.end());

    uint64_t n = kInitialN;
    uint64_t delta = 0;
    uint64_t bias = kInitialBias;
    uint64_t handled = basicCount;
    for (size_t first = 0; first < pending.size();) {
        const char16_t m = pending[first].first;
        size_t last = first;
        while (last < pending.size() && pending[last].first == m)
            ++last;

        delta += (m - n) * (handled + 1);
        if (delta > kMaxDelta) return std::nullopt;
        n = m;
        size_t scanFrom = 0;
        for (size_t i = first; i < last; ++i) {
            const size_t pos = pending[i].second;
            delta += smaller.CountBelow(pos) - smaller.CountBelow(scanFrom);
            if (delta > kMaxDelta) return std::nullopt;
            AppendVariableLengthInteger(out, delta, bias);
            bias = Adapt(delta, handled + 1, handled == basicCount);
            delta = 0;
            ++handled;
            scanFrom = pos + 1;
        }
        // The rest of this pass's scan, then the step past m.
        delta += smaller.CountBelow(length) - smaller.CountBelow(scanFrom) + 1;
        if (delta > kMaxDelta) return std::nullopt;
        ++n;
        for (size_t i = first; i < last; ++i)
            smaller.Mark(pending[i].second);
        first = last;
    }
    return out;
}

std::string ToPunycodeHost(std::u16string_view host) {
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t dot = host.find(u'.', start);
        AppendLabel(out, host.substr(start, dot == std::u16string_view::npos ? dot : dot - start));
        if (dot == std::u16string_view::npos) break;
        out.push_back('.');
        start = dot + 1;
    }
    return out;
}

std::string ToPunycodeHost(std::string_view host) {
    std::u16string wide;
    wide.reserve(host.size());
    for (char c : host)
        wide.push_back(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(c))));
    return ToPunycodeHost(std::u16string_view(wide));
}

} // namespace qm
