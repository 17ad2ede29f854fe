// The real main window driven with the mouse: link clicks, the click threshold, zoom, line
// selection and the window modes.

#include <httplib.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <mutex>

#include "ui/main_window.h"
#include "platform/qt_convert.h"
#include "support/local_server.h"
#include "support/shown_main_window.h"

namespace {

using qm::TForm1;

using qm::testing::WaitFor;

// A shown main window with the welcome page rendered.
struct ShownForm : qm::testing::ShownMainWindow {
    QPoint RowOf(const qm::ViewObject& object) {
        int zoom = form.view().PixelZoom;
        return QPoint(20, (object.Top + 1) * zoom);
    }
};

class ViewClick : public ::testing::Test {
protected:
    void SetUp() override {
        server->Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<title>Start</title><p>start</p><a href=\"next.html\">next</a><img src=\"pic.png\">"
                            "<script>var a = 1;</script>", "text/html");
        });
        server->Get("/next.html", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex);
            referer = req.get_header_value("Referer");
            ++nextHits;
            res.set_content("<p>second page</p>", "text/html");
        });
        server->Get("/pic.png", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard lock(mutex);
            ++picHits;
            res.set_content("PNG", "image/png");
        });
        ASSERT_TRUE(server.Start());
    }
    qm::testing::LocalServer server;
    std::mutex mutex;
    std::string referer;
    int nextHits = 0;
    int picHits = 0;
};

TEST_F(ViewClick, LeftClickOnALinkNavigatesWithTheReferer) {
    ShownForm shown;
    shown.Open(server.Url("/"));
    ASSERT_TRUE(WaitFor([&] { return shown.Find(qm::ViewObjectKind::Link) != nullptr; }));
    // The history page shows the page's title: it is kept in the page's entry.
    EXPECT_EQ(shown.form.browser().State().History.back().FileName, "Start");
    QPoint at = shown.RowOf(*shown.Find(qm::ViewObjectKind::Link));
    QTest::mouseClick(shown.form.Image1, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_TRUE(WaitFor([&] { return shown.form.browser().State().CurrentURL == server.Url("/next.html"); }));
    std::lock_guard lock(mutex);
    EXPECT_EQ(referer, server.Url("/"));
    EXPECT_TRUE(shown.form.browser().State().RefererURL.empty());
}

TEST_F(ViewClick, ADragOfThreePixelsStillClicks) {
    ShownForm shown;
    shown.Open(server.Url("/"));
    ASSERT_TRUE(WaitFor([&] { return shown.Find(qm::ViewObjectKind::Link) != nullptr; }));
    ASSERT_GE(shown.form.view().LineHeight, 6);  // threshold is half a line
    QPoint at = shown.RowOf(*shown.Find(qm::ViewObjectKind::Link));
    QTest::mousePress(shown.form.Image1, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(shown.form.Image1, Qt::LeftButton, Qt::NoModifier, at + QPoint(0, 2));
    EXPECT_TRUE(WaitFor([&] { std::lock_guard lock(mutex); return nextHits == 1; }));
}

TEST_F(ViewClick, RightClickInFullTrafficSaverFollowsAndInOtherModesFillsTheObjectField) {
    ShownForm shown;
    shown.Open(server.Url("/"));
    ASSERT_TRUE(WaitFor([&] { return shown.Find(qm::ViewObjectKind::Link) != nullptr; }));
    QPoint at = shown.RowOf(*shown.Find(qm::ViewObjectKind::Link));
    shown.form.browser().State().TrafficSaverMode = 1;
    QTest::mouseClick(shown.form.Image1, Qt::RightButton, Qt::NoModifier, at);
    ASSERT_TRUE(WaitFor([&] { std::lock_guard lock(mutex); return nextHits == 1; }));

    shown.Open(server.Url("/"));
    shown.form.browser().State().TrafficSaverMode = 0;
    ASSERT_TRUE(WaitFor([&] { return shown.Find(qm::ViewObjectKind::Link) != nullptr; }));
    at = shown.RowOf(*shown.Find(qm::ViewObjectKind::Link));
    QTest::mouseClick(shown.form.Image1, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(qm::FromQString(shown.form.Edit2->text()), server.Url("/next.html"));
}

TEST_F(ViewClick, ZoomTwoMapsScreenRowsToHalf) {
    ShownForm shown;
    shown.form.ComboBox8->setCurrentText("2");
    shown.Open(server.Url("/"));
    ASSERT_TRUE(WaitFor([&] { return shown.Find(qm::ViewObjectKind::Link) != nullptr; }));
    const qm::ViewObject& link = *shown.Find(qm::ViewObjectKind::Link);
    // Row 2 * Top + 1 on screen is view row Top: inside the link.
    QTest::mouseClick(shown.form.Image1, Qt::LeftButton, Qt::NoModifier, QPoint(20, 2 * link.Top + 1));
    EXPECT_TRUE(WaitFor([&] { std::lock_guard lock(mutex); return nextHits == 1; }));
}

TEST_F(ViewClick, RightDragOverThreeLinesCopiesThemWithCrLf) {
    ShownForm shown;
    shown.Open(server.Url("/"));
    ASSERT_TRUE(WaitFor([&] { return shown.Find(qm::ViewObjectKind::Link) != nullptr; }));
    int line = shown.form.view().LineHeight;
    QTest::mousePress(shown.form.Image1, Qt::RightButton, Qt::NoModifier, QPoint(10, line / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(10, line * 2 + line / 2), QPointF(), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(shown.form.Image1, &move);
    QTest::mouseRelease(shown.form.Image1, Qt::RightButton, Qt::NoModifier, QPoint(10, line * 2 + line / 2));
    ASSERT_TRUE(WaitFor([&] { return !shown.form.Memo1->toPlainText().isEmpty(); }));
    QStringList lines = shown.form.Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 3) << shown.form.Memo1->toPlainText().toStdString();
}

TEST(WindowModes, F2ThreeTimesRestoresTheBoundsAndF11TwiceReturnsToSettings) {
    ShownForm shown;
    TForm1& form = shown.form;
    QRect before = form.geometry();
    for (int i = 0; i < 3; ++i) form.browser().CycleWindowSize();
    EXPECT_EQ(form.browser().State().WindowSizeState, qm::WindowSize::Window);
    EXPECT_TRUE(WaitFor([&] { return form.geometry() == before; }, 2000));

    QRect view = form.Panel43->geometry();
    QTest::keyClick(form.Edit1, Qt::Key_F11);
    EXPECT_TRUE(form.browser().State().ViewModeOn);
    EXPECT_EQ(form.Panel43->geometry().left(), 4);
    QTest::keyClick(form.Edit1, Qt::Key_F11);
    EXPECT_FALSE(form.browser().State().ViewModeOn);
    EXPECT_EQ(form.Panel43->geometry(), view);
}

TEST(WindowModes, CtrlF11TwiceRestoresTheViewWidth) {
    ShownForm shown;
    TForm1& form = shown.form;
    int width = form.Image1->width();
    QTest::keyClick(form.Edit1, Qt::Key_F11, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return form.Image1->width() > width; }, 2000));
    EXPECT_FALSE(form.CheckBox35->isChecked());
    EXPECT_FALSE(form.N20->isChecked());
    QTest::keyClick(form.Edit1, Qt::Key_F11, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return form.Image1->width() == width; }, 2000));
    EXPECT_TRUE(form.CheckBox35->isChecked());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
