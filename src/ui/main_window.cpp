#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QInputDevice>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <QToolTip>
#include <limits>

#include "state/settings_file.h"
#include "state/themes.h"
#include "state/user_agents.h"
#include "platform/qt_convert.h"
#include "tools/info_area_tools.h"

namespace qm {
namespace {

constexpr QSize kDesignClient(682, 515);

QString ExecutableFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    return folder.endsWith('/') ? folder : folder + '/';
}

std::string UserDataFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? std::string() : (base + "/quillmar/").toStdString();
}

} // namespace

TForm1::TForm1(const std::vector<std::string>& args, QWidget* parent)
    : QWidget(parent), browser_(pump_), layout_(kDesignClient) {
    InstallCrashHandler();
    setObjectName("TForm1");
    browser_.SetView(this);
    browser_.SetClipboard(&clipboard_);
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    setFont(font);
    setAutoFillBackground(true);
    resize(kDesignClient);
    // The rows and the settings column are placed for the design size; below it they would
    // cover each other.
    setMinimumSize(kDesignClient);
    BuildTopRows();
    BuildSettingsColumn();
    BuildViewArea();
    BuildLowerRows();
    BuildPopupMenu();
    BuildTimers();
    BuildRenderer();
    BuildMouse();
    BindFields();
    FormCreate(args);
    ConnectControls();
    qApp->installEventFilter(this);
}

TForm1::~TForm1() {
    RemoveCrashHandler();
    qApp->removeEventFilter(this);
    browser_.SetView(nullptr);
}

void TForm1::BuildTimers() {
    auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(interval);
        return t;
    };
    Timer1 = timer("Timer1", 10);
    Timer2 = timer("Timer2", 10);
    Timer3 = timer("Timer3", 10);
    Timer4 = timer("Timer4", 10);
    Timer5 = timer("Timer5", 50);
    Timer6 = timer("Timer6", 10);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();
    connect(Timer5, &QTimer::timeout, this, [this] {
        if (isVisible()) StartupPage();
    });
}

void TForm1::FormCreate(const std::vector<std::string>& args) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
    designBounds_ = geometry();
    // The scroll strip is a tenth of the screen wide; the view image takes the rest.
    Panel45->setFixedWidth(screen ? screen->size().width() / 10 : 35);
    // Touch on the strip arrives as mouse events, which Qt synthesises for it; a touch screen
    // is only noted.
    for (const QInputDevice* device : QInputDevice::devices())
        if (device->type() == QInputDevice::DeviceType::TouchScreen)
            browser_.State().TouchAvailable = true;

    browser_.InitFolders(ExecutableFolder().toStdString(), UserDataFolder());
    FillLists();
    BuildNavigation();
    BuildFileBars();
    BuildInfoTools();
    BuildLinkCheck();
    BuildViewCommands();
    BuildProgramEditor();
    RepaintUI();
    browser_.ChooseTheme(0, InstalledFonts());
    browser_.State().History.clear();
    browser_.State().HistoryPos = -1;
    goAction_->RepaintHistButtons();
    ApplyUserAgentPreset(browser_, 0);
    SetForm1Caption(browser_.State().StatusText);

    int language = Browser::LanguageFromLocale(QLocale::system().name().toStdString());
    browser_.SetLanguage(language);
    browser_.State().QuickLaunch.fill({});
    LoadSettings();

    Label10->setText(ToQString(browser_.TrafficSaverLabelText()));
    std::string address = browser_.TakeCommandLine(args);
    // Arguments arrive in the locale's encoding (UTF-8), unlike the program's own text.
    if (browser_.State().OpenArgAtStart)
        browser_.SetField(FieldId::Address, FromQString(QString::fromStdString(address)));
    Timer5->start();
}

