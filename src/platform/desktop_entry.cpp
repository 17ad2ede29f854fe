#include "platform/desktop_entry.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace qm {
namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// The escapes of a string value; others (those of the Exec quoting) stay for the next step.
std::string UnescapeValue(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (value[i + 1]) {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case '\\':
            out.push_back('\\');
            break;
        default:
            out.append(value, i, 2);
            break;
        }
        ++i;
    }
    return out;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home && *home) {
        folders.push_back(home);
    } else if (const char* user = std::getenv("HOME"); user && *user) {
        folders.push_back(std::string(user) + "/.local/share");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    std::stringstream stream(list);
    for (std::string folder; std::getline(stream, folder, ':');)
        if (!folder.empty()) folders.push_back(folder);
    return folders;
}

} // namespace

DesktopEntry ParseDesktopEntry(const std::string& text) {
    DesktopEntry entry;
    bool inMainGroup = false;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos) continue;
        std::string key = Trim(line.substr(0, equals));
        std::string value = UnescapeValue(Trim(line.substr(equals + 1)));
        if (key == "Exec")
            entry.exec = value;
        else if (key == "Terminal")
            entry.terminal = value == "true";
    }
    return entry;
}

std::vector<std::string> DesktopExecCommand(const std::string& exec, const std::string& file) {
    std::vector<std::string> args;
    std::string arg;
    bool hasArg = false; // a quoted "" is an argument too
    bool inQuotes = false;
    bool fileUsed = false;
    auto endArg = [&] {
        if (hasArg) args.push_back(arg);
        arg.clear();
        hasArg = false;
    };
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            hasArg = true;
        } else if (c == '\\' && i + 1 < exec.size()) {
            arg.push_back(exec[++i]);
            hasArg = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            endArg();
        } else if (c == '%' && i + 1 < exec.size()) {
            char code = exec[++i];
            if (code == '%') {
                arg.push_back('%');
                hasArg = true;
            } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                arg += file;
                hasArg = true;
                fileUsed = true;
            }
            // Other codes (icon, name, entry location, deprecated ones) add nothing.
        } else {
            arg.push_back(c);
            hasArg = true;
        }
    }
    if (inQuotes) return {};
    endArg();
    if (args.empty() || args.front().empty()) return {};
    if (!fileUsed) args.push_back(file);
    return args;
}

std::string FindDesktopEntryFile(const std::string& desktopId) {
    namespace fs = std::filesystem;
    if (desktopId.empty() || desktopId.find('/') != std::string::npos ||
        desktopId.find("..") != std::string::npos)
        return {};
    // "kde4-kate.desktop" may be kde4/kate.desktop: try the dashes as folders, left to right.
    std::vector<std::string> names{desktopId};
    std::string name = desktopId;
    for (size_t dash = name.find('-'); dash != std::string::npos; dash = name.find('-', dash)) {
        name[dash] = '/';
        names.push_back(name);
    }
    for (const std::string& folder : DataFolders()) {
        for (const std::string& candidate : names) {
            fs::path path = fs::path(folder) / "applications" / candidate;
            std::error_code ec;
            if (fs::is_regular_file(path, ec)) return path.string();
        }
    }
    return {};
}

} // namespace qm
