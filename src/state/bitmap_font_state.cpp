#include "state/bitmap_font_state.h"

#include <utility>

namespace qm {

FontSwitch LoadTVFfont(BitmapFontState& state, const std::string& name, FontLoadRequest request) {
    // Loaded aside so that a failure keeps the current font drawing.
    BitmapFont font;
    if (!font.Load(name)) return {};
    state.Font = std::move(font);
    state.FontFileName = name;
    state.BitmapFontActive = true;
    const bool builtin = name.compare(0, 4, "INT:") == 0;
    return {true, request == FontLoadRequest::Asked || builtin};
}

void CloseBitmapFont(BitmapFontState& state) {
    state.BitmapFontActive = false;
    state.FontFileName.clear();
    UnloadBitmapFont(state.Font);
}

std::string FontLabelText(const std::string& fontFileName) {
    const size_t cut = fontFileName.find_last_of("\\/:");
    return "TVF: " + (cut == std::string::npos ? fontFileName : fontFileName.substr(cut + 1));
}

std::string EncodingLabelText(const BitmapFontState& state) {
    return state.DosEncoding ? "DOS CP866" : "WIN CP1251";
}

bool ToggleDosEncoding(BitmapFontState& state) {
    state.DosEncoding = !state.DosEncoding;
    return state.BitmapFontActive;
}

int32_t SizeListNumber(const BitmapFontState& state, int32_t fontSize) {
    return state.BitmapFontActive ? state.BitmapFontScale : fontSize;
}

void ApplySizeListChoice(BitmapFontState& state, int32_t& fontSize, int32_t number) {
    if (state.BitmapFontActive)
        state.BitmapFontScale = number;
    else
        fontSize = number;
}

BitmapTextOptions ViewTextOptions(const BitmapFontState& state, DosSubstitution substitute,
                                  BoldText bold) {
    BitmapTextOptions options;
    options.bold = bold;
    options.convert = state.DosEncoding ? TextConversion::None : TextConversion::WinToDos;
    options.substitute = substitute;
    options.scale = state.BitmapFontScale;
    return options;
}

} // namespace qm
