#include "state/user_guide.h"

#include "state/user_guide_texts.h"
#include "base/codepage.h"

namespace qm {
namespace {

std::string Join(const std::array<std::string_view, kUserGuideLines>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += Utf8ToCp1251(lines[i]);
    }
    return text;
}

} // namespace

const std::string& UserGuideText(int languageIndex) {
    static const std::string russian = Join(kUserGuideRussian);
    static const std::string english = Join(kUserGuideEnglish);
    return languageIndex != 0 ? english : russian;
}

} // namespace qm
