#include "state/browser.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "base/file_io.h"
#include "base/format.h"
#include "base/single_line.h"
#include "state/ui_strings.h"
#include "state/user_guide.h"
#include "base/version.h"
#include "base/interfaces.h"
#include "base/codepage.h"

namespace qm {

namespace {

constexpr int kUiFileNotFound = 182;
constexpr int kUiCannotStart = 252;
constexpr int kUiNoLauncher = 253;
constexpr int kUiNoFileManager = 254;
constexpr int kUiNoTextEditor = 255;
constexpr int kUiNoProgramFile = 256;
constexpr int kUiRecording = 345;
const std::string kNoText;

// A selection past the end of the text is cut to the text.
void Select(TextField& field, size_t start, size_t length) {
    field.SelectionStart = std::min(start, field.Text.size());
    field.SelectionLength = std::min(length, field.Text.size() - field.SelectionStart);
}

} // namespace

Browser::Browser(EventPump& pump) : pump_(pump) {
    state_.VersionString = GetMyVersion();
    state_.StatusText = "Quillmar " + state_.VersionString;
}

void Browser::SetField(FieldId field, std::string text) {
    const size_t caret = field == FieldId::ObjectInfo ? 0 : text.size();
    SetField(field, std::move(text), caret, 0);
}

void Browser::SetField(FieldId field, std::string text, size_t selectionStart,
                       size_t selectionLength) {
    TextField& target = state_.Field(field);
    target.Text = field == FieldId::ObjectInfo ? std::move(text) : SingleLine(text);
    Select(target, selectionStart, selectionLength);
    if (view_) view_->FieldChanged(field);
}

void Browser::SelectInField(FieldId field, size_t start, size_t length) {
    Select(state_.Field(field), start, length);
    if (view_) view_->FieldSelectionChanged(field);
}

void Browser::FocusField(FieldId field) {
    if (view_) view_->FocusField(field);
}

void Browser::HideObjectInfo() {
    if (view_) view_->HideObjectInfo();
}

void Browser::ShowObjectInfo() {
    if (view_) view_->ShowObjectInfo();
}

const std::string& Browser::Ui(int index) const { return UiString(index, state_.LanguageIndex); }

std::string Browser::ShellErrorText(const ShellError& error) const {
    // Paths and program names are file-system text; the caption shows program text.
    const std::string subject = Utf8ToCp1251(error.subject);
    switch (error.failure) {
    case ShellFailure::None:
        return {};
    case ShellFailure::NoSuchFile:
        return subject + ": " + Ui(kUiFileNotFound);
    case ShellFailure::NoLauncher:
        return Ui(kUiNoLauncher);
    case ShellFailure::NoFileManager:
        return Ui(kUiNoFileManager);
    case ShellFailure::NoTextEditor:
        return Ui(kUiNoTextEditor);
    case ShellFailure::NoProgramFile:
        return Ui(kUiNoProgramFile);
    case ShellFailure::CannotStart:
        return Ui(kUiCannotStart) + subject;
    }
    return {};
}

int Browser::LanguageFromLocale(const std::string& localeName) {
    return localeName.rfind("ru", 0) == 0 ? 0 : 1;
}

void Browser::SetLanguage(int itemIndex) {
    state_.LanguageIndex = itemIndex <= 0 ? 0 : 1;
    if (view_) view_->LanguageChanged();
}

void Browser::CycleWindowSize() {
    const WindowSizeChange change = NextWindowSize(state_.WindowSizeState);
    state_.WindowSizeState = change.to;
    if (view_) view_->ApplyWindowSize(change);
}

void Browser::SwitchViewMode() {
    state_.ViewModeOn = !state_.ViewModeOn;
    if (view_) view_->ApplyViewMode();
}

void Browser::SwitchAreaSize() {
    state_.AreaMaximized = !state_.AreaMaximized;
    if (view_) view_->ApplyAreaSize();
}

void Browser::ChooseTheme(int index, const FontLookup& installedFont) {
    ApplyTheme(*this, index, installedFont);
    FontsChanged(true);
}

void Browser::SwitchScrollBar() {
    state_.ShowScrollBar = !state_.ShowScrollBar;
    if (view_) view_->SettingsChanged(true);
}

bool Browser::LoadBitmapFont(const std::string& name, FontLoadRequest request) {
    const FontSwitch result = LoadTVFfont(fonts_, name, request);
    if (result.loaded) FontsChanged(result.rerender);
    return result.loaded;
}

void Browser::UnloadBitmapFont() {
    CloseBitmapFont(fonts_);
    FontsChanged(true);
}

void Browser::SwitchDosEncoding() {
    FontsChanged(ToggleDosEncoding(fonts_));
}

void Browser::SettingsChanged(bool relayout) {
    if (view_) view_->SettingsChanged(relayout);
}

void Browser::FontsChanged(bool relayout) {
    if (!view_) return;
    view_->SettingsChanged(relayout);
    if (viewState_.ViewMode == ViewMode::Hex) view_->ConvertAgain();
}

void Browser::SetForm1Caption(const std::string& text) {
    if (!view_) return;
    const std::string& recording = state_.Recorder.Recording() ? Ui(kUiRecording) : kNoText;
    view_->ShowCaption(recording + (captionPrefix_.empty() ? text : captionPrefix_ + text));
}

void Browser::StartRecording(ScriptRecorder::LineSink sink) {
    state_.Recorder.Start(std::move(sink), state_);
    SetForm1Caption(state_.StatusText);
    if (view_) view_->RecordingChanged();
}

void Browser::StopRecording() {
    if (!state_.Recorder.Recording()) return;
    state_.Recorder.Stop(viewState_.ScrollY);
    SetForm1Caption(state_.StatusText);
    if (view_) view_->RecordingChanged();
}

void Browser::SetStatus(const std::string& text) {
    state_.StatusText = text;
    SetForm1Caption(state_.StatusText);
}

void Browser::Stop() {
    bool asked = false;
    if ((state_.RenderBusy || state_.ConvertBusy || viewState_.ImageExportActive) &&
        !state_.ProcessAbort) {
        state_.ProcessAbort = true;
        asked = true;
    }
    if (state_.DownloadBusy && !state_.DownloadAbort) {
        state_.DownloadAbort = true;
        asked = true;
    }
    if (state_.LinkCheckBusy && !state_.LinkCheckAbort) {
        state_.LinkCheckAbort = true;
        asked = true;
    }
    if (!asked) return StopRecording();
    if (view_) view_->ShowStopCaption(Ui(58));
    pump_.ProcessEvents();
}

void Browser::RestoreStopCaption() {
    if (view_) view_->ShowStopCaption(Ui(57));
}

std::string Browser::TrafficSaverLabelText() const {
    return Ui(34) + Ui(179 + state_.TrafficSaverMode);
}

std::string Browser::TrafficSaverMenuText() const {
    return Ui(186) + ": " + Ui(179 + state_.TrafficSaverMode);
}

void Browser::CycleTrafficSaver() {
    state_.TrafficSaverMode = state_.TrafficSaverMode >= 1 ? -1 : state_.TrafficSaverMode + 1;
}

std::string Browser::Utf8MenuText() const {
    return "UTF8" + Ui(state_.Utf8Decoding ? 188 : 187);
}

std::string Browser::TrafficPanelText() const {
    if (!state_.TrafficScaled) return Bytes64ToStr(static_cast<int64_t>(state_.TotalTraffic)) + Ui(0);
    uint64_t value = state_.TotalTraffic;
    int unit = 0;
    if (value > 10240) {
        value /= 1024;
        unit = 1;
        if (value > 10240) {
            value /= 1024;
            unit = 2;
        }
    }
    return std::to_string(value) + Ui(52 + unit);
}

void Browser::InitFolders(const std::string& exeFolder, const std::string& dataHome) {
    namespace fs = std::filesystem;
    auto withSlash = [](std::string folder) {
        if (!folder.empty() && folder.back() != '/') folder += '/';
        return folder;
    };
    state_.ExeFolder = withSlash(exeFolder);
    state_.WindowsFolder.clear();
    state_.DataFolder = state_.ExeFolder;
    // An installed copy keeps each user's files apart even when its folder is writable (root).
    const bool shared = FileExists(state_.ExeFolder + kInstalledMarkerFile) ||
                        ::access(state_.ExeFolder.c_str(), W_OK) != 0;
    if (shared && !dataHome.empty()) {
        std::error_code ec;
        fs::create_directories(dataHome, ec);
        if (DirectoryExists(dataHome)) state_.DataFolder = withSlash(dataHome);
    }
    std::string download = state_.DataFolder + "download";
    std::error_code ec;
    fs::create_directory(download, ec);
    // A folder we cannot write into is as good as none: saved files go beside the settings.
    if (DirectoryExists(download) && ::access(download.c_str(), W_OK) == 0)
        state_.DownloadFolder = download + "/";
    else
        state_.DownloadFolder = state_.DataFolder;
}

std::string Browser::TakeCommandLine(const std::vector<std::string>& args) {
    state_.OpenArgAtStart = !args.empty();
    if (args.empty()) return {};
    std::string joined;
    for (const auto& arg : args) {
        if (!joined.empty()) joined += ' ';
        joined += arg;
    }
    if (!FileExists(joined)) return joined;
    // A relative name would read as a host name in file://docs/a.htm; a POSIX path keeps its
    // backslashes, which are legal in file names here.
    std::error_code ec;
    std::string path = std::filesystem::absolute(joined, ec).string();
    if (ec) path = joined;
    if (path.empty() || path.front() != '/')
        for (char& c : path)
            if (c == '\\') c = '/';
    return "file://" + path;
}

void Browser::BuildWelcomePage() {
    std::string page = Ui(165) + state_.VersionString + "!<br><br>" + Ui(170) + "<br><br>" +
                       Ui(171) + "<br><br>" + Ui(166) + "<br>" + Ui(167) + "<br>" + Ui(168) +
                       "<br>" + Ui(169) + "<br><br>";
    const std::string& guide = UserGuideText(state_.LanguageIndex);
    for (size_t pos = 0; pos < guide.size();) {
        size_t next = guide.find("\r\n", pos);
        if (next == std::string::npos) {
            page.append(guide, pos);
            break;
        }
        page.append(guide, pos, next - pos);
        page += "<br>";
        pos = next + 2;
    }
    ClearPage(state_);
    state_.PageSource = state_.Utf8Decoding ? Cp1251ToUtf8(page) : page;
}

} // namespace qm
