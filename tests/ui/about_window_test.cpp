#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "base/view_colors.h"
#include "platform/qt_convert.h"
#include "state/themes.h"
#include "state/user_guide.h"
#include "ui/about_window.h"
#include "ui/main_window.h"

namespace qm {
namespace {

AboutOpening Opening(int language, uint32_t back = 0xFFFFFF, uint32_t text = 0) {
    AboutOpening opening{"1.2.3.4", language, {}};
    opening.colours.Colors[static_cast<size_t>(ColorRole::Back)] = back;
    opening.colours.Colors[static_cast<size_t>(ColorRole::Text)] = text;
    return opening;
}

QString FirstLine(const QPlainTextEdit* memo) {
    return memo->document()->firstBlock().text();
}

TEST(AboutWindow, EveryDesignControlExistsByName) {
    TForm2 about;
    QStringList names{"Memo1", "Memo2"};
    for (int i = 1; i <= 22; ++i) names << QString("Label%1").arg(i);
    for (int i = 1; i <= 5; ++i) names << QString("Image%1").arg(i);
    for (const QString& name : names)
        EXPECT_NE(about.findChild<QWidget*>(name), nullptr) << name.toStdString();
}

TEST(AboutWindow, OpeningShowsTheGuideOfTheLanguageAndTheVersion) {
    TForm2 about;
    about.Prepare(Opening(1));
    EXPECT_EQ(about.windowTitle(), "Quillmar 1.2.3.4");
    for (QLabel* label : about.Version())
        EXPECT_EQ(label->text(), "1.2.3.4");
    EXPECT_FALSE(about.Memo2->isHidden());
    EXPECT_TRUE(about.Memo1->isHidden());
    EXPECT_EQ(FirstLine(about.Memo2),
              "Warning: if you want to copy russian text from browser to clipboard by Ctrl+C you "
              "need to switch keyboard layout to RU (Russian) before copying and pasting.");
    EXPECT_EQ(about.Label22->text(), "Donate to Quillmar via PayPal, Webmoney");

    about.Prepare(Opening(0));
    EXPECT_FALSE(about.Memo1->isHidden());
    EXPECT_TRUE(about.Memo2->isHidden());
    EXPECT_EQ(FirstLine(about.Memo1), ToQStringLines(UserGuideText(0)).section('\n', 0, 0));
}

TEST(AboutWindow, TheIconTogglesTheDetailsAndAnOpeningBringsOnlyTheGuideBack) {
    TForm2 about;
    about.Prepare(Opening(1));
    QTest::mouseClick(about.Image1, Qt::LeftButton);
    for (QWidget* part : std::initializer_list<QWidget*>{about.Label22, about.Image3, about.Image4,
                                                         about.Image5, about.Label14, about.Memo2})
        EXPECT_TRUE(part->isHidden()) << part->objectName().toStdString();
    EXPECT_FALSE(about.Label21->isHidden());

    about.Prepare(Opening(0));
    EXPECT_FALSE(about.Memo1->isHidden());
    EXPECT_TRUE(about.Image4->isHidden());
    QTest::mouseClick(about.Image1, Qt::LeftButton); // the flag was set by the opening
    EXPECT_TRUE(about.Memo1->isHidden());
    QTest::mouseClick(about.Image1, Qt::LeftButton);
    EXPECT_FALSE(about.Memo1->isHidden());
    EXPECT_FALSE(about.Image4->isHidden());
}

TEST(AboutWindow, TakesTheMainWindowColoursAtEveryOpening) {
    const Theme& dark = kThemes[3];
    const uint32_t back = dark.colours[1], text = dark.colours[0];
    TForm2 about;
    for (int language : {0, 1}) {
        about.Prepare(Opening(language, back, text));
        QPlainTextEdit* guide = language == 0 ? about.Memo1 : about.Memo2;
        EXPECT_EQ(guide->palette().color(QPalette::Base), ToQColor(back));
        EXPECT_EQ(guide->palette().color(QPalette::Text), ToQColor(text));
    }
    EXPECT_EQ(about.palette().color(QPalette::Window), ToQColor(back));
    EXPECT_EQ(about.Label6->palette().color(QPalette::WindowText),
              ToQColor(ColorSumm12(kAboutFirstHalf, back)));
    EXPECT_EQ(about.Label19->palette().color(QPalette::WindowText), ToQColor(text));
    EXPECT_EQ(about.Label16->palette().color(QPalette::WindowText), ToQColor(back));
}

TEST(AboutWindow, TheMakersAddressClosesTheWindowForTheHomePage) {
    TForm2 about;
    about.Prepare(Opening(1));
    about.show();
    QSignalSpy chosen(&about, &TForm2::homePageChosen);
    QTest::mouseClick(about.Label14, Qt::LeftButton);
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutWindow, F1OpensItFromTheMainWindow) {
    TForm1 form({});
    bool english = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        english = form.browser().State().LanguageIndex == 1 ? !about->Memo2->isHidden()
                                                            : !about->Memo1->isHidden();
        about->reject();
    });
    QTest::keyClick(form.Edit1, Qt::Key_F1);
    EXPECT_TRUE(english);
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
