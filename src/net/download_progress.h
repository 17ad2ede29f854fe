#pragma once
// The caption a download shows while it reads a body.

#include <cstdint>
#include <string>

namespace qm {

// "Downloading 45 % (1 024 bytes) 00:00:03 512 Kbytes/sec" when the length is known (not -1)
// and something has been read, else "Downloading 1 024 bytes 512 bytes/sec".
std::string DownloadProgressText(uint64_t bytesRead, uint64_t elapsedMs, int64_t contentLength,
                                 int languageIndex);

} // namespace qm
