// Saving linked files against a server in this process on 127.0.0.1: names from addresses and
// content types, what is saved and what is not, the object info area, and the file bar's ways
// of opening a file through a recording shell.

#include <httplib.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/fake_pump.h"
#include "support/local_transport.h"
#include "state/browser.h"
#include "base/file_io.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "net/save_files.h"
#include "net/staged_file.h"
#include "base/interfaces.h"
#include "base/codepage.h"
#include "tools/source_decode.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

using LocalTransport = qm::testing::LocalTransport;
using Pump = qm::testing::FakePump;

// The window's side: the two fields and the object info area (the browser's models, named
// for the tests) and the caption.
class FakeWindow : public FileBarHost,
                   public DownloadView,
                   public BrowserView,
                   public GoActionHost {
  public:
    explicit FakeWindow(BrowserState& state)
        : linkField(state.LinkField.Text), fileField(state.FileField.Text),
          objectInfo(state.ObjectInfo.Text) {}
    std::string& linkField;
    std::string& fileField;
    std::string& objectInfo;
    std::string caption;
    void ShowAddress(const std::string&) override {}
    void RepaintTraffic() override {}
    void RepaintHistoryButtons() override {}
    void ShowCaption(const std::string& text) override { caption = text; }
    void ShowStopCaption(const std::string&) override {}
    void PageReady() override {}
};

class FakeDialogs : public Dialogs {
  public:
    std::string answer; // empty: cancelled
    std::vector<std::string> titles, suggestions;
    std::string AskOpenFile(const std::string&, const std::string&) override { return {}; }
    std::string AskSaveFile(const std::string& title, const std::string&,
                            const std::string& suggested) override {
        titles.push_back(title);
        suggestions.push_back(suggested);
        return answer;
    }
    bool AskColour(uint32_t&) override { return false; }
};

class FakeShell : public Shell {
  public:
    bool works = true;
    std::vector<std::string> calls; // "app path", "folder path", "editor path"
    bool OpenWithDefaultApp(const std::string& path) override { return Call("app " + path); }
    bool ShowInFileManager(const std::string& path) override { return Call("folder " + path); }
    bool OpenInTextEditor(const std::string& path) override { return Call("editor " + path); }
    bool RestartProgram() override { return Call("restart"); }
    ShellError Error() const override { return {ShellFailure::CannotStart, "/usr/bin/viewer"}; }

  private:
    bool Call(const std::string& call) {
        calls.push_back(call);
        return works;
    }
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

std::string Pattern(size_t size) {
    std::string data(size, 0);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>('a' + i % 26);
    return data;
}

class SaveFilesTest : public ::testing::Test {
  protected:
    SaveFilesTest() {
        folder = fs::path(::testing::TempDir()) /
                 ("quillmar_save_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "download");
        S().DownloadFolder = (folder / "download").string() + "/";
        browser.SetView(&window);
        downloader.SetView(&window);
        Serve();
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~SaveFilesTest() override {
        server.stop();
        thread.join();
        fs::remove_all(folder);
    }

    // /files/NAME?t=TYPE&n=SIZE answers 200 with that type and size; /missing 404; /flaky 200
    // once, then 500 (or the code of "then"); /broken breaks off after 2000 of 5000 bytes; /old
    // redirects.
    void Serve() {
        server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            int count;
            {
                std::lock_guard<std::mutex> lock(mutex);
                count = ++requests[request.path];
                referers.push_back(request.get_header_value("Referer"));
            }
            std::string type = request.get_param_value("t");
            size_t size = request.has_param("n") ? std::stoul(request.get_param_value("n")) : 10;
            if (request.path.rfind("/files/", 0) == 0) {
                response.set_content(Pattern(size), type.c_str());
            } else if (request.path == "/missing") {
                response.status = 404;
                response.set_content("<h1>not here</h1>", "text/html");
            } else if (request.path.rfind("/flaky", 0) == 0) {
                const int then =
                    request.has_param("then") ? std::stoi(request.get_param_value("then")) : 500;
                response.status = count == 1 ? 200 : then;
                response.set_content("server says no", "image/png");
            } else if (request.path == "/broken") {
                response.set_content_provider(
                    5000, "application/zip",
                    [](size_t offset, size_t length, httplib::DataSink& sink) {
                        if (offset >= 2000) return false;
                        std::string part = Pattern(2000).substr(offset, length);
                        sink.write(part.data(), part.size());
                        return true;
                    });
            } else if (request.path == "/old") {
                response.status = 302;
                response.set_header("Location", "/files/new.png?t=image/png");
            }
        });
    }
    int Requests(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex);
        return requests[path];
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
    BrowserState& S() { return browser.State(); }
    fs::path Download() const { return folder / "download"; }
    std::vector<std::string> FilesIn(const fs::path& dir) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void QuickSave(const std::string& path) {
        window.linkField = Url(path);
        saver.QuickSaveLink();
    }

    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::mutex mutex;
    std::map<std::string, int> requests;
    std::vector<std::string> referers;
    fs::path folder;

