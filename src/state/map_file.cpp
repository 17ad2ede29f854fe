#include "state/map_file.h"

#include <charconv>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "base/format.h"
#include "base/trim.h"

namespace qm {
namespace {

constexpr std::string_view kSegmentsHeader = "Detailed map of segments";
constexpr std::string_view kByNameHeader = "  Address         Publics by Name";
constexpr std::string_view kByValueHeader = "  Address         Publics by Value";
// Nearer candidates than this only count.
constexpr uint32_t kMaxDistance = 0xFFFFFF;

std::string Trimmed(std::string_view line) {
    return std::string(TrimBlanks(line));
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

struct BadMap : std::runtime_error {
    BadMap() : std::runtime_error("bad map") {}
};

// A line without its end, CR included, so a map written on another system reads the same.
bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool SkipTo(std::istream& in, std::string_view header) {
    std::string line;
    while (ReadLine(in, line))
        if (line == header) return true;
    return false;
}

// Columns are counted from 1, as the map's layout gives them.
std::string_view Column(std::string_view line, size_t first, size_t last) {
    if (line.size() < last) throw BadMap();
    return line.substr(first - 1, last - first + 1);
}

uint32_t Hex(std::string_view digits) {
    uint32_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw BadMap();
    return value;
}

// The nearest candidate at or below the offset; the first of equals wins.
struct Nearest {
    explicit Nearest(uint32_t at) : offset(at) {}

    uint32_t offset;
    uint32_t distance = std::numeric_limits<uint32_t>::max();
    std::string best;

    void Offer(uint32_t at, std::string_view text) {
        if (at > offset) return;
        uint32_t d = offset - at;
        if (d < kMaxDistance && d < distance) {
            distance = d;
            best = text;
        }
    }
};

struct Segment {
    std::string number; // four digits
    std::string module;
};

Segment FindSegment(std::istream& in, uint32_t offset, std::vector<std::string>& report) {
    std::string line;
    ReadLine(in, line);
    while (ReadLine(in, line) && !line.empty()) {
        uint32_t start = Hex(Column(line, 7, 14));
        uint32_t length = Hex(Column(line, 16, 23));
        if (offset < start || offset - start >= length) continue;
        report.push_back(Trimmed(line));
        Segment segment{std::string(Column(line, 2, 5)), {}};
        size_t m = line.find("M=");
        if (m != std::string::npos) {
            size_t end = line.find(' ', m + 2);
            segment.module = line.substr(m + 2, end == std::string::npos ? end : end - m - 2);
        }
        return segment;
    }
    return {};
}

// The publics table after header, or nothing when the header is missing.
bool NearestPublic(std::istream& in, std::string_view header, const Segment& segment,
                   uint32_t offset, std::string& found) {
    if (!SkipTo(in, header)) return false;
    std::string line;
    ReadLine(in, line);
    Nearest nearest(offset);
    while (ReadLine(in, line) && !line.empty()) {
        if (segment.number.empty() || Column(line, 2, 5) != segment.number) continue;
        nearest.Offer(Hex(Column(line, 7, 14)), Trimmed(line));
    }
    found = nearest.best.empty() ? "--" : nearest.best;
    return true;
}

// Pairs of a decimal line number and "SSSS:OOOOOOOO", separated by blanks.
std::string NearestLine(std::istream& in, const Segment& segment, uint32_t offset) {
    Nearest nearest(offset);
    std::string line;
    while (ReadLine(in, line) && !line.empty()) {
        std::vector<std::string> words = Words(line);
        if (words.size() % 2 != 0) throw BadMap();
        for (size_t i = 0; i < words.size(); i += 2) {
            const std::string& number = words[i];
            const std::string& place = words[i + 1];
            if (number.find_first_not_of("0123456789") != std::string::npos || place.size() != 13 ||
                place[4] != ':')
                throw BadMap();
            if (place.compare(0, 4, segment.number) == 0)
                nearest.Offer(Hex(std::string_view(place).substr(5)), number);
        }
    }
    return nearest.best;
}

void Look(std::istream& in, uint32_t offset, const MapTexts& texts,
          std::vector<std::string>& report) {
    if (!SkipTo(in, kSegmentsHeader)) {
        report.push_back(texts.loadError);
        return;
    }
    Segment segment = FindSegment(in, offset, report);
    std::string byName, byValue;
    if (!NearestPublic(in, kByNameHeader, segment, offset, byName) ||
        !NearestPublic(in, kByValueHeader, segment, offset, byValue)) {
        report.push_back(texts.loadError);
        return;
    }
    const std::string unit = segment.module + "(" + segment.module + ".cpp) segment .text";
    if (!SkipTo(in, "Line numbers for " + unit)) {
        report.push_back(texts.linesNotFound + unit);
        return;
    }
    std::string line;
    ReadLine(in, line);
    std::string number = NearestLine(in, segment, offset);
    report.push_back("Address: " + UpperHex(offset, 8) + "/Module: " + segment.module +
                     "/Line: " + number);
    report.push_back("PBN: " + byName);
    report.push_back("PBV: " + byValue);
}

} // namespace

std::vector<std::string> MapReportLines(std::istream& map, uint32_t offset, const MapTexts& texts) {
    std::vector<std::string> report;
    try {
        if (!map) throw BadMap();
        Look(map, offset, texts, report);
    } catch (const std::exception&) {
        report.push_back(texts.loadError);
    }
    return report;
}

} // namespace qm
