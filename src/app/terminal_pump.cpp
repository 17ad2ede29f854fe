#include "app/terminal_pump.h"

#include <csignal>

#include "state/browser.h"

namespace qm {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void NoteStopSignal(int signal) {
    stopSignal = signal;
}

void Install(int signal, struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signal, &action, &previous);
    if (previous.sa_handler == SIG_IGN) sigaction(signal, &previous, nullptr);
}

} // namespace

TerminalPump::TerminalPump() {
    stopSignal = 0;
    Install(SIGINT, previousInt_);
    Install(SIGTERM, previousTerm_);
}

TerminalPump::~TerminalPump() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

void TerminalPump::ProcessEvents() {
    if (stopSignal != 0 && browser_) browser_->Stop();
}

bool TerminalPump::StopRequested() const {
    return stopSignal != 0;
}

} // namespace qm