    Pump pump;
    Browser browser{pump};
    LocalTransport transport;
    Downloader downloader{browser, transport};
    FakeWindow window{browser.State()};
    GoAction goAction{browser, window, downloader};
    FakeDialogs dialogs;
    FakeShell shell;
    SaveFiles saver{browser, downloader, goAction, window, dialogs, shell};
};

TEST_F(SaveFilesTest, QuickSaveNamesTheFileByAddressAndContentType) {
    struct Case {
        std::string path, name, opened;
    } cases[] = {
        {"/files/pic?t=image/png", "pic.png", "app"},
        {"/files/pic.PNG?t=image/png", "pic.PNG", "app"},
        {"/files/x.jpg.gif?t=image/jpeg", "x.jpg.gif.jpg", "app"},
        {"/files/a.png.png?t=image/png", "a.png.png", "app"},
        {"/files/a%20b.png?t=image/png", "a_20b.png", "app"},
        {"/files/?t=image/gif", "data.gif", "app"},
        {"/files/archive?t=application/zip", "archive.zip", "folder"},
        {"/files/notes.txt?t=text/plain", "notes.txt", "folder"},
        // Parameters after the type make it unknown: no extension, not a medium.
        {"/files/photo?t=image/png;%20q=1", "photo", "folder"},
        {"/files/\xCF\xF0.png?t=image/png", "\xD0\x9F\xD1\x80.png", "app"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Download());
        fs::create_directories(Download());
        shell.calls.clear();
        QuickSave(c.path);
        const std::string expected = (Download() / c.name).string();
        EXPECT_EQ(FilesIn(Download()), std::vector<std::string>{c.name}) << c.path;
        EXPECT_EQ(window.fileField, expected) << c.path;
        EXPECT_EQ(ReadFile(expected), Pattern(10)) << c.path;
        EXPECT_EQ(shell.calls, std::vector<std::string>{c.opened + " " + expected}) << c.path;
    }
}

TEST_F(SaveFilesTest, QuickSaveReportsInTheObjectInfoAreaAndSendsTheReferer) {
    S().BaseURL = "http://site.example/page.html";
    QuickSave("/files/big.bin?t=application/zip&n=123456");
    const std::string path = (Download() / "big.bin.zip").string();
    EXPECT_EQ(window.objectInfo, "Downloading " + Url("/files/big.bin?t=application/zip&n=123456") +
                                     "\r\nReady\r\nFile was saved as " + path +
                                     "\r\nSize: 123 456 bytes\r\nView file by pressing one of "
                                     "buttons below (at right of field with saved file name)\r\n");
    EXPECT_EQ(GetFileSize(path), 123456);
    EXPECT_EQ(referers, (std::vector<std::string>{S().BaseURL, S().BaseURL}));
    EXPECT_EQ(S().RefererURL, "");
    ASSERT_FALSE(S().History.empty());
    EXPECT_EQ(S().History.back().FileName, path);
}

TEST_F(SaveFilesTest, QuickSaveGoesIntoTheFolderOfTheFileField) {
    fs::create_directories(folder / "mine");
    window.fileField = (folder / "mine" / "earlier.txt").string();
    EXPECT_EQ(saver.SaveFolder(), (folder / "mine").string() + "/");
    QuickSave("/files/pic?t=image/png");
    EXPECT_EQ(window.fileField, (folder / "mine" / "pic.png").string());
    EXPECT_TRUE(FileExists(window.fileField));

    window.fileField = (folder / "gone" / "earlier.txt").string();
    EXPECT_EQ(saver.SaveFolder(), S().DownloadFolder);
    window.fileField.clear();
    EXPECT_EQ(saver.SaveFolder(), S().DownloadFolder);
}

TEST_F(SaveFilesTest, QuickSaveKeepsTheUsersFilesAndTakesTheFirstFreeName) {
    struct Case {
        std::string link;
        std::vector<std::string> taken; // a name ending in "@" is a link to nowhere
        std::string expected;
    } cases[] = {
        {"/files/index.html?n=0", {"index.html"}, "index (2).html"},
        {"/files/index.html?n=0", {"index.html", "index (3).html"}, "index (2).html"},
        {"/files/README?n=0", {"README", "README (2)"}, "README (3)"},
        {"/files/pic?t=image/png", {"pic.png@"}, "pic (2).png"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Download());
        fs::create_directories(Download());
        std::vector<std::string> names{c.expected};
        for (std::string name : c.taken) {
            const bool link = name.back() == '@';
            if (link) name.pop_back();
            names.push_back(name);
            if (link)
                fs::create_symlink(folder / "-", Download() / name);
            else
                WriteFile(Download() / name, "mine " + name);
        }
        // The user opened their own file in that folder; the link has the same name.
        window.fileField = (Download() / "index.html").string();
        QuickSave(c.link);
        const std::string saved = (Download() / c.expected).string();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(FilesIn(Download()), names) << c.link;
        EXPECT_EQ(window.fileField, saved) << c.link;
        EXPECT_NE(window.objectInfo.find("File was saved as " + saved), std::string::npos)
            << c.link;
        for (const std::string& name : c.taken)
            if (name.back() != '@') {
                EXPECT_EQ(ReadFile(Download() / name), "mine " + name);
            }
    }
}

TEST_F(SaveFilesTest, AnErrorAnswerSavesNothing) {
    QuickSave("/missing");
    EXPECT_TRUE(FilesIn(Download()).empty());
    EXPECT_NE(window.objectInfo.find("Code 404"), std::string::npos) << window.objectInfo;
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(Requests("/missing"), 1);

    window.linkField = Url("/missing");
    dialogs.answer = (Download() / "x.html").string();
    saver.BitBtn5Click();
    EXPECT_TRUE(dialogs.titles.empty()) << "no dialog for an error page";
    EXPECT_TRUE(FilesIn(Download()).empty());
}

TEST_F(SaveFilesTest, AnErrorAnswerToTheDownloadItselfKeepsTheOlderFile) {
    // The test is answered with 200, the download that follows with 500.
    WriteFile(Download() / "flaky.png", "older file");
    QuickSave("/flaky");
    EXPECT_EQ(Requests("/flaky"), 2);
    EXPECT_EQ(FilesIn(Download()), std::vector<std::string>{"flaky.png"});
    EXPECT_EQ(ReadFile(Download() / "flaky.png"), "older file");
    EXPECT_EQ(window.objectInfo.find("File was saved as"), std::string::npos) << window.objectInfo;
    EXPECT_NE(window.objectInfo.find("Code 500"), std::string::npos) << window.objectInfo;
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(SaveFilesTest, AnErrorAnswerToATestedDownloadIsReportedAsAFailure) {
    struct Case {
        std::string what, path;
        bool dialog;
    };
    const Case cases[] = {
        {"quick save", "/flaky/quick?then=404", false},
        {"save dialog", "/flaky/dialog?then=404", true},
    };
    for (const Case& c : cases) {
        const std::string before = (folder / "earlier.txt").string();
        window.fileField = before;
        window.linkField = Url(c.path);
        dialogs.answer = (folder / "chosen.png").string();
        if (c.dialog)
            saver.BitBtn5Click();
        else
            saver.QuickSaveLink();
        EXPECT_EQ(window.caption, "Download error: Code 404") << c.what;
        EXPECT_EQ(S().StatusText, "Download error: Code 404") << c.what;
        EXPECT_EQ(window.objectInfo,
                  "Downloading " + Url(c.path) + "\r\nDownload error: Code 404\r\n")
            << c.what;
        EXPECT_EQ(window.fileField, before) << c.what << ": no file was saved";
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"download"}) << c.what;
    }
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(SaveFilesTest, BrokenDownloadLeavesNoFileAndKeepsAnOlderOne) {
    QuickSave("/broken");
    EXPECT_TRUE(FilesIn(Download()).empty());
    EXPECT_EQ(window.objectInfo, "Downloading " + Url("/broken") + "\r\nDownload error\r\n");
    EXPECT_TRUE(shell.calls.empty());

    WriteFile(Download() / "broken.zip", "older file");
    QuickSave("/broken");
    EXPECT_EQ(FilesIn(Download()), std::vector<std::string>{"broken.zip"});
    EXPECT_EQ(ReadFile(Download() / "broken.zip"), "older file");
}

TEST_F(SaveFilesTest, StoppedDownloadKeepsWhatWasRead) {
    downloader.SetTickSource([tick = uint64_t{0}]() mutable { return tick += 10; });
    pump.onPump = [this] {
        if (S().DownloadBusy && transport.bodyRead >= 3 * 1024) browser.Stop();
    };
    QuickSave("/files/long.bin?t=application/zip&n=20000");
    const fs::path saved = Download() / "long.bin.zip";
    ASSERT_TRUE(fs::exists(saved));
    const std::string body = ReadFile(saved);
    EXPECT_GE(body.size(), 3u * 1024);
    EXPECT_LT(body.size(), 20000u);
    EXPECT_EQ(body, Pattern(20000).substr(0, body.size()));
    EXPECT_NE(window.objectInfo.find("File was saved as"), std::string::npos);
}

TEST_F(SaveFilesTest, DataUriOfACtrlClickIsDecodedWithoutARequest) {
    window.linkField = "  data:image/png;base64,SGVsbG8=";
    saver.QuickSaveLink();
    const std::string path = (Download() / "png.png").string();
    EXPECT_EQ(ReadFile(path), "Hello");
    EXPECT_EQ(window.fileField, path);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"app " + path});
    EXPECT_TRUE(requests.empty());

    shell.calls.clear();
    window.linkField = "data:text/plain,Hi%20there";
    saver.QuickSaveLink();
    EXPECT_EQ(ReadFile(Download() / "plain"), "Hi there");
    EXPECT_EQ(shell.calls, std::vector<std::string>{"folder " + (Download() / "plain").string()});

    // "Download and save" of a data address asks where its data goes.
    dialogs.answer = (folder / "chosen.bin").string();
    saver.BitBtn5Click();
    EXPECT_EQ(dialogs.titles, std::vector<std::string>{"Decode data and save as..."});
    EXPECT_EQ(ReadFile(dialogs.answer), "Hi there");
    EXPECT_EQ(window.fileField, dialogs.answer);
    EXPECT_TRUE(requests.empty());
}

