// The status timer's tick and the status display: following the operation under way (arming,
// a tune, a scan), redrawing the status frame and the page-dependent controls from the cache,
// and the buttons of the status frame.
#include "MainWindow.h"

#include "FaultCodes.h"
#include "Lamps.h"
#include "PanelTrace.h"
#include "RangeTable.h"
#include "StatusFrame.h"
#include "StatusView.h"
#include "pages/ScanPage.h"
#include "pages/SettingsPage.h"
#include "pages/TunePage.h"

namespace tarvex::panel {

namespace {

bool IsScan(PendingOperation operation) {
    return operation == PendingOperation::SweepScan ||
           operation == PendingOperation::StepMeasureScan ||
           operation == PendingOperation::MultiSpectralScan;
}

} // namespace

void MainWindow::Timeout() {
    qCDebug(lcPanel, "MainWindow::Timeout");
    // A configuration transfer or a firmware update has the link to itself: nothing may go out
    // between its steps, during which the window processes its events.
    if (controller_.HeartbeatPaused())
        return;
    const StatusView view = ReadStatusView(controller_);
    if (pending_ == PendingOperation::Arming)
        FollowArming(view);
    else if (pending_ == PendingOperation::Tune)
        FollowTune();
    else if (IsScan(pending_))
        FollowScan(view);
    Refresh(view);
    if (parameterLog_)
        parameterLog_->Tick(loggingEnabled_);
}

bool MainWindow::LinkFailing() const {
    return controller_.ConsecutiveFailures() > 0;
}

void MainWindow::FollowArming(const StatusView& view) {
    if (view.Bit(status::kArmed)) {
        armingDialog_.reset();
        pending_ = PendingOperation::None;
        return;
    }
    // A laser that never reports armed (an interlock opened meanwhile, a lost reply) would
    // otherwise hold the window behind the dialog for good.
    if (clock_->NowMs() - armingStartMs_ < kArmingLimitMs)
        return;
    armingDialog_.reset();
    pending_ = PendingOperation::None;
    dialogs_->Information(this, tr("Arming did not complete: the laser did not report armed "
                                   "within 30 seconds.  Please make sure Interlock is in place "
                                   "and keyswitch is on and retry this operation."));
}

void MainWindow::FollowTune() {
    qCDebug(lcPanel, "MANUAL TUNING OPERATION");
    const ScanStatus scan = controller_.GetScanStatus();
    tunePage_->RefreshExtendedStatus();
    if (!scan.scanInProgress) {
        qCDebug(lcPanel, "MAINWINDOW::SCAN NOT IN PROGRESS");
        pending_ = PendingOperation::None;
        SetNavigationEnabled({Page::Tune, Page::About, Page::ContactUs, Page::Factory,
                              Page::Settings, Page::CommSettings, Page::Favorites, Page::Scan},
                             true);
        statusFrame_->SetEmissionButtonEnabled(false);
        tunePage_->ShowTuneEnded();
    } else if (!scan.scanActive) {
        qCDebug(lcPanel, "MAINWINDOW::SCAN NOT ACTIVE");
        tunePage_->ShowTuneProgress(QStringLiteral("T U N I N G - ") + ProgressPhrases(scan));
    } else {
        qCDebug(lcPanel, "MAINWINDOW::SCAN ACTIVE");
        tunePage_->ShowTuneActive(scan.adjustingWavelength);
        statusFrame_->SetEmissionButtonEnabled(true);
    }
}

void MainWindow::FollowScan(const StatusView& view) {
    const ScanStatus scan = controller_.GetScanStatus();
    qCDebug(lcPanel, scan.scanInProgress ? "[One of the scan modes ]SCAN IN PROGRESS"
                                         : "[One of the scan modes ]SCAN NOT IN PROGRESS");
    if (!scanPage_->FollowScan(pending_, scan, view))
        return;
    SetNavigationEnabled({Page::About, Page::ContactUs, Page::Factory, Page::Tune, Page::Settings,
                          Page::CommSettings, Page::Favorites},
                         true);
    pending_ = PendingOperation::None;
}

void MainWindow::RefreshStatusDisplay() {
    Refresh(ReadStatusView(controller_));
}

void MainWindow::Refresh(const StatusView& view) {
    statusFrame_->Show(view);
    ShowEmissionButton(view, controller_.GetScanStatus());
    ShowRangeCells(view);
    ShowFault(view);
    if (CurrentPage() == Page::Settings && !LinkFailing())
        settingsPage_->ShowWavelengthIndicator();
}

void MainWindow::ShowEmissionButton(const StatusView& view, const ScanStatus& scan) {
    switch (CurrentPage()) {
    case Page::Tune:
        // Emission can be switched only on a tuned laser.
        statusFrame_->ShowEmissionButton(StatusFrame::EmissionKind::Emission, scan.scanActive,
                                         view.EmissionOn());
        tunePage_->ShowEmission(view.EmissionOn());
        if (options_.runMode == operating_mode::kManufacturing)
            LoadDirectQclControls(view);
        break;
    case Page::Scan:
        statusFrame_->ShowEmissionButton(StatusFrame::EmissionKind::Scan, true,
                                         scan.scanInProgress);
        break;
    default:
        statusFrame_->ShowEmissionButton(StatusFrame::EmissionKind::Hidden, false, false);
        break;
    }
}

void MainWindow::LoadDirectQclControls(const StatusView& view) {
    const LaserQclParams* params = view.ActiveParams();
    if (!params || LinkFailing())
        return;
    if (view.activeQcl == lastShownQcl_ && params->laserMode == lastShownMode_)
        return;
    lastShownQcl_ = view.activeQcl;
    lastShownMode_ = params->laserMode;
    tunePage_->LoadDirectQclControls(view.activeQcl, params->laserMode);
}

void MainWindow::ShowRangeCells(const StatusView& view) {
    for (int column = 0; column < static_cast<int>(kMaxQcls); ++column) {
        const RangeCell cell = static_cast<std::size_t>(column) >= view.installed ? RangeCell::Empty
                               : column + 1 == view.activeQcl ? RangeCell::Active
                                                              : RangeCell::Inactive;
        MarkTuningRangeCell(tunePage_->TuningRangeTable(), column, cell);
        MarkTuningRangeCell(scanPage_->TuningRangeTable(), column, cell);
    }
}

void MainWindow::ShowFault(const StatusView& view) {
    const bool faultBit = view.Bit(status::kSystemError);
    if (!faultBit)
        statusFrame_->SetFaultLamp(Lamp::White);
    if (view.errorWord == 0) {
        statusFrame_->HideFault();
        return;
    }
    if (options_.runMode != operating_mode::kManufacturing &&
        ClearedAutomatically(view.errorWord) && !LinkFailing() && controller_.ClearFault()) {
        qCDebug(lcPanel, "Not showing fault, cleared from Laser");
        saveSystemErrors();
        return;
    }
    statusFrame_->ShowFault(view.errorWord);
    statusFrame_->SetFaultLamp(faultBit ? Lamp::Red : Lamp::White);
    saveSystemErrors();
}

void MainWindow::SetEmissionButtonEnabled(bool enabled) {
    statusFrame_->SetEmissionButtonEnabled(enabled);
}

// --- Buttons of the status frame -----------------------------------------------------------------

void MainWindow::commandLinkButton_ArmDisarmClicked() {
    qCDebug(lcPanel, "MainWindow::commandLinkButton_ArmDisarmClicked");
    if (!checks_.InterlockAndKey())
        return;
    if (!controller_.StatusBit(status::kArmed)) {
        armingDialog_ = dialogs_->ShowProgress(this, tr("Please wait while LASER is armed..."), 0);
        armingStartMs_ = clock_->NowMs();
        pending_ = PendingOperation::Arming;
    }
    if (!controller_.ToggleArm()) {
        armingDialog_.reset();
        // Nothing to wait for: the command itself failed.
        if (pending_ == PendingOperation::Arming)
            pending_ = PendingOperation::None;
        dialogs_->Information(this, tr("Error starting ARM operation."));
    }
}

void MainWindow::buttonClickedLaserOnOff() {
    qCDebug(lcPanel, "MainWindow::buttonClickedLaserOnOff");
    switch (CurrentPage()) {
    case Page::Tune:
        if (!checks_.ArmedAndTecsReady())
            return;
        if (ReadStatusView(controller_).EmissionOn()) {
            // Shown off at once: the light is read now rather than by the next heartbeat.
            if (controller_.SetLaserOnOff(false, 0))
                controller_.ReadInfoLight();
            RefreshStatusDisplay();
        } else {
            controller_.SetLaserOnOff(true, 0);
        }
        break;
    case Page::Scan:
        if (!options_.developer && !checks_.ArmedAndTecsReady())
            return;
        if (controller_.GetScanStatus().scanInProgress)
            scanPage_->buttonClickedStopScan();
        else
            scanPage_->buttonClickedStartScan();
        break;
    default:
        break;
    }
}

void MainWindow::commandLinkButton_EnableDisablePointerClicked() {
    qCDebug(lcPanel, "MainWindow::commandLinkButton_EnableDisablePointerClicked");
    controller_.SetPointerEnable(!controller_.StatusBit(status::kPointerOn));
}

void MainWindow::pushButton_ClearFaultClicked() {
    qCDebug(lcPanel, "MainWindow::pushButton_ClearFaultClicked");
    if (!controller_.ClearFault())
        dialogs_->Information(this, tr("Could not clear system fault. Please refer to your user "
                                       "guide for this laser on how to clear fault."));
}

void MainWindow::toolButton_PowerOffClicked() {
    qCDebug(lcPanel, "MainWindow::toolButton_PowerOffClicked");
    if (!dialogs_->Question(this, tr("This will power down Laser and close Tarvex Control Panel.  "
                                     "Are you sure you want to proceed?")))
        return;
    // The panel closes whatever the laser answered: it is being switched off.
    controller_.PowerOff();
    EndProgram(0);
}

} // namespace tarvex::panel
