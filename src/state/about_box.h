#pragma once
// The About window's state: which parts are shown and in which colours.

#include <cstdint>

#include "state/view_options.h"

namespace qm {

// The maker's pages, opened from the About window.
inline constexpr const char* kMakerName = "Ferngrove Studios";
inline constexpr const char* kMakerHomePage = "http://fgs.example/";
inline constexpr const char* kDonatePayPal = "https://fgs.example/donate/paypal";
inline constexpr const char* kDonateWebmoney = "https://fgs.example/donate/webmoney";

// Colours 0x00BBGGRR of the window's parts at an opening.
struct AboutColours {
    uint32_t window = 0;
    uint32_t firstHalfShadow = 0; // the copies behind each half of the product name
    uint32_t secondHalfShadow = 0;
    uint32_t versionTop = 0;
    uint32_t versionShadow = 0;
    uint32_t guideBack = 0;
    uint32_t guideText = 0;
    uint32_t link = 0;
};

inline constexpr uint32_t kAboutFirstHalf = RgbColor(40, 180, 0);
inline constexpr uint32_t kAboutSecondHalf = RgbColor(0, 110, 110);
inline constexpr uint32_t kAboutMakerTop = RgbColor(255, 130, 0);
inline constexpr uint32_t kAboutMakerShadow = RgbColor(132, 65, 0);

AboutColours AboutColoursFor(const ViewOptions& options);

// What is visible. The links and donation pictures change only with the details toggle; an
// opening shows the guide of the language again.
struct AboutVisibility {
    bool links = true;
    bool russianGuide = false;
    bool englishGuide = false;
};

class AboutDetails {
  public:
    AboutVisibility Open(int languageIndex);
    AboutVisibility Toggle(int languageIndex);
    bool Shown() const { return shown_; }

  private:
    void ShowGuide(int languageIndex);

    bool shown_ = false;
    AboutVisibility visible_;
};

} // namespace qm
