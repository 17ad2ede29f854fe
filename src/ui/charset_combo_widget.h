#pragma once
// The character set list of the settings row: its items are the full names, but the closed box
// is narrow, so it shows the name without the "_CHARSET" every item ends in, and its list opens
// wide enough for the full names.

#include <QComboBox>

namespace qm {

class CharsetCombo : public QComboBox {
    Q_OBJECT
  public:
    explicit CharsetCombo(QWidget* parent);

    // What the closed box shows of an item.
    static QString ShortName(const QString& item);
    void showPopup() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qm
