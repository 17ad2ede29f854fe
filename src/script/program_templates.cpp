#include "script/program_templates.h"

#include "state/ui_strings.h"

namespace qm {
namespace {

constexpr int kUiBlankProgram = 210;
constexpr int kUiVideoTemplate = 211;
constexpr int kUiAddCommandsHere = 213;
constexpr int kUiPlayerNotFound = 209;
constexpr int kUiCodedLinks1 = 220;
constexpr int kUiCodedLinks2 = 221;
constexpr int kUiCodedLinks3 = 222;
constexpr int kUiCutHeader = 223;
constexpr int kUiReplaceBody = 224;
constexpr int kUiSourceAboveDeleted = 225;
constexpr int kUiCutPlaceNotFound = 226;
constexpr int kUiSkipHeader = 238;
constexpr int kUiReplaceOffset = 239;
constexpr int kUiOffsetInCaption = 240;
constexpr int kUiConvertDosText = 241;

constexpr int kTemplateNames[kTemplateCount] = {kUiBlankProgram, kUiSkipHeader, kUiCutHeader,
                                                kUiVideoTemplate, kUiConvertDosText};

// The media servers of the video service all have this label in their host names.
constexpr const char* kVideoHostLabel = "googlevideo";
constexpr const char* kMakerHomePage = "https://quillmar.example/";

} // namespace

const std::string& TemplateName(int index, int languageIndex) {
    static const std::string none;
    if (index < 0 || index >= kTemplateCount) return none;
    return UiString(kTemplateNames[index], languageIndex);
}

std::vector<std::string> TemplateLines(int index, int languageIndex) {
    auto ui = [languageIndex](int string) { return UiString(string, languageIndex); };
    auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    switch (index) {
    case 0:
        return {ui(kUiAddCommandsHere)};
    case 1:
        return {ui(kUiReplaceOffset), ui(kUiOffsetInCaption), "SETY 1000", "CLOSE"};
    case 2:
        return {"GETSOURCE",
                ui(kUiReplaceBody),
                ui(kUiSourceAboveDeleted),
                "SFIRST \"<body\"",
                "NOSELX " + quoted(ui(kUiCutPlaceNotFound)),
                "DELBEF",
                "SETSOURCE",
                "CLOSE"};
    case 3:
        return {ui(kUiCodedLinks1),
                ui(kUiCodedLinks2),
                ui(kUiCodedLinks3),
                "GETSOURCE",
                "SFIRST \"ytplayer.config\"",
                "NOSELX " + quoted(ui(kUiPlayerNotFound)),
                "DELBEF",
                "SFIRST \"</script\"",
                "DELAFT",
                "RETAFT \"url=\"",
                "RETBEF \"https\"",
                "RETBEF \"\\u0026\"",
                "RETBEF \"\",\"",
                "RETBEF \",\"",
                "DELEXCEPT " + quoted(kVideoHostLabel),
                "DEPERC",
                "TESTLINKS",
                "CLOSE"};
    case 4:
        return {"GETSOURCE", "DOSTOWIN", "SETSOURCE", "CLOSE"};
    default:
        return {};
    }
}

std::vector<std::string> InitialProgram() {
    return {"//press F5 ;)", "CLOSE", std::string("GO \"") + kMakerHomePage + "\""};
}

} // namespace qm
