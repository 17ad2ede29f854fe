#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include "base/format.h"
#include "ui/main_window.h"
#include "state/ui_strings.h"
#include "platform/qt_convert.h"

using qm::TForm1;

namespace {

QString Text(int index, int language) { return qm::ToQString(qm::UiString(index, language)); }

TEST(MainWindow, EveryDesignControlExistsByName) {
    TForm1 form({});
    QStringList names;
    for (int i = 1; i <= 47; ++i) names << QString("Panel%1").arg(i);
    for (int i = 1; i <= 35; ++i) names << QString("CheckBox%1").arg(i);
    for (int i = 1; i <= 38; ++i) names << QString("Image%1").arg(i);
    for (int i = 1; i <= 8; ++i) names << QString("ComboBox%1").arg(i);
    for (int i = 1; i <= 12; ++i) names << QString("Label%1").arg(i);
    for (int i = 1; i <= 5; ++i) names << QString("Edit%1").arg(i);
    names << "Memo1" << "sb1" << "PopupMenu1";
    for (const char* item : {"N1", "N2", "N3", "N4", "N5", "N6", "N7", "N8", "N9", "N10", "N11",
                             "N12", "N13", "N14", "N15", "N16", "N17", "N18", "N19", "N20",
                             "EN1", "RU1", "UTF82", "BMP1", "HTML1", "HTMLHEX1", "TVF1", "TVF2",
                             "TVF3", "TVF4", "DOS1"})
        names << item;
    for (int i = 1; i <= 6; ++i) names << QString("Timer%1").arg(i);
    for (const QString& name : names)
        EXPECT_NE(form.findChild<QObject*>(name), nullptr) << name.toStdString();
}

TEST(MainWindow, LanguageListRewritesCaptionsHintsAndMenu) {
    TForm1 form({});
    form.ComboBox7->setCurrentIndex(1);
    EXPECT_EQ(form.Panel18->Caption(), "History (F6)");
    EXPECT_EQ(form.Label5->text(), "B");
    EXPECT_EQ(form.N9->text(), "History");
    EXPECT_EQ(form.CheckBox34->text(), "Gaps");
    EXPECT_EQ(form.Panel10->toolTip(), "Test");
    EXPECT_EQ(form.Label10->text(), "Traffic saver (F9): off");

    form.ComboBox7->setCurrentIndex(0);
    EXPECT_EQ(form.Panel18->Caption(), Text(55, 0));
    EXPECT_EQ(form.Label5->text(), QString::fromUtf8("Ж"));
    EXPECT_EQ(form.N9->text(), QString::fromUtf8("История"));
    EXPECT_EQ(form.CheckBox6->text(), QString::fromUtf8("+ код"));
    EXPECT_EQ(form.Panel9->toolTip(), QString::fromUtf8("Трафик (F4 - сброс)"));
    EXPECT_EQ(form.UTF82->text(), QString::fromUtf8("UTF8: выкл"));
    // Never translated.
    EXPECT_EQ(form.Label3->text(), QString::fromUtf8("Язык/Language:"));
}

TEST(MainWindow, StartListsHoldTheirDesignSelections) {
    TForm1 form({});
    // The first theme, applied at start, sets the size 8, antialiasing and bold links.
    EXPECT_EQ(form.ComboBox2->currentText(), "8");
    EXPECT_TRUE(form.CheckBox24->isChecked());
    EXPECT_TRUE(form.CheckBox12->isChecked());
    EXPECT_EQ(form.ComboBox2->count(), 31);
    EXPECT_EQ(form.ComboBox8->currentText(), "1");
    EXPECT_EQ(form.ComboBox5->currentText(), "DEFAULT_CHARSET");
    EXPECT_EQ(form.ComboBox6->currentText(), "-");
    EXPECT_EQ(form.ComboBox6->count(), 15);
    EXPECT_TRUE(form.Edit4->text().isEmpty());
    EXPECT_EQ(form.ComboBox4->currentText(), "MS98");
    // The scroll handler of the first layout pass puts the offsets in front of the status.
    EXPECT_TRUE(form.windowTitle().endsWith(" - Quillmar " + QString::fromStdString(form.browser().State().VersionString)))
        << form.windowTitle().toStdString();
}

TEST(MainWindow, ArgumentsThatAreNoFileGoToTheAddressBarJoined) {
    TForm1 form({"example.org", "two"});
    EXPECT_EQ(form.Edit1->text(), "example.org two");
    EXPECT_TRUE(form.browser().State().OpenArgAtStart);
}

TEST(MainWindow, AFilePathWithSpaceAndCyrillicLettersBecomesAFileAddress) {
    QTemporaryDir dir;
    const QString path = dir.path() + QString::fromUtf8("/my файл.html");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const std::string whole = path.toStdString();
    const size_t space = whole.rfind(' ');
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{whole}, {whole.substr(0, space), whole.substr(space + 1)}}) {
        TForm1 form(args);
        EXPECT_EQ(form.Edit1->text(), "file://" + path) << args.size() << " arguments";
    }
}

