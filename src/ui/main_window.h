#pragma once
// TForm1, the main browser window: it shows the state of the Browser and calls its
// operations. Controls carry their design names as member names and object names.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/anchor_layout_widget.h"
#include "ui/charset_combo_widget.h"
#include "state/appearance.h"
#include "state/browser.h"
#include "ui/panel_button_widget.h"
#include "ui/program_editor_window.h"
#include "net/downloader.h"
#include "net/go_action.h"
#include "net/save_files.h"
#include "platform/desktop_shell.h"
#include "platform/guarded_application.h"
#include "platform/qt_clipboard.h"
#include "platform/curl_transport.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_text_rasterizer.h"
#include "platform/qt_translations.h"
#include "state/bitmap_font_state.h"
#include "view/key_scroll.h"
#include "site/page_rip.h"
#include "site/site_link_check.h"
#include "view/page_link_check.h"
#include "view/renderer.h"
#include "tools/source_decode.h"
#include "ui/source_view_widget.h"
#include "state/view_options.h"
#include "state/view_state.h"
#include "view/control_bar.h"
#include "view/view_interaction.h"

namespace qm {

class TForm3;

class TForm1 : public QWidget,
               public BrowserView,
               public RenderHost,
               public GoActionHost,
               public DownloadView,
               public FileBarHost,
               public PageLinkCheckHost {
    Q_OBJECT
public:
    // args: the command-line arguments without the program name.
    explicit TForm1(const std::vector<std::string>& args, QWidget* parent = nullptr);
    ~TForm1() override;

    Browser& browser() { return browser_; }
    ViewState& view() { return view_; }
    ViewOptions& options() { return options_; }
    BitmapFontState& fonts() { return fonts_; }

    // PrepareSite: decode the page again, then the prepare and the mark pass.
    void PrepareSite();
    // Shift+F8: the page in the next charset it names, or why there is none in the caption.
    void NextPageCharset();
    // The deferred-render timer handlers: paint, mark, prepare. Each runs its pass now, or
    // re-arms its timer while another pass runs.
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void Timer1Timer();  // keyboard and wheel scrolling

    void RepaintUI();
    // F1 and the menu item: the About window, modal.
    void ShowAboutWindow();
    void SetForm1Caption(const std::string& text) { browser_.SetForm1Caption(text); }

    // BrowserView
    void ShowCaption(const std::string& text) override;
    void ShowStopCaption(const std::string& text) override;
    void FieldChanged(FieldId field) override;
    void FieldSelectionChanged(FieldId field) override;
    void FocusField(FieldId field) override;
    void HideObjectInfo() override;
    void ShowObjectInfo() override;
    void ApplyAreaSize() override;
    void ApplyWindowSize(const WindowSizeChange& change) override;
    void ApplyViewMode() override;
    void LanguageChanged() override;
    void SettingsChanged(bool relayout) override;
    void ConvertAgain() override;
    void RecordingChanged() override;

    // RenderHost
    void SetCaption(const std::string& text) override { SetForm1Caption(text); }
    void RestoreStopCaption() override { browser_.RestoreStopCaption(); }
    void ScrollBarChanged() override;
    void ShowPicture(const Bitmap& picture) override;
    void SetObjectInfoText(const std::string& text) override;
    void PageTitleFound(const std::string& title) override;

    // GoActionHost
    void PageReady() override;
    void ResetViewScroll() override;
    void ShowAddress(const AddressBar& bar) override;
    void ShowSizeLabel(const std::string& text) override;
    void ShowHistoryButtons(const HistoryButtons& buttons) override;

    // DownloadView
    void ShowAddress(const std::string& url) override;
    void RepaintTraffic() override;
    void RepaintHistoryButtons() override;

    // FileBarHost
    void ScrollObjectInfoToEnd() override;

    // PageLinkCheckHost
    void LinkMarksChanged() override;

    // The form editor opened by form blocks and the "Form editor" menu item.
    void SetFormEditor(TForm3* editor);

    GoAction& goAction() { return *goAction_; }
    SaveFiles& saveFiles() { return *saveFiles_; }
    Downloader& downloader() { return *downloader_; }
    // The program editor, created hidden with the window.
    TForm6& programEditor() { return *form6_; }

    // Controls (design names).
    ClickLabel* Image38 = nullptr;
    ClickLabel* Image2 = nullptr;
    PanelButton *Panel21 = nullptr, *Panel22 = nullptr;
    QLabel *Image34 = nullptr, *Image35 = nullptr, *Image36 = nullptr, *Image37 = nullptr;
    QLineEdit* Edit1 = nullptr;
    PanelButton *Panel10 = nullptr, *Panel11 = nullptr, *Panel24 = nullptr;
    QLabel* Label12 = nullptr;

    CharsetCombo* ComboBox5 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr,
              *ComboBox8 = nullptr;
    QLabel* Label8 = nullptr;
    ClickLabel* Label11 = nullptr; // a click switches the DOS encoding, as DOS1 does
    PanelButton *Panel20 = nullptr, *Panel18 = nullptr, *Panel19 = nullptr;
    QLabel* Label7 = nullptr;

    QLabel* Label2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    ClickLabel* Label10 = nullptr;
    QCheckBox* CheckBox25 = nullptr;

    QLabel* Image14 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox7 = nullptr;
    QCheckBox *CheckBox29 = nullptr, *CheckBox30 = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* ComboBox6 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* CheckBox35 = nullptr;

    // Settings column.
    ClickLabel* Label4 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QCheckBox *CheckBox24 = nullptr, *CheckBox20 = nullptr, *CheckBox34 = nullptr;
    PanelButton *Panel35 = nullptr, *Panel36 = nullptr, *Panel37 = nullptr;
    QLabel* Label5 = nullptr;
    ColourSwatch *Panel2 = nullptr, *Panel1 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr,
                 *Panel5 = nullptr, *Panel6 = nullptr, *Panel7 = nullptr, *Panel8 = nullptr,
                 *Panel23 = nullptr;
    QCheckBox *CheckBox11 = nullptr, *CheckBox12 = nullptr, *CheckBox13 = nullptr,
              *CheckBox14 = nullptr, *CheckBox15 = nullptr, *CheckBox16 = nullptr,
              *CheckBox22 = nullptr, *CheckBox27 = nullptr;
    QCheckBox *CheckBox18 = nullptr, *CheckBox19 = nullptr, *CheckBox33 = nullptr,
              *CheckBox2 = nullptr, *CheckBox32 = nullptr, *CheckBox9 = nullptr,
              *CheckBox10 = nullptr, *CheckBox3 = nullptr, *CheckBox17 = nullptr,
              *CheckBox31 = nullptr, *CheckBox8 = nullptr, *CheckBox4 = nullptr,
              *CheckBox6 = nullptr, *CheckBox5 = nullptr, *CheckBox7 = nullptr,
              *CheckBox21 = nullptr, *CheckBox23 = nullptr, *CheckBox26 = nullptr,
              *CheckBox28 = nullptr, *CheckBox36 = nullptr;
    ClickLabel* Panel9 = nullptr;

    // View.
    QWidget* Panel43 = nullptr;
    SourceView* Image1 = nullptr;
    QWidget* Panel45 = nullptr;
    SourceView* Image31 = nullptr;
    QScrollBar* sb1 = nullptr;

    // Linked-file row, object info area, search row, tool row, file row.
    QLabel* Image11 = nullptr;
    QLineEdit* Edit2 = nullptr;
    PanelButton *Panel25 = nullptr, *Panel12 = nullptr, *Panel13 = nullptr, *Panel14 = nullptr,
                *Panel44 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Edit5 = nullptr;
    PanelButton *Panel41 = nullptr, *Panel42 = nullptr, *Panel26 = nullptr, *Panel27 = nullptr,
                *Panel33 = nullptr, *Panel28 = nullptr, *Panel29 = nullptr, *Panel34 = nullptr,
                *Panel40 = nullptr, *Panel47 = nullptr, *Panel30 = nullptr, *Panel31 = nullptr,
                *Panel39 = nullptr, *Panel38 = nullptr, *Panel32 = nullptr;
    QLabel* Image12 = nullptr;
    QLineEdit* Edit3 = nullptr;
    PanelButton *Panel15 = nullptr, *Panel16 = nullptr, *Panel46 = nullptr, *Panel17 = nullptr;
    QLabel* Label1 = nullptr;

    // Pop-up menu and its items.
    QMenu* PopupMenu1 = nullptr;
    QMenu *N3 = nullptr, *N19 = nullptr, *N7 = nullptr, *N12 = nullptr, *TVF2 = nullptr,
          *TVF4 = nullptr;
    QAction *EN1 = nullptr, *RU1 = nullptr, *N8 = nullptr, *N9 = nullptr, *N10 = nullptr,
            *UTF82 = nullptr, *N11 = nullptr, *N2 = nullptr, *N1 = nullptr, *BMP1 = nullptr,
            *N17 = nullptr, *N16 = nullptr, *N20 = nullptr, *HTML1 = nullptr, *N13 = nullptr,
            *HTMLHEX1 = nullptr, *TVF1 = nullptr, *TVF3 = nullptr, *DOS1 = nullptr,
            *N15 = nullptr, *N5 = nullptr, *N6 = nullptr, *N14 = nullptr, *N4 = nullptr,
            *N18 = nullptr, *CheckLinks1 = nullptr, *CheckSite1 = nullptr,
            *SaveAllLinked1 = nullptr, *PageCharset1 = nullptr, *FollowCharset1 = nullptr,
            *Record1 = nullptr;

    QTimer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr,
           *Timer5 = nullptr, *Timer6 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const std::vector<std::string>& args);
    // Errors escaping an event handler and fatal signals both end in the crash report.
    void InstallCrashHandler();
    void RemoveCrashHandler();
    void ShowCrashReport(const CaughtError& error);
    void OpenMakerHomePage();
    void BuildTopRows();
    void BuildSettingsColumn();
    void BuildViewArea();
    void BuildLowerRows();
    void BuildPopupMenu();
    void BuildTimers();
    void ConnectControls();
    void FillLists();
    void RepaintHints();
    void RepaintCaptions();
    void RepaintMenu();
    void RefreshUtf8MenuItem();
    void RefreshTrafficSaverItem();
    void RepaintTrafficPanel();
    void StartupPage();
    void ShowPopupAtLogo();
    bool HandleMainKey(QKeyEvent* key);
    bool ShowLastingHint(QObject* watched, QHelpEvent* help);
    void FitHistorySwitch();
    bool AddressBarKey(QKeyEvent* key, bool pressed);
    void AddressBarWheel(QWheelEvent* wheel);
    ScrollKeys HeldScrollKeys() const;
    void ReleaseScrollKeys();
    QCheckBox* NewCheckBox(const QString& name, QRect rect, unsigned anchors = kAnchorTopLeft);
    PanelButton* NewToolPanel(const QString& name, const QString& image, QRect rect,
                              const QString& glyph, unsigned anchors = kAnchorTopLeft);
    QLabel* NewLabel(const QString& name, QRect rect, unsigned anchors = kAnchorTopLeft);
    QString Ui(int index) const;
    void BuildRenderer();
    bool RunDeferredPass(QTimer* timer, RenderMode mode);
    void BuildNavigation();
    void BuildMouse();
    void HandleViewMouse(const ViewMouseResult& result);
    void RunClickAction(const ClickAction& action);
    void RunObjectFieldAction(const ClickAction& action);
    void HandleBarResult(const ControlBarResult& result);
    void DrawBar();
    bool AddressBarCommandKey(QKeyEvent* key);
    void BindFields();
    QLineEdit* LineEditOf(FieldId field) const;
    void ReadLineField(FieldId field);
    void ReadObjectInfo();
    void ReadAreaSelection();
    void ShowAreaSelection();
    void BuildInfoTools();
    void SwitchWordWrap();
    bool ObjectInfoKey(QKeyEvent* key);
    void NavigateFromAddressBar();
    void BuildFileBars();
    void BuildLinkCheck();
    // View commands, character map, page image (main_views_window.cpp).
    void BuildViewCommands();
    void ShowViewAs(ViewMode mode);
    void RepaintViewMarks();
    void ShowCharacterMap();
    void SaveImage();
    void BuildProgramEditor();
    // The picture of a paint pass with the broken blocks of the page's link check framed.
    void ShowMarkedPicture(const Bitmap& picture);
    bool FieldCommandKey(QObject* field, QKeyEvent* key);
    void OptionChanged();
    void RelayoutKeepingPosition();
    void ApplyColors();

