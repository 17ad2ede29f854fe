// Construction of the main window's controls at their design positions.

#include <QHBoxLayout>
#include <QPainter>

#include "ui/main_window.h"

namespace qm {
namespace {

QPixmap LogoPicture() {
    QPixmap pixmap(33, 61);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 180, 0));
    painter.setPen(QPen(QColor(0, 110, 110), 2));
    painter.drawRoundedRect(QRect(2, 2, 29, 57), 6, 6);
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(2, 2, 29, 28), Qt::AlignCenter, "Q");
    painter.drawText(QRect(2, 30, 29, 28), Qt::AlignCenter, "M");
    return pixmap;
}

} // namespace

QLabel* TForm1::NewLabel(const QString& name, QRect rect, unsigned anchors) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText); // captions can hold a page's title or a file's name
    layout_.Place(label, rect, anchors);
    return label;
}

QCheckBox* TForm1::NewCheckBox(const QString& name, QRect rect, unsigned anchors) {
    auto* box = new QCheckBox(this);
    box->setObjectName(name);
    layout_.Place(box, rect, anchors);
    return box;
}

PanelButton* TForm1::NewToolPanel(const QString& name, const QString& image, QRect rect,
                                  const QString& glyph, unsigned anchors) {
    auto* panel = new PanelButton(this, name, image);
    if (!glyph.isEmpty()) panel->SetGlyph(glyph);
    layout_.Place(panel, rect, anchors);
    return panel;
}