// Controls that lie over another by design: the logo over its click area, the caption label of
// full screen (hidden) over the address bar, and the view panel over the rows it covers.
bool OverlapAllowed(const QWidget* a, const QWidget* b) {
    for (const QWidget* w : {a, b})
        if (w->objectName() == "Image2" || w->objectName() == "Panel43") return true;
    return false;
}

TEST(MainWindow, NoControlsOverlapAtTheMinimumSizeInEitherLanguage) {
    for (int language : {0, 1}) {
        TForm1 form({});
        form.ComboBox7->setCurrentIndex(language);
        form.show();
        form.resize(form.minimumSize());
        QList<QWidget*> controls;
        for (QWidget* w : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible() && !w->objectName().isEmpty()) controls << w;
        for (int i = 0; i < controls.size(); ++i) {
            const QWidget* a = controls[i];
            EXPECT_TRUE(form.rect().contains(a->geometry())) << a->objectName().toStdString();
            if (auto* box = qobject_cast<const QCheckBox*>(a)) {  // the caption is not clipped
                EXPECT_GE(box->width(), box->sizeHint().width()) << box->objectName().toStdString();
            }
            for (int j = i + 1; j < controls.size(); ++j) {
                if (OverlapAllowed(a, controls[j])) continue;
                EXPECT_FALSE(a->geometry().intersects(controls[j]->geometry()))
                    << language << ": " << a->objectName().toStdString() << " and "
                    << controls[j]->objectName().toStdString();
            }
        }
    }
}

TEST(MainWindow, EveryIconGlyphIsInTheIconFontTheProgramInstalls) {
    TForm1 form({});
    const QRawFont font = QRawFont::fromFont(qm::IconFont());
    ASSERT_EQ(font.familyName(), "DejaVu Sans");
    QStringList glyphs;
    for (const qm::PanelButton* panel : form.findChildren<qm::PanelButton*>()) glyphs << panel->Glyph();
    for (const QLabel* label : form.findChildren<QLabel*>()) glyphs << label->property("glyph").toString();
    for (const QString& glyph : glyphs)
        for (char32_t c : glyph.toUcs4())
            EXPECT_TRUE(font.supportsCharacter(c)) << "U+" << std::hex << uint32_t(c);
}

TEST(MainWindow, FieldsMirrorTheBrowsersModelsBothWays) {
    TForm1 form({});
    qm::BrowserState& state = form.browser().State();
    form.Edit2->insert(QString::fromUtf8("a\u0431"));  // as typed; Cyrillic be
    EXPECT_EQ(state.LinkField.Text, "a\xE1");
    EXPECT_EQ(state.LinkField.SelectionStart, 2u);
    form.browser().SetField(qm::FieldId::ObjectInfo, "one\r\ntwo");
    EXPECT_EQ(form.Memo1->toPlainText(), "one\ntwo");
    QTextCursor cursor = form.Memo1->textCursor();
    cursor.setPosition(4);  // the start of "two"
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    form.Memo1->setTextCursor(cursor);
    EXPECT_EQ(state.ObjectInfo.SelectionStart, 5u);  // the line break is two bytes
    EXPECT_EQ(state.ObjectInfo.SelectionLength, 3u);
    form.Memo1->insertPlainText("2");
    EXPECT_EQ(state.ObjectInfo.Text, "one\r\n2");
    // A pasted line separator is a line break of two bytes, and the selection after it still
    // covers the same characters.
    form.Memo1->insertPlainText(QString::fromUtf8("x\u2028yz"));
    EXPECT_EQ(state.ObjectInfo.Text, "one\r\n2x\r\nyz");
    cursor = form.Memo1->textCursor();
    cursor.setPosition(cursor.position() - 1, QTextCursor::KeepAnchor);
    form.Memo1->setTextCursor(cursor);
    EXPECT_EQ(state.ObjectInfo.Text.substr(state.ObjectInfo.SelectionStart, state.ObjectInfo.SelectionLength), "z");
}

