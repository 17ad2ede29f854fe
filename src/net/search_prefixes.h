#pragma once
// The short search and translation prefixes of the address bar ("g cats" searches for cats)
// and the menu items that type them.

#include <optional>
#include <string>
#include <string_view>

#include "state/browser_state.h"

namespace qm {

struct SearchPrefix {
    std::string_view Prefix;   // upper case, with its space
    std::string_view Endpoint; // request address up to the encoded text
};

// In the order they are tested; no text can match two of them.
inline constexpr SearchPrefix kSearchPrefixes[] = {
    {"RU ", "https://translate.google.com/translate?sl=auto&tl=ru&u="},
    {"EN ", "https://translate.google.com/translate?sl=auto&tl=en&u="},
    {"G ", "http://www.google.com/search?q="},
    {"A ", "http://search.aol.com/aol/search?q="},
    {"Y ", "http://search.yahoo.com/search?p="},
    {"YA ", "http://yandex.ru/search/?text="},
    {"BA ", "http://www.baidu.com/s?wd="},
    {"B ", "http://www.bing.com/search?q="},
    {"D ", "http://duckduckgo.com/lite?kg=g&q="},
};

// The service address for a text that starts with a prefix (in any letter case): the endpoint
// and the rest of the text as UTF-8, percent-encoded. Nothing for any other text.
std::optional<std::string> ExpandSearchPrefix(std::string_view text);

// The address bar as the logic holds it; the widget mirrors it.
using AddressBar = TextField;

// The search items of the "Search in/Translate" menu, and what they type.
enum class SearchService { Aol, Baidu, Bing, DuckDuckGo, Google, Yahoo, Yandex };
enum class TranslateTo { English, Russian };

// Replaces the text with the service's prefix; the caret goes to the end.
void PutSearchPrefix(AddressBar& bar, SearchService service);
// Puts "en " or "ru " in front of the text; the caret goes to the end.
void PutTranslatePrefix(AddressBar& bar, TranslateTo language);

} // namespace qm