TEST_F(SaveFilesTest, LinkFieldToolsDecodeDataAndMakeTheAddressAbsolute) {
    window.linkField = "data:text/plain,abc";
    dialogs.answer = (folder / "decoded.txt").string();
    saver.DecodeDataAndSave();
    EXPECT_EQ(ReadFile(dialogs.answer), "abc");
    EXPECT_EQ(window.fileField, dialogs.answer);
    EXPECT_TRUE(requests.empty());

    browser.State().BaseURL = "http://host/dir/page.html";
    window.linkField = "../img/a.png";
    saver.MakeLinkAbsolute();
    EXPECT_EQ(window.linkField, "http://host/img/a.png");
}

TEST_F(SaveFilesTest, DownloadAndSaveOfAJustTestedAddressDoesNotTestAgain) {
    window.linkField = Url("/old");
    saver.TestLinkedAddress();
    EXPECT_EQ(window.linkField, Url("/files/new.png?t=image/png"))
        << "the test shows where it ended";
    EXPECT_EQ(Requests("/files/new.png"), 1);

    dialogs.answer = (folder / "chosen.png").string();
    saver.BitBtn5Click();
    EXPECT_EQ(Requests("/files/new.png"), 2) << "only the download itself";
    EXPECT_EQ(Requests("/old"), 1);
    EXPECT_EQ(dialogs.titles, std::vector<std::string>{"Download and save as..."});
    EXPECT_EQ(dialogs.suggestions, std::vector<std::string>{S().DownloadFolder + "new.png"});
    EXPECT_EQ(window.fileField, dialogs.answer);
    EXPECT_EQ(ReadFile(dialogs.answer), Pattern(10));
    EXPECT_TRUE(shell.calls.empty()) << "the dialog flow does not open the file";

    // An address not tested yet is tested first, so that its type names the file; the dialog
    // now starts in the folder of the file saved before.
    window.linkField = Url("/files/other?t=image/gif");
    saver.BitBtn5Click();
    EXPECT_EQ(Requests("/files/other"), 2);
    EXPECT_EQ(dialogs.suggestions.back(), (folder / "other.gif").string());
}

