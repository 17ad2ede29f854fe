#include "net/search_prefixes.h"

#include "base/ascii_case.h"
#include "tools/text_decoders.h"
#include "base/codepage.h"

namespace qm {

std::optional<std::string> ExpandSearchPrefix(std::string_view text) {
    for (const SearchPrefix& entry : kSearchPrefixes) {
        if (!StartsWithNoCase(text, entry.Prefix)) continue;
        return std::string(entry.Endpoint) +
               GetStringCodes(Cp1251ToUtf8(text.substr(entry.Prefix.size())));
    }
    return std::nullopt;
}

namespace {

void CaretToEnd(AddressBar& bar) {
    bar.SelectionStart = bar.Text.size();
    bar.SelectionLength = 0;
}

} // namespace

void PutSearchPrefix(AddressBar& bar, SearchService service) {
    static constexpr const char* kTyped[] = {"a ", "ba ", "b ", "d ", "g ", "y ", "ya "};
    bar.Text = kTyped[static_cast<int>(service)];
    CaretToEnd(bar);
}

void PutTranslatePrefix(AddressBar& bar, TranslateTo language) {
    bar.Text.insert(0, language == TranslateTo::English ? "en " : "ru ");
    CaretToEnd(bar);
}

} // namespace qm
