#pragma once
// The standard file and colour dialogs of the desktop.

#include <QFileDialog>
#include <QWidget>

#include "base/interfaces.h"

namespace qm {

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}
    std::string AskOpenFile(const std::string& title, const std::string& filter) override;
    std::string AskSaveFile(const std::string& title, const std::string& filter,
                            const std::string& suggestedPath) override;
    bool AskColour(uint32_t& colour) override;

private:
    QWidget* parent_;
};

// "Description|*.ext|Other|*.x" as a Qt name filter list.
QString ToQtFilter(const std::string& filter);

// Sizes the detail columns of a shown Qt file dialog to their contents, again for each folder
// it lists, widening the dialog where they need it. The desktop's own dialog is left alone.
void FitFileColumns(QFileDialog& dialog);

} // namespace qm
