// The form editor window opened by a click on a form block of a real page: the generated
// controls, filling and sending, the advanced panel, the menu item and the captions.

#include <httplib.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <mutex>

#include "platform/qt_convert.h"
#include "support/local_server.h"
#include "support/shown_main_window.h"
#include "ui/program_editor_window.h"
#include "ui/form_editor_window.h"
#include "ui/main_window.h"

namespace {

using qm::FormKind;
using qm::TForm1;
using qm::TForm3;

using qm::testing::WaitFor;

// Typed as the keyboard would, character by character (QTest only types ASCII).
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

const char* const kPage =
    "<p>Search the shop</p><form action=\"/send#top\">Word: <input name=q>"
    "<input type=checkbox name=new checked> new only"
    "<input type=submit name=go value=Find><input type=submit name=go value=All></form>";

struct Shown : qm::testing::ShownMainWindow {
    TForm3 editor{form};
    Shown() { form.SetFormEditor(&editor); }
    void Open(const std::string& address) {
        ShownMainWindow::Open(address);
        ASSERT_TRUE(WaitFor([&] { return FormBlock() != nullptr; }));
    }
    const qm::ViewObject* FormBlock(size_t index = 0) {
        for (const auto& object : form.view().ViewObjects)
            if (object.Kind == qm::ViewObjectKind::Form && index-- == 0) return &object;
        return nullptr;
    }
    // Clicks a form block; `inside` runs while the modal editor is shown.
    void ClickForm(std::function<void()> inside, size_t index = 0) {
        QTimer::singleShot(0, &editor, [this, inside] {
            if (!WaitFor([&] { return editor.isVisible(); })) return;
            inside();
            if (editor.isVisible()) editor.reject();
        });
        const qm::ViewObject* block = FormBlock(index);
        ASSERT_NE(block, nullptr);
        QTest::mouseClick(form.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(20, block->Top + 1));
    }
    // The generated control of the first member with this name and kind.
    template <class Widget>
    Widget* Field(FormKind kind, const std::string& name, const std::string& value = {}) {
        const auto& elements = editor.editor().FormElements;
        for (size_t e = 0; e < elements.size(); ++e)
            for (size_t m = 0; m < elements[e].members.size(); ++m) {
                const auto& member = elements[e].members[m];
                if (member.kind == kind && member.name == name &&
                    (value.empty() || member.value == value))
                    return qobject_cast<Widget*>(editor.Control(e, m));
            }
        return nullptr;
    }
};

class FormEditorWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        server->Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kPage, "text/html");
        });
        server->Get("/send", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex);
            targets.push_back(req.target);
            referer = req.get_header_value("Referer");
            res.set_content("<p>Found for you</p>", "text/html");
        });
        server->Post("/send", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex);
            targets.push_back("POST " + req.target + " " + req.body);
            res.set_content("<p>Posted</p>", "text/html");
        });
        ASSERT_TRUE(server.Start());
    }
    std::vector<std::string> Targets() {
        std::lock_guard lock(mutex);
        return targets;
    }
    qm::testing::LocalServer server;
    std::mutex mutex;
    std::vector<std::string> targets;
    std::string referer;
};

