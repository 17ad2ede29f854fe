#include "view/progress_caption.h"

#include <algorithm>
#include <cmath>

namespace qm {

std::string RemainingSeconds(std::chrono::steady_clock::time_point started, int64_t percent) {
    if (percent < 1) return "?";
    const double elapsed = static_cast<double>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                              started)
            .count());
    const double seconds =
        elapsed / (static_cast<double>(percent) * 1000.0) * 100.0 - elapsed / 1000.0;
    return std::to_string(static_cast<int64_t>(std::nearbyint(std::max(0.0, seconds))));
}

std::string ProgressCaption(const std::string& prefix, int64_t percent,
                            std::chrono::steady_clock::time_point started,
                            const std::string& secondsEnd) {
    return prefix + std::to_string(percent) + "% (" + RemainingSeconds(started, percent) +
           secondsEnd;
}

} // namespace qm