TEST_F(SaveFilesTest, CancelledDialogOrUnwritableTargetDownloadsNothing) {
    window.linkField = " " + Url("/files/pic?t=image/png") + " ";
    saver.BitBtn5Click();
    EXPECT_EQ(Requests("/files/pic"), 1);
    EXPECT_EQ(window.fileField, "");

    dialogs.answer = (folder / "no such folder" / "pic.png").string();
    saver.BitBtn5Click();
    EXPECT_EQ(Requests("/files/pic"), 1) << "tested already, and the file cannot be made";
    EXPECT_EQ(window.objectInfo,
              "Downloading " + Url("/files/pic?t=image/png") + "\r\nDownload error\r\n");
    EXPECT_TRUE(S().LastDownloadFailed);
}

TEST_F(SaveFilesTest, NamesUpToTheFileSystemLimitCanBeSaved) {
    // The temporary file beside the target must not be longer than the target's own name.
    window.linkField = Url("/files/long?t=application/zip");
    for (size_t length : {200u, 248u, 255u}) {
        const fs::path page = folder / std::string(length, 'p');
        const fs::path linked = folder / std::string(length, 'l');
        EXPECT_TRUE(WriteFileAtomically(page.string(), "page")) << length;
        EXPECT_EQ(ReadFile(page), "page") << length;
        dialogs.answer = linked.string();
        saver.BitBtn5Click();
        EXPECT_EQ(ReadFile(linked), Pattern(10)) << length << "\n" << window.objectInfo;
        EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"download", linked.filename().string(),
                                                             page.filename().string()}))
            << length;
        fs::remove(page);
        fs::remove(linked);
    }
}

