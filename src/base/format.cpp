#include "base/format.h"

namespace qm {
namespace {

std::string GroupDigits(const std::string& digits) {
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        size_t fromRight = digits.size() - i;
        if (i > 0 && fromRight % 3 == 0) out.push_back(' ');
        out.push_back(digits[i]);
    }
    return out;
}

} // namespace

std::string BytesToStr(int32_t n) { return GroupDigits(std::to_string(n)); }

std::string Bytes64ToStr(int64_t n) { return GroupDigits(std::to_string(n)); }

std::string GetAddZero(const std::string& s) { return s.size() < 2 ? "0" + s : s; }

std::string GetTimeFromSec(uint32_t seconds) {
    if (seconds == 0) return "00:00:00";
    return GetAddZero(std::to_string(seconds / 3600)) + ":" +
           GetAddZero(std::to_string(seconds / 60 % 60)) + ":" +
           GetAddZero(std::to_string(seconds % 60));
}

} // namespace qm

namespace qm {

std::string UpperHex(uint64_t value, int minDigits) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
    return digits;
}

} // namespace qm
