// The TVF loader on any image, then every glyph measured and drawn into a small bitmap.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "base/bitmap.h"
#include "base/bitmap_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    qm::BitmapTextOptions options;
    options.bold = input.ConsumeBool() ? qm::BoldText::On : qm::BoldText::Off;
    options.convert = input.ConsumeBool() ? qm::TextConversion::WinToDos : qm::TextConversion::None;
    options.scale = input.ConsumeIntegralInRange(-1, 3);
    options.letterGap = input.ConsumeIntegralInRange(-4, 4);
    options.lineGap = input.ConsumeIntegralInRange(-4, 4);
    const int x = input.ConsumeIntegralInRange(-40, 40);
    const int y = input.ConsumeIntegralInRange(-40, 40);

    qm::BitmapFont font;
    if (!font.LoadFromData(input.ConsumeRemainingBytesAsString())) return 0;
    std::string every(256, '\0');
    for (int code = 0; code < 256; ++code)
        every[code] = static_cast<char>(code);
    qm::BitmapTextWidth(font, every, options);
    qm::Bitmap bitmap(64, 48);
    qm::DrawBitmapText(font, bitmap, every, x, y, 0x00123456, options);
    return 0;
}
