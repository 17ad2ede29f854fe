#pragma once
// The application object: an error that escapes an event handler ends up here instead of
// ending the program, and goes to the handler the main window installs.

#include <QApplication>
#include <cstdint>
#include <functional>
#include <string>

namespace qm {

struct CaughtError {
    bool known = false; // a standard exception, whose message follows
    std::string message;
    std::string sender;   // class of the object the event was for
    uint64_t address = 0; // where it was thrown; 0 when not known
};

class GuardedApplication : public QApplication {
    Q_OBJECT
  public:
    using ErrorHandler = std::function<void(const CaughtError&)>;

    GuardedApplication(int& argc, char** argv);
    // Without a handler an escaping error ends the program as before.
    void SetErrorHandler(ErrorHandler handler) { handler_ = std::move(handler); }
    bool notify(QObject* receiver, QEvent* event) override;

    static GuardedApplication* Instance();

  private:
    ErrorHandler handler_;
};

} // namespace qm
