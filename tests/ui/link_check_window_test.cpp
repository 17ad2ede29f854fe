// Check page links in the main window: the codes on the blocks, the frame of a broken one,
// the caption, one request per address, and F5.

#include <httplib.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <atomic>

#include "base/view_colors.h"
#include "platform/qt_convert.h"
#include "support/local_server.h"
#include "support/shown_main_window.h"
#include "ui/main_window.h"

namespace {

using qm::TForm1;

using qm::testing::WaitFor;

class LinkCheckWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        server->Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(
                "<p>links</p>\n<a href=\"good.html\">g</a>\n<a href=\"bad.html\">b</a>\n"
                "<a href=\"good.html#again\">again</a>\n<img src=\"slow.png\">",
                "text/html");
        });
        server->Get("/good.html", [this](const httplib::Request&, httplib::Response& res) {
            ++goodHits;
            res.set_content("good", "text/html");
        });
        server->Get("/slow.png", [this](const httplib::Request&, httplib::Response& res) {
            hold.Wait();
            res.set_content("png", "image/png");
        });
        ASSERT_TRUE(server.Start());
        form.ComboBox7->setCurrentIndex(1);
        form.resize(800, 600);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        // The welcome page comes first; the page asked for replaces it.
        ASSERT_TRUE(WaitFor([&] { return form.view().ContentHeight > 1000; }));
        form.Edit1->setText(QString::fromStdString(server.Url("/")));
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&] { return Object("bad.html") != nullptr; }));
    }
    const qm::ViewObject* Object(const std::string& text) {
        for (const auto& object : form.view().ViewObjects)
            if (object.Text == text) return &object;
        return nullptr;
    }
    std::string Caption() const { return qm::FromQString(form.windowTitle()); }

    qm::testing::HeldUntilTheEnd hold;
    qm::testing::LocalServer server;
    qm::testing::HeldUntilTheEnd::Release release{hold};
    std::atomic<int> goodHits{0};
    TForm1 form{{}};
};

TEST_F(LinkCheckWindow, CodesGoOnTheBlocksAndTheBrokenOneIsFramed) {
    hold.released = true;
    QTest::keyClick(form.Edit1, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitFor([&] { return !form.browser().State().LinkCheckBusy; }));
    const auto& marks = form.browser().State().LinkMarks;
    ASSERT_EQ(marks.count("bad.html"), 1u) << Caption();
    EXPECT_EQ(marks.at("bad.html").code, "404");
    EXPECT_TRUE(marks.at("bad.html").broken);
    EXPECT_EQ(marks.at("good.html#again").code, "200");
    EXPECT_EQ(goodHits.load(), 1);
    EXPECT_NE(Caption().find("Links checked: 3 / 3, broken: 1"), std::string::npos) << Caption();

    ASSERT_TRUE(WaitFor([&] { return Object("bad.html") && Object("bad.html")->Broken; }));
    const qm::ViewObject* bad = Object("bad.html");
    ASSERT_FALSE(Object("good.html")->Broken);
    const QImage& picture = form.Image1->Picture();
    EXPECT_EQ(picture.pixelColor(0, bad->Top + 1), QColor(255, 0, 0));
    EXPECT_NE(picture.pixelColor(0, Object("good.html")->Top + 1), QColor(255, 0, 0));
}

TEST_F(LinkCheckWindow, F5StopsTheCheckAndTheCutRequestLeavesNoMark) {
    // The menu item runs the check; F5 comes while the slow address is asked for.
    std::string during;
    QTimer::singleShot(300, &form, [&] {
        during = Caption();
        QTest::keyClick(form.Edit1, Qt::Key_F5);
    });
    form.CheckLinks1->trigger();
    EXPECT_FALSE(form.browser().State().LinkCheckBusy);
    const auto& marks = form.browser().State().LinkMarks;
    EXPECT_EQ(marks.count("good.html"), 1u);
    EXPECT_EQ(marks.count("slow.png"), 0u);
    EXPECT_NE(Caption().find("Links checked: 2 / 3, broken: 1 - stopped"), std::string::npos)
        << Caption();
    EXPECT_NE(during.find("3 / 3 - "), std::string::npos) << during;
    EXPECT_TRUE(during.ends_with("/slow.png")) << during;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
