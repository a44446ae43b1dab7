// The main window's construction, start-up, navigation, settings and end. The status timer and
// the status frame's buttons are in MainWindowStatus.cpp.
#include "MainWindow.h"

#include "ControllerEvents.h"
#include "DemoLaser.h"
#include "DemoMenu.h"
#include "Lamps.h"
#include "PanelPaths.h"
#include "PanelSettings.h"
#include "PanelTrace.h"
#include "QtPanelDialogs.h"
#include "StatusFrame.h"
#include "StatusView.h"
#include "logs/FaultLog.h"
#include "logs/LogSettingsBox.h"
#include "logs/ParameterLogger.h"
#include "pages/AboutPage.h"
#include "pages/CommSettingsPage.h"
#include "pages/ContactUsPage.h"
#include "pages/FactoryPage.h"
#include "pages/FavoritesPage.h"
#include "pages/GalvoPage.h"
#include "pages/ScanPage.h"
#include "pages/SettingsPage.h"
#include "pages/TunePage.h"
#include "ui_MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace tarvex::panel {

namespace {

// The title each page's button writes above the stack, in stack order.
constexpr const char* kPageTitles[kPageCount] = {
    QT_TRANSLATE_NOOP("MainWindow", "About >"),
    QT_TRANSLATE_NOOP("MainWindow", "Tune >"),
    QT_TRANSLATE_NOOP("MainWindow", "Scan >"),
    QT_TRANSLATE_NOOP("MainWindow", "Settings >"),
    QT_TRANSLATE_NOOP("MainWindow", "Favorites >"),
    QT_TRANSLATE_NOOP("MainWindow", "Factory >"),
    QT_TRANSLATE_NOOP("MainWindow", "Contact Us >"),
    QT_TRANSLATE_NOOP("MainWindow", "Comm Settings >"),
    QT_TRANSLATE_NOOP("MainWindow", "Galvo >"),
};

constexpr int kStatusPeriodMs = 500;

// Fills a frame with a vertical gradient from `top` at its top to `bottom` at the window's
// height.
void SetFramePalette(QWidget& frame, const QWidget& window, Qt::GlobalColor top,
                     Qt::GlobalColor bottom) {
    QLinearGradient gradient(0, 0, 0, window.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    QPalette palette = frame.palette();
    palette.setBrush(QPalette::All, frame.backgroundRole(), QBrush(gradient));
    frame.setPalette(palette);
    frame.setAutoFillBackground(true);
}

int Index(Page page) {
    return static_cast<int>(page);
}

} // namespace

MainWindow::MainWindow(PanelEnvironment environment, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), ports_(std::move(environment.ports)),
      clock_(environment.clock ? environment.clock : &SystemClock::Instance()),
      controller_(ControllerProfile::Panel(), clock_),
      ownDialogs_(environment.dialogs ? nullptr : std::make_unique<QtPanelDialogs>()),
      dialogs_(environment.dialogs ? environment.dialogs : ownDialogs_.get()),
      ownScreens_(environment.screens ? nullptr : std::make_unique<QtScreenInfo>()),
      screens_(environment.screens ? environment.screens : ownScreens_.get()),
      checks_(controller_, *dialogs_, this), ui_(std::make_unique<Ui::MainWindow>()) {
    PanelSettings::SetApplicationNames();
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVEX_PANEL_VERSION));
    ReadSettings();
    options_ = ParseArguments(arguments);
    ApplyArguments();
    ui_->setupUi(this);
    BuildPages();
    ConnectSignals();
    SetFaultLog(std::make_unique<FaultLog>(controller_, [this] { return faultFileDir_; }));
    SetParameterLog(
        std::make_unique<ParameterLogger>(controller_, *clock_, [this] { return logFileName_; }));
    Initialize();
}

MainWindow::~MainWindow() {
    // The heartbeat reports through the events object and reads through the demo laser's link:
    // it ends before either goes.
    controller_.StopHeartbeat();
    delete events_;
    controller_.CloseTransport();
}

void MainWindow::ReadSettings() {
    const PanelSettings settings = PanelSettings::Read();
    controller_.SetTransportType(settings.transport);
    settingsTransport_ = settings.transport;
    controller_.SetUdpAddress(settings.udpAddress, settings.udpPort);
    loggingEnabled_ = settings.loggingEnabled && settings.logFileName.has_value();
    logFileName_ = settings.logFileName.value_or(QString());
    faultFileDir_ = settings.faultFileDir.value_or(QDir::currentPath());
}

