#include "ui/about_window.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include "base/interfaces.h"
#include "platform/qt_convert.h"
#include "state/ui_strings.h"
#include "state/user_guide.h"

namespace qm {
namespace {

constexpr int kDonateText = 232;

QFont PixelFont(int pixels, bool bold) {
    QFont font;
    font.setFamilies({"Tahoma", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void SetTextColour(QLabel* label, uint32_t colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
}

// Four copies shifted left, right, up and down, and the top label over them: an outlined,
// embossed caption. The labels are the top one, then the copies.
void BuildStack(QWidget* parent, const QString& text, QRect place, int shift, const QFont& font,
                const std::array<std::pair<QLabel**, const char*>, 5>& labels) {
    const QPoint offsets[] = {{0, 0}, {-shift, 0}, {shift, 0}, {0, -shift}, {0, shift}};
    for (int i = 4; i >= 0; --i) {
        auto [member, name] = labels[static_cast<size_t>(i)];
        *member = new QLabel(text, parent);
        (*member)->setTextFormat(Qt::PlainText);
        (*member)->setObjectName(name);
        (*member)->setFont(font);
        (*member)->setGeometry(place.translated(offsets[i]));
    }
}

// The pictures are drawn, so that no picture files are needed.
QPixmap Picture(QSize size, QColor fill, QColor ink, const QString& text, int pixels, bool round) {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(fill);
    painter.setPen(QPen(ink.darker(140), 2));
    QRectF frame = QRectF(picture.rect()).adjusted(2, 2, -2, -2);
    if (round)
        painter.drawEllipse(frame);
    else
        painter.drawRoundedRect(frame, 8, 8);
    painter.setPen(ink);
    painter.setFont(PixelFont(pixels, true));
    painter.drawText(picture.rect(), Qt::AlignCenter, text);
    return picture;
}

ClickLabel* PictureLabel(QWidget* parent, const char* name, QRect place, const QPixmap& picture) {
    auto* label = new ClickLabel(parent, name);
    label->setGeometry(place);
    label->setPixmap(picture);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowSystemMenuHint);
    setFixedSize(522, 315);
    setWindowTitle("Quillmar");
    setFont(PixelFont(11, false));
    setAutoFillBackground(true);
    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setGeometry(rect());
    BuildLogo();
    BuildLinks();
    BuildGuides();
}

void TForm2::BuildLogo() {
    Image1 = PictureLabel(this, "Image1", {0, 0, 96, 96},
                          Picture({96, 96}, QColor(40, 180, 0), Qt::white, "QM", 34, false));
    connect(Image1, &ClickLabel::clicked, this, &TForm2::ToggleDetails);
    const QFont name = PixelFont(48, true);
    BuildStack(this, "Quil", {112, 20, 110, 58}, 2, name,
               {{{&Label21, "Label21"},
                 {&Label6, "Label6"},
                 {&Label7, "Label7"},
                 {&Label15, "Label15"},
                 {&Label20, "Label20"}}});
    // The halves meet where the first ends: at 216 in the design font, sooner in a narrower
    // stand-in.
    const int join = 112 + QFontMetrics(name).horizontalAdvance("Quil");
    BuildStack(this, "lmar", {std::min(join, 216), 20, 130, 58}, 2, name,
               {{{&Label1, "Label1"},
                 {&Label2, "Label2"},
                 {&Label3, "Label3"},
                 {&Label4, "Label4"},
                 {&Label5, "Label5"}}});
    BuildStack(this, {}, {296, 56, 75, 24}, 1, PixelFont(19, true),
               {{{&Label19, "Label19"},
                 {&Label13, "Label13"},
                 {&Label16, "Label16"},
                 {&Label17, "Label17"},
                 {&Label18, "Label18"}}});
    for (QLabel* label : Version())
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    BuildStack(this, kMakerName, {118, 6, 250, 24}, 1, PixelFont(19, true),
               {{{&Label12, "Label12"},
                 {&Label8, "Label8"},
                 {&Label9, "Label9"},
                 {&Label10, "Label10"},
                 {&Label11, "Label11"}}});
    SetTextColour(Label21, kAboutFirstHalf);
    SetTextColour(Label1, kAboutSecondHalf);
    SetTextColour(Label12, kAboutMakerTop);
    for (QLabel* copy : {Label8, Label9, Label10, Label11})
        SetTextColour(copy, kAboutMakerShadow);
}

void TForm2::BuildLinks() {
    Image4 = PictureLabel(this, "Image4", {377, 17, 134, 134},
                          Picture({134, 134}, QColor(255, 130, 0), Qt::white, "F", 72, true));
    Label14 = new ClickLabel(this, "Label14");
    Label14->setGeometry(376, 2, 137, 16);
    Label14->setText(kMakerHomePage);
    Label14->setAlignment(Qt::AlignCenter);
    QFont link = PixelFont(11, true);
    link.setUnderline(true);
    Label14->setFont(link);
    Label14->setCursor(Qt::PointingHandCursor);
    Label22 = new ClickLabel(this, "Label22");
    Label22->setGeometry(0, 90, 373, 16);
    Label22->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label22->setFont(PixelFont(11, true));
    Label22->setCursor(Qt::PointingHandCursor);
    // White on a ribbon of the logo's colour, so that it reads on a light theme too.
    Label22->setAutoFillBackground(true);
    QPalette ribbon = Label22->palette();
    ribbon.setColor(QPalette::Window, ToQColor(kAboutSecondHalf));
    ribbon.setColor(QPalette::WindowText, Qt::white);
    Label22->setPalette(ribbon);
    Image3 = PictureLabel(
        this, "Image3", {100, 106, 147, 47},
        Picture({147, 47}, QColor(255, 196, 57), QColor(0, 48, 135), "PayPal", 20, false));
    Image5 = PictureLabel(this, "Image5", {260, 124, 105, 29},
                          Picture({105, 29}, QColor(0, 94, 184), Qt::white, "Webmoney", 13, false));
    for (ClickLabel* home : {Image4, Label14, Label22})
        connect(home, &ClickLabel::clicked, this, [this] {
            accept();
            emit homePageChosen();
        });
    connect(Image3, &ClickLabel::clicked, this, [this] { OpenDonation(kDonatePayPal); });
    connect(Image5, &ClickLabel::clicked, this, [this] { OpenDonation(kDonateWebmoney); });
}

void TForm2::BuildGuides() {
    for (auto [memo, name, language] :
         {std::tuple{&Memo1, "Memo1", 0}, std::tuple{&Memo2, "Memo2", 1}}) {
        *memo = new QPlainTextEdit(this);
        (*memo)->setObjectName(name);
        (*memo)->setGeometry(4, 156, 509, 149);
        (*memo)->setReadOnly(true);
        (*memo)->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        (*memo)->setFrameShape(QFrame::NoFrame);
        (*memo)->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        (*memo)->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        (*memo)->setPlainText(ToQStringLines(UserGuideText(language)));
        (*memo)->installEventFilter(this);
        (*memo)->hide();
    }
}

void TForm2::Prepare(const AboutOpening& opening) {
    languageIndex_ = opening.languageIndex;
    const AboutColours colours = AboutColoursFor(opening.colours);
    Label22->setText(ToQString(UiString(kDonateText, languageIndex_)));
    setPalette(ThemePalette(palette(), colours.window, colours.guideText));
    setWindowTitle(ToQString("Quillmar " + opening.version));
    for (QLabel* label : Version())
        label->setText(ToQString(opening.version));
    SetTextColour(Label19, colours.versionTop);
    const LabelStack version = Version(), first = FirstHalf(), second = SecondHalf();
    for (size_t i = 1; i < version.size(); ++i) {
        SetTextColour(version[i], colours.versionShadow);
        SetTextColour(first[i], colours.firstHalfShadow);
        SetTextColour(second[i], colours.secondHalfShadow);
    }
    SetTextColour(Label14, colours.link);
    for (QPlainTextEdit* memo : {Memo1, Memo2}) {
        memo->setPalette(ThemePalette(memo->palette(), colours.guideBack, colours.guideText));
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    }
    PaintBackground(colours.window);
    ShowVisibility(details_.Open(languageIndex_));
}

// A light sheen at the top fading into the window colour, where the logo's shadows are blended.
void TForm2::PaintBackground(uint32_t window) {
    QPixmap picture(size());
    QLinearGradient sheen(0, 0, 0, height() / 2.0);
    sheen.setColorAt(0, ToQColor(window).lighter(108));
    sheen.setColorAt(1, ToQColor(window));
    QPainter(&picture).fillRect(picture.rect(), sheen);
    Image2->setPixmap(picture);
}

void TForm2::ToggleDetails() {
    ShowVisibility(details_.Toggle(languageIndex_));
}

void TForm2::ShowVisibility(const AboutVisibility& visible) {
    for (QWidget* link : std::initializer_list<QWidget*>{Label22, Image5, Image4, Label14, Image3})
        link->setVisible(visible.links);
    Memo1->setVisible(visible.russianGuide);
    Memo2->setVisible(visible.englishGuide);
}

void TForm2::OpenDonation(const char* address) {
    if (shell_) shell_->OpenWithDefaultApp(address);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Memo1 || watched == Memo2) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        static_cast<QPlainTextEdit*>(watched)->selectAll();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qm
