// The object info area tools in the main window: keys and buttons reach the tools, the area
// shows the model's selection and gives the user's back in the model's offsets, and the area
// grows over the view and back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include "platform/qt_convert.h"
#include "ui/main_window.h"

using qm::TForm1;

namespace {

void Click(qm::PanelButton* panel) {
    QTest::mouseClick(panel, Qt::LeftButton);
}

// Shown, active, and past its welcome page, which would otherwise arrive in the middle.
void ShowActive(TForm1& form) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.browser().State().PageSource.empty(); }, 2000));
}

TEST(InfoToolsWindow, SearchKeysSelectTheHitInTheAreaAcrossLineBreaks) {
    TForm1 form({});
    ShowActive(form);
    form.browser().SetField(qm::FieldId::ObjectInfo, "<html>\r\n<head>\r\n<body>\r\n<body>x");
    form.Edit5->setText("<body");
    QTest::keyClick(form.Edit5, Qt::Key_F3);
    EXPECT_EQ(form.Memo1->textCursor().selectedText(), "<body");
    EXPECT_EQ(form.Memo1->textCursor().selectionStart(), 14); // two breaks of one character
    EXPECT_EQ(form.browser().State().ObjectInfo.SelectionStart, 16u);
    EXPECT_TRUE(form.Memo1->hasFocus());
    EXPECT_EQ(form.windowTitle(), "Text was found!");

    QTest::keyClick(form.Memo1, Qt::Key_F3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form.browser().State().ObjectInfo.SelectionStart, 24u);
    // Delete before keeps the hit selected at the top.
    Click(form.Panel41);
    EXPECT_EQ(form.Memo1->toPlainText(), "<body>x");
    EXPECT_EQ(form.Memo1->textCursor().selectedText(), "<body");
    EXPECT_TRUE(form.Memo1->isVisible());
}

TEST(InfoToolsWindow, ACutOfAHiddenAreaStillScrollsTheSelectionIntoView) {
    TForm1 form({});
    ShowActive(form);
    std::string text;
    for (int line = 0; line < 300; ++line) text += "line " + std::to_string(line) + "\r\n";
    form.browser().SetField(qm::FieldId::ObjectInfo, text);
    form.browser().SetField(qm::FieldId::Search, "line 250");
    QTest::keyClick(form.Edit5, Qt::Key_F3);
    Click(form.Panel42);  // delete after: the hit is the last line now
    EXPECT_GT(form.Memo1->verticalScrollBar()->value(), 200);
    EXPECT_TRUE(form.Memo1->viewport()->rect().contains(form.Memo1->cursorRect()));
    EXPECT_EQ(form.Memo1->textCursor().selectedText(), "line 250");
}

TEST(InfoToolsWindow, TheUsersSelectionReachesTheModelInItsOwnOffsets) {
    TForm1 form({});
    // A lone line feed (a decoded %0A) is one byte of the text and one character of the area.
    form.browser().SetField(qm::FieldId::ObjectInfo, "ab\r\ncd\ne\r\nfg");
    EXPECT_EQ(form.Memo1->toPlainText(), QString::fromUtf8("ab\ncd\u240Ae\nfg"));
    QTextCursor cursor = form.Memo1->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(9, QTextCursor::KeepAnchor); // "b", break, "cd", LF, "e", break, "f"
    form.Memo1->setTextCursor(cursor);
    const qm::TextField& area = form.browser().State().ObjectInfo;
    EXPECT_EQ(area.SelectionStart, 1u);
    EXPECT_EQ(area.SelectionLength, 10u);
    EXPECT_EQ(area.Text.substr(area.SelectionStart, area.SelectionLength), "b\r\ncd\ne\r\nf");

    // Typing keeps the lone line feed and the non-breaking space as they were, and Shift+Enter
    // breaks the line as Enter does.
    form.Memo1->moveCursor(QTextCursor::End);
    form.Memo1->insertPlainText(qm::ToQString("\xA0!"));
    QTest::keyClick(form.Memo1, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(form.Memo1, Qt::Key_Z);
    EXPECT_EQ(area.Text, "ab\r\ncd\ne\r\nfg\xA0!\r\nz");
    EXPECT_EQ(area.SelectionStart, area.Text.size());
}

TEST(InfoToolsWindow, CtrlEShowsThePageSourceAndTheAreaCanCoverTheView) {
    TForm1 form({});
    ShowActive(form);
    form.browser().State().PageSource = "<p>one\n<p>two";
    QTest::keyClick(form.Edit1, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(form.Memo1->toPlainText(), "<p>one\n<p>two");
    EXPECT_EQ(form.windowTitle(), "Ready");

    const QRect area = form.Memo1->geometry();
    Click(form.Panel32);
    EXPECT_FALSE(form.Panel43->isVisible());
    EXPECT_EQ(form.Memo1->geometry().top(), form.ComboBox4->geometry().top());
    EXPECT_EQ(form.Memo1->geometry().bottom(), form.Edit5->geometry().top() - 4);
    form.resize(form.width(), form.height() + 40); // anchored on all sides now
    EXPECT_EQ(form.Memo1->geometry().bottom(), form.Edit5->geometry().top() - 4);
    form.resize(form.width(), form.height() - 40);
    Click(form.Panel32);
    EXPECT_TRUE(form.Panel43->isVisible());
    EXPECT_EQ(form.Memo1->geometry(), area);
}

TEST(InfoToolsWindow, WordWrapSwitchesTheHorizontalScrollBarAndTheEditorButtonOpensTheEditor) {
    TForm1 form({});
    ShowActive(form);
    EXPECT_EQ(form.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    Click(form.Panel38);
    EXPECT_EQ(form.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    Click(form.Panel38);
    EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(form.Panel47->isEnabled());
    EXPECT_FALSE(form.programEditor().isVisible());
    Click(form.Panel47);
    EXPECT_TRUE(form.programEditor().isVisible());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
