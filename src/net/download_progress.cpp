#include "net/download_progress.h"

#include <limits>

#include "base/format.h"
#include "state/ui_strings.h"

namespace qm {
namespace {

std::string SpeedText(uint64_t bytesRead, uint64_t elapsedMs, int languageIndex) {
    uint64_t speed = elapsedMs == 0 ? 0 : bytesRead * 1000 / elapsedMs;
    int unit = 0;
    if (speed > 10240) {
        speed /= 1024;
        unit = 1;
        if (speed > 10240) {
            speed /= 1024;
            unit = 2;
        }
    }
    return std::to_string(speed) + UiString(38 + unit, languageIndex);
}

} // namespace

std::string DownloadProgressText(uint64_t bytesRead, uint64_t elapsedMs, int64_t contentLength,
                                 int languageIndex) {
    const std::string bytes =
        Bytes64ToStr(static_cast<int64_t>(bytesRead)) + UiString(0, languageIndex);
    const std::string& downloading = UiString(41, languageIndex);
    const std::string speed = SpeedText(bytesRead, elapsedMs, languageIndex);
    // A length of 0 with a body (a chunked answer may announce one) counts as unknown.
    if (contentLength <= 0 || bytesRead == 0) return downloading + " " + bytes + " " + speed;
    auto length = static_cast<uint64_t>(contentLength);
    uint64_t percent = bytesRead * 100 / length;
    // A server that sends more than it announced has nothing left to wait for.
    uint64_t left = length > bytesRead ? length - bytesRead : 0;
    uint64_t remaining = elapsedMs / 1000 * left / bytesRead;
    remaining = std::min<uint64_t>(remaining, std::numeric_limits<uint32_t>::max());
    return downloading + " " + std::to_string(percent) + " % (" + bytes + ") " +
           GetTimeFromSec(static_cast<uint32_t>(remaining)) + " " + speed;
}

} // namespace qm
