#include "script/command_list.h"

#include <array>

#include "base/ascii_case.h"
#include "base/codepage.h"
#include "base/trim.h"
#include "tools/text_replace.h"

namespace qm {
namespace {

struct ListedCommand {
    std::string_view syntax;
    std::string_view english; // help texts, UTF-8 here
    std::string_view russian;
};

// The list's order, which is not the interpreter's matching order.
constexpr std::array<ListedCommand, kCommandListSize> kCommands = {{
    {"GO [\"url\"]", "Type defined URL to address bar and navigate",
     "Ввести указанный URL в строку адреса и вызвать переход"},
    {"TESTURL [\"url\"]", "Type defined URL to address bar and test it",
     "Ввести указанный URL в строку адреса и вызвать проверку"},
    {"SETBASEURL [\"url\"]",
     "Set defined URL as base address and use it as Referer in next requests (if Referer flag "
     "is checked)",
     "Установить указанный URL как базовый адрес и использовать его как Referer в следующих "
     "запросах (если флажок Referer включен)"},
    {"SETY [1000]", "Set current view offset in pixels",
     "Установить текущее смещение просмотра в пикселях"},
    {"GETSOURCE", "Copy current page source code to object info area",
     "Скопировать исходный код текущей страницы в область информации об объекте"},
    {"SETSOURCE", "Set object info area text as current page source code",
     "Установить текст из области информации об объекте как исходный код текущей страницы"},
    {"DOSTOWIN", "Convert object info area text from DOS-encoding to Win-encoding",
     "Конвертировать текст в области информации об объекте из DOS-кодировки в Win-кодировку"},
    {"WINTODOS", "Convert object info area text from Win-encoding to DOS-encoding",
     "Конвертировать текст в области информации об объекте из Win-кодировки в DOS-кодировку"},
    {"DELBEF", "Delete text before selection", "Удалить текст до выделения"},
    {"DELAFT", "Delete text after selection", "Удалить текст после выделения"},
    {"DEPERC", "Decode %xx codes", "Раскодировать %xx коды"},
    {"DESLASH", "Decode \\x Java ESC-codes", "Раскодировать \\x Java ESC-коды"},
    {"RETBEF [\"text\"]", "Add CRs before all places with selected / defined text",
     "Поставить переносы перед всеми местами с указанным / выделенным текстом"},
    {"RETAFT [\"text\"]", "Add CRs after all places with selected / defined text",
     "Поставить переносы после всех мест с указанным / выделенным текстом"},
    {"DELEXCEPT [\"text\"]",
     "Keep strings contain defined text only (or delete empty strings if text is \"\")",
     "Оставить только строки, содержащие текст (или убрать пустые строки если текст \"\")"},
    {"TESTLINKS", "Run test of every string as URL", "Запустить проверку каждой строки как URL"},
    {"SFIRST [\"text\"]", "Search and select first entry of defined / current text",
     "Искать и выделить первое вхождение указанного / текущего текста"},
    {"SNEXT [\"text\"]", "Search and select next entry of defined / current text",
     "Искать и выделить следующее вхождение указанного / текущего текста"},
    {"SLAST [\"text\"]", "Search and select last entry of defined / current text",
     "Искать и выделить последнее вхождение указанного / текущего текста"},
    {"NOSELX [\"text\"]",
     "Stop program running with defined message if nothing is selected (found)",
     "Остановить выполнение программы с указанным сообщением если ничего не выделено (не "
     "найдено)"},
    {"X", "Stop program running", "Остановить выполнение программы"},
    {"CLOSE", "Close program editor window", "Закрыть окно редактора программ"},
}};

struct HelpTable {
    std::array<std::string, kCommandListSize> english, russian;
    HelpTable() {
        for (size_t i = 0; i < kCommands.size(); ++i) {
            english[i] = Utf8ToCp1251(kCommands[i].english);
            russian[i] = Utf8ToCp1251(kCommands[i].russian);
        }
    }
};

bool InList(int index) {
    return index >= 0 && index < kCommandListSize;
}

} // namespace

std::string_view CommandSyntax(int index) {
    return InList(index) ? kCommands[static_cast<size_t>(index)].syntax : std::string_view();
}

std::string CommandLineToAdd(int index) {
    const std::string withoutOpen =
        ReplaceText(CommandSyntax(index), "[", "", ReplaceFlags::ReplaceAll);
    return ReplaceText(withoutOpen, "]", "", ReplaceFlags::ReplaceAll);
}

const std::string& CommandHelp(int index, int languageIndex) {
    static const HelpTable table;
    static const std::string none;
    if (!InList(index)) return none;
    const size_t i = static_cast<size_t>(index);
    return languageIndex != 0 ? table.english[i] : table.russian[i];
}

int CommandIndexOfLine(std::string_view line) {
    const std::string upper = AsciiUpper(TrimBlanks(line));
    for (int i = 0; i < kCommandListSize; ++i) {
        const std::string_view syntax = kCommands[static_cast<size_t>(i)].syntax;
        const std::string_view word = syntax.substr(0, syntax.find(' '));
        if (upper.compare(0, word.size(), word) == 0) return i;
    }
    return -1;
}

} // namespace qm