TEST_F(FormEditorWindow, ClickFillSendShowsTheAnswerAndCtrlQShowsTheFormAgain) {
    Shown shown;
    shown.Open(server.Url("/"));
    shown.ClickForm([&] {
        auto* word = shown.Field<QLineEdit>(FormKind::Edit, "q");
        ASSERT_NE(word, nullptr);
        EXPECT_FALSE(shown.editor.Panel2->isVisible());
        Type(word, QString::fromUtf8("чай"));
        QTest::mouseClick(shown.Field<QCheckBox>(FormKind::Checkbox, "new"), Qt::LeftButton,
                          Qt::NoModifier, QPoint(8, 10));
        QTest::mouseClick(shown.Field<qm::PanelButton>(FormKind::Button, "go", "All"),
                          Qt::LeftButton);
    });
    EXPECT_FALSE(shown.editor.isVisible());
    EXPECT_EQ(Targets(), std::vector<std::string>{"/send?q=%D1%87%D0%B0%D0%B9&go=All"});
    EXPECT_EQ(referer, server.Url("/"));
    EXPECT_EQ(shown.form.browser().State().PageSource, "<p>Found for you</p>");
    EXPECT_EQ(qm::FromQString(shown.form.Edit1->text()).substr(0, 30),
              server.Url("/send?q=").substr(0, 30));
    EXPECT_TRUE(shown.form.browser().State().RefererURL.empty());
    // Ctrl+Q shows the form again as it was left, the request fields holding the request
    // that was sent, in the language chosen since.
    shown.form.browser().State().LanguageIndex = 0;
    bool checked = false;
    QTimer::singleShot(0, &shown.editor, [&] {
        if (!WaitFor([&] { return shown.editor.isVisible(); })) return;
        checked = true;
        EXPECT_EQ(shown.Field<QLineEdit>(FormKind::Edit, "q")->text(), QString::fromUtf8("чай"));
        EXPECT_EQ(shown.editor.Edit1->text(), shown.form.Edit1->text());
        EXPECT_EQ(shown.editor.CheckBox2->text(), QString::fromUtf8("Расширенный режим"));
        EXPECT_EQ(shown.editor.Panel11->Caption(), QString::fromUtf8("Отправка и переход"));
        EXPECT_EQ(shown.form.browser().State().RefererURL, server.Url("/"));
        shown.editor.reject();
    });
    QTest::keyClick(shown.form.Edit1, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(shown.form.browser().State().RefererURL.empty());
    EXPECT_EQ(Targets().size(), 1u);
}

TEST_F(FormEditorWindow, AdvancedModeWaitsForTheSendButtonsAndOffersLinkAndProgram) {
    Shown shown;
    shown.Open(server.Url("/"));
    shown.ClickForm([&] {
        const int narrow = shown.editor.ScrollBox1->width();
        shown.editor.CheckBox2->setChecked(true);
        EXPECT_TRUE(shown.editor.Panel2->isVisible());
        EXPECT_LT(shown.editor.ScrollBox1->width(), narrow);
        EXPECT_EQ(qm::FromQString(shown.editor.Edit1->text()), server.Url("/send"));
        EXPECT_EQ(shown.editor.ComboBox1->count(), 2);
        QTest::mouseClick(shown.Field<qm::PanelButton>(FormKind::Button, "go", "Find"),
                          Qt::LeftButton);
        EXPECT_TRUE(shown.editor.isVisible());
        EXPECT_EQ(qm::FromQString(shown.editor.Edit1->text()),
                  server.Url("/send?q=&new=on&go=Find"));
        shown.editor.RadioButton2->setChecked(true);
        shown.editor.Edit2->setText("x=1");
        QTest::mouseClick(shown.editor.Panel3, Qt::LeftButton);
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), server.Url("/send??x=1"));
        EXPECT_EQ(shown.editor.Panel3->Caption(), "Ready");
        QTest::mouseClick(shown.editor.Panel4, Qt::LeftButton);
    });
    EXPECT_FALSE(shown.editor.isVisible());
    EXPECT_TRUE(Targets().empty());
    // The program goes to the program editor, and running it sends the request.
    qm::TForm6& programs = shown.form.programEditor();
    EXPECT_TRUE(programs.isVisible());
    EXPECT_EQ(programs.RichEdit1->toPlainText(),
              "SETBASEURL \"" + QString::fromStdString(server.Url("/")) + "\"\n" +
                  "GO \"" + QString::fromStdString(server.Url("/send??x=1")) + "\"");
    programs.Run();
    EXPECT_EQ(Targets(), std::vector<std::string>{"POST /send x=1"});
}

TEST_F(FormEditorWindow, ASmallerFormOpenedAfterTheAdvancedModeGetsItsOwnControls) {
    server->Get("/two", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<form action=/a>&lt;b&gt;T&lt;/b&gt; <input name=t> <input type=password name=p>"
                        "<input type=hidden name=h value=1><input type=checkbox name=c>"
                        "<input type=radio name=r value=1><input type=radio name=r value=2>"
                        "<input type=radio name=r value=3><select name=s><option>x<option>y"
                        "<option>z</select><textarea name=m>M\nN\rO</textarea>"
                        "<input type=submit></form>"
                        "<form method=post action=/b><input type=radio name=r value=9></form>",
                        "text/html");
    });
    Shown shown;
    shown.Open(server.Url("/two"));
    ASSERT_TRUE(WaitFor([&] { return shown.FormBlock(1) != nullptr; }));
    shown.ClickForm([&] {
        auto* caption = shown.Field<QLabel>(FormKind::Label, "", "<b>T</b> ");
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->textFormat(), Qt::PlainText) << "page text read as markup";
        // An empty field and an unchecked radio button are framed in the text colour.
        const QColor text = shown.form.palette().color(QPalette::WindowText);
        QLineEdit* field = shown.Field<QLineEdit>(FormKind::Edit, "t");
        ASSERT_NE(field, nullptr);
        const QImage look = field->grab().toImage();
        EXPECT_EQ(look.pixelColor(0, look.height() / 2), text);
        EXPECT_EQ(shown.editor.RadioButton1->palette().color(QPalette::Window), text);
        shown.editor.CheckBox2->setChecked(true);
        // A textarea's line breaks are line breaks in the form's lines, not pictures of them.
        EXPECT_TRUE(shown.editor.Memo1->toPlainText().contains("<textarea name=m>M\nN\nO<"));
    });
    bool shownSecond = false;
    shown.ClickForm(
        [&] {
            shownSecond = true;
            EXPECT_FALSE(shown.editor.CheckBox2->isChecked());
            EXPECT_NE(shown.Field<QCheckBox>(FormKind::Radio, "r", "9"), nullptr);
            EXPECT_EQ(shown.Field<QLineEdit>(FormKind::Edit, "t"), nullptr);
            shown.editor.CheckBox2->setChecked(true);
            shown.editor.CheckBox2->setChecked(false);
        },
        1);
    EXPECT_TRUE(shownSecond);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