    // Settings (main_settings_window.cpp).
    enum class SwitchEffect { Prepare, Relayout, ScrollBar, None };
    struct SwitchBinding {
        QCheckBox* box;
        bool* value;
        SwitchEffect effect;
    };
    std::vector<SwitchBinding> Switches();
    std::vector<std::pair<ColourSwatch*, ColorRole>> Swatches() const;
    FontLookup InstalledFonts() const;
    void BindSettings();
    void SwitchChanged(SwitchEffect effect);
    void ShowSettings();
    void LoadSettings();
    void ApplyScrollStrip();
    void ApplyBitmapFontControls();

    QtEventPump pump_;
    QtClipboard clipboard_;
    QtTranslations qtTranslations_;
    Browser browser_;
    ViewState& view_ = browser_.View();
    ViewOptions& options_ = browser_.Options();
    BitmapFontState& fonts_ = browser_.Fonts();
    SourceDecodeState decode_;
    QtTextRasterizer rasterizer_;
    std::unique_ptr<Renderer> renderer_;
    KeyScroll keyScroll_;
    QSet<int> heldKeys_;
    bool optionsMuted_ = false;
    bool showingField_ = false;  // a field shows the model: its change signals are no edits
    bool imageWaiting_ = false;  // Ctrl+P waits for the render passes to end
    int32_t captionPosition_ = 0;  // the scroll position the caption shows
    std::unique_ptr<CurlTransport> transport_;
    std::unique_ptr<Downloader> downloader_;
    std::unique_ptr<GoAction> goAction_;
    std::unique_ptr<QtDialogs> dialogs_;
    std::unique_ptr<DesktopShell> shell_;
    std::unique_ptr<SaveFiles> saveFiles_;
    std::unique_ptr<ViewMouse> mouse_;
    std::unique_ptr<ControlBar> controlBar_;
    std::unique_ptr<PageLinkCheck> linkCheck_;
    std::unique_ptr<CurlMultiTransport> siteTransport_;
    std::unique_ptr<SiteLinkCheck> siteCheck_;
    std::unique_ptr<PageRip> pageRip_;
    // The side-by-side transport of the site check and the rip, made at the first of them.
    CurlMultiTransport& SiteTransport();
    TForm3* formEditor_ = nullptr;
    TForm6* form6_ = nullptr; // a child window: Qt deletes it with this one
    QTimer* marksTimer_ = nullptr; // spaces the new layouts while link results come in
    bool marksChanged_ = false;    // results came while the timer ran  // a theme or preset switches many options at once
    AnchorLayout layout_;
    QRect designBounds_;
    QRect normalBounds_;
};

} // namespace qm
