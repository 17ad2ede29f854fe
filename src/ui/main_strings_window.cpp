// RepaintUI: every language-dependent text of the main window from the UI string table.

#include <QFontMetrics>
#include <algorithm>

#include "ui/main_window.h"
#include "platform/qt_convert.h"

namespace qm {
namespace {

constexpr int kUiCheckPageLinks = 264;
constexpr int kUiCheckSiteLinks = 300;
constexpr int kUiSaveAllLinked = 313;
constexpr int kUiHiddenAddresses = 320;
constexpr int kUiHiddenHint = 321;
constexpr int kUiFollowCharset = 324;
constexpr int kUiPageCharset = 334;
constexpr int kUiRecordProgram = 347;

} // namespace

QString TForm1::Ui(int index) const { return ToQString(browser_.Ui(index)); }

void TForm1::RepaintUI() {
    RepaintHints();
    RepaintCaptions();
    RepaintMenu();
    RefreshUtf8MenuItem();
    RefreshTrafficSaverItem();
    RepaintTrafficPanel();
    Panel9->setToolTip(Ui(51));
    // Block labels come from the table too, and their widths change with the language.
    Timer3Timer();
    Timer2Timer();
}

void TForm1::RepaintHints() {
    const std::pair<QWidget*, int> optionHints[] = {
        {CheckBox19, 151}, {CheckBox33, 163}, {CheckBox2, 152},  {CheckBox32, 153},
        {CheckBox9, 154},  {CheckBox10, 155}, {CheckBox3, 156},  {CheckBox17, 237},
        {CheckBox31, 157}, {CheckBox8, 158},  {CheckBox4, 159},  {CheckBox5, 160},
        {CheckBox21, 161}, {CheckBox26, 162}, {CheckBox35, 248}, {CheckBox36, kUiHiddenHint},
    };
    for (auto [widget, index] : optionHints) widget->setToolTip(Ui(index));

    for (QWidget* w : {static_cast<QWidget*>(Panel21), static_cast<QWidget*>(Image34),
                       static_cast<QWidget*>(Image36)})
        w->setToolTip(Ui(233));
    for (QWidget* w : {static_cast<QWidget*>(Panel22), static_cast<QWidget*>(Image35),
                       static_cast<QWidget*>(Image37)})
        w->setToolTip(Ui(234));

    const std::pair<PanelButton*, int> toolHints[] = {
        {Panel10, 108}, {Panel12, 108}, {Panel11, 109}, {Panel14, 109}, {Panel24, 110},
        {Panel25, 116}, {Panel13, 111}, {Panel41, 146}, {Panel42, 147}, {Panel26, 126},
        {Panel27, 127}, {Panel28, 128}, {Panel33, 138}, {Panel29, 130}, {Panel30, 131},
        {Panel31, 132}, {Panel39, 144}, {Panel32, 136}, {Panel34, 139}, {Panel40, 145},
        {Panel47, 205}, {Panel44, 149}, {Panel38, 143}, {Panel15, 112}, {Panel46, 198},
        {Panel16, 113}, {Panel17, 114},
    };
    for (auto [panel, index] : toolHints) panel->SetHint(Ui(index));
}

void TForm1::RepaintCaptions() {
    Label1->clear();
    const std::pair<QLabel*, int> labels[] = {{Label2, 10}, {Label4, 27}, {Label6, 129},
                                              {Label5, 28}};
    for (auto [label, index] : labels) label->setText(Ui(index));
    const std::pair<QCheckBox*, int> boxes[] = {
        {CheckBox4, 16},  {CheckBox3, 17},  {CheckBox17, 189}, {CheckBox31, 124},
        {CheckBox5, 19},  {CheckBox21, 35}, {CheckBox26, 83},  {CheckBox6, 20},
        {CheckBox7, 20},  {CheckBox23, 20}, {CheckBox28, 20},  {CheckBox8, 21},
        {CheckBox9, 23},  {CheckBox10, 26}, {CheckBox18, 29},  {CheckBox19, 30},
        {CheckBox2, 123}, {CheckBox32, 15}, {CheckBox34, 31},  {CheckBox24, 42},
        {CheckBox20, 46}, {CheckBox25, 67}, {CheckBox36, kUiHiddenAddresses},
    };
    for (auto [box, index] : boxes) box->setText(Ui(index));
    Label10->setText(ToQString(browser_.TrafficSaverLabelText()));
    const std::pair<PanelButton*, int> buttons[] = {{Panel18, 55},  {Panel19, 56},
                                                    {Panel20, 57},  {Panel35, 140},
                                                    {Panel36, 141}, {Panel37, 142}};
    for (auto [button, index] : buttons) button->SetCaption(Ui(index));
    FitHistorySwitch();
}

// "Record history" is longer in Russian than its design place: it moves left into the traffic
// saver label's place as far as that label's longest text allows.
void TForm1::FitHistorySwitch() {
    const QRect saver = layout_.DesignRect(Label10);
    const QRect history = layout_.DesignRect(CheckBox25);
    const int rowEnd = history.right() + 1;
    QFontMetrics metrics(Label10->font());
    int saverWidth = 0;
    for (int mode : {178, 179, 180})
        saverWidth = std::max(saverWidth, metrics.horizontalAdvance(Ui(34) + Ui(mode)));
    const int wanted = CheckBox25->sizeHint().width();
    const int left = std::max(saver.left() + saverWidth + 4, std::min(history.left(), rowEnd - wanted));
    layout_.Place(Label10, QRect(saver.left(), saver.top(), left - 4 - saver.left(), saver.height()));
    layout_.Place(CheckBox25, QRect(left, history.top(), rowEnd - left, history.height()));
}

void TForm1::RepaintMenu() {
    N3->setTitle(Ui(103));
    N19->setTitle(Ui(245));
    N7->setTitle(Ui(148));
    N12->setTitle(Ui(195));
    TVF2->setTitle(Ui(174));
    TVF4->setTitle(Ui(246));
    const std::pair<QAction*, int> items[] = {
        {EN1, 249},   {RU1, 250},  {N2, 104},   {N1, 105},   {N5, 106},   {N4, 107},
        {N6, 118},    {N14, 206},  {BMP1, 119}, {N17, 243},  {N18, 244},  {N16, 242},
        {N20, 247},   {HTML1, 197}, {N13, 196}, {HTMLHEX1, 193}, {TVF1, 172}, {TVF3, 175},
        {DOS1, 199},  {N15, 235},  {N8, 183},   {N9, 184},   {N10, 185},
        {CheckLinks1, kUiCheckPageLinks}, {CheckSite1, kUiCheckSiteLinks},
        {SaveAllLinked1, kUiSaveAllLinked}, {PageCharset1, kUiPageCharset},
        {FollowCharset1, kUiFollowCharset}, {Record1, kUiRecordProgram},
    };
    for (auto [item, index] : items) item->setText(Ui(index));
}

void TForm1::RefreshUtf8MenuItem() { UTF82->setText(ToQString(browser_.Utf8MenuText())); }

void TForm1::RefreshTrafficSaverItem() {
    N11->setText(ToQString(browser_.TrafficSaverMenuText()));
    Label10->setText(ToQString(browser_.TrafficSaverLabelText()));
}

void TForm1::RepaintTrafficPanel() { Panel9->setText(ToQString(browser_.TrafficPanelText())); }

} // namespace qm
