#pragma once
// The Shell of a freedesktop desktop: xdg-open for default applications, the FileManager1
// D-Bus service to show a file selected in its folder, the text/plain default (or a known
// editor) for plain text. Programs are started detached and never waited on; the only waits are
// short, bounded queries (xdg-mime, the bus). Paths are file-system text (UTF-8).

#include <QString>
#include <QStringList>

#include "base/interfaces.h"

namespace qm {

class DesktopShell : public Shell {
  public:
    // The longest a query of the desktop (xdg-mime, the session bus) may take.
    static constexpr int kQueryTimeoutMs = 1500;

    bool OpenWithDefaultApp(const std::string& pathOrAddress) override;
    bool ShowInFileManager(const std::string& path) override;
    bool OpenInTextEditor(const std::string& path) override;
    bool RestartProgram() override;
    ShellError Error() const override { return error_; }

  private:
    bool Fail(ShellFailure failure, const std::string& subject = {});
    bool Start(const QString& program, const QStringList& args);
    bool StartInTerminal(const QStringList& command);
    bool StartDefaultTextEditor(const QString& file);
    bool StartUserEditor(const QString& file);
    bool StartKnownEditor(const QString& file);

    ShellError error_;
};

} // namespace qm
