#pragma once
// The Retry-After header of a 429 or 503 answer: a number of seconds or an HTTP date.

#include <ctime>
#include <string_view>

namespace qm {

// Seconds from now until the time the value names (0 for a time already past); -1 when the
// value is neither form.
int RetryAfterSeconds(std::string_view value, std::time_t now);

} // namespace qm
