#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/dump_mode.h"
#include "app/image_mode.h"
#include "base/file_io.h"
#include "app/terminal_pump.h"
#include "base/interfaces.h"

namespace {

// A network that is never reachable: every request fails to connect.
class UnreachableTransport : public qm::HttpTransport {
public:
    int opened = 0;
    qm::HttpRequest last;
    bool Open(const qm::HttpRequest& request) override {
        ++opened;
        last = request;
        return false;
    }
    int StatusCode() const override { return 0; }
    std::string Header(const std::string&) const override { return {}; }
    std::string RawHeaders() const override { return {}; }
    long long Read(char*, size_t) override { return 0; }
    qm::TransportError Error() const override { return qm::TransportError::ConnectFailed; }
    std::string ErrorText() const override { return "Could not connect to server"; }
    void Abort() override {}
    void Close() override {}
};

struct DumpRun {
    int status;
    std::string out;
    std::string err;
};

DumpRun Dump(const std::vector<std::string>& args, UnreachableTransport* network = nullptr) {
    UnreachableTransport unused;
    qm::TerminalPump pump;
    qm::DumpEnvironment environment{network ? *network : unused, pump, ::testing::TempDir(), {}};
    std::ostringstream out, err;
    int status = qm::RunDumpMode(args, out, err, environment);
    return {status, out.str(), err.str()};
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(DumpMode, BadArgumentsGiveOneLineAndStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"--columns"}, {"--columns", "0", "x.html"}, {"--columns", "12a", "x.html"},
        {"--bogus", "x.html"}, {"/no/such/file.html"}, {"file:///no/such.html"},
        {"--timeout", "-1", "x.html"}, {"--timeout", "1.5", "x.html"}, {"--max-size"},
        {"--max-size", "1048577", "x.html"}, {"--view", "pdf", "x.html"}, {"--view"},
        {"--width", "100", "x.html"}, {"--font", "Arial", "x.html"},
    };
    for (const auto& args : cases) {
        DumpRun run = Dump(args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
        EXPECT_TRUE(run.out.empty());
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
}

TEST(DumpMode, PrintsTheViewLinesAsUtf8) {
    // "Привет" in Windows-1251.
    std::string path = WriteTemp("dump_page.html",
                                 "<p>\xCF\xF0\xE8\xE2\xE5\xF2 <a href=\"x.html\">go</a></p>");
    DumpRun run = Dump({"--columns", "40", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Привет"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Link: \"x.html\""), std::string::npos) << run.out;
}

TEST(DumpMode, TextAndHexViews) {
    std::string path = WriteTemp("dump_views.html", "<b>\xCF\x01</b>\r\nx");
    EXPECT_EQ("<b>П </b>\nx\n", Dump({"--view", "text", path}).out);
    EXPECT_EQ("00000000 3C 62 3E CF 01 3C 2F 62 3E 0D 0A 78" + std::string(12, ' ') +
                  " <b>П </b>  x\n",
              Dump({"--view", "hex", path}).out);
    // Too narrow for a whole line: the layout wraps it as the view would.
    DumpRun narrow = Dump({"--view", "hex", "--columns", "40", path});
    EXPECT_EQ(0, narrow.status);
    std::istringstream lines(narrow.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) EXPECT_LE(line.size(), 40u) << line;
    EXPECT_GT(count, 1);
}

TEST(DumpMode, Utf8SwitchDecodesThePage) {
    std::string path = WriteTemp("dump_utf8.html", "<p>Привет</p>");
    EXPECT_NE(Dump({"--utf8", path}).out.find("Привет"), std::string::npos);
    EXPECT_EQ(Dump({path}).out.find("Привет"), std::string::npos);
}

TEST(DumpMode, NarrowColumnsWrapLongText) {
    std::string path = WriteTemp("dump_wrap.html", "<p>" + std::string(30, 'a') + "</p>");
    DumpRun run = Dump({"--columns", "10", path});
    EXPECT_EQ(run.status, 0);
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 10u) << line;
}

TEST(DumpMode, AFailedRequestPrintsTheReportAndGivesStatusOne) {
    UnreachableTransport network;
    DumpRun run = Dump({"http://127.0.0.1:9/"}, &network);
    EXPECT_EQ(network.opened, 1);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Download error"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Could not connect to server"), std::string::npos) << run.out;
}

TEST(DumpMode, TimeoutGoesToTheRequest) {
    const std::vector<std::pair<std::vector<std::string>, int64_t>> cases = {
        {{"http://127.0.0.1:9/"}, 60000},
        {{"--timeout", "2", "http://127.0.0.1:9/"}, 2000},
        {{"--timeout", "0", "http://127.0.0.1:9/"}, 0},
    };
    for (const auto& [args, milliseconds] : cases) {
        UnreachableTransport network;
        Dump(args, &network);
        EXPECT_EQ(network.last.idleTimeoutMs, milliseconds) << ::testing::PrintToString(args);
    }
}