void MainWindow::SaveSettings() {
    PanelSettings settings;
    settings.transport = settingsTransport_;
    settings.udpAddress = controller_.GetUdpAddress();
    settings.udpPort = controller_.GetUdpPort();
    settings.loggingEnabled = loggingEnabled_;
    settings.logFileName = logFileName_;
    settings.faultFileDir = faultFileDir_;
    settings.Write();
}

void MainWindow::ApplyArguments() {
    if (options_.debug)
        EnableDebugTrace();
    controller_.SetOperatingMode(options_.runMode);
    if (options_.baud)
        controller_.SetBaudRate(*options_.baud);
    if (options_.runMode == operating_mode::kDemo && !ports_)
        demo_ = std::make_unique<DemoLaser>(*clock_, controller_.GetUdpAddress(),
                                            controller_.GetUdpPort());
}

sim::SimLaser* MainWindow::SimulatedLaser() const {
    return demo_ ? &demo_->Laser() : nullptr;
}

void MainWindow::BuildPages() {
    aboutPage_ = new AboutPage(*this, this);
    tunePage_ = new TunePage(*this, this);
    scanPage_ = new ScanPage(*this, this);
    settingsPage_ = new SettingsPage(*this, this);
    pages_ = {aboutPage_,
              tunePage_,
              scanPage_,
              settingsPage_,
              new FavoritesPage(*this, this),
              new FactoryPage(*this, this),
              new ContactUsPage(*this, this),
              new CommSettingsPage(*this, this),
              new GalvoPage(*this, this)};
    for (PanelPage* page : pages_)
        ui_->stackedWidget_MainFrame->addWidget(page);
    settingsPage_->layout()->addWidget(new LogSettingsBox(*this, settingsPage_));
    navigation_ = {ui_->cmdLinkButton_General,       ui_->cmdLinkButton_Manual,
                   ui_->cmdLinkButton_Scan,          ui_->cmdLinkButton_Settings,
                   ui_->commandLinkButton_Favorites, ui_->cmdLinkButton_Manufacturing,
                   ui_->cmdLinkButton_ContactUs,     ui_->commandLinkButton_CommSettings,
                   ui_->commandLinkButton_Galvo};

    statusFrame_ = new StatusFrame(this);
    ui_->horizontalLayout_Main->addWidget(statusFrame_);

    statusFrame_->ShowErrorsButton()->setEnabled(false);

    if (demo_)
        menuBar()->addMenu(new DemoMenu(demo_->Laser(), *dialogs_, this));
}

void MainWindow::ConnectSignals() {
    using Slot = void (MainWindow::*)();
    const Slot opens[kPageCount] = {&MainWindow::buttonClickedGeneral,
                                    &MainWindow::buttonClickedManual,
                                    &MainWindow::buttonClickedScan,
                                    &MainWindow::buttonClickedSettings,
                                    &MainWindow::commandLinkButton_FavoritesClicked,
                                    &MainWindow::buttonClickedManufacturing,
                                    &MainWindow::buttonClickedContactUs,
                                    &MainWindow::commandLinkButton_CommSettingsClicked,
                                    &MainWindow::commandLinkButton_GalvoClicked};
    for (int i = 0; i < kPageCount; ++i)
        connect(navigation_[i], &QAbstractButton::clicked, this, opens[i]);
    connect(statusFrame_->ArmButton(), &QAbstractButton::clicked, this,
            &MainWindow::commandLinkButton_ArmDisarmClicked);
    connect(statusFrame_->EmissionButton(), &QAbstractButton::clicked, this,
            &MainWindow::buttonClickedLaserOnOff);
    connect(statusFrame_->PointerButton(), &QAbstractButton::clicked, this,
            &MainWindow::commandLinkButton_EnableDisablePointerClicked);
    connect(statusFrame_->ClearFaultButton(), &QAbstractButton::clicked, this,
            &MainWindow::pushButton_ClearFaultClicked);
    connect(statusFrame_->ShowErrorsButton(), &QAbstractButton::clicked, this,
            &MainWindow::commandLinkButton_showErrorsClicked);
    connect(statusFrame_->PowerOffButton(), &QAbstractButton::clicked, this,
            &MainWindow::toolButton_PowerOffClicked);
    connect(ui_->label_Help, &QLabel::linkActivated, this, &MainWindow::label_HelpLinkActivated);
}