void TForm1::FillLists() {
    ComboBox1->addItems(QFontDatabase::families());
    // Metric twins stand in for the Windows fonts the program knows by name.
    int font = -1;
    for (const char* name : {"Tahoma", "Arial", "Liberation Sans", "Times New Roman",
                             "Liberation Serif"}) {
        font = ComboBox1->findText(name);
        if (font >= 0) break;
    }
    ComboBox1->setCurrentIndex(std::max(font, 0));

    for (const char* size : {"72", "48", "36", "28"}) ComboBox2->addItem(size);
    for (int size = 27; size >= 1; --size) ComboBox2->addItem(QString::number(size));
    ComboBox2->setCurrentIndex(20);
    for (int zoom = 20; zoom >= 1; --zoom) ComboBox8->addItem(QString::number(zoom));
    ComboBox8->setCurrentIndex(19);

    ComboBox5->addItems({"ANSI_CHARSET", "ARABIC_CHARSET", "BALTIC_CHARSET",
                         "CHINESEBIG5_CHARSET", "DEFAULT_CHARSET", "EASTEUROPE_CHARSET",
                         "GB2312_CHARSET", "GREEK_CHARSET", "HANGEUL_CHARSET", "HEBREW_CHARSET",
                         "JOHAB_CHARSET", "MAC_CHARSET", "OEM_CHARSET", "RUSSIAN_CHARSET",
                         "SHIFTJIS_CHARSET", "SYMBOL_CHARSET", "THAI_CHARSET",
                         "TURKISH_CHARSET"});
    ComboBox5->setCurrentText("DEFAULT_CHARSET");

    ComboBox3->addItems({"0", "1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"});
    ComboBox7->addItems({"RU", "EN"});
    ComboBox6->addItem("-");
    for (const auto& preset : kUserAgentPresets)
        ComboBox6->addItem(QString::fromLatin1(preset.name.data(), static_cast<qsizetype>(preset.name.size())));
    for (const auto& theme : kThemes)
        ComboBox4->addItem(QString::fromLatin1(theme.name.data(), static_cast<qsizetype>(theme.name.size())));
    ShowSettings();
}

void TForm1::ConnectControls() {
    BindSettings();
    connect(ComboBox7, &QComboBox::currentIndexChanged, this,
            [this](int index) { browser_.SetLanguage(index); });
    connect(Label10, &ClickLabel::clicked, this, [this] {
        browser_.CycleTrafficSaver();
        RefreshTrafficSaverItem();
    });
    connect(Panel9, &ClickLabel::clicked, this, [this] {
        browser_.State().TotalTraffic = 0;
        RepaintTrafficPanel();
    });
    connect(Panel9, &ClickLabel::rightClicked, this, [this] {
        browser_.State().TrafficScaled = !browser_.State().TrafficScaled;
        RepaintTrafficPanel();
    });
    connect(Panel20, &PanelButton::clicked, this, [this] { browser_.Stop(); });
    connect(Image38, &ClickLabel::clicked, this, [this](QPoint at) { PopupMenu1->popup(at); });
    connect(Image2, &ClickLabel::clicked, this, [this](QPoint at) { PopupMenu1->popup(at); });
}

void TForm1::ShowCaption(const std::string& text) {
    QString caption = ToQString(text);
    setWindowTitle(caption);
    if (Label12->isVisible()) Label12->setText(caption);
}

void TForm1::ShowStopCaption(const std::string& text) { Panel20->SetCaption(ToQString(text)); }

