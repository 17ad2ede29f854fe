#include "site/retry_after.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "base/trim.h"

namespace qm {

int RetryAfterSeconds(std::string_view value, std::time_t now) {
    value = TrimBlanks(value);
    if (value.empty()) return -1;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return value.size() > 9 ? INT_MAX : std::stoi(std::string(value));
    // IMF-fixdate, the form servers send: "Wed, 21 Oct 2015 07:28:00 GMT". Read by hand, as
    // the names of days and months must not follow the locale.
    std::tm time{};
    char month[4] = {};
    int used = 0;
    const std::string text(value);
    if (std::sscanf(text.c_str(), "%*3s, %d %3s %d %d:%d:%d GMT%n", &time.tm_mday, month,
                    &time.tm_year, &time.tm_hour, &time.tm_min, &time.tm_sec, &used) != 6 ||
        static_cast<size_t>(used) != text.size())
        return -1;
    const std::string_view months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const size_t at = months.find(month);
    if (at == std::string_view::npos || at % 3 != 0) return -1;
    time.tm_mon = static_cast<int>(at / 3);
    time.tm_year -= 1900;
    const std::time_t when = ::timegm(&time);
    if (when <= now) return 0;
    return when - now > INT_MAX ? INT_MAX : static_cast<int>(when - now);
}

} // namespace qm