TEST(MainWindow, F5AsksARunningRenderToStopAndShowsStopping) {
    TForm1 form({});
    form.ComboBox7->setCurrentIndex(1);
    form.show();
    form.activateWindow();
    form.browser().State().RenderBusy = true;
    QTest::keyClick(form.Edit1, Qt::Key_F5);
    EXPECT_TRUE(form.browser().State().ProcessAbort);
    EXPECT_EQ(form.Panel20->Caption(), "Stop...");
    // Nothing runs: F5 changes nothing.
    TForm1 idle({});
    idle.show();
    QTest::keyClick(idle.Edit1, Qt::Key_F5);
    EXPECT_FALSE(idle.browser().State().ProcessAbort);
    EXPECT_FALSE(idle.browser().State().DownloadAbort);
}

TEST(MainWindow, AClickOnTheEncodingLabelSwitchesTheDosEncoding) {
    TForm1 form({});
    form.show();
    ASSERT_TRUE(form.browser().LoadBitmapFont("INT:DOS8X16", qm::FontLoadRequest::NotAsked));
    ASSERT_TRUE(form.Label11->isVisible());
    const bool before = form.browser().Fonts().DosEncoding;
    QTest::mouseClick(form.Label11, Qt::LeftButton);
    EXPECT_NE(before, form.browser().Fonts().DosEncoding);
    EXPECT_EQ(form.DOS1->isChecked(), form.browser().Fonts().DosEncoding);
    EXPECT_EQ(form.Label11->text(), form.browser().Fonts().DosEncoding ? "DOS CP866" : "WIN CP1251");
}

TEST(MainWindow, TheCharacterSetListAndEmptyFieldsCanBeRead) {
    TForm1 form({});
    form.show();
    EXPECT_EQ(qm::CharsetCombo::ShortName("DEFAULT_CHARSET"), "DEFAULT");
    form.ComboBox5->showPopup();
    EXPECT_GE(form.ComboBox5->view()->width(), form.ComboBox5->view()->sizeHintForColumn(0));
    form.ComboBox5->hidePopup();
    // On a dark theme an empty field's frame, drawn from the window colour, takes the text's.
    form.browser().ChooseTheme(3, [](const std::string&) { return std::string(); });
    EXPECT_EQ(form.Edit2->palette().color(QPalette::Window), form.palette().color(QPalette::WindowText));
}

TEST(MainWindow, WelcomePageIsBuiltOnceTheWindowIsVisible) {
    TForm1 form({});
    form.ComboBox7->setCurrentIndex(1);
    EXPECT_TRUE(form.browser().State().PageSource.empty());
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.browser().State().PageSource.empty(); }, 2000));
    EXPECT_EQ(form.browser().State().PageSource.rfind("Welcome to free browser-siteripper Quillmar ", 0), 0u);
    EXPECT_FALSE(form.Timer5->isActive());
}

TEST(MainWindow, AnchoredControlsFollowTheWindowEdges) {
    TForm1 form({});
    form.show();
    QRect edit = form.Edit1->geometry();
    QRect test = form.Panel10->geometry();
    QRect memo = form.Memo1->geometry();
    form.resize(form.width() + 100, form.height() + 50);
    EXPECT_EQ(form.Edit1->geometry().width(), edit.width() + 100);
    EXPECT_EQ(form.Panel10->geometry().left(), test.left() + 100);
    EXPECT_EQ(form.Memo1->geometry().top(), memo.top() + 50);
    EXPECT_EQ(form.Memo1->geometry().width(), memo.width() + 100);
    EXPECT_EQ(form.Panel43->geometry().height(), 205 + 50);
}

TEST(MainWindow, DownInTheAddressBarScrollsTheViewOneLine) {
    TForm1 form({});
    form.resize(800, 600);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.view().ContentHeight > 1000; }, 3000));  // welcome page
    form.Edit1->setFocus();
    ASSERT_EQ(form.view().ScrollY, 0);
    QTest::keyPress(form.Edit1, Qt::Key_Down);
    EXPECT_EQ(form.view().ScrollY, form.view().LineHeight);
    QTest::keyRelease(form.Edit1, Qt::Key_Down);
    QTest::keyClick(form.Edit1, Qt::Key_PageDown, Qt::ControlModifier);
    const int last = form.view().ContentHeight - form.view().ImageHeight;  // the last screen
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.view().ScrollY == last; }, 2000)) << form.view().ScrollY;
    // The caption follows the position: "<offset> / <max> px - <status>".
    const QString offset = qm::ToQString(qm::BytesToStr(last) + " / " + qm::BytesToStr(last) + " px - ");
    EXPECT_TRUE(form.windowTitle().startsWith(offset)) << form.windowTitle().toStdString();
    QTest::keyClick(form.Edit1, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.view().ScrollY == 0; }, 2000)) << form.view().ScrollY;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
