// The bookmarks page made from any bro.ini.

#include <fstream>
#include <string>

#include "net/bookmarks.h"
#include "state/browser_state.h"
#include "temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qm::fuzz::TempFolder folder;
    qm::BrowserState state;
    state.DataFolder = folder.path;
    std::ofstream(qm::BroIniPath(state), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    for (int language = 0; language < 2; ++language) {
        state.LanguageIndex = language;
        qm::RefreshBookmarks(state);
    }
    return 0;
}
