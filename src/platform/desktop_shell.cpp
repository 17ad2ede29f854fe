#include "platform/desktop_shell.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "platform/desktop_entry.h"

namespace qm {
namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

// Editors that open a file given as their one argument, in a window of their own.
const char* const kKnownEditors[] = {"mousepad", "gedit", "gnome-text-editor", "kate",    "kwrite",
                                     "xed",      "pluma", "featherpad",        "leafpad", "geany",
                                     "xedit"};

// The full path of a program on PATH (or of an absolute path that is executable), else empty.
QString Executable(const QString& name) {
    return name.isEmpty() ? QString() : QStandardPaths::findExecutable(name);
}

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QStringList ToQStringList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items)
        list << QString::fromStdString(item);
    return list;
}

// Asks the bus daemon, never waiting longer than the query timeout.
QDBusMessage AskBus(QDBusConnection& bus, const QString& method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(args);
    return bus.call(call, QDBus::Block, DesktopShell::kQueryTimeoutMs);
}

bool FileManagerOnBus(QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    QDBusMessage owner = AskBus(bus, QStringLiteral("NameHasOwner"), {kFileManagerService});
    if (owner.type() == QDBusMessage::ReplyMessage && !owner.arguments().isEmpty() &&
        owner.arguments().first().toBool())
        return true;
    QDBusMessage names = AskBus(bus, QStringLiteral("ListActivatableNames"), {});
    return names.type() == QDBusMessage::ReplyMessage && !names.arguments().isEmpty() &&
           names.arguments().first().toStringList().contains(kFileManagerService);
}

bool StartDetached(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

// The desktop id of the default application for plain text, from xdg-mime.
QString DefaultTextDesktopId() {
    QString xdgMime = Executable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return {};
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.start(xdgMime,
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(DesktopShell::kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished(100);
        return {};
    }
    QString answer = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    return answer.section(QLatin1Char(';'), 0, 0).section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace

bool DesktopShell::Fail(ShellFailure failure, const std::string& subject) {
    error_ = {failure, subject};
    return false;
}

bool DesktopShell::Start(const QString& program, const QStringList& args) {
    if (StartDetached(program, args)) return true;
    return Fail(ShellFailure::CannotStart, program.toStdString());
}

bool DesktopShell::OpenWithDefaultApp(const std::string& pathOrAddress) {
    QString target = QString::fromStdString(pathOrAddress);
    QFileInfo info(target);
    if (info.exists())
        target = info.absoluteFilePath();
    else if (target.isEmpty() || target.startsWith(QLatin1Char('-')))
        return Fail(ShellFailure::NoSuchFile, pathOrAddress);
    QString xdgOpen = Executable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) return Fail(ShellFailure::NoLauncher);
    return Start(xdgOpen, {target});
}

bool DesktopShell::ShowInFileManager(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    if (!info.exists()) return Fail(ShellFailure::NoSuchFile, path);
    const QString file = info.absoluteFilePath();
    const QString folder = info.absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (FileManagerOnBus(bus)) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kFileManagerService, kFileManagerPath,
                                           kFileManagerService, QStringLiteral("ShowItems"));
        // Fully encoded: a file manager reads "%20", not a bare space.
        call << QStringList{QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded())} << QString();
        // The file manager may have to start first: the answer is not waited for, and a
        // refusal falls back to the folder alone.
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                         [folder](QDBusPendingCallWatcher* finished) {
                             if (finished->isError()) {
                                 QString xdgOpen = Executable(QStringLiteral("xdg-open"));
                                 if (!xdgOpen.isEmpty()) StartDetached(xdgOpen, {folder});
                             }
                             finished->deleteLater();
                         });
        return true;
    }
    QString xdgOpen = Executable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) return Fail(ShellFailure::NoFileManager);
    return Start(xdgOpen, {folder});
}

bool DesktopShell::StartInTerminal(const QStringList& command) {
    // Only where a terminal window can appear; both of these take "-e program args".
    if (!HasDisplay()) return false;
    for (const char* name : {"x-terminal-emulator", "xterm"}) {
        QString terminal = Executable(QString::fromLatin1(name));
        if (!terminal.isEmpty()) return StartDetached(terminal, QStringList{"-e"} + command);
    }
    return false;
}

bool DesktopShell::StartDefaultTextEditor(const QString& file) {
    QString id = DefaultTextDesktopId();
    if (id.isEmpty()) return false;
    std::string entryFile = FindDesktopEntryFile(id.toStdString());
    if (entryFile.empty()) return false;
    QFile in(QString::fromStdString(entryFile));
    if (!in.open(QIODevice::ReadOnly)) return false;
    DesktopEntry entry = ParseDesktopEntry(in.readAll().toStdString());
    QStringList command = ToQStringList(DesktopExecCommand(entry.exec, file.toStdString()));
    if (command.isEmpty()) return false;
    QString program = Executable(command.takeFirst());
    if (program.isEmpty()) return false;
    if (entry.terminal) return StartInTerminal(QStringList{program} + command);
    return StartDetached(program, command);
}

bool DesktopShell::StartUserEditor(const QString& file) {
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList words =
            qEnvironmentVariable(variable).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        QString program = Executable(words.takeFirst());
        if (!program.isEmpty() && StartInTerminal(QStringList{program} + words + QStringList{file}))
            return true;
    }
    return false;
}

bool DesktopShell::StartKnownEditor(const QString& file) {
    for (const char* name : kKnownEditors) {
        QString editor = Executable(QString::fromLatin1(name));
        if (!editor.isEmpty() && StartDetached(editor, {file})) return true;
    }
    return false;
}

bool DesktopShell::OpenInTextEditor(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    if (!info.exists()) return Fail(ShellFailure::NoSuchFile, path);
    const QString file = info.absoluteFilePath();
    if (StartDefaultTextEditor(file) || StartUserEditor(file) || StartKnownEditor(file))
        return true;
    return Fail(ShellFailure::NoTextEditor);
}

bool DesktopShell::RestartProgram() {
    QString program = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                   : QFile::symLinkTarget("/proc/self/exe");
    if (program.isEmpty()) return Fail(ShellFailure::NoProgramFile);
    return Start(program, {});
}

} // namespace qm
