#include "platform/guarded_application.h"

#include <exception>

#include "platform/throw_address.h"

namespace qm {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

GuardedApplication* GuardedApplication::Instance() {
    return qobject_cast<GuardedApplication*>(QCoreApplication::instance());
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    // Taken before the event: the handler may delete its receiver before it throws.
    const char* sender = receiver ? receiver->metaObject()->className() : "";
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (!handler_) throw;
        // A copy: the handler's owner may replace it while its dialog is shown.
        ErrorHandler handler = handler_;
        handler({true, error.what(), sender, ThrowAddressOf(&error)});
    } catch (...) {
        if (!handler_) throw;
        ErrorHandler handler = handler_;
        handler({false, {}, sender, 0});
    }
    return false;
}

} // namespace qm
