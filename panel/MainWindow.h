#pragma once

#include "CommandLine.h"
#include "KTarvexController.h"
#include "LogHooks.h"
#include "PanelDialogs.h"
#include "PanelShell.h"
#include "Preconditions.h"
#include "UnitTexts.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QAbstractButton;
class QTimer;

namespace Ui {
class MainWindow;
}

namespace tarvex::sim {
class SimLaser;
}

namespace tarvex::panel {

class AboutPage;
class ControllerEvents;
class DemoLaser;
class PanelPage;
class ScanPage;
class SettingsPage;
class StatusFrame;
class TunePage;
struct StatusView;

// What the main window runs on. Each part left empty is the program's own; tests put their
// recorders, simulated screens, simulated time and simulated ports in.
struct PanelEnvironment {
    PanelDialogs* dialogs = nullptr;     // Qt's dialogs
    const ScreenInfo* screens = nullptr; // the machine's screens
    Clock* clock = nullptr;              // real time
    // The machine's serial ports and sockets; with "-demo", the built-in simulated laser.
    std::unique_ptr<PortProvider> ports;
};

// The panel's one window: the navigation buttons, the status frame, the stack of pages (each a
// class of its own, see pages/), the 500 ms status timer and the start-up. It holds the
// program's one controller for the whole run.
class MainWindow final : public QMainWindow, public PanelShell {
    Q_OBJECT
public:
    // Reads the settings and `arguments` (those after the program's name), builds the widgets
    // and connects to the laser. When there is none, the window has told the operator and asked
    // for the exit (ExitCode()).
    MainWindow(PanelEnvironment environment, const QStringList& arguments,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The code the window asked the program to end with, if it did.
    std::optional<int> ExitCode() const { return exitCode_; }
    QTimer* StatusTimer() const { return statusTimer_; }
    Page CurrentPage() const;
    // The built-in laser of "-demo"; null otherwise.
    sim::SimLaser* SimulatedLaser() const;

    // The fault log and parameter log; each may be absent (see LogHooks.h).
    void SetFaultLog(std::unique_ptr<FaultLogHook> log);
    void SetParameterLog(std::unique_ptr<ParameterLogHook> log);
    // Opens a live plot of the parameter log's readings.
    void ShowLivePlot();
    bool LoggingEnabled() const { return loggingEnabled_; }
    void SetLoggingEnabled(bool enabled) { loggingEnabled_ = enabled; }
    const QString& LogFileName() const { return logFileName_; }
    void SetLogFileName(const QString& name) { logFileName_ = name; }
    const QString& FaultFileDir() const { return faultFileDir_; }
    void SetFaultFileDir(const QString& directory) { faultFileDir_ = directory; }

    // PanelShell
    KTarvexController& Controller() override { return controller_; }
    PanelDialogs& Dialogs() override { return *dialogs_; }
    Preconditions& Checks() override { return checks_; }
    Clock& PanelClock() override { return *clock_; }
    const CommandLine& Options() const override { return options_; }
    const UnitTexts& Texts() const override { return texts_; }
    QWidget* Window() override { return this; }
    bool UiReady() const override { return uiReady_; }
    void Follow(PendingOperation operation) override { pending_ = operation; }
    PendingOperation Pending() const override { return pending_; }
    void SetNavigationEnabled(std::initializer_list<Page> pages, bool enabled) override;
    void SetEmissionButtonEnabled(bool enabled) override;
    void RefreshStatusDisplay() override;
    void ShowQclRestarting() override;
    void LaserModesSaved() override;
    void ReloadLaserState() override;
    // Writes the persistent settings from the controller's and the window's state.
    void SaveSettings() override;
    int SettingsTransport() const override { return settingsTransport_; }
    void SetSettingsTransport(int transport) override { settingsTransport_ = transport; }
    void EndProgram(int code) override;

    // How long the arming dialog waits for the laser to report armed.
    static constexpr std::uint64_t kArmingLimitMs = 30000;

public Q_SLOTS:
    // The status timer's tick: follows the operation under way, redraws, logs.
    void Timeout();
    void KTarvexController_commLinkLost();
    void KTarvexController_initializationStatus(QString strStatus);

    // Buttons of the status frame.
    void commandLinkButton_ArmDisarmClicked();
    void buttonClickedLaserOnOff();
    void commandLinkButton_EnableDisablePointerClicked();
    void pushButton_ClearFaultClicked();
    void commandLinkButton_showErrorsClicked();
    void toolButton_PowerOffClicked();

    // Navigation.
    void buttonClickedGeneral();
    void buttonClickedManual();
    void buttonClickedScan();
    void buttonClickedSettings();
    void commandLinkButton_FavoritesClicked();
    void buttonClickedManufacturing();
    void buttonClickedContactUs();
    void commandLinkButton_CommSettingsClicked();
    void commandLinkButton_GalvoClicked();
    // Opens the user guide from the current directory.
    void label_HelpLinkActivated();

    void saveSystemErrors();

private:
    void ReadSettings();
    void ApplyArguments();
    void BuildPages();
    void ConnectSignals();
    void Initialize();
    void CheckScreens();
    bool Connect();
    void InitializeUI();
    void OpenPage(Page page);
    // The link has failed at least once since the last good exchange: the status display then
    // sends nothing of its own, so that the window does not wait on a dead link.
    bool LinkFailing() const;

    void Refresh(const StatusView& view);
    void FollowArming(const StatusView& view);
    void FollowTune();
    void FollowScan(const StatusView& view);
    void ShowEmissionButton(const StatusView& view, const ScanStatus& scan);
    void LoadDirectQclControls(const StatusView& view);
    void ShowRangeCells(const StatusView& view);
    void ShowFault(const StatusView& view);

    // Declared first, so that it outlives the controller: the controller's transports use its
    // link until the controller is gone.
    std::unique_ptr<DemoLaser> demo_;
    std::unique_ptr<PortProvider> ports_; // until the connection hands them to the controller
    Clock* clock_;
    KTarvexController controller_;
    std::unique_ptr<PanelDialogs> ownDialogs_;
    PanelDialogs* dialogs_;
    std::unique_ptr<ScreenInfo> ownScreens_;
    const ScreenInfo* screens_;
    Preconditions checks_;
    UnitTexts texts_;
    CommandLine options_;
    std::unique_ptr<Ui::MainWindow> ui_;
    ControllerEvents* events_ = nullptr;
    StatusFrame* statusFrame_ = nullptr;
    std::array<PanelPage*, kPageCount> pages_{};
    std::array<QAbstractButton*, kPageCount> navigation_{};
    AboutPage* aboutPage_ = nullptr;
    TunePage* tunePage_ = nullptr;
    ScanPage* scanPage_ = nullptr;
    SettingsPage* settingsPage_ = nullptr;
    QTimer* statusTimer_ = nullptr;

    PendingOperation pending_ = PendingOperation::None;
    std::unique_ptr<ProgressDialog> armingDialog_;
    std::uint64_t armingStartMs_ = 0;
    // The QCL and laser mode the Tune page's direct controls were last loaded for (4: none).
    std::uint8_t lastShownQcl_ = 4;
    std::uint8_t lastShownMode_ = 0;
    bool uiReady_ = false;
    bool linkLost_ = false;
    std::optional<int> exitCode_;

    int settingsTransport_ = kTransportSerial;
    bool loggingEnabled_ = false;
    QString logFileName_;
    QString faultFileDir_;
    std::unique_ptr<FaultLogHook> faultLog_;
    std::unique_ptr<ParameterLogHook> parameterLog_;
};

} // namespace tarvex::panel