void TForm1::StartupPage() {
    Timer5->stop();
    BrowserState& state = browser_.State();
    if (state.OpenArgAtStart) {
        state.OpenArgAtStart = false;
        NavigateFromAddressBar();
        return;
    }
    browser_.BuildWelcomePage();
    PrepareSite();
    Timer2Timer();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    layout_.Apply(size());
    QWidget::resizeEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
    // Keys released while another window has the keyboard never reach the address bar.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) ReleaseScrollKeys();
    QWidget::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A program would otherwise go on fetching with no window once its request is stopped.
    form6_->StopRun();
    browser_.StopRecording();
    browser_.State().DownloadAbort = true;
    browser_.State().ProcessAbort = true;
    pump_.ProcessEvents();
    SaveQmIni(browser_);
    event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && ShowLastingHint(watched, static_cast<QHelpEvent*>(event)))
        return true;
    // Keyboard preview: the window sees its keys before the focused control does.
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && HandleMainKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (watched == Memo1 && event->type() == QEvent::KeyPress &&
        ObjectInfoKey(static_cast<QKeyEvent*>(event)))
        return true;
    if ((watched == Edit2 || watched == Edit3) && event->type() == QEvent::KeyPress &&
        FieldCommandKey(watched, static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == Edit1) {
        if (event->type() == QEvent::FocusOut) ReleaseScrollKeys();
        if (event->type() == QEvent::KeyPress && AddressBarCommandKey(static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            if (AddressBarKey(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress))
                return true;
        if (event->type() == QEvent::Wheel) {
            AddressBarWheel(static_cast<QWheelEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm1::ShowLastingHint(QObject* watched, QHelpEvent* help) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    // The hint belongs to the nearest control up the chain that has one, as Qt finds it.
    while (widget != this && widget->toolTip().isEmpty()) widget = widget->parentWidget();
    if (widget->toolTip().isEmpty()) return false;
    // Qt hides a hint after a pause; here it stays while the mouse rests on the control.
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(),
                       std::numeric_limits<int>::max());
    return true;
}

bool TForm1::HandleMainKey(QKeyEvent* key) {
    const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    switch (key->key()) {
    case Qt::Key_Escape:
        if (mods != Qt::NoModifier) return false;
        ShowPopupAtLogo();
        return true;
    case Qt::Key_F5:
        if (mods == Qt::ControlModifier) N14->trigger();
        else if (mods == Qt::NoModifier) browser_.Stop();
        else return false;
        return true;
    case Qt::Key_F1:
        if (mods != Qt::NoModifier) return false;
        ShowAboutWindow();
        return true;
    case Qt::Key_F8:
        if (mods == Qt::ShiftModifier) NextPageCharset();
        else if (mods == Qt::NoModifier) CheckBox1->toggle();
        else return false;
        return true;
    case Qt::Key_F:
        if (mods != Qt::ControlModifier) return false;
        TVF1->trigger();
        return true;
    case Qt::Key_F9:
        if (mods != Qt::NoModifier) return false;
        browser_.CycleTrafficSaver();
        RefreshTrafficSaverItem();
        return true;
    case Qt::Key_F4:
        if (mods != Qt::NoModifier) return false;
        browser_.State().TotalTraffic = 0;
        RepaintTrafficPanel();
        return true;
    case Qt::Key_F6:
        if (mods == Qt::ControlModifier) CheckBox25->toggle();
        else if (mods == Qt::NoModifier) goAction_->ShowHistoryPage();
        else return false;
        return true;
    case Qt::Key_F7:
        if (mods != Qt::NoModifier) return false;
        goAction_->ShowBookmarksPage();
        return true;
    case Qt::Key_O:
        if (mods != Qt::ControlModifier) return false;
        goAction_->OpenFile(*dialogs_);
        return true;
    case Qt::Key_S:
        if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) SaveAllLinked1->trigger();
        else if (mods == Qt::ControlModifier) saveFiles_->SaveWebpage();
        else return false;
        return true;
    case Qt::Key_T:
        if (mods != (Qt::ControlModifier | Qt::ShiftModifier)) return false;
        linkCheck_->Run();
        return true;
    case Qt::Key_L:
        if (mods != (Qt::ControlModifier | Qt::ShiftModifier)) return false;
        CheckSite1->trigger();
        return true;
    case Qt::Key_F12:
        if (mods == Qt::NoModifier) ShowViewAs(ViewMode::Html);
        else if (mods == Qt::ShiftModifier) ShowViewAs(ViewMode::Text);
        else if (mods == Qt::ControlModifier) ShowViewAs(ViewMode::Hex);
        else return false;
        return true;
    case Qt::Key_P:
        if (mods != Qt::ControlModifier) return false;
        SaveImage();
        return true;
    case Qt::Key_F2:
        if (mods != Qt::NoModifier) return false;
        browser_.CycleWindowSize();
        return true;
    case Qt::Key_F11:
        if (mods == Qt::ControlModifier) browser_.SwitchScrollBar();
        else if (mods == Qt::NoModifier) browser_.SwitchViewMode();
        else return false;
        return true;
    case Qt::Key_F3:
        if (mods == Qt::NoModifier) SearchText(browser_, SearchFrom::First);
        else if (mods == Qt::ControlModifier) SearchText(browser_, SearchFrom::Next);
        else if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) SearchText(browser_, SearchFrom::Last);
        else return false;
        return true;
    case Qt::Key_E:
        if (mods != Qt::ControlModifier) return false;
        N5->trigger();
        return true;
    case Qt::Key_Q:
        if (mods != Qt::ControlModifier) return false;
        N6->trigger();
        return true;
    case Qt::Key_R:
        if (mods != Qt::ControlModifier) return false;
        Record1->trigger();
        return true;
    case Qt::Key_F10:
        if (mods != Qt::NoModifier) return false;
        Edit1->selectAll();
        if (isActiveWindow()) Edit1->setFocus();
        return true;
    default:
        // Alt+1 ... Alt+9, Alt+0: the program editor's quick-launch slots.
        if (mods != Qt::AltModifier || key->key() < Qt::Key_0 || key->key() > Qt::Key_9)
            return false;
        form6_->QuickLaunch((key->key() - Qt::Key_0 + 9) % 10);
        return true;
    }
}

} // namespace qm
