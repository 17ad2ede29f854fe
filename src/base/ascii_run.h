#pragma once
// Where a stretch of plain ASCII bytes ends, read eight bytes at a time: the converters copy
// such stretches whole and handle only the bytes after them.

#include <bit>
#include <cstdint>
#include <cstring>

namespace qm {

namespace ascii_run_detail {
inline constexpr uint64_t kOnes = 0x0101010101010101, kHigh = 0x8080808080808080;
// The high bit of every byte of the word below n (n at most 128).
inline uint64_t Below(uint64_t word, uint64_t n) {
    return (word - kOnes * n) & ~word & kHigh;
}
} // namespace ascii_run_detail

static_assert(std::endian::native == std::endian::little, "words are read low byte first");

// The index of the lowest byte whose high bit the mask sets.
inline size_t FirstFlaggedByte(uint64_t mask) {
    return static_cast<size_t>(std::countr_zero(mask)) / 8;
}

// The first byte of text[i, end) at 0x80 or above, or end.
inline size_t AsciiEnd(const char* text, size_t i, size_t end) {
    for (uint64_t word; i + 8 <= end; i += 8) {
        std::memcpy(&word, text + i, 8);
        if (const uint64_t high = word & ascii_run_detail::kHigh) return i + FirstFlaggedByte(high);
    }
    while (i < end && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

// The first byte of text[i, end) that is not a printable ASCII character (' ' to '~'), or end.
inline size_t PrintableAsciiEnd(const char* text, size_t i, size_t end) {
    using namespace ascii_run_detail;
    for (uint64_t word; i + 8 <= end; i += 8) {
        std::memcpy(&word, text + i, 8);
        // Bytes from 0x7F up are those that reach 0x80 or above when one is added; a carry
        // only comes from a byte already flagged below it.
        if (const uint64_t hit = (word & kHigh) | Below(word, ' ') | ((word + kOnes) & kHigh))
            return i + FirstFlaggedByte(hit);
    }
    while (i < end && text[i] >= ' ' && text[i] < 0x7F)
        ++i;
    return i;
}

} // namespace qm
