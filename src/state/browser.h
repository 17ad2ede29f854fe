#pragma once
// The main window's operations over the shared state. The window owns one Browser and shows
// what it reports through BrowserView; headless callers use it without a window.

#include <string>
#include <vector>

#include "state/appearance.h"
#include "state/browser_state.h"
#include "state/window_size.h"
#include "state/download_options.h"
#include "base/interfaces.h"
#include "state/bitmap_font_state.h"
#include "state/view_options.h"
#include "state/view_state.h"

namespace qm {

// Installed beside the executables by `cmake --install`; a build folder has none.
inline constexpr const char* kInstalledMarkerFile = "quillmar.installed";

class EventPump;
struct ShellError;

// What the logic asks of the main window. Headless callers ignore what is only geometry.
class BrowserView {
public:
    virtual ~BrowserView() = default;
    virtual void ShowCaption(const std::string& text) = 0;      // window and application title
    virtual void ShowStopCaption(const std::string& text) = 0;  // the Stop button Panel20
    virtual void FieldChanged(FieldId /*field*/) {}              // show the field's new text
    // Show the field's new selection (the text is as it was) and scroll it into view.
    virtual void FieldSelectionChanged(FieldId /*field*/) {}
    // The field takes the keyboard focus if the main window is the active window.
    virtual void FocusField(FieldId /*field*/) {}
    // The object info area is hidden while a tool rewrites it, so that it is drawn once.
    virtual void HideObjectInfo() {}
    virtual void ShowObjectInfo() {}
    // The window commands' own parts: bounds and frame, the view panel's place, every text
    // of the new language, the settings' controls and a new layout of the page.
    virtual void ApplyWindowSize(const WindowSizeChange& /*change*/) {}
    virtual void ApplyViewMode() {}
    virtual void ApplyAreaSize() {}
    virtual void LanguageChanged() {}
    virtual void SettingsChanged(bool /*relayout*/) {}
    // The hex view's character column depends on the font: convert the page again.
    virtual void ConvertAgain() {}
    // A recording of a program started or stopped.
    virtual void RecordingChanged() {}
};

class Browser {
public:
    explicit Browser(EventPump& pump);

    BrowserState& State() { return state_; }
    const BrowserState& State() const { return state_; }
    // The settings panel's values: what the view shows and how, the bitmap font, the view's
    // own state and the download switches.
    ViewOptions& Options() { return options_; }
    const ViewOptions& Options() const { return options_; }
    ViewState& View() { return viewState_; }
    const ViewState& View() const { return viewState_; }
    BitmapFontState& Fonts() { return fonts_; }
    const BitmapFontState& Fonts() const { return fonts_; }
    DownloadOptions& Downloads() { return downloads_; }
    const DownloadOptions& Downloads() const { return downloads_; }
    void SetView(BrowserView* view) { view_ = view; }
    EventPump& Pump() { return pump_; }

    // UI string in the current language.
    const std::string& Ui(int index) const;
    // Why the desktop could not open a file or start a program, in the current language.
    std::string ShellErrorText(const ShellError& error) const;

    // Language from the system locale: Russian gives 0, anything else 1.
    static int LanguageFromLocale(const std::string& localeName);
    void SetLanguage(int itemIndex);

    // Window commands, the same from a key, a menu item or a script.
    void CycleWindowSize();  // F2
    void SwitchViewMode();   // F11
    void SwitchAreaSize();   // "Maximize area": the object info area over the view and back
    void ChooseTheme(int index, const FontLookup& installedFont);
    void SwitchScrollBar();  // Ctrl+F11: the scroll bar and handle of the view
    // A bitmap font by file name or "INT:" name; false when it cannot be loaded.
    bool LoadBitmapFont(const std::string& name, FontLoadRequest request);
    void UnloadBitmapFont();
    void SwitchDosEncoding();
    // The window shows the settings anew after the logic changed one of them.
    void SettingsChanged(bool relayout);
    // After a font, DOS encoding or theme change: settings shown, and the hex view converted
    // again, since which bytes its character column shows depends on the font.
    void FontsChanged(bool relayout);

    // The desktop's clipboard in a window, a private one without.
    Clipboard& GetClipboard() { return *clipboard_; }
    void SetClipboard(Clipboard* clipboard) { clipboard_ = clipboard ? clipboard : &ownClipboard_; }

    // A field's text is replaced as a whole; the caret goes to its end, in the object info
    // area to its start, where the area shows the first lines. The single-line fields take line
    // breaks as spaces.
    void SetField(FieldId field, std::string text);
    // The same with a part of the new text selected.
    void SetField(FieldId field, std::string text, size_t selectionStart, size_t selectionLength);
    // Selects a part of the field's text as it is.
    void SelectInField(FieldId field, size_t start, size_t length);
    const std::string& FieldText(FieldId field) { return state_.Field(field).Text; }
    void FocusField(FieldId field);
    void HideObjectInfo();
    void ShowObjectInfo();

    void SetForm1Caption(const std::string& text);
    // Put before every caption while a long operation shows its progress there; empty ends it.
    void SetCaptionPrefix(std::string prefix) { captionPrefix_ = std::move(prefix); }
    // StatusText := text, shown through SetForm1Caption.
    void SetStatus(const std::string& text);

    // F5: asks running loops to stop; with none running, ends a recording.
    void Stop();

    // Recording a program: the lines of what the main window does go to sink until
    // StopRecording (F5, the editor's control, the window closing); the caption says so.
    void StartRecording(ScriptRecorder::LineSink sink);
    void StopRecording();
    // Called by the owner of an abort flag when its loop has stopped.
    void RestoreStopCaption();

    // "Traffic saver (F9): " and the mode word.
    std::string TrafficSaverLabelText() const;
    // Caption of the traffic saver pop-up item: "Traffic saver: " and the mode word.
    std::string TrafficSaverMenuText() const;
    // F9: off, downloads, full, off ...
    void CycleTrafficSaver();
    // Caption of the UTF-8 pop-up item: "UTF8: on" or "UTF8: off".
    std::string Utf8MenuText() const;
    // Caption of the traffic panel, plain or in scaled units.
    std::string TrafficPanelText() const;

    // Folders beside the executable (exeFolder ends in "/"); dataHome is the per-user data
    // folder used when the executable's folder is not writable or holds an installed copy
    // (kInstalledMarkerFile beside the executables).
    void InitFolders(const std::string& exeFolder, const std::string& dataHome);

    // Command-line arguments (without the program name): the address bar text to open at
    // start, or empty when there is nothing to open. Sets OpenArgAtStart.
    std::string TakeCommandLine(const std::vector<std::string>& args);

    // The welcome page of the current language into PageSource (UTF-8 when the UTF-8 switch
    // is on, so that decoding gives the same text back).
    void BuildWelcomePage();

private:
    BrowserState state_;
    ViewOptions options_;
    ViewState viewState_;
    BitmapFontState fonts_;
    DownloadOptions downloads_;
    MemoryClipboard ownClipboard_;
    Clipboard* clipboard_ = &ownClipboard_;
    EventPump& pump_;
    BrowserView* view_ = nullptr;
    std::string captionPrefix_;
};

} // namespace qm
