#pragma once
// The real main window shown at 800x600 in English with its welcome page laid out, for tests
// that drive it with keys and the mouse.

#include <QTest>
#include <functional>
#include <string>

#include "ui/main_window.h"

namespace qm::testing {

inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

struct ShownMainWindow {
    TForm1 form{{}};
    ShownMainWindow() {
        form.ComboBox7->setCurrentIndex(1);
        form.resize(800, 600);
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        WaitFor([&] { return form.view().ContentHeight > 1000; });
    }
    // Types the address into the address bar and presses Enter; the page loads later.
    void Open(const std::string& address) {
        form.Edit1->setText(QString::fromStdString(address));
        QTest::keyClick(form.Edit1, Qt::Key_Return);
    }
    const ViewObject* Find(ViewObjectKind kind) {
        for (const auto& object : form.view().ViewObjects)
            if (object.Kind == kind) return &object;
        return nullptr;
    }
};

} // namespace qm::testing
