// qm.ini as read at start-up, from any bytes; what was read must be written back as read.

#include <cstdlib>
#include <string>

#include "state/browser.h"
#include "state/settings_file.h"
#include "support/fake_pump.h"

namespace {

std::string SameName(const std::string& name) {
    return name;
}

// Line 53 names a bitmap font file; only the built-in ones are read here, so that a run never
// opens a file of the machine.
std::string WithoutFontFile(std::string text) {
    size_t start = 0;
    for (int line = 1; line < 53 && start != std::string::npos; ++line) {
        start = text.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos || text.compare(start, 4, "INT:") == 0) return text;
    const size_t end = text.find('\n', start);
    return text.erase(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text =
        WithoutFontFile(std::string(reinterpret_cast<const char*>(data), size));
    qm::testing::FakePump pump;
    qm::Browser read(pump);
    qm::ApplySettingsText(read, text, SameName);
    const std::string written = qm::SettingsText(read);
    qm::Browser again(pump);
    qm::ApplySettingsText(again, written, SameName);
    if (qm::SettingsText(again) != written) std::abort();
    return 0;
}
