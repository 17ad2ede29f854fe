#include "ui/charset_combo_widget.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace qm {

CharsetCombo::CharsetCombo(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { setToolTip(text); });
}

QString CharsetCombo::ShortName(const QString& item) {
    static const QString kSuffix = "_CHARSET";
    return item.endsWith(kSuffix) ? item.chopped(kSuffix.size()) : item;
}

void CharsetCombo::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = ShortName(option.currentText);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    // The longest names still need a smaller font to be read whole.
    const int room =
        style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
            .width() -
        2;
    QFont small = font();
    for (int pixels = QFontInfo(small).pixelSize();
         pixels > 7 && QFontMetrics(small).horizontalAdvance(option.currentText) > room; --pixels)
        small.setPixelSize(pixels - 1);
    painter.setFont(small);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void CharsetCombo::showPopup() {
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + 8);
    QComboBox::showPopup();
}

} // namespace qm