TEST_F(SaveFilesTest, APageKeepsItsOwnReportThroughDownloadsAndLinkTests) {
    goAction.Navigate(Url("/files/page.html?t=text/html"));
    DecodeSite(S());
    const std::string shown = S().DecodedSource;
    ASSERT_EQ(shown.rfind("URL: " + Url("/files/page.html?t=text/html"), 0), 0u) << shown;

    // Each of these reports in the object info area; a render of the page again shows the
    // page's own report above it.
    const std::vector<std::pair<std::string, std::function<void()>>> actions = {
        {"quick save", [this] { QuickSave("/files/pic?t=image/png"); }},
        {"link test", [this] { saver.TestLinkedAddress(); }},
        {"failed save", [this] { QuickSave("/missing"); }},
    };
    for (const auto& [what, action] : actions) {
        action();
        EXPECT_FALSE(window.objectInfo.empty()) << what;
        DecodeSite(S());
        EXPECT_EQ(S().DecodedSource, shown) << what;
    }

    // A page of another kind has no report.
    goAction.Navigate("about:blank");
    DecodeSite(S());
    EXPECT_EQ(S().DecodedSource, "");
}

TEST_F(SaveFilesTest, EnterInTheLinkFieldFollowsTheTrafficSaver) {
    struct Case {
        int mode;
        CtrlKey ctrl;
        bool saves;
    } cases[] = {{-1, CtrlKey::Up, true},   {-1, CtrlKey::Held, false}, {0, CtrlKey::Up, true},
                 {0, CtrlKey::Held, false}, {1, CtrlKey::Up, false},    {1, CtrlKey::Held, true}};
    window.linkField = Url("/files/pic?t=image/png");
    for (const Case& c : cases) {
        S().TrafficSaverMode = c.mode;
        S().LastRequestURL.clear(); // every save tests first
        S().LastFinalURL.clear();
        dialogs.titles.clear();
        saver.LinkFieldEnter(c.ctrl);
        EXPECT_EQ(dialogs.titles.size(), c.saves ? 1u : 0u)
            << "mode " << c.mode << (c.ctrl == CtrlKey::Held ? " Ctrl+Enter" : " Enter");
    }
}

