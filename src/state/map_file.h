#pragma once
// Reads the linker map file beside the executable: which module, source line and nearest
// public symbols a code offset belongs to.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace qm {

// The failure lines, in the UI language.
struct MapTexts {
    std::string loadError;     // the file is missing, cut short or holds a bad number
    std::string linesNotFound; // followed by the line-number header's module text
};

// The report lines the map gives for an offset into the code section: the segment line, then
// "Address: .../Module: .../Line: ...", "PBN: ..." and "PBV: ...", or the lines read so far
// followed by a failure line.
std::vector<std::string> MapReportLines(std::istream& map, uint32_t offset, const MapTexts& texts);

} // namespace qm
