// The desktop shell without a desktop: desktop entry files, programs replaced by scripts on an
// emptied PATH, a private session bus with a stand-in file manager. Programs must be started
// without waiting on them, and missing ones must give false at once.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/desktop_entry.h"
#include "platform/desktop_shell.h"

namespace {

std::string g_busAddress; // the private session bus, empty when none could be started

} // namespace

// Stands in for a file manager on the bus and remembers what it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
  public:
    QStringList shown;
  public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

namespace qm {
namespace {

namespace fs = std::filesystem;

// Sets environment variables for one test and puts the old values back.
class Environment {
  public:
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    void Set(const std::string& name, const std::optional<std::string>& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits, with events running, until the file has a line or the time is up.
std::string WaitForLog(const fs::path& log) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        std::string text = ReadFile(log);
        if (!text.empty() && text.back() == '\n') return text;
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return {};
}

class DesktopShellTest : public ::testing::Test {
  protected:
    DesktopShellTest() {
        root = fs::path(::testing::TempDir()) /
               ("quillmar_shell_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "data" / "applications");
        fs::create_directories(root / "files");
        file = (root / "files" / "saved file.txt").string();
        std::ofstream(file) << "text";
        env.Set("PATH", (root / "bin").string());
        env.Set("XDG_DATA_HOME", (root / "data").string());
        env.Set("XDG_DATA_DIRS", (root / "nothing").string());
        env.Set("DISPLAY", std::nullopt);
        env.Set("WAYLAND_DISPLAY", std::nullopt);
        env.Set("VISUAL", std::nullopt);
        env.Set("EDITOR", std::nullopt);
    }
    ~DesktopShellTest() override { fs::remove_all(root); }

    // A program on the emptied PATH that logs its arguments, one line per run, then lingers.
    fs::path FakeProgram(const std::string& name, const std::string& output = {}) {
        fs::path program = root / "bin" / name;
        std::ofstream(program) << "#!/bin/sh\n"
                               << (output.empty() ? "" : "echo '" + output + "'\n")
                               << "echo \"$@\" >> '" << Log(name).string() << "'\n"
                               << (output.empty() ? "sleep 3\n" : "");
        fs::permissions(program, fs::perms::owner_all);
        return program;
    }
    fs::path Log(const std::string& name) const { return root / (name + ".log"); }
    void DesktopFile(const std::string& id, const std::string& text) {
        std::ofstream(root / "data" / "applications" / id) << text;
    }

    Environment env;
    fs::path root;
    std::string file;
    DesktopShell shell;
};

TEST(DesktopEntry, ExecLinesBecomeCommands) {
    const std::string f = "/home/u/a b.txt";
    struct Case {
        std::string exec;
        std::vector<std::string> command;
    } cases[] = {
        {"gedit %U", {"gedit", f}},
        {"kate -b %U", {"kate", "-b", f}},
        {"mousepad", {"mousepad", f}},
        {"\"/opt/My Editor/ed\" --new %f", {"/opt/My Editor/ed", "--new", f}},
        {"ed %i %c %k --x=%f", {"ed", "--x=" + f}},
        {"sh -c \"echo \\\"x\\\" 100%%\" %F", {"sh", "-c", "echo \"x\" 100%", f}},
        {"ed \"\" %f", {"ed", "", f}},
        {"\"unclosed %f", {}},
        {"  ", {}},
        {"\"\" %f", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DesktopExecCommand(c.exec, f), c.command) << c.exec;
}

TEST(DesktopEntry, OnlyTheMainGroupCounts) {
    DesktopEntry entry = ParseDesktopEntry("# comment\n[Desktop Action new]\nExec=other %f\n"
                                           "[Desktop Entry]\nName=Ed\nExec = ed\\s--new %U\r\n"
                                           "Terminal=true\n[Other]\nTerminal=false\n");
    EXPECT_EQ(entry.exec, "ed --new %U");
    EXPECT_TRUE(entry.terminal);
    EXPECT_EQ(ParseDesktopEntry("Exec=ed\n").exec, "") << "a key outside any group";
}

TEST_F(DesktopShellTest, DesktopEntriesAreFoundByIdInTheDataFolders) {
    DesktopFile("ed.desktop", "");
    fs::create_directories(root / "data" / "applications" / "kde4");
    std::ofstream(root / "data" / "applications" / "kde4" / "kate.desktop") << "";
    EXPECT_EQ(FindDesktopEntryFile("ed.desktop"),
              (root / "data" / "applications" / "ed.desktop").string());
    EXPECT_EQ(FindDesktopEntryFile("kde4-kate.desktop"),
              (root / "data" / "applications" / "kde4" / "kate.desktop").string());
    EXPECT_EQ(FindDesktopEntryFile("none.desktop"), "");
    EXPECT_EQ(FindDesktopEntryFile("../applications/ed.desktop"), "");
}

TEST_F(DesktopShellTest, MissingProgramsGiveFalseAtOnce) {
    env.Set("DBUS_SESSION_BUS_ADDRESS",
            g_busAddress.empty() ? "unix:path=/nonexistent" : g_busAddress);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(shell.OpenWithDefaultApp(file));
    EXPECT_EQ(shell.Error().failure, ShellFailure::NoLauncher);
    EXPECT_FALSE(shell.ShowInFileManager(file));
    EXPECT_EQ(shell.Error().failure, ShellFailure::NoFileManager);
    env.Set("EDITOR", "/usr/bin/vi");
    EXPECT_FALSE(shell.OpenInTextEditor(file)) << "no terminal without a display";
    EXPECT_EQ(shell.Error().failure, ShellFailure::NoTextEditor);
    const std::string missing = (root / "missing.txt").string();
    EXPECT_FALSE(shell.OpenWithDefaultApp(missing));
    EXPECT_FALSE(shell.OpenInTextEditor(missing));
    EXPECT_EQ(shell.Error().failure, ShellFailure::NoSuchFile);
    EXPECT_EQ(shell.Error().subject, missing);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(DesktopShellTest, DefaultAppIsStartedWithoutWaiting) {
    FakeProgram("xdg-open");
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(shell.OpenWithDefaultApp(file)) << static_cast<int>(shell.Error().failure);
    EXPECT_LT(timer.elapsed(), 1000) << "the program lingers; it must not be waited on";
    EXPECT_EQ(WaitForLog(Log("xdg-open")), file + "\n");
}

TEST_F(DesktopShellTest, TextEditorIsTheDefaultForPlainText) {
    FakeProgram("xdg-mime", "ed.desktop");
    FakeProgram("ed");
    DesktopFile("ed.desktop", "[Desktop Entry]\nExec=ed --new %F\n");
    EXPECT_TRUE(shell.OpenInTextEditor(file)) << static_cast<int>(shell.Error().failure);
    EXPECT_EQ(WaitForLog(Log("xdg-mime")), "query default text/plain\n");
    EXPECT_EQ(WaitForLog(Log("ed")), "--new " + file + "\n");
}

TEST_F(DesktopShellTest, TextEditorFallsBackToTheUsersEditorInATerminalThenAKnownEditor) {
    // The default needs a terminal, and there is no display for one.
    FakeProgram("xdg-mime", "vim.desktop");
    FakeProgram("vim");
    DesktopFile("vim.desktop", "[Desktop Entry]\nExec=vim %F\nTerminal=true\n");
    fs::path terminal = FakeProgram("x-terminal-emulator");
    env.Set("EDITOR", "vim -R");
    FakeProgram("mousepad");
    EXPECT_TRUE(shell.OpenInTextEditor(file)) << static_cast<int>(shell.Error().failure);
    EXPECT_EQ(WaitForLog(Log("mousepad")), file + "\n");
    EXPECT_FALSE(fs::exists(Log("x-terminal-emulator")));

    env.Set("DISPLAY", ":99");
    EXPECT_TRUE(shell.OpenInTextEditor(file)) << static_cast<int>(shell.Error().failure);
    std::string vim = (root / "bin" / "vim").string();
    EXPECT_EQ(WaitForLog(Log("x-terminal-emulator")), "-e " + vim + " " + file + "\n");
    fs::remove(Log("x-terminal-emulator"));

    DesktopFile("vim.desktop", "[Desktop Entry]\nExec=gone %F\n");
    EXPECT_TRUE(shell.OpenInTextEditor(file)) << static_cast<int>(shell.Error().failure);
    EXPECT_EQ(WaitForLog(Log("x-terminal-emulator")), "-e " + vim + " -R " + file + "\n");
}

TEST_F(DesktopShellTest, FileManagerOnTheBusShowsTheFileSelected) {
    if (g_busAddress.empty()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
    FakeFileManager manager;
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromStdString(g_busAddress),
                                                            QStringLiteral("fake-file-manager"));
    ASSERT_TRUE(service.isConnected());
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    FakeProgram("xdg-open");

    EXPECT_TRUE(shell.ShowInFileManager(file)) << static_cast<int>(shell.Error().failure);
    QElapsedTimer timer;
    timer.start();
    while (manager.shown.isEmpty() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    EXPECT_EQ(manager.shown.join("|").toStdString(),
              "file://" + root.string() + "/files/saved%20file.txt");
    service.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-file-manager"));

    // Without the service the folder is opened.
    EXPECT_TRUE(shell.ShowInFileManager(file)) << static_cast<int>(shell.Error().failure);
    EXPECT_EQ(WaitForLog(Log("xdg-open")), (root / "files").string() + "\n");
}

} // namespace
} // namespace qm

// A session bus of our own, so that no test reaches the desktop's bus. Its address is set before
// the shell first connects.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QProcess daemon;
    const std::string config = (std::filesystem::temp_directory_path() /
                                ("quillmar_bus_" + std::to_string(::getpid()) + ".conf"))
                                   .string();
    std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                             "<policy context=\"default\">"
                             "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                             "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                             "</busconfig>\n";
    daemon.start("dbus-daemon", {"--config-file=" + QString::fromStdString(config), "--nofork",
                                 "--print-address=1"});
    if (daemon.waitForStarted(3000) && daemon.waitForReadyRead(3000))
        g_busAddress = daemon.readLine().trimmed().toStdString();
    ::setenv("DBUS_SESSION_BUS_ADDRESS",
             g_busAddress.empty() ? "unix:path=/nonexistent" : g_busAddress.c_str(), 1);
    int result;
    {
        QCoreApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    daemon.kill();
    daemon.waitForFinished(3000);
    std::filesystem::remove(config);
    return result;
}

#include "desktop_shell_test.moc"