void TForm1::BuildTopRows() {
    constexpr unsigned kRightTop = AnchorRight | AnchorTop;
    Image2 = new ClickLabel(this, "Image2");
    layout_.Place(Image2, QRect(4, 4, 33, 61));
    Image38 = new ClickLabel(this, "Image38");
    Image38->setPixmap(LogoPicture());
    Image38->setCursor(Qt::PointingHandCursor);
    layout_.Place(Image38, QRect(4, 4, 33, 61));

    Panel21 = NewToolPanel("Panel21", "Image34", QRect(40, 4, 33, 33), "\u25C0");
    Image34 = Panel21->Icon();
    Image36 = new QLabel(Panel21);  // the greyed arrow shown while there is no way back
    Image36->setObjectName("Image36");
    Image36->setPixmap(GlyphIcon("\u25C0", Qt::gray));
    Image36->setGeometry(2, 2, 29, 29);
    Image36->setAlignment(Qt::AlignCenter);
    Image36->setAttribute(Qt::WA_TransparentForMouseEvents);
    Panel22 = NewToolPanel("Panel22", "Image35", QRect(76, 4, 33, 33), "\u25B6");
    Image35 = Panel22->Icon();
    Image37 = new QLabel(Panel22);
    Image37->setObjectName("Image37");
    Image37->setPixmap(GlyphIcon("\u25B6", Qt::gray));
    Image37->setGeometry(2, 2, 29, 29);
    Image37->setAlignment(Qt::AlignCenter);
    Image37->setAttribute(Qt::WA_TransparentForMouseEvents);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFrame(false);
    QFont addressFont("Liberation Sans");
    addressFont.setPointSize(14);
    Edit1->setFont(addressFont);
    layout_.Place(Edit1, QRect(112, 8, 457, 25), AnchorLeft | AnchorTop | AnchorRight);
    Label12 = NewLabel("Label12", QRect(112, 27, 457, 13), AnchorLeft | AnchorTop | AnchorRight);
    Label12->hide();

    Panel10 = NewToolPanel("Panel10", "Image3", QRect(572, 4, 33, 33), "?", kRightTop);
    Panel11 = NewToolPanel("Panel11", "Image4", QRect(608, 4, 33, 33), "\u2192", kRightTop);
    Panel24 = NewToolPanel("Panel24", "Image13", QRect(644, 4, 33, 33), "\u2605", kRightTop);

    // Second row: view font, size, character set, zoom, Stop, History, Bookmarks.
    auto combo = [this](const char* name, QRect rect) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        layout_.Place(box, rect);
        return box;
    };
    ComboBox1 = combo("ComboBox1", QRect(112, 40, 133, 21));
    ComboBox2 = combo("ComboBox2", QRect(248, 40, 45, 21));
    ComboBox5 = new CharsetCombo(this);
    ComboBox5->setObjectName("ComboBox5");
    layout_.Place(ComboBox5, QRect(296, 40, 69, 21));
    ComboBox8 = combo("ComboBox8", QRect(368, 40, 45, 21));
    Label8 = NewLabel("Label8", QRect(112, 43, 133, 16));
    Label8->hide();
    Label11 = new ClickLabel(this, "Label11");
    Label11->setCursor(Qt::PointingHandCursor);
    layout_.Place(Label11, QRect(296, 43, 69, 16));
    Label11->setText("WIN CP1251");
    Label11->hide();
    Panel20 = NewToolPanel("Panel20", {}, QRect(416, 40, 85, 21), {});
    Panel18 = NewToolPanel("Panel18", {}, QRect(504, 40, 85, 21), {});
    Panel19 = NewToolPanel("Panel19", {}, QRect(592, 40, 85, 21), {});
    Label7 = NewLabel("Label7", QRect(40, 44, 69, 14));

    // Third row: download limit, UTF-8, traffic saver, history recording.
    Label2 = NewLabel("Label2", QRect(40, 66, 186, 16));
    ComboBox3 = combo("ComboBox3", QRect(226, 63, 52, 19));
    CheckBox1 = NewCheckBox("CheckBox1", QRect(282, 64, 78, 18));
    CheckBox1->setText("UTF8 (F8)");
    Label10 = new ClickLabel(this, "Label10");
    Label10->setCursor(Qt::PointingHandCursor);
    layout_.Place(Label10, QRect(360, 66, 152, 16));
    CheckBox25 = NewCheckBox("CheckBox25", QRect(516, 64, 166, 18));

    // Fourth row: language, privacy switches, User-Agent, scroll-bar switch.
    Image14 = NewLabel("Image14", QRect(12, 84, 16, 16));
    Image14->setPixmap(GlyphIcon("\u2699"));
    Image14->setProperty("glyph", QString("\u2699"));
    Label3 = NewLabel("Label3", QRect(40, 86, 85, 16));
    Label3->setText(QString::fromUtf8("Язык/Language:"));
    ComboBox7 = combo("ComboBox7", QRect(126, 83, 45, 20));
    CheckBox29 = NewCheckBox("CheckBox29", QRect(176, 85, 66, 18));
    CheckBox29->setText("Referer");
    CheckBox30 = NewCheckBox("CheckBox30", QRect(244, 85, 62, 18));
    CheckBox30->setText("Cookie");
    Label9 = NewLabel("Label9", QRect(308, 86, 62, 16));
    Label9->setText("User-Agent:");
    ComboBox6 = combo("ComboBox6", QRect(370, 83, 110, 20));
    Edit4 = new QLineEdit(this);
    Edit4->setObjectName("Edit4");
    layout_.Place(Edit4, QRect(484, 83, 172, 20), AnchorLeft | AnchorTop | AnchorRight);
    CheckBox35 = NewCheckBox("CheckBox35", QRect(660, 86, 17, 17), kRightTop);
}

