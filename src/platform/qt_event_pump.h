#pragma once

#include "base/interfaces.h"

namespace qm {

// Processes pending Qt events once; without an application object it does nothing, so
// headless runs can use it too.
class QtEventPump : public EventPump {
public:
    void ProcessEvents() override;
};

} // namespace qm
