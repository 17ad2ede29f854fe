// The program editor in the main window: opened by Ctrl+F5, templates and Add, the caret's
// command and help, the highlighter and its delay, runs from F5 and from Alt+digits, and the
// quick-launch slots, and runs that keep their program and end with the main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>
#include <functional>

#include "base/file_io.h"
#include "platform/qt_convert.h"
#include "ui/main_window.h"

using qm::TForm1;
using qm::TForm6;

namespace {

void ShowActive(TForm1& form) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.browser().State().PageSource.empty(); }, 2000));
    form.browser().SetLanguage(1);
}

// The colouring is in the layout of the text, not in the text.
QTextCharFormat FormatAt(TForm6& editor, int position) {
    const QTextBlock block = editor.RichEdit1->document()->findBlock(position);
    const int at = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (at >= range.start && at < range.start + range.length) return range.format;
    return {};
}

TEST(ProgramEditorWindow, CtrlF5ShowsItWithTheInitialProgramHighlighted) {
    TForm1 form({});
    ShowActive(form);
    TForm6& editor = form.programEditor();
    EXPECT_FALSE(editor.isVisible());
    QTest::keyClick(form.Edit1, Qt::Key_F5, Qt::ControlModifier);
    ASSERT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.windowTitle(), "Program editor");
    EXPECT_TRUE(editor.RichEdit1->toPlainText().startsWith("//press F5 ;)\nCLOSE\nGO \""));
    const QColor media = qm::ToQColor(form.options().Color(qm::ColorRole::Media));
    EXPECT_EQ(FormatAt(editor, 2).foreground().color(), media);
    EXPECT_EQ(FormatAt(editor, 15).fontWeight(), QFont::Bold); // CLOSE
    EXPECT_EQ(editor.ComboBox1->count(), 5);
    EXPECT_EQ(editor.ComboBox2->count(), 22);
    EXPECT_EQ(editor.Panel1->Caption(), "Run (F5)");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(editor.SlotPanels[static_cast<size_t>(i)]->Caption(), "+");
}

TEST(ProgramEditorWindow, TemplateAddAndTheCaretsCommand) {
    TForm1 form({});
    ShowActive(form);
    TForm6& editor = form.programEditor();
    editor.ShowEditor();
    editor.ChooseTemplate(1);
    EXPECT_EQ(editor.RichEdit1->toPlainText(),
              "//replace 1000 with necessary offset in pixels\n"
              "//you can see offset in main window header\nSETY 1000\nCLOSE");
    EXPECT_EQ(editor.Label1->text(), "1:1");
    editor.ComboBox2->setCurrentIndex(0);
    editor.AddCommand();
    EXPECT_TRUE(editor.RichEdit1->toPlainText().endsWith("CLOSE\nGO \"url\""));
    QTextCursor caret(editor.RichEdit1->document()->findBlockByNumber(2));
    caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    editor.RichEdit1->setTextCursor(caret);
    EXPECT_EQ(editor.Label1->text(), "3:4");
    EXPECT_EQ(editor.ComboBox2->currentIndex(), 3);
    EXPECT_EQ(editor.Label2->text(), "Set current view offset in pixels");
}

TEST(ProgramEditorWindow, TypingRecoloursOnlyAfterTheDelay) {
    TForm1 form({});
    ShowActive(form);
    TForm6& editor = form.programEditor();
    editor.ShowEditor();
    editor.ChooseTemplate(0);
    editor.RichEdit1->moveCursor(QTextCursor::End);
    QTest::keyClick(editor.RichEdit1, Qt::Key_Return);
    QTest::keyClicks(editor.RichEdit1, "go x");
    EXPECT_TRUE(editor.Timer1->isActive());
    EXPECT_EQ(editor.Timer1->interval(), 2000);
    const int go = static_cast<int>(editor.RichEdit1->toPlainText().lastIndexOf("go"));
    EXPECT_NE(FormatAt(editor, go).fontWeight(), QFont::Bold);
    editor.Timer1->setInterval(1);
    editor.Timer1->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor.Timer1->isActive(); }, 2000));
    EXPECT_EQ(FormatAt(editor, go).fontWeight(), QFont::Bold);
    EXPECT_EQ(editor.RichEdit1->textCursor().position(), editor.RichEdit1->toPlainText().size());
}

TEST(ProgramEditorWindow, F5RunsTheProgramThroughTheMainWindow) {
    TForm1 form({});
    ShowActive(form);
    TForm6& editor = form.programEditor();
    editor.ShowEditor();
    editor.SetProgram({"GETSOURCE", "SFIRST \"<br>\"", "DELBEF", "SFIRST \"no such text\"",
                       "NOSELX \"Cut-place not found\"", "CLOSE"});
    QTest::keyClick(editor.RichEdit1, Qt::Key_F5);
    EXPECT_EQ(editor.Label2->text(), "Cut-place not found");
    EXPECT_TRUE(form.Memo1->toPlainText().startsWith("<br>"));
    EXPECT_TRUE(editor.isVisible());
    editor.SetProgram({"CLOSE", "SETY 0", "X", "FOO"});
    QTest::keyClick(editor.RichEdit1, Qt::Key_F5);
    EXPECT_EQ(editor.Label2->text(), "Ready");
    EXPECT_FALSE(editor.isVisible());
}

