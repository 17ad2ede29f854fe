// The crash report's reader of the map file beside the executable, on any file and offset.

#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>
#include <string>

#include "state/map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint32_t offset = input.ConsumeIntegral<uint32_t>();
    std::istringstream map(input.ConsumeRemainingBytesAsString());
    qm::MapReportLines(map, offset, qm::MapTexts{"load error", "lines not found "});
    return 0;
}
