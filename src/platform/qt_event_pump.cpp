#include "platform/qt_event_pump.h"

#include <QCoreApplication>

namespace qm {

void QtEventPump::ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

} // namespace qm