void MainWindow::Initialize() {
    CheckScreens();

    // Queued even when the GUI thread's own exchange reports the loss: the handler must not
    // run inside that exchange.
    events_ = new ControllerEvents(controller_, this);
    connect(events_, &ControllerEvents::KTarvexController_commLinkLost, this,
            &MainWindow::KTarvexController_commLinkLost, Qt::QueuedConnection);
    connect(events_, &ControllerEvents::KTarvexController_initializationStatus, this,
            &MainWindow::KTarvexController_initializationStatus, Qt::QueuedConnection);

    lastShownQcl_ = 4;
    lastShownMode_ = 0;
    if (!Connect()) {
        dialogs_->Information(this, tr("Cannot find Tarvex Laser on any port.  Please connect the "
                                       "laser, wait for 30 seconds for laser to start and "
                                       "relaunch the control panel."));
        EndProgram(1);
        return;
    }

    InitializeUI();
    uiReady_ = true;
    RefreshStatusDisplay();
    buttonClickedManual();

    statusTimer_ = new QTimer(this);
    connect(statusTimer_, &QTimer::timeout, this, &MainWindow::Timeout);
    statusTimer_->start(kStatusPeriodMs);

    if (logFileName_.isEmpty()) {
        const QString current = QDir::currentPath();
        if (!current.isEmpty())
            logFileName_ = DefaultParameterLogName(
                current, QString::fromStdString(controller_.SerialNumber()));
    }
    if (faultFileDir_.isNull())
        faultFileDir_ = QDir::currentPath();
}

void MainWindow::CheckScreens() {
    const QList<QRect> screens = screens_->ScreenGeometries();
    if (screens.isEmpty())
        return;
    int minWidth = INT_MAX, minHeight = INT_MAX;
    for (const QRect& screen : screens) {
        minWidth = std::min(minWidth, screen.width());
        minHeight = std::min(minHeight, screen.height());
    }
    const int dpi = screens_->LogicalDpiX(*this);
    qCDebug(lcPanel, " MIN Width = %d, MIN Height = %d, pixelsX = %d", minWidth, minHeight, dpi);
    if (minWidth < 1024 || minHeight < 768 || dpi > 120)
        dialogs_->Warning(
            this, tr("Tarvex Control Panel needs a minimum resolution of 1024x768 and screen text "
                     "size less than medium size for a good user experience.  One of your "
                     "screens has resolution less than required or screen text size is greater "
                     "than medium.  Some of the items may not render on the screen correctly."));
}

bool MainWindow::Connect() {
    std::unique_ptr<PortProvider> ports = std::move(ports_);
    if (!ports)
        ports = demo_ ? demo_->MakePorts() : MakeSystemPortProvider();
    bool portMissing = false;
    if (options_.port && controller_.GetTransportType() == kTransportSerial) {
        if (!options_.port->device.isEmpty()) {
            controller_.SetComPort(options_.port->device.toStdString());
        } else {
            // A number picks a port of the machine's list; none there means no laser.
            const std::vector<std::string> list = ports->EnumerateSerialPorts();
            const int number = options_.port->number;
            portMissing = number < 1 || static_cast<std::size_t>(number) > list.size();
            if (!portMissing)
                controller_.SetComPort(list[static_cast<std::size_t>(number) - 1]);
            else
                qCDebug(lcPanel, "No serial port number %d on this machine", number);
        }
    }
    controller_.SetPortProvider(std::move(ports));
    return !portMissing && controller_.Initialize();
}

void MainWindow::InitializeUI() {
    for (PanelPage* page : pages_)
        page->InitializeUI();
    const bool manufacturing = options_.runMode == operating_mode::kManufacturing;
    navigation_[Index(Page::Factory)]->setVisible(manufacturing);
    navigation_[Index(Page::CommSettings)]->setVisible(manufacturing);
    navigation_[Index(Page::Galvo)]->setVisible(options_.galvo);
    statusFrame_->SetEmissionButtonEnabled(false);
    SetFramePalette(*ui_->frame_tabs, *this, Qt::white, Qt::lightGray);
    SetFramePalette(*statusFrame_, *this, Qt::white, Qt::lightGray);
    ui_->label_MainTarvexSN->setText(tr("Connected to Tarvex S/N ") +
                                     QString::fromStdString(controller_.SerialNumber()));
    ShowLamp(*ui_->label_ConnectedStatusLED, Lamp::On);
}

void MainWindow::ShowQclRestarting() {
    statusFrame_->SetEmissionButtonEnabled(false);
    tunePage_->ShowQclRestarting();
}

void MainWindow::LaserModesSaved() {
    tunePage_->ShowModes();
}

