// Quillmar: a command-line mode, or the windows. This program links neither Qt nor libcurl,
// so that a command-line mode starts as fast as a terminal program: for a window it becomes
// quillmar-window beside it, and HTTP is a module loaded at the first request.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>

#include "app/check_links_mode.h"
#include "app/dump_mode.h"
#include "app/image_mode.h"
#include "app/run_mode.h"
#include "app/save_linked_mode.h"
#include "app/terminal_pump.h"
#include "base/version.h"
#include "platform/crawl_store_module.h"
#include "platform/http_module.h"

namespace {

void PrintHelp() {
    std::puts("Usage: quillmar [ADDRESS | FILE]\n"
              "       quillmar --dump [--columns N] [--utf8] [--timeout SECONDS] [--max-size MB]\n"
              "                       FILE|ADDRESS\n"
              "       quillmar --check-links [--utf8] [--timeout SECONDS] [--max-size MB]\n"
              "                              [--format tsv|json] FILE|ADDRESS\n"
              "       quillmar --check-links --recursive [--depth N] [--scope host|prefix|ADDRESS]\n"
              "                [--max-pages N] [--per-host N] [--delay MS] [--ignore-robots]\n"
              "                [--format tsv|json] [--state FILE] [options of --check-links]\n"
              "                ADDRESS\n"
              "       quillmar --dump --view text|hex [options of --dump] FILE|ADDRESS\n"
              "       quillmar --dump --format json [--hidden] [options of --dump] FILE|ADDRESS\n"
              "       quillmar --save-linked DIR [--kinds media,linked,link] [--ext EXT,...]\n"
              "                [--match TEXT] [--layout flat|mirror] [--parallel N]\n"
              "                [--format tsv|json] [--recursive and its options] ADDRESS\n"
              "       quillmar --image OUT.bmp [--width PX] [--font NAME] [--utf8]\n"
              "                        [--timeout SECONDS] [--max-size MB] FILE|ADDRESS\n"
              "       quillmar --run PROGRAM.qmp [--print info|page] [--columns N] [--utf8]\n"
              "                     [--timeout SECONDS] [--max-size MB] [ADDRESS]\n"
              "       quillmar --help | -h\n"
              "       quillmar --version | -V\n"
              "\n"
              "Starts the browser and opens ADDRESS or FILE (the words of a path with spaces\n"
              "may be given as separate arguments). A word starting with \"--\" is an option:\n"
              "one that no mode takes ends the program with status 2.\n"
              "\n"
              "--help (-h) and --version (-V) print this text or the version and exit, in any\n"
              "place among the arguments.\n"
              "\n"
              "--dump opens FILE or anything the address bar takes (an address, a search\n"
              "prefix, an about: word) without a window and prints the request report and\n"
              "the page as the source view lays it out, with the built-in 8x16 font at N\n"
              "columns (default 80) and the default display options, line by line as UTF-8.\n"
              "--utf8 decodes the page as UTF-8 (the F8 switch). --charset auto decodes each\n"
              "page as its header, byte-order mark, meta tag or bytes say; --charset NAME\n"
              "(windows-1251, utf-8, koi8-r, koi8-u, ibm866, iso-8859-5, utf-16le,\n"
              "utf-16be) decodes every page in that charset; every mode takes both.\n"
              "--hidden shows the addresses pages hide (srcset, lazy loading, style url(),\n"
              "refresh, icons, script text) as blocks; the link checks and --save-linked\n"
              "then take them too. --format json prints the page as one JSON document: the\n"
              "request's answers with their headers, the charset evidence and every block\n"
              "(the README names the fields).\n"
              "--timeout fails the request when nothing arrives for SECONDS (default 60;\n"
              "0 waits for ever). --max-size cuts the page after MB megabytes (default 1024;\n"
              "0 reads all); the report says so. Ctrl+C (SIGINT) or SIGTERM stops the\n"
              "download and prints what has arrived; a second one ends at once.\n"
              "Exit status: 0 done, 1 the request failed or was stopped, 2 bad arguments\n"
              "or a missing file.\n"
              "\n"
              "--check-links loads the page as --dump does and tests every address its Link,\n"
              "Media and Linked-file blocks point to, each address once and up to eight\n"
              "requests at a time. One line per address, fields separated by tabs: the page\n"
              "line of its first block, the block kind (Link, Media, Linked-file), the\n"
              "address as written, the address resolved, the code or why there is none, the\n"
              "content type and the size (\"-\" when not known), and after a redirect the\n"
              "address it ended at. Exit status: 0 nothing is broken, 1 a request failed or\n"
              "answered 400 or above (or the page itself could not be loaded, or a stop\n"
              "signal came), 2 bad arguments or a missing file. --format json prints one JSON\n"
              "object per address instead, with the fields named.\n"
              "\n"
              "--check-links --recursive checks a site: the pages in scope (HTML, on the start\n"
              "page's host; --scope prefix: under its folder; --scope ADDRESS: under that\n"
              "address) are read for their addresses as well, --depth link steps from the start\n"
              "(default: no limit) and at most --max-pages pages (default 100000). Each address\n"
              "is tested once; its line starts with the page it was first found on and how many\n"
              "pages hold it. robots.txt of the site's host is obeyed unless --ignore-robots;\n"
              "at most --per-host requests at once to one host (default 8), --delay MS between\n"
              "two to one host. --state FILE keeps the crawl in an SQLite file, and a second run\n"
              "with it goes on where the first stopped. A summary goes to stderr, and a progress\n"
              "line too when it is a terminal.\n"
              "\n"
              "--save-linked saves the files the page's blocks point to into DIR at once:\n"
              "media and linked files by default (--kinds), only those with an extension of\n"
              "--ext or with TEXT in their address (--match); with --recursive, those of every\n"
              "page the site check reads. Each address is downloaded once, --parallel at a time\n"
              "(default 8), and written whole or not at all under the name the program gives\n"
              "saved files, or under DIR/host/path/ with --layout mirror; a taken name gets\n"
              "\" (2)\", \" (3)\" ..., and no file is replaced. One line per address: the file\n"
              "written (\"-\" when none), the code, the size, the address and why no file was\n"
              "written. Exit status: 0 every file saved, 1 any was not, 2 bad arguments.\n"
              "\n"
              "--view text prints the page as the text view shows it (every byte a character,\n"
              "no tags read); --view hex prints the hex view: offset, sixteen byte codes and\n"
              "their characters per line.\n"
              "\n"
              "--image loads the page as --dump does and writes the whole laid-out page as one\n"
              "24-bit BMP image OUT.bmp, PX pixels wide (default 1280), drawn with the built-in\n"
              "8x16 font or the installed font NAME. The file is replaced only when the whole\n"
              "image is written. Exit status as --dump's; 1 also when the image could not be\n"
              "written.\n"
              "\n"
              "--run runs a program of the script language (a .qmp file of the program\n"
              "editor) without a window; ADDRESS goes into the address bar first, for GO\n"
              "and TESTURL without an argument. Commands of the window alone (the view\n"
              "offset, closing the editor) do nothing. The status line of each step goes\n"
              "to stderr; at the end the object info area is printed, or with --print page\n"
              "the page as --dump lays it out. Exit status: 0 the run ended normally, 1 a\n"
              "line failed, NOSELX stopped it, a GO or TESTURL request could not be made or\n"
              "a stop signal came, 2 bad arguments or a program file that cannot be read.");
}

constexpr const char* kWindowProgram = "quillmar-window";

// The folder comes from the kernel's link to the executable.
std::string ExecutableFolder(const char* argv0) {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path().string() + "/";
}

// The windows take this process over with the same arguments (argv[0] too, so that the
// window system and ps still name it quillmar).
int StartWindows(const std::string& folder, char** argv) {
    const std::string program = folder + kWindowProgram;
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "quillmar: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    switch (qm::FindInfoRequest(args)) {
    case qm::InfoRequest::Help:
        PrintHelp();
        return 0;
    case qm::InfoRequest::Version:
        std::printf("quillmar %s\n", qm::GetMyVersion().c_str());
        return 0;
    case qm::InfoRequest::None:
        break;
    }
    const std::string folder = ExecutableFolder(argv[0]);
    const bool dump = argc >= 2 && std::strcmp(argv[1], "--dump") == 0;
    const bool checkLinks = argc >= 2 && std::strcmp(argv[1], "--check-links") == 0;
    const bool image = argc >= 2 && std::strcmp(argv[1], "--image") == 0;
    const bool run = argc >= 2 && std::strcmp(argv[1], "--run") == 0;
    const bool saveLinked = argc >= 2 && std::strcmp(argv[1], "--save-linked") == 0;
    if (!dump && !checkLinks && !image && !run && !saveLinked) {
        if (std::string problem = qm::WindowArgsProblem(args); !problem.empty()) {
            std::fprintf(stderr, "quillmar: %s\n", problem.c_str());
            return 2;
        }
        return StartWindows(folder, argv);
    }
    std::vector<std::string> rest(argv + 2, argv + argc);
    if (image && qm::ImageModeNeedsFonts(rest)) {
        // System fonts are drawn by the window program's toolkit, which needs no screen here.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return StartWindows(folder, argv);
    }
    qm::TerminalPump pump;
    const std::string module = folder + qm::kHttpModuleFile;
    qm::HttpModuleTransport transport(pump, module);
    qm::HttpModuleMultiTransport multiTransport(pump, qm::kCheckLinksParallel, module);
    qm::CommandEnvironment environment{transport, pump, folder, qm::UserDataFolder(),
                                       &multiTransport};
    environment.newMultiTransport = [&pump, module](int parallel) {
        return std::make_unique<qm::HttpModuleMultiTransport>(pump, parallel, module);
    };
    environment.openCrawlStore = [folder](const std::string& path, std::string& error) {
        return qm::OpenCrawlStoreModule(folder + qm::kCrawlStoreModuleFile, path, error);
    };
    if (checkLinks) return qm::RunCheckLinksMode(rest, std::cout, std::cerr, environment);
    if (image) return qm::RunImageMode(rest, std::cerr, environment, nullptr);
    if (run) return qm::RunScriptMode(rest, std::cout, std::cerr, environment);
    if (saveLinked) return qm::RunSaveLinkedMode(rest, std::cout, std::cerr, environment);
    return qm::RunDumpMode(rest, std::cout, std::cerr, environment);
}