void TForm1::BuildSettingsColumn() {
    Label4 = new ClickLabel(this, "Label4");
    Label4->setCursor(Qt::PointingHandCursor);
    layout_.Place(Label4, QRect(4, 111, 40, 16));
    ComboBox4 = new QComboBox(this);
    ComboBox4->setObjectName("ComboBox4");
    layout_.Place(ComboBox4, QRect(44, 108, 81, 20));

    CheckBox24 = NewCheckBox("CheckBox24", QRect(4, 130, 121, 16));
    CheckBox20 = NewCheckBox("CheckBox20", QRect(4, 146, 121, 16));
    CheckBox34 = NewCheckBox("CheckBox34", QRect(4, 162, 121, 16));
    Panel35 = NewToolPanel("Panel35", {}, QRect(4, 180, 39, 17), {});
    Panel36 = NewToolPanel("Panel36", {}, QRect(45, 180, 39, 17), {});
    Panel37 = NewToolPanel("Panel37", {}, QRect(86, 180, 39, 17), {});
    Label5 = NewLabel("Label5", QRect(6, 199, 14, 14));

    // One row per colour role and per extra switch: bold box, swatch, visibility boxes.
    constexpr int kTop = 214, kStep = 14;
    int row = 0;
    auto swatch = [this](const char* name, int y) {
        auto* panel = new ColourSwatch(this, name);
        layout_.Place(panel, QRect(22, y, 15, 14));
        return panel;
    };
    auto bold = [this](const char* name, int y) {
        return NewCheckBox(name, QRect(4, y, 16, 14));
    };
    auto option = [this](const char* name, int y, int x = 42) {
        return NewCheckBox(name, QRect(x, y, 125 - x, 14));
    };
    auto y = [&row] { return kTop + kStep * row; };

    Panel2 = swatch("Panel2", y());
    CheckBox18 = option("CheckBox18", y());
    ++row;
    CheckBox11 = bold("CheckBox11", y());
    Panel1 = swatch("Panel1", y());
    CheckBox19 = option("CheckBox19", y());
    ++row;
    CheckBox33 = NewCheckBox("CheckBox33", QRect(22, y(), 16, 14));
    CheckBox2 = option("CheckBox2", y());
    ++row;
    CheckBox32 = option("CheckBox32", y());
    ++row;
    CheckBox12 = bold("CheckBox12", y());
    Panel3 = swatch("Panel3", y());
    CheckBox9 = option("CheckBox9", y());
    ++row;
    CheckBox10 = option("CheckBox10", y());
    ++row;
    CheckBox13 = bold("CheckBox13", y());
    Panel4 = swatch("Panel4", y());
    CheckBox3 = option("CheckBox3", y());
    ++row;
    CheckBox17 = option("CheckBox17", y());
    ++row;
    CheckBox31 = option("CheckBox31", y());
    ++row;
    CheckBox36 = option("CheckBox36", y(), 4);
    ++row;
    CheckBox14 = bold("CheckBox14", y());
    Panel5 = swatch("Panel5", y());
    CheckBox8 = option("CheckBox8", y());
    ++row;
    CheckBox15 = bold("CheckBox15", y());
    Panel6 = swatch("Panel6", y());
    CheckBox4 = option("CheckBox4", y());
    ++row;
    CheckBox6 = option("CheckBox6", y(), 60);
    ++row;
    CheckBox16 = bold("CheckBox16", y());
    Panel7 = swatch("Panel7", y());
    CheckBox5 = option("CheckBox5", y());
    ++row;
    CheckBox7 = option("CheckBox7", y(), 60);
    ++row;
    CheckBox22 = bold("CheckBox22", y());
    Panel8 = swatch("Panel8", y());
    CheckBox21 = option("CheckBox21", y());
    ++row;
    CheckBox23 = option("CheckBox23", y(), 60);
    ++row;
    CheckBox27 = bold("CheckBox27", y());
    Panel23 = swatch("Panel23", y());
    CheckBox26 = option("CheckBox26", y());
    ++row;
    CheckBox28 = option("CheckBox28", y(), 60);

    Panel9 = new ClickLabel(this, "Panel9");
    Panel9->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel9->setAlignment(Qt::AlignCenter);
    layout_.Place(Panel9, QRect(4, 483, 121, 17), AnchorLeft | AnchorBottom);
}

void TForm1::BuildViewArea() {
    Panel43 = new QWidget(this);
    Panel43->setObjectName("Panel43");
    layout_.Place(Panel43, QRect(128, 108, 549, 205), kAnchorAll);
    auto* row = new QHBoxLayout(Panel43);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    Image1 = new SourceView(Panel43, "Image1");
    row->addWidget(Image1, 1);
    Panel45 = new QWidget(Panel43);
    Panel45->setObjectName("Panel45");
    auto* strip = new QHBoxLayout(Panel45);
    strip->setContentsMargins(0, 0, 0, 0);
    Image31 = new SourceView(Panel45, "Image31");
    strip->addWidget(Image31);
    row->addWidget(Panel45);
    sb1 = new QScrollBar(Qt::Vertical, Panel43);  // holds position and range; never shown
    sb1->setObjectName("sb1");
    sb1->hide();
}

