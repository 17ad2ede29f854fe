// The interpreter against a server in this process on 127.0.0.1: the stop rules, the status
// line, the Referer of SETBASEURL, and the editor's templates run on a page.

#include <httplib.h>

#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "net/downloader.h"
#include "net/go_action.h"
#include "script/program_templates.h"
#include "script/script_runner.h"
#include "state/browser.h"
#include "support/fake_pump.h"
#include "support/local_server.h"
#include "support/local_transport.h"
#include "tools/info_area_tools.h"

namespace qm {
namespace {

constexpr int kEnglish = 1;

class FakeEditor : public ScriptHost, public GoActionHost {
  public:
    std::vector<std::string> ProgramLines() override {
        ++reads;
        if (onRead) onRead(reads, lines);
        return lines;
    }
    void ShowScriptStatus(const std::string& text) override { status.push_back(text); }
    void RequestRender() override { ++renders; }
    void CloseEditor() override { closed = true; }
    void PageReady() override { ++pages; }

    std::vector<std::string> lines;
    std::vector<std::string> status;
    std::function<void(int, std::vector<std::string>&)> onRead;
    int reads = 0, renders = 0, pages = 0;
    bool closed = false;
};

const char* const kPage = "<html><head><title>T</title>\r\n<script>var ytplayer.config = "
                          "{\"url=https%3A%2F%2Fr1.googlevideo.com%2Fv\\u0026x\",\"y\"};"
                          "</script></head>\r\n<body><a href=\"/a.html\">a</a> tail</body></html>";

class ScriptRunnerTest : public ::testing::Test {
  protected:
    ScriptRunnerTest() {
        server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                requests.push_back(request.path + " " + request.get_header_value("Referer"));
            }
            if (request.path == "/missing") response.status = 404;
            response.set_content(request.path == "/page.html" ? kPage : "x", "text/html");
        });
        EXPECT_TRUE(server.Start());
        browser.SetLanguage(kEnglish);
    }

    RunResult Run(std::vector<std::string> lines) {
        editor.lines = std::move(lines);
        editor.status.clear();
        return runner.Run(editor);
    }
    std::string Status() const { return editor.status.back(); }
    std::string Area() const { return browser.State().ObjectInfo.Text; }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }

    testing::FakePump pump;
    Browser browser{pump};
    testing::LocalTransport transport;
    Downloader downloader{browser, transport};
    FakeEditor editor;
    GoAction go{browser, editor, downloader};
    ScriptRunner runner{{browser, go, downloader, editor}};
    testing::LocalServer server;
    std::mutex mutex;
    std::vector<std::string> requests;
};

struct StopCase {
    const char* name;
    std::vector<std::string> lines;
    RunEnd end;
    std::string status;
    int linesRun; // progress lines shown
};

TEST_F(ScriptRunnerTest, StopRulesAndTheStatusLine) {
    const StopCase cases[] = {
        {"empty program", {}, RunEnd::Finished, "Ready", 0},
        {"comments and blanks", {"//press F5 ;)", "   ", "\t// x"}, RunEnd::Finished, "Ready", 3},
        {"slashes alone", {"//", "X"}, RunEnd::Error, "Error at string 1", 1},
        {"unknown word", {"GETSOURCE", "FOO"}, RunEnd::Error, "Error at string 2", 2},
        {"whole-line word with more", {"GETSOURCE now"}, RunEnd::Error, "Error at string 1", 1},
        {"SETY not a number", {"SETY 10", "SETY ten", "X"}, RunEnd::Error, "Error at string 2", 2},
        {"X in the middle", {"SETY 5", "X", "FOO"}, RunEnd::Finished, "Ready", 2},
        {"NOSELX after a failed search",
         {"SFIRST \"nowhere\"", "NOSELX \"Cut-place not found\"", "X"},
         RunEnd::NoSelection,
         "Cut-place not found",
         2},
        {"NOSELX without a message",
         {"SFIRST nowhere", "noselx"},
         RunEnd::NoSelection,
         "NOSELX",
         2},
        {"NOSELX after a hit",
         {"SFIRST \"two\"", "NOSELX \"lost\"", "SETY"},
         RunEnd::Finished,
         "Ready",
         3},
        {"search-prefix line is GO", {"GOOGLE", "X"}, RunEnd::Finished, "Ready", 2},
    };
    for (const StopCase& c : cases) {
        browser.SetField(FieldId::ObjectInfo, "one two three");
        const RunResult result = Run(c.lines);
        int progress = 0;
        for (const std::string& s : editor.status)
            if (s.find('/') != std::string::npos && s.find("Error") == std::string::npos)
                ++progress;
        EXPECT_EQ(result.end, c.end) << c.name;
        EXPECT_EQ(Status(), c.status) << c.name;
        EXPECT_EQ(progress, c.linesRun) << c.name;
        EXPECT_EQ(editor.status.front(), "") << c.name << ": a run starts with an empty status";
        if (c.end == RunEnd::Error) {
            EXPECT_EQ(result.errorLine, c.linesRun) << c.name;
        }
    }
}