TEST_F(SaveFilesTest, SaveWebpageWritesThePageAndKeepsAnOlderFileWhenWritingFails) {
    S().CurrentURL = "http://host/dir/pic?x=1";
    S().PageContentType = "image/png";
    S().PageSource = Pattern(64 * 1024);
    dialogs.answer = (folder / "page.png").string();
    saver.SaveWebpage();
    EXPECT_EQ(dialogs.titles, std::vector<std::string>{"Save webpage/file"});
    EXPECT_EQ(dialogs.suggestions, std::vector<std::string>{S().DownloadFolder + "pic.png"});
    EXPECT_EQ(ReadFile(dialogs.answer), S().PageSource);
    EXPECT_EQ(window.fileField, dialogs.answer);

    // A file size limit makes the write fail half-way.
    WriteFile(dialogs.answer, "older page");
    window.fileField = "before";
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    saver.SaveWebpage();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFile(dialogs.answer), "older page");
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"download", "page.png"}));
    EXPECT_EQ(window.fileField, "before");
    EXPECT_EQ(window.caption, "Cannot write file " + dialogs.answer);
}

TEST_F(SaveFilesTest, FileBarOpensTheSavedFileOrSaysWhy) {
    const std::string path = (folder / "saved.txt").string();
    WriteFile(path, "text");
    window.fileField = path;
    saver.BitBtn6Click();
    saver.FileFieldEnter(CtrlKey::Held);
    saver.BitBtn8Click();
    EXPECT_EQ(shell.calls,
              (std::vector<std::string>{"app " + path, "folder " + path, "editor " + path}));

    // Like a missing file, a launcher that fails is said in the caption only: the status
    // text, which scrolling shows again, keeps what the last operation said.
    S().StatusText = "Ready";
    shell.works = false;
    saver.FileFieldEnter(CtrlKey::Up);
    EXPECT_EQ(window.caption, "Cannot start /usr/bin/viewer");
    EXPECT_EQ(S().StatusText, "Ready");
    S().LanguageIndex = 0;
    saver.BitBtn8Click();
    EXPECT_EQ(window.caption, Utf8ToCp1251("Не удалось запустить /usr/bin/viewer"));
    EXPECT_EQ(S().StatusText, "Ready");
    S().LanguageIndex = 1;

    shell.calls.clear();
    S().StatusText = "Ready";
    window.fileField = (folder / "nothing.txt").string();
    saver.BitBtn7Click();
    EXPECT_EQ(window.caption, window.fileField + ": File not found");
    EXPECT_EQ(S().StatusText, "Ready");
    window.fileField.clear();
    saver.BitBtn8Click();
    EXPECT_TRUE(shell.calls.empty());
}

} // namespace
} // namespace qm