void TForm1::BuildLowerRows() {
    constexpr unsigned kLeftBottom = AnchorLeft | AnchorBottom;
    constexpr unsigned kRightBottom = AnchorRight | AnchorBottom;
    constexpr unsigned kWideBottom = AnchorLeft | AnchorRight | AnchorBottom;

    Image11 = NewLabel("Image11", QRect(132, 317, 33, 33), kLeftBottom);
    Image11->setPixmap(GlyphIcon("\u2750"));
    Image11->setProperty("glyph", QString("\u2750"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setMaxLength(0x7FFFFFFD);
    layout_.Place(Edit2, QRect(168, 321, 328, 21), kWideBottom);
    Panel25 = NewToolPanel("Panel25", "Image15", QRect(500, 316, 33, 33), "\u21B1", kRightBottom);
    Panel12 = NewToolPanel("Panel12", "Image5", QRect(536, 316, 33, 33), "?", kRightBottom);
    Panel13 = NewToolPanel("Panel13", "Image6", QRect(572, 316, 33, 33), "\u2193", kRightBottom);
    Panel14 = NewToolPanel("Panel14", "Image7", QRect(608, 316, 33, 33), "\u2192", kRightBottom);
    Panel44 = NewToolPanel("Panel44", "Image30", QRect(644, 316, 33, 33), "\u2261", kRightBottom);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout_.Place(Memo1, QRect(128, 352, 549, 69), kWideBottom);

    Label6 = NewLabel("Label6", QRect(128, 427, 40, 14), kLeftBottom);
    Edit5 = new QLineEdit(this);
    Edit5->setObjectName("Edit5");
    layout_.Place(Edit5, QRect(168, 424, 509, 18), kWideBottom);

    // Tool row: ten tools from the left, five anchored to the right edge.
    struct Tool {
        PanelButton** panel;
        const char* name;
        const char* image;
        const char* glyph;
    };
    const Tool left[] = {
        {&Panel41, "Panel41", "Image28", "\u21E4"}, {&Panel42, "Panel42", "Image29", "\u21E5"},
        {&Panel26, "Panel26", "Image16", "%"},      {&Panel27, "Panel27", "Image17", "\\"},
        {&Panel33, "Panel33", "Image23", "\u21B5"}, {&Panel28, "Panel28", "Image18", "\u21B2"},
        {&Panel29, "Panel29", "Image19", "\u2263"}, {&Panel34, "Panel34", "Image24", "\u2713"},
        {&Panel40, "Panel40", "Image27", "\u21E7"}, {&Panel47, "Panel47", "Image33", "\u270E"},
    };
    for (int i = 0; i < 10; ++i)
        *left[i].panel = NewToolPanel(left[i].name, left[i].image,
                                      QRect(128 + 36 * i, 444, 33, 33), left[i].glyph, kLeftBottom);
    const Tool right[] = {
        {&Panel30, "Panel30", "Image20", "\u26B2"}, {&Panel31, "Panel31", "Image21", "\u00BB"},
        {&Panel39, "Panel39", "Image26", "\u00AB"}, {&Panel38, "Panel38", "Image25", "\u21A9"},
        {&Panel32, "Panel32", "Image22", "\u2195"},
    };
    for (int i = 0; i < 5; ++i)
        *right[i].panel = NewToolPanel(right[i].name, right[i].image,
                                       QRect(500 + 36 * i, 444, 33, 33), right[i].glyph, kRightBottom);

    Image12 = NewLabel("Image12", QRect(132, 481, 33, 33), kLeftBottom);
    Image12->setPixmap(GlyphIcon("\u25A4"));
    Image12->setProperty("glyph", QString("\u25A4"));
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName("Edit3");
    layout_.Place(Edit3, QRect(168, 485, 364, 21), kWideBottom);
    Panel15 = NewToolPanel("Panel15", "Image8", QRect(536, 480, 33, 33), "\u25B7", kRightBottom);
    Panel16 = NewToolPanel("Panel16", "Image9", QRect(572, 480, 33, 33), "\u2302", kRightBottom);
    Panel46 = NewToolPanel("Panel46", "Image32", QRect(608, 480, 33, 33), "Q", kRightBottom);
    Panel17 = NewToolPanel("Panel17", "Image10", QRect(644, 480, 33, 33), "\u270D", kRightBottom);
    Label1 = NewLabel("Label1", QRect(5, 501, 120, 14), kLeftBottom);
}

} // namespace qm