TEST_F(ScriptRunnerTest, ProgressCountsTheLinesAsTheyAreNow) {
    editor.onRead = [](int reads, std::vector<std::string>& lines) {
        if (reads == 2) lines.push_back("SETY 7"); // written while the first line runs
    };
    Run({"SETY 1"});
    EXPECT_EQ(editor.status, (std::vector<std::string>{"", "1/1", "2/2", "Ready"}));
    EXPECT_EQ(browser.View().ScrollY, 7);
    EXPECT_EQ(editor.renders, 2);
}

TEST_F(ScriptRunnerTest, SetYArguments) {
    const std::pair<const char*, int32_t> cases[] = {{"SETY", 0},
                                                     {"SETY -20", -20},
                                                     {"SETY\"300\"", 300},
                                                     {"sety +4", 4},
                                                     {"SETY 2147483647", 2147483647}};
    for (auto [line, offset] : cases) {
        browser.View().ScrollY = 99;
        EXPECT_EQ(Run({line}).end, RunEnd::Finished) << line;
        EXPECT_EQ(browser.View().ScrollY, offset) << line;
    }
    for (const char* bad : {"SETY 2147483648", "SETY 1.5", "SETY +-3", "SETY 12px", "SETY \"\""}) {
        browser.View().ScrollY = 99;
        EXPECT_EQ(Run({bad}).end, RunEnd::Error) << bad;
        EXPECT_EQ(browser.View().ScrollY, 99) << bad;
    }
}

TEST_F(ScriptRunnerTest, CloseFirstHidesTheEditorAndTheRunGoesOn) {
    Run({"CLOSE", "SETY 40"});
    EXPECT_TRUE(editor.closed);
    EXPECT_EQ(browser.View().ScrollY, 40);
    EXPECT_EQ(Status(), "Ready");
}

TEST_F(ScriptRunnerTest, ARunStartedDuringARunIsIgnored) {
    RunResult inner;
    pump.onPump = [&] {
        if (runner.Running() && inner.end != RunEnd::Ignored) inner = runner.Run(editor);
    };
    EXPECT_EQ(Run({"SETY 1", "SETY 2"}).end, RunEnd::Finished);
    EXPECT_EQ(inner.end, RunEnd::Ignored);
    EXPECT_FALSE(runner.Running());
}

TEST_F(ScriptRunnerTest, SearchArgumentsStayInTheSearchField) {
    browser.SetField(FieldId::ObjectInfo, "a,b,c");
    browser.SetField(FieldId::Search, "c");
    Run({"sfirst ','", "SNEXT", "DELBEF"});
    EXPECT_EQ(Area(), ",c");
    EXPECT_EQ(browser.State().SearchField.Text, ",");
    Run({"SLAST"}); // the field as the last run left it
    EXPECT_EQ(browser.State().ObjectInfo.SelectionStart, 0u);
    EXPECT_EQ(browser.State().ObjectInfo.SelectionLength, 1u);
}

TEST_F(ScriptRunnerTest, GoKeepsTheCaseOfItsArgumentAndUsesTheAddressBarWithoutOne) {
    Run({"go \"" + server.Url("/Page.HTML") + "\""});
    go.SetAddress(server.Url("/bar"));
    Run({"GO"});
    EXPECT_EQ(Requests(), (std::vector<std::string>{"/Page.HTML ", "/bar "}));
    EXPECT_EQ(browser.State().BaseURL, server.Url("/bar"));
}

TEST_F(ScriptRunnerTest, BaseAddressIsTheRefererOfTheNextRequestsOfTheRunOnly) {
    const RunResult result = Run({"SETBASEURL \"http://base.example/\"", "GO " + server.Url("/one"),
                                  "TESTURL " + server.Url("/two")});
    EXPECT_EQ(result.failedRequests, 0);
    Run({"GO " + server.Url("/three")});
    browser.Downloads().sendReferer = false;
    Run({"SETBASEURL 'http://base.example/'", "GO " + server.Url("/four")});
    EXPECT_EQ(Requests(),
              (std::vector<std::string>{"/one http://base.example/", "/two " + server.Url("/one"),
                                        "/three ", "/four "}));
    EXPECT_TRUE(browser.State().RefererURL.empty());
}

TEST_F(ScriptRunnerTest, SetBaseUrlWithoutArgumentClearsTheBase) {
    browser.State().BaseURL = "http://old/";
    Run({"SETBASEURL"});
    EXPECT_EQ(browser.State().BaseURL, "");
}

TEST_F(ScriptRunnerTest, AFailedRequestIsCountedAndTheRunGoesOn) {
    const RunResult result = Run({"GO http://127.0.0.1:1/", "SETY 3"});
    EXPECT_EQ(result.end, RunEnd::Finished);
    EXPECT_EQ(result.failedRequests, 1);
    EXPECT_EQ(browser.View().ScrollY, 3);
}

TEST_F(ScriptRunnerTest, CutHeaderTemplateKeepsTheBody) {
    Run({"GO " + server.Url("/page.html")});
    const RunResult result = Run(TemplateLines(2, kEnglish));
    EXPECT_EQ(result.end, RunEnd::Finished);
    EXPECT_EQ(browser.State().PageSource, "<body><a href=\"/a.html\">a</a> tail</body></html>");
    EXPECT_TRUE(editor.closed);
}