TEST(ProgramEditorWindow, AltDigitRunsASlotsProgramWithoutShowingTheEditor) {
    TForm1 form({});
    ShowActive(form);
    const std::string path = ::testing::TempDir() + "editor_slot_test.qmp";
    ASSERT_TRUE(qm::WriteFileAtomically(path, "GETSOURCE\r\nDELEXCEPT \"<br>\"\r\n"));
    TForm6& editor = form.programEditor();
    form.browser().State().QuickLaunch[2] = path;
    editor.RefreshSlotCaptions();
    EXPECT_EQ(editor.SlotPanels[2]->Caption(), "editor_slot_test");
    form.browser().State().QuickLaunch[4] = "/home/u/тест.qmp"; // file names are UTF-8
    editor.RefreshSlotCaptions();
    EXPECT_EQ(editor.SlotPanels[4]->Caption(), QString::fromUtf8("тест"));
    QTest::keyClick(form.Edit1, Qt::Key_3, Qt::AltModifier);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.Label2->text(), "Ready");
    EXPECT_TRUE(form.Memo1->toPlainText().contains("<br>"));
    EXPECT_EQ(editor.RichEdit1->toPlainText(), "GETSOURCE\nDELEXCEPT \"<br>\"");

    // A slot whose file has gone runs nothing; a right click empties a slot.
    std::remove(path.c_str());
    editor.SetProgram({"SETY 5"});
    QTest::keyClick(form.Edit1, Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(editor.RichEdit1->toPlainText(), "SETY 5");
    QTest::mouseClick(editor.SlotPanels[2], Qt::RightButton);
    EXPECT_EQ(editor.SlotPanels[2]->Caption(), "+");
    EXPECT_TRUE(form.browser().State().QuickLaunch[2].empty());
}

TEST(ProgramEditorWindow, ColouringIsNoStepOfTheUndoHistory) {
    TForm1 form({});
    ShowActive(form);
    TForm6& editor = form.programEditor();
    editor.SetProgram({"y"});
    QTest::keyClicks(editor.RichEdit1, "close ");
    editor.Highlight();
    QTest::keyClick(editor.RichEdit1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.RichEdit1->toPlainText(), "y");
    editor.Highlight();
    editor.RichEdit1->redo();
    EXPECT_EQ(editor.RichEdit1->toPlainText(), "close y");
    // Until the next colouring, text typed into a coloured word takes its colour along.
    editor.Highlight();
    editor.RichEdit1->moveCursor(QTextCursor::Start);
    editor.RichEdit1->moveCursor(QTextCursor::NextCharacter);
    QTest::keyClicks(editor.RichEdit1, "ab");
    EXPECT_EQ(FormatAt(editor, 6).fontWeight(), QFont::Bold); // the "e" of "cablose"
    EXPECT_NE(FormatAt(editor, 8).fontWeight(), QFont::Bold); // "y"
}

// The interpreter reads the editor's lines at every step: nothing may load another program
// under a run, and closing the main window ends it.
TEST(ProgramEditorWindow, ARunKeepsItsProgramAndEndsWithTheMainWindow) {
    TForm1 form({});
    ShowActive(form);
    TForm6& editor = form.programEditor();
    const std::string path = ::testing::TempDir() + "editor_other_program.qmp";
    ASSERT_TRUE(qm::WriteFileAtomically(path, "SETY 99\r\n"));
    form.browser().State().QuickLaunch[0] = path;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"template", [&] { editor.ChooseTemplate(0); }},
        {"Alt+1", [&] { QTest::keyClick(form.Edit1, Qt::Key_1, Qt::AltModifier); }},
        {"closing", [&] { form.close(); }},
    };
    form.browser().State().DataFolder = ::testing::TempDir(); // where closing writes qm.ini
    for (const auto& [what, during] : cases) {
        editor.SetProgram({"SETY 1", "SETY 2"});
        form.browser().View().ScrollY = 0;
        QString seen;
        QTimer::singleShot(0, [&] {
            during();
            seen = editor.Label2->text();
        });
        editor.Run();
        const bool closing = std::string(what) == "closing";
        EXPECT_EQ(editor.RichEdit1->toPlainText(), "SETY 1\nSETY 2") << what;
        EXPECT_EQ(seen, closing ? "1/2" : "A program is running: wait until it ends") << what;
        EXPECT_EQ(form.browser().View().ScrollY, closing ? 0 : 2) << what;
    }
    std::remove(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
