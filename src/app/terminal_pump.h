#pragma once
// The event pump of the command-line modes. There are no window events; SIGINT and SIGTERM
// take the place of F5: their handler only notes the signal, and the next pump asks the
// attached browser to stop, so every loop ends the way F5 ends it and keeps what it has.

#include <signal.h>

#include "base/interfaces.h"

namespace qm {

class Browser;

class TerminalPump : public EventPump {
  public:
    // The handlers are installed for the pump's lifetime; a second signal ends the program at
    // once, and a signal the caller ignores (SIGINT of a background job) stays ignored.
    TerminalPump();
    ~TerminalPump() override;
    TerminalPump(const TerminalPump&) = delete;
    TerminalPump& operator=(const TerminalPump&) = delete;

    void Attach(Browser* browser) { browser_ = browser; }
    void ProcessEvents() override;
    // A signal came since the pump was made.
    bool StopRequested() const;

  private:
    Browser* browser_ = nullptr;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

} // namespace qm