TEST_F(ScriptRunnerTest, CutHeaderTemplateStopsWithItsMessageWithoutABody) {
    Run({"GO " + server.Url("/other")});
    Run(TemplateLines(2, kEnglish));
    EXPECT_EQ(Status(), "Cut-place not found");
    EXPECT_EQ(browser.State().PageSource, "x");
    EXPECT_FALSE(editor.closed);
}

TEST_F(ScriptRunnerTest, VideoTemplateTestsTheMediaAddresses) {
    Run({"GO " + server.Url("/page.html")});
    Run(TemplateLines(3, kEnglish));
    EXPECT_EQ(Status(), "Ready");
    EXPECT_EQ(Area(), "https://r1.googlevideo.com/v\r\n\r\n");
    EXPECT_NE(browser.State().PageSource.find("1. Code "), std::string::npos);
}

TEST_F(ScriptRunnerTest, SkipHeaderAndBlankAndDosTemplates) {
    browser.State().PageSource = "\x8f\xe0\xa8"; // "При" in DOS 866
    EXPECT_EQ(Run(TemplateLines(0, kEnglish)).end, RunEnd::Finished);
    Run(TemplateLines(1, kEnglish));
    EXPECT_EQ(browser.View().ScrollY, 1000);
    Run(TemplateLines(4, kEnglish));
    EXPECT_EQ(browser.State().PageSource, "\xcf\xf0\xe8");
    Run({"GETSOURCE", "WINTODOS"});
    EXPECT_EQ(Area(), "\x8f\xe0\xa8");
}

// A session in the window's own operations, recorded, then run on a fresh page: the recorded
// program leaves the object info area as the session did.
TEST_F(ScriptRunnerTest, ARecordedSessionReplaysToTheSameArea) {
    std::vector<std::string> recorded;
    browser.StartRecording([&](const std::string& line) { recorded.push_back(line); });
    const std::string page = server.Url("/page.html");
    go.Navigate(page);
    ShowPageSource(browser);
    browser.SetField(FieldId::Search, "<body>");
    SearchText(browser, SearchFrom::First);
    DeleteBefore(browser);
    // A selection by hand that the first search for its text makes again.
    const size_t at = Area().find("tail");
    browser.SelectInField(FieldId::ObjectInfo, at, 4);
    DeleteAfter(browser);
    SplitText(browser, SplitPlace::After);
    browser.SetField(FieldId::Search, "href");
    KeepLines(browser);
    DecodePercentCodes(browser);
    const std::string area = Area();
    browser.SetField(FieldId::ObjectInfo, "typed by hand");
    ConvertAreaCodePage(browser, AreaConversion::WinToDos);
    browser.View().ScrollY = 40;
    EXPECT_TRUE(browser.State().Recorder.Recording());
    EXPECT_EQ(Run({"X"}).end, RunEnd::Ignored) << "no run while recording";
    browser.Stop(); // F5 with nothing to stop ends the recording
    EXPECT_FALSE(browser.State().Recorder.Recording());
    const std::vector<std::string> expected = {
        "GO \"" + page + "\"",
        "GETSOURCE",
        "SFIRST \"<body>\"",
        "DELBEF",
        "SFIRST \"tail\"",
        "DELAFT",
        "RETAFT \"tail\"", // the selection, not the search field, is what the tool split at
        "DELEXCEPT \"href\"",
        "DEPERC",
        "// not recorded: a change of the object info area made by hand",
        "WINTODOS",
        "SETY 40",
    };
    EXPECT_EQ(recorded, expected);

    // The lines up to the hand edit replay to the area the session had there.
    browser.SetField(FieldId::ObjectInfo, {});
    browser.State().PageSource.clear();
    const std::vector<std::string> replay(recorded.begin(), recorded.begin() + 9);
    EXPECT_EQ(Run(replay).end, RunEnd::Finished);
    EXPECT_EQ(Area(), area);
    EXPECT_EQ(area, "<body><a href=\"/a.html\">a</a> tail\r\n\r\n");
}

TEST(RecordedLine, QuotesArgumentsAndRefusesLineBreaks) {
    EXPECT_EQ(RecordedLine(ScriptCommand::Go, "http://h/a b"), "GO \"http://h/a b\"");
    EXPECT_EQ(RecordedLine(ScriptCommand::DelExcept, ""), "DELEXCEPT \"\"");
    EXPECT_EQ(RecordedLine(ScriptCommand::RetBef, "say \"hi\""), "RETBEF \"say \"hi\"\"");
    EXPECT_EQ(RecordedLine(ScriptCommand::SFirst, "a\r\nb"), "");
    EXPECT_EQ(RecordedLine(ScriptCommand::TestLinks, "ignored"), "TESTLINKS");
    // Every word the recorder writes is the command the interpreter reads.
    for (const CommandWord& word : kCommandWords) {
        const ScriptLine line = ParseScriptLine(RecordedLine(word.command, "x"));
        EXPECT_EQ(line.command, word.command) << word.word;
    }
}

} // namespace
} // namespace qm
