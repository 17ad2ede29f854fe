#include "base/builtin_fonts.h"

namespace qm {

std::string_view BuiltinFontData(std::string_view name) {
    for (const BuiltinFontImage& image : kBuiltinFontImages)
        if (image.name == name) return image.data;
    return {};
}

} // namespace qm
