// Saving a page's linked files at once, without a network: which files are chosen, where each
// goes, that nothing lands outside the folder or replaces a file, and that a failed, stopped or
// unwritable download leaves no file.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "site/linked_file_saver.h"
#include "site/linked_files.h"
#include "site/page_rip.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/file_size_limit.h"
#include "support/scripted_multi_transport.h"
#include "tools/css_addresses.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using testing::Answer;

TEST(LinkedFiles, KindsExtensionsAndMatchChooseTheFiles) {
    LinkedFileFilter filter;
    ASSERT_TRUE(ParseKinds("media, link", filter));
    EXPECT_FALSE(ParseKinds("media,pictures", filter));
    ASSERT_TRUE(ParseKinds("media,link", filter));
    filter.extensions = ParseExtensions("PNG, .jpg,,pdf");
    EXPECT_EQ(filter.extensions, (std::vector<std::string>{"png", "jpg", "pdf"}));
    struct Case {
        LinkBlockKind kind;
        const char* address;
        bool wanted;
    };
    const Case cases[] = {
        {LinkBlockKind::Media, "http://h/a/B.PNG?x=1", true},
        {LinkBlockKind::Link, "https://h/doc.pdf", true},
        {LinkBlockKind::LinkedFile, "http://h/s.png", false}, // kind not chosen
        {LinkBlockKind::Media, "http://h/a.gif", false},
        {LinkBlockKind::Media, "http://h/png", false},
        {LinkBlockKind::Media, "data:image/png;base64,AA==", false},
        {LinkBlockKind::Link, "mailto:a@h.png", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsWanted(c.kind, c.address, filter), c.wanted) << c.address;
    filter.match = "/a/";
    EXPECT_TRUE(IsWanted(LinkBlockKind::Media, "http://h/a/b.png", filter));
    EXPECT_FALSE(IsWanted(LinkBlockKind::Media, "http://h/b/b.png", filter));
}

TEST(LinkedFiles, NoAddressLeadsOutOfTheFolder) {
    using namespace std::literals;
    struct Case {
        std::string_view address;
        const char* flat;
        const char* mirror;
    };
    const Case cases[] = {
        {"http://h/a/b.png", "b.png", "h/a/b.png"},
        {"http://h:8080/x/y/", "data", "h_8080/x/y/data"},
        {"http://h/a/../../../etc/passwd", "passwd", "h/a/etc/passwd"},
        {"http://h/..%2F..%2Fetc%2Fpasswd", ".._2F.._2Fetc_2Fpasswd", "h/.._2F.._2Fetc_2Fpasswd"},
        {"http://h/%2e%2e/x.png", "x.png", "h/_2e_2e/x.png"},
        {"http://h//etc/passwd", "passwd", "h/etc/passwd"},
        {"http://h/a\\..\\..\\b.png", "a_.._.._b.png", "h/a_.._.._b.png"},
        {"http://h/dev/null", "null", "h/dev/null"},
        {"http://h/CON", "CON", "h/CON"},
        {"http://h/a b/x\x01\x00z.png"sv, "x__z.png", "h/a b/x__z.png"},
    };
    for (const Case& c : cases) {
        const std::string address(c.address);
        const std::string flat = SavePath("/d/", address, "", SaveLayout::Flat);
        const std::string mirror = SavePath("/d/", address, "", SaveLayout::Mirror);
        EXPECT_EQ(flat, std::string("/d/") + c.flat) << c.address;
        EXPECT_EQ(mirror, std::string("/d/") + c.mirror) << c.address;
        EXPECT_EQ(fs::path(mirror).lexically_normal().string().rfind("/d/", 0), 0u) << mirror;
    }
    EXPECT_EQ(SavePath("/d/", "http://h/pic", "image/png", SaveLayout::Flat), "/d/pic.png");
}

TEST(LinkedFiles, TheAddressesAStylesheetNames) {
    EXPECT_EQ(CssAddresses("@import \"a.css\"; @import url(b.css);\n"
                           "x { background: URL( 'i.png' ) } y { src: url(\"f.woff\") }"
                           "z { b: url(data:image/png;base64,AA) url(i.png) url( ) url(\"open"),
              (std::vector<std::string>{"a.css", "b.css", "i.png", "f.woff"}));
    // 100,000 url( stay linear.
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "url(" + std::to_string(i % 10) + ")";
    EXPECT_EQ(CssAddresses(many).size(), 10u);
}

TEST(LinkedFiles, TheFormOfEveryStylesheetAddress) {
    std::string unclosed;
    for (int i = 0; i < 100000; ++i)
        unclosed += "url(";
    struct Case {
        std::string css;
        std::vector<std::string> expected; // "U " for url(), "I " for @import
    } cases[] = {
        // "@import url()" is an import; repeats are kept.
        {"@import url(b.css); @IMPORT 'c.css'; x { b: url(b.css) }",
         {"I b.css", "I c.css", "U b.css"}},
        {"@import url(\"q.css\") print; @import \"open; y { b: url(i.png) }",
         {"I q.css", "U i.png"}},
        // A data: value is left out even with blanks before it.
        {"x { b: url(\" data:,x\") url(' DATA:,y') }", {}},
        // Once no ")" or quote is left, later openings find nothing either, and cost nothing.
        {"url(\"a.png\") " + unclosed + "url('ok.png'", {"U a.png", "U ok.png"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> found;
        for (const CssAddress& address : CssAddressList(c.css))
            found.push_back((address.form == CssForm::Url ? "U " : "I ") + address.value);
        EXPECT_EQ(found, c.expected) << c.css.substr(0, 60);
    }
}

class SaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = ::testing::TempDir() + "quillmar_saver_" + std::to_string(::getpid()) + "/";
        fs::remove_all(folder);
        fs::create_directories(folder);
        transport.answers["h /a.png"] = Answer(200, {{"Content-Type", "image/png"}}, "AAAA");
        transport.answers["h /b/a.png"] = Answer(200, {{"Content-Type", "image/png"}}, "BB");
        transport.answers["h /old.png"] = Answer(301, {{"Location", "/a.png"}});
        transport.answers["h /big.bin"] = Answer(200, {}, "cut");
        transport.answers["h /big.bin"].bodyCut = true;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::vector<SaveOutcome> Save(const std::vector<std::string>& addresses,
                                  SaveLayout layout = SaveLayout::Flat) {
        std::vector<FileToSave> files;
        for (const std::string& address : addresses)
            files.push_back({address, "http://h/page.html"});
        SaverOptions options;
        options.folder = folder;
        options.layout = layout;
        return LinkedFileSaver(browser, transport, options).Run(files, {});
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) names.push_back(entry.path().string().substr(folder.size()));
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder;
    testing::FakePump pump;
    Browser browser{pump};
    testing::ScriptedMultiTransport transport;
};

TEST_F(SaverTest, EachFileWholeUnderAFreeNameAndNothingForFailures) {
    { std::ofstream(folder + "a.png") << "mine"; }
    const auto outcomes =
        Save({"http://h/a.png", "http://h/b/a.png", "http://h/old.png", "http://h/gone.png",
              "http://h/big.bin"});
    ASSERT_EQ(outcomes.size(), 5u);
    EXPECT_EQ(outcomes[0].path, folder + "a (2).png");
    EXPECT_EQ(outcomes[1].path, folder + "a (3).png");
    EXPECT_EQ(outcomes[2].path, folder + "old.png"); // named by the address asked for
    EXPECT_EQ(outcomes[2].size, 4);
    EXPECT_EQ(outcomes[3].status, 404);
    EXPECT_TRUE(outcomes[3].path.empty());
    EXPECT_NE(outcomes[4].why.find("--max-size"), std::string::npos);
    EXPECT_EQ(GetFileToString(folder + "a.png"), "mine"); // never replaced
    EXPECT_EQ(GetFileToString(folder + "a (3).png"), "BB");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a (2).png", "a (3).png", "a.png", "old.png"}));
    EXPECT_EQ(transport.requests[0].headers.find("Referer: http://h/page.html") != std::string::npos,
              true);

    Save({"http://h/a.png", "http://h/b/a.png"}, SaveLayout::Mirror);
    EXPECT_EQ(GetFileToString(folder + "h/a.png"), "AAAA");
    EXPECT_EQ(GetFileToString(folder + "h/b/a.png"), "BB");
}

TEST_F(SaverTest, AStopOrAFullDiskLeavesNoPartialFile) {
    transport.onAnswer = [this](const std::string&) { browser.Stop(); };
    const auto stopped = Save({"http://h/a.png", "http://h/b/a.png", "http://h/old.png"});
    EXPECT_EQ(stopped[0].path, folder + "a.png");
    EXPECT_EQ(stopped[2].why, "stopped");
    EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
    EXPECT_FALSE(browser.State().LinkCheckBusy);

    transport.onAnswer = nullptr;
    browser.State().LinkCheckAbort = false;
    transport.answers["h /huge.png"] = Answer(200, {}, std::string(64 * 1024, 'x'));
    {
        test::FileSizeLimit limit(1024);
        const auto full = Save({"http://h/huge.png"});
        EXPECT_TRUE(full[0].path.empty());
        EXPECT_NE(full[0].why.find("cannot write"), std::string::npos) << full[0].why;
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"a.png"});
}

TEST_F(SaverTest, ThePageRipUsesTheChoicesAndListsWhatItWrote) {
    BrowserState& state = browser.State();
    state.PageSource = "<img src=\"a.png\"><img src=\"b/a.png\"><a href=\"/old.png\">x</a>";
    state.BaseURL = state.CurrentURL = "http://h/";
    state.RipFolder = folder + "rips";
    state.RipKinds = "media";
    PageRip(browser, transport).Run();
    EXPECT_EQ(Names(), (std::vector<std::string>{"rips/a (2).png", "rips/a.png"}));
    EXPECT_NE(state.ObjectInfo.Text.find("http://h/a.png -> " + folder + "rips/a.png\r\n"),
              std::string::npos)
        << state.ObjectInfo.Text;
    EXPECT_EQ(state.StatusText, "Linked files saved: 2 / 2 into " + folder + "rips/");
    state.RipExtensions = "gif";
    PageRip(browser, transport).Run();
    EXPECT_EQ(state.StatusText, "No linked files of the chosen kinds on this page");

    // The page's requisites: stylesheets with what they name, scripts; not the pages it names.
    transport.answers["h /s.css"] = Answer(200, {{"Content-Type", "text/css"}},
                                           "@import 'more.css'; p { background: url(b/a.png) }");
    transport.answers["h /more.css"] = Answer(200, {{"Content-Type", "text/css"}}, "url(deep.png)");
    transport.answers["h /j.js"] = Answer(200, {{"Content-Type", "text/javascript"}}, "js");
    state.PageSource = "<link rel=\"stylesheet\" href=\"s.css\"><link rel=next href=\"n.html\">"
                       "<script src=\"j.js\"></script>";
    state.RipFolder = folder + "req";
    state.RipKinds = "linked";
    state.RipExtensions.clear();
    PageRip(browser, transport).Run();
    EXPECT_EQ(Names(), (std::vector<std::string>{"req/a.png", "req/j.js", "req/more.css",
                                                 "req/s.css", "rips/a (2).png", "rips/a.png"}))
        << state.ObjectInfo.Text;
}

} // namespace
} // namespace qm
