#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include "platform/guarded_application.h"
#include "platform/qt_convert.h"
#include "state/crash_report.h"
#include "state/ui_strings.h"
#include "ui/crash_window.h"
#include "ui/main_window.h"

namespace qm {
namespace {

void Send(QWidget* to, QEvent::Type type, Qt::Key key, bool repeated = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), repeated);
    QCoreApplication::sendEvent(to, &event);
}

TEST(CrashWindow, ShowsTheReportInTheLanguageAndColours) {
    TForm4 dialog;
    dialog.Fill({"boom/qm::TForm1/00401234", "second"}, 0, 0x000000, 0x00FF00);
    EXPECT_EQ(dialog.windowTitle(), "=(");
    EXPECT_EQ(dialog.size(), QSize(465, 341));
    EXPECT_EQ(dialog.Memo1->toPlainText(), "boom/qm::TForm1/00401234\nsecond");
    EXPECT_EQ(dialog.Panel21->Caption(), QString::fromUtf8("Пропустить (ПРОБЕЛ)"));
    EXPECT_EQ(dialog.Panel2->Caption(), QString::fromUtf8("Выход (ESC)"));
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(dialog.Memo1->palette().color(QPalette::Text), QColor(0, 255, 0));
    dialog.Fill({"x"}, 1, 0xFFFFFF, 0);
    EXPECT_EQ(dialog.Panel1->Caption(), "Restart (ENTER)");
    dialog.Fill({"x"}, 1, 0xFFFFFF, 0, false); // after a fatal signal: no Ignore
    EXPECT_TRUE(dialog.Panel21->isHidden());
    EXPECT_EQ(dialog.Chosen(), CrashAction::Exit);
}

TEST(CrashWindow, KeysActOnReleaseAfterAPressInTheDialog) {
    struct Case {
        const char* what;
        std::vector<std::pair<QEvent::Type, bool>> events; // Enter: type, repeated
        bool closes;
    };
    const std::vector<Case> cases = {
        {"held from before: release only", {{QEvent::KeyRelease, false}}, false},
        {"repeats of a held key are no press",
         {{QEvent::KeyPress, true}, {QEvent::KeyRelease, true}, {QEvent::KeyRelease, false}},
         false},
        {"pressed and released here",
         {{QEvent::KeyPress, false}, {QEvent::KeyRelease, false}},
         true},
    };
    for (const Case& c : cases) {
        TForm4 dialog;
        dialog.Fill({"x"}, 1, 0xFFFFFF, 0);
        dialog.show();
        for (auto [type, repeated] : c.events)
            Send(dialog.Memo1, type, Qt::Key_Return, repeated);
        EXPECT_EQ(dialog.isVisible(), !c.closes) << c.what;
        EXPECT_EQ(dialog.Chosen(), c.closes ? CrashAction::Restart : CrashAction::Ignore) << c.what;
    }
    TForm4 dialog;
    dialog.Fill({"x"}, 1, 0xFFFFFF, 0);
    dialog.show();
    QTest::keyClick(dialog.Memo1, Qt::Key_Escape);
    EXPECT_EQ(dialog.Chosen(), CrashAction::Exit);
}

TEST(CrashWindow, CtrlASelectsTheReport) {
    TForm4 dialog;
    dialog.Fill({"first", "second"}, 1, 0xFFFFFF, 0);
    QTest::keyClick(dialog.Memo1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(dialog.Memo1->textCursor().selectedText().size(), 12);
}

// Only Space, Enter and Esc belong to the dialog; copying and moving go to the report.
TEST(CrashWindow, OtherKeysReachTheReport) {
    TForm4 dialog;
    dialog.Fill({"first", "second"}, 1, 0xFFFFFF, 0);
    QTest::keyClick(dialog.Memo1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(dialog.Memo1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "first\nsecond");
    QTest::keyClick(dialog.Memo1, Qt::Key_Up);
    EXPECT_EQ(dialog.Memo1->textCursor().blockNumber(), 0);
}

struct Thrower : QObject {
    bool event(QEvent*) override { throw std::runtime_error("from a handler"); }
};

TEST(CrashWindow, AnErrorInAnEventHandlerShowsTheReportAndTheProgramGoesOn) {
    TForm1 form({});
    QString report;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TForm4*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        report = dialog->Memo1->toPlainText();
        QTest::keyClick(dialog->Memo1, Qt::Key_Space);
    });
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    EXPECT_TRUE(report.startsWith("from a handler/QObject/")) << report.toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    qm::GuardedApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
