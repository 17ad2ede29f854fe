#pragma once
// An event pump for tests: counts its calls and runs what the test gives it on each, so a
// test can press F5 or change state "while events are processed".

#include <functional>

#include "base/interfaces.h"

namespace qm::testing {

class FakePump : public EventPump {
public:
    void ProcessEvents() override {
        ++calls;
        if (onPump) onPump();
    }
    int calls = 0;
    std::function<void()> onPump;
};

} // namespace qm::testing
