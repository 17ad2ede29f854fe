#pragma once
// Desktop entry files (the freedesktop ".desktop" format): where one is found by its id and how
// its Exec line becomes the command that opens a file.

#include <string>
#include <vector>

namespace qm {

struct DesktopEntry {
    std::string exec;      // the Exec value, general escapes already resolved
    bool terminal = false; // Terminal=true: the program needs a terminal emulator
};

// The [Desktop Entry] group of an entry file's text. Empty exec when there is none.
DesktopEntry ParseDesktopEntry(const std::string& text);

// The arguments of an Exec value with the file put in for %f, %F, %u or %U (or appended when
// there is none of them), %% made "%" and the other field codes dropped. Empty when the value
// is malformed (an unclosed quote) or names no program.
std::vector<std::string> DesktopExecCommand(const std::string& exec, const std::string& file);

// The entry file of a desktop id ("org.gnome.gedit.desktop") in the "applications" folders of
// the data folders (XDG_DATA_HOME, then XDG_DATA_DIRS, with the usual defaults). A "-" of the
// id may stand for a subfolder. Empty when none exists.
std::string FindDesktopEntryFile(const std::string& desktopId);

} // namespace qm
