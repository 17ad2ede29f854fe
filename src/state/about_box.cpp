#include "state/about_box.h"

#include "base/view_colors.h"

namespace qm {

AboutColours AboutColoursFor(const ViewOptions& options) {
    const uint32_t back = options.Color(ColorRole::Back);
    const uint32_t text = options.Color(ColorRole::Text);
    AboutColours colours;
    colours.window = back;
    colours.firstHalfShadow = ColorSumm12(kAboutFirstHalf, back);
    colours.secondHalfShadow = ColorSumm12(kAboutSecondHalf, back);
    colours.versionTop = text;
    colours.versionShadow = back;
    colours.guideBack = back;
    colours.guideText = text;
    colours.link = options.Color(ColorRole::Links);
    return colours;
}

void AboutDetails::ShowGuide(int languageIndex) {
    visible_.russianGuide = shown_ && languageIndex == 0;
    visible_.englishGuide = shown_ && languageIndex != 0;
}

AboutVisibility AboutDetails::Open(int languageIndex) {
    shown_ = true;
    ShowGuide(languageIndex);
    return visible_;
}

AboutVisibility AboutDetails::Toggle(int languageIndex) {
    shown_ = !shown_;
    visible_.links = shown_;
    ShowGuide(languageIndex);
    return visible_;
}

} // namespace qm
