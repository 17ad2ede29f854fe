#pragma once
// TForm6, the program editor: it edits, loads, saves and runs programs of the script
// language, offers templates and the command list, highlights the text and keeps the ten
// quick-launch slots. The run itself is the logic's ScriptRunner.

#include <QComboBox>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "script/script_runner.h"
#include "ui/anchor_layout_widget.h"
#include "ui/panel_button_widget.h"

namespace qm {

class Dialogs;
class ProgramHighlighter;

// What the editor uses of the main window.
struct ProgramEditorLinks {
    ScriptTargets targets;
    Dialogs& dialogs;             // the main window's open and save dialogs
    std::function<void()> render; // the main window's paint request (Timer2)
};

class TForm6 : public QWidget, public ScriptHost {
    Q_OBJECT
  public:
    TForm6(ProgramEditorLinks links, QWidget* parent = nullptr);
    ~TForm6() override;

    // Ctrl+F5, the menu item and the tool button of the main window.
    void ShowEditor();
    void Run();
    // Ends a run at its next line (the main window closing); the request at hand is stopped by
    // the abort flags.
    void StopRun();
    // The Record button, Ctrl+R and the menu item: starts a recording into the editor, or ends
    // it; a run in progress refuses it.
    void ToggleRecording();
    // The Record button's caption follows the recording.
    void RefreshRecordButton();
    // Alt+1 ... Alt+0 and the slot panels; slot 0 is Alt+1.
    void QuickLaunch(int slot);
    void ClearSlot(int slot);
    // The text of the editor replaced by these lines (templates, files, generated programs);
    // refused with a message in the status line while a program runs.
    bool SetProgram(const std::vector<std::string>& lines);
    void ChooseTemplate(int index);
    void AddCommand();
    void LoadProgram();
    void SaveProgram();
    // Podsvet: keywords bold, comment lines in the theme's Media colour.
    void Highlight();
    void RefreshSlotCaptions();

    // ScriptHost
    std::vector<std::string> ProgramLines() override;
    void ShowScriptStatus(const std::string& text) override;
    void RequestRender() override { links_.render(); }
    void CloseEditor() override { hide(); }

    // Controls (design names).
    QLabel *Label9 = nullptr, *Label1 = nullptr, *Label3 = nullptr, *Label2 = nullptr,
           *Label4 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr;
    // Panel6 ... Panel15, the quick-launch slots in slot order.
    std::array<PanelButton*, 10> SlotPanels{};
    QTextEdit* RichEdit1 = nullptr;
    PanelButton *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel1 = nullptr,
                *Panel5 = nullptr;
    QTimer* Timer1 = nullptr; // the highlight delay

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    bool HandleEditorKey(QKeyEvent* key);
    void ApplyLanguage();
    void ApplyColors();
    void CaretMoved();
    // A recorded line at the end of the program.
    void AppendProgramLine(const std::string& line);
    void TextEdited();
    void HighlightTimer();
    Browser& GetBrowser() { return links_.targets.browser; }
    QString Ui(int index) const;
    enum class Loaded { Yes, Unreadable, Refused };
    Loaded LoadInto(const std::string& path);

    ProgramEditorLinks links_;
    ScriptRunner runner_;
    ProgramHighlighter* highlighter_ = nullptr;
    AnchorLayout layout_;
    bool highlighting_ = false; // the highlighter's own formatting is no edit
    bool shownBefore_ = false;
};

} // namespace qm
