#include "state/themes.h"

namespace qm {

const std::array<Theme, kThemeCount> kThemes = {{
    {"MS98", "Verdana", "8", "1", false, true, {false, true, false, false, false, false, false, false},
     {0x000000, 0xFFFFFF, 0x993300, 0x008000, 0x808080, 0x000080, 0x800080, 0x008080, 0x808000}},
    {"ADB", "Tahoma", "7", "1", false, false, {false, true, false, false, false, false, false, false},
     {0x000000, 0xD8E9EC, 0x000000, 0x008000, 0x808080, 0x000080, 0x800080, 0x008080, 0x808000}},
    {"TNR", "Times New Roman", "14", "1", false, true, {false, false, false, false, false, false, false, false},
     {0x000000, 0xFFFFFF, 0x800000, 0x008000, 0x808080, 0x000080, 0x800080, 0x008080, 0x808000}},
    {"Dark", "Tahoma", "10", "1", false, true, {false, false, false, false, false, false, false, false},
     {0xBBBBBB, 0x303030, 0xF0C287, 0x80F080, 0x888888, 0x8080F0, 0xF080F0, 0x80F0F0, 0xF0F080}},
    {"Mobile", "Tahoma", "7", "2", false, false, {false, false, false, false, false, false, false, false},
     {0x000000, 0xFFFFFF, 0x993300, 0x008000, 0x808080, 0x000080, 0x800080, 0x008080, 0x808000}},
    {"MonoWin", "Courier New", "10", "1", false, true, {false, false, false, false, false, false, false, false},
     {0x000000, 0xFFFFFF, 0x993300, 0x008000, 0x808080, 0x000080, 0x800080, 0x008080, 0x808000}},
    {"MonoWin2", "Courier New", "10", "1", false, true, {false, false, false, false, false, false, false, false},
     {0xBBBBBB, 0x303030, 0xF0C287, 0x80F080, 0x888888, 0x8080F0, 0xF080F0, 0x80F0F0, 0xF0F080}},
    {"MonoWin3", "Courier New", "10", "1", false, true, {false, false, false, false, false, false, false, false},
     {0xF0F052, 0xAD0000, 0x52F0F0, 0x52F052, 0x525252, 0x5252F0, 0xF052F0, 0x52A0F0, 0xA0A052}},
    {"MonoDOS", "Courier New", "10", "1", true, true, {false, false, false, false, false, false, false, false},
     {0x000000, 0xFFFFFF, 0x993300, 0x008000, 0x808080, 0x000080, 0x800080, 0x008080, 0x808000}},
    {"MonoDOS2", "Courier New", "10", "1", true, true, {false, false, false, false, false, false, false, false},
     {0xBBBBBB, 0x303030, 0xF0C287, 0x80F080, 0x888888, 0x8080F0, 0xF080F0, 0x80F0F0, 0xF0F080}},
    {"MonoDOS3", "Courier New", "10", "1", true, true, {false, false, false, false, false, false, false, false},
     {0xF0F052, 0xAD0000, 0x52F0F0, 0x52F052, 0x525252, 0x5252F0, 0xF052F0, 0x52A0F0, 0xA0A052}},
}};

} // namespace qm