TEST(DumpMode, AboutWordsNeedNoNetwork) {
    UnreachableTransport network;
    DumpRun run = Dump({"ABOUT:bookmarks"}, &network);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(network.opened, 0);
    EXPECT_NE(run.out.find("bro.ini"), std::string::npos) << run.out;
}

struct ImageRun {
    int status;
    std::string err;
};

ImageRun Image(const std::vector<std::string>& args) {
    UnreachableTransport transport;
    qm::TerminalPump pump;
    qm::CommandEnvironment environment{transport, pump, ::testing::TempDir(), {}};
    std::ostringstream err;
    const int status = qm::RunImageMode(args, err, environment, nullptr);
    return {status, err.str()};
}

std::string WritePage(const std::string& name, int lines) {
    std::string page;
    for (int i = 0; i < lines; ++i) page += "<p>line " + std::to_string(i) + "</p>";
    return WriteTemp(name, page);
}

// What ImageMagick reads from the file: "WIDTHxHEIGHT".
std::string Identify(const std::string& path) {
    std::FILE* pipe = ::popen(("identify -format %wx%h " + path + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[256];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, got);
    ::pclose(pipe);
    return out;
}

TEST(ImageMode, AReaderOpensShortAndLongPages) {
    struct Case {
        int lines, width;
    } cases[] = {{1, 1280}, {300, 333}}; // the reader refuses images over 16,000 rows
    for (const Case& c : cases) {
        const std::string image = ::testing::TempDir() + "image_mode.bmp";
        const ImageRun run = Image({image, "--width", std::to_string(c.width),
                                    WritePage("image_mode.html", c.lines)});
        ASSERT_EQ(0, run.status) << run.err;
        const std::string file = qm::GetFileToString(image);
        ASSERT_GE(file.size(), 54u);
        const int32_t height = static_cast<unsigned char>(file[22]) |
                               static_cast<unsigned char>(file[23]) << 8 |
                               static_cast<unsigned char>(file[24]) << 16;
        EXPECT_GT(height, c.lines * 16) << "every line is in the image";
        EXPECT_EQ(std::to_string(c.width) + "x" + std::to_string(height), Identify(image));
    }
}

TEST(ImageMode, BadArgumentsAndUnwritableFiles) {
    const std::string page = WritePage("image_mode_bad.html", 2);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--width", "10", "x.bmp", page}, {"x.bmp"}, {"x.bmp", "--width", "0", page},
             {"x.bmp", "--columns", "8", page}, {"x.bmp", "--font", "Sans", page}})
        EXPECT_EQ(2, Image(args).status) << ::testing::PrintToString(args);
    const ImageRun unwritable = Image({"/no/such/folder/x.bmp", page});
    EXPECT_EQ(1, unwritable.status);
    EXPECT_NE(std::string::npos, unwritable.err.find("/no/such/folder/x.bmp")) << unwritable.err;
}

} // namespace

namespace {

// The names a JSON document uses, in order of first appearance: what callers rely on.
std::string JsonNames(const std::string& json) {
    std::string names;
    for (size_t at = json.find("\":"); at != std::string::npos; at = json.find("\":", at + 2)) {
        const size_t start = json.rfind('"', at - 1) + 1;
        const std::string name = json.substr(start, at - start);
        if (names.find(" " + name + " ") == std::string::npos) names += " " + name + " ";
    }
    return names;
}

TEST(DumpMode, TheJsonOfAPageKeepsItsFieldNames) {
    const std::string page = WriteTemp(
        "json_page.html", "<html><head><meta charset=koi8-r></head><body>\n"
                          "<img src=\"a.png\" srcset=\"b.png 2x\" alt=\"\xE7\">\n"
                          "<a href=\"x.html?a=1&amp;b=2\">x</a></body></html>");
    const DumpRun plain = Dump({"--format", "json", "--charset", "auto", page});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(JsonNames(plain.out),
              " address  final_address  status  content_type  size  hops  charset  header "
              " bom  meta  guess  conflict  used  blocks  kind  line  label  written  attributes "
              " src  srcset  alt  href ");
    // Text is UTF-8: the KOI8-R letter of the alt text is decoded as the page says.
    EXPECT_NE(plain.out.find("\"alt\":\"\xD0\x93\""), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("\"written\":\"x.html?a=1&b=2\""), std::string::npos);
    const DumpRun hidden = Dump({"--format", "json", "--hidden", page});
    EXPECT_NE(hidden.out.find("{\"kind\":\"hidden\",\"line\":2,\"label\":\"Hidden address "
                              "(srcset)\",\"written\":\"b.png\""),
              std::string::npos)
        << hidden.out;
    EXPECT_NE(hidden.out.find("\"where\":\"srcset\""), std::string::npos);
    EXPECT_EQ(Dump({"--format", "xml", page}).status, 2);
    EXPECT_EQ(Dump({"--charset", "latin-9", page}).status, 2);
}

} // namespace