void MainWindow::ReloadLaserState() {
    statusTimer_->stop();
    controller_.refresh();
    // The Tune page's direct QCL controls are loaded afresh from the recalled parameters.
    lastShownQcl_ = 4;
    lastShownMode_ = 0;
    uiReady_ = false;
    InitializeUI();
    uiReady_ = true;
    RefreshStatusDisplay();
    buttonClickedManual();
    statusTimer_->start(kStatusPeriodMs);
}

void MainWindow::EndProgram(int code) {
    exitCode_ = code;
    if (statusTimer_)
        statusTimer_->stop();
    close();
    dialogs_->Exit(code);
}

void MainWindow::KTarvexController_commLinkLost() {
    // The controller reports every further failed exchange as well; the first report ends the
    // program, so the box is shown once.
    if (linkLost_)
        return;
    linkLost_ = true;
    ShowLamp(*ui_->label_ConnectedStatusLED, Lamp::Off);
    dialogs_->Critical(this, tr("Connection to laser lost!  Please make sure that the laser is on "
                                "and cable connected. Control Panel will now shutdown."));
    EndProgram(1);
}

void MainWindow::KTarvexController_initializationStatus(QString) {}

// --- Navigation ----------------------------------------------------------------------------------

Page MainWindow::CurrentPage() const {
    return static_cast<Page>(ui_->stackedWidget_MainFrame->currentIndex());
}

void MainWindow::OpenPage(Page page) {
    pages_[Index(page)]->Opening();
    ui_->label_CurrentTabName->setText(tr(kPageTitles[Index(page)]));
    ui_->stackedWidget_MainFrame->setCurrentIndex(Index(page));
    // The emission/scan button belongs to the page: redrawn at once rather than on the next tick.
    ShowEmissionButton(ReadStatusView(controller_), controller_.GetScanStatus());
}

void MainWindow::SetNavigationEnabled(std::initializer_list<Page> pages, bool enabled) {
    for (Page page : pages)
        navigation_[Index(page)]->setEnabled(enabled);
}

void MainWindow::buttonClickedGeneral() {
    if (checks_.EmissionOff())
        OpenPage(Page::About);
}

void MainWindow::buttonClickedManual() {
    OpenPage(Page::Tune);
}

void MainWindow::buttonClickedScan() {
    if (checks_.EmissionOff())
        OpenPage(Page::Scan);
}

void MainWindow::buttonClickedSettings() {
    OpenPage(Page::Settings);
}

void MainWindow::commandLinkButton_FavoritesClicked() {
    OpenPage(Page::Favorites);
}

void MainWindow::buttonClickedManufacturing() {
    if (checks_.EmissionOff())
        OpenPage(Page::Factory);
}

void MainWindow::buttonClickedContactUs() {
    OpenPage(Page::ContactUs);
}

void MainWindow::commandLinkButton_CommSettingsClicked() {
    OpenPage(Page::CommSettings);
}

void MainWindow::commandLinkButton_GalvoClicked() {
    dialogs_->Warning(this, tr("This tab allows you to set galvo positions which can cause harm "
                               "to laser.  This is intended for advanced users.  Please use with "
                               "caution."));
    OpenPage(Page::Galvo);
}

void MainWindow::label_HelpLinkActivated() {
    qCDebug(lcPanel, "MainWindow::label_HelpLinkActivated");
    const QString guide = InDirectory(
        QDir::currentPath(), QStringLiteral("Tarvex VQS Mid-IR External Cavity Laser System.pdf"));
    // The desktop may start a viewer for a file that is not there: the file is looked for first.
    if (!QFileInfo::exists(guide) || !dialogs_->OpenDocument(guide))
        dialogs_->Information(this, tr("Could not locate Tarvex user guide.  Please check under "
                                       "Windows Start Menu and launch it manually."));
}

// --- Logs ----------------------------------------------------------------------------------------

void MainWindow::SetFaultLog(std::unique_ptr<FaultLogHook> log) {
    faultLog_ = std::move(log);
    statusFrame_->ShowErrorsButton()->setEnabled(faultLog_ != nullptr);
}

void MainWindow::SetParameterLog(std::unique_ptr<ParameterLogHook> log) {
    parameterLog_ = std::move(log);
}

void MainWindow::ShowLivePlot() {
    if (parameterLog_)
        parameterLog_->ShowPlot(this);
}

void MainWindow::saveSystemErrors() {
    qCDebug(lcPanel, "MainWindow::saveSystemErrors");
    // The lists wait in the laser until the link answers again.
    if (faultLog_ && !LinkFailing())
        faultLog_->SaveSystemErrors();
}

void MainWindow::commandLinkButton_showErrorsClicked() {
    if (faultLog_)
        faultLog_->ShowLog(this);
}

} // namespace tarvex::panel
