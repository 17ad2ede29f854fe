#pragma once
// TForm2, the About window: the drawn logo, the version, the maker's links and the guide.

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <array>
#include <string>

#include "state/about_box.h"
#include "ui/panel_button_widget.h"

namespace qm {

class Shell;

// What an opening shows.
struct AboutOpening {
    std::string version;
    int languageIndex = 1;
    ViewOptions colours; // the main window's colour roles
};

class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);

    // Donation pictures open their pages with it; without one they do nothing.
    void SetShell(Shell* shell) { shell_ = shell; }
    // Fills the window for an opening; exec() then shows it.
    void Prepare(const AboutOpening& opening);
    void ToggleDetails();

    QLabel* Image2 = nullptr;
    ClickLabel *Image1 = nullptr, *Image3 = nullptr, *Image4 = nullptr, *Image5 = nullptr;
    ClickLabel *Label14 = nullptr, *Label22 = nullptr;
    // Stacks of a top label and four shadow copies: the halves of the product name, the
    // version and the maker's name.
    QLabel *Label21 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label15 = nullptr,
           *Label20 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr;
    QLabel *Label19 = nullptr, *Label13 = nullptr, *Label16 = nullptr, *Label17 = nullptr,
           *Label18 = nullptr;
    QLabel *Label12 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr,
           *Label11 = nullptr;
    using LabelStack = std::array<QLabel*, 5>; // the top label first
    LabelStack FirstHalf() const { return {Label21, Label6, Label7, Label15, Label20}; }
    LabelStack SecondHalf() const { return {Label1, Label2, Label3, Label4, Label5}; }
    LabelStack Version() const { return {Label19, Label13, Label16, Label17, Label18}; }
    LabelStack Maker() const { return {Label12, Label8, Label9, Label10, Label11}; }
    QPlainTextEdit *Memo1 = nullptr, *Memo2 = nullptr;

  signals:
    // The maker's home page was chosen; the window has closed.
    void homePageChosen();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildLogo();
    void BuildLinks();
    void BuildGuides();
    void PaintBackground(uint32_t window);
    void ShowVisibility(const AboutVisibility& visible);
    void OpenDonation(const char* address);

    AboutDetails details_;
    int languageIndex_ = 1;
    Shell* shell_ = nullptr;
};

} // namespace qm
