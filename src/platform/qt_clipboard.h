#pragma once
// The desktop's clipboard; program text crosses it as Unicode.

#include "base/interfaces.h"

namespace qm {

class QtClipboard : public Clipboard {
public:
    void SetText(const std::string& text) override;
    std::string Text() override;
};

} // namespace qm
