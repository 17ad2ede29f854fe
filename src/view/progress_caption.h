#pragma once
// The progress captions of the long passes: "<what> 42% (7 s)".

#include <chrono>
#include <cstdint>
#include <string>

namespace qm {

// The seconds still to go when percent of the work took the time since started, rounded half
// to even; "?" below one percent.
std::string RemainingSeconds(std::chrono::steady_clock::time_point started, int64_t percent);

// prefix + percent + "% (" + remaining + secondsEnd, secondsEnd being the " s)" UI text.
std::string ProgressCaption(const std::string& prefix, int64_t percent,
                            std::chrono::steady_clock::time_point started,
                            const std::string& secondsEnd);

} // namespace qm
