#pragma once
// The download switches of the settings panel.

#include <cstdint>
#include <string>

namespace qm {

struct DownloadOptions {
    int32_t blockLimit = 0;    // ComboBox3: at most this many 1024-byte blocks; 0 reads all
    bool recordHistory = true; // CheckBox25
    bool sendReferer = true;   // CheckBox29
    bool cookies = true;       // CheckBox30
    std::string userAgent;     // Edit4; empty sends none
    // Limits of the command-line modes; the window has F5 and the block limit instead.
    int32_t idleTimeoutSeconds = 0; // nothing received for this long fails; 0 waits for ever
    uint64_t maxBodyBytes = 0;      // the body is cut here with a report line; 0 reads all
};

} // namespace qm
