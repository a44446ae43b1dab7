#include "SettingsPage.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "PanelShell.h"
#include "PanelTrace.h"
#include "PulseUnits.h"
#include "UnitTexts.h"
#include "control/QclSettings.h"
#include "control/SystemSettings.h"

#include <QSignalBlocker>

namespace tarvex::panel {

namespace {

// The dwell and off times are shown in ms and kept in µs.
constexpr double kUsPerMs = 1000.0;
constexpr double kMaxTimeMs = 4294967.0;
// The wavelength-trigger pulse width is a 16-bit count of µs.
constexpr int kMaxTriggerPulseWidthUs = 65535;
constexpr double kMaxTriggerInterval = 100000.0;

} // namespace

SettingsPage::SettingsPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_laserParamQCLs, &QComboBox::currentIndexChanged, this,
            &SettingsPage::comboBoxlaserParamQCLIndexChanged);
    connect(ui.comboBox_laserMode, &QComboBox::currentIndexChanged, this,
            &SettingsPage::comboBox_laserModeChanged);
    connect(ui.doubleSpinBox_PulseRate, &QDoubleSpinBox::valueChanged, this,
            &SettingsPage::doubleSpinBoxPulseRateValueChanged);
    connect(ui.doubleSpinBox_PulseWidth, &QDoubleSpinBox::valueChanged, this,
            &SettingsPage::doubleSpinBoxPuldWidthValueChanged);
    connect(ui.doubleSpinBox_QCLcurrent, &QDoubleSpinBox::valueChanged, this,
            &SettingsPage::doubleSpinBox_QCLcurrentChanged);
    connect(ui.comboBox_WavelengthTriggerUnits, &QComboBox::currentIndexChanged, this,
            &SettingsPage::comboBox_WavelengthTriggerUnitsChanged);
    connect(ui.pushButton_reInitTuning, &QAbstractButton::clicked, this,
            &SettingsPage::pushButton_reInitTuningClicked);
    connect(ui.cmdLinkButton_SaveSettings, &QAbstractButton::clicked, this,
            &SettingsPage::buttonClickedSaveSettings);
    ui.doubleSpinBox_InternalTriggerDwellTime->setRange(0, kMaxTimeMs);
    ui.doubleSpinBox_InternalTriggerOffTime->setRange(0, kMaxTimeMs);
    ui.doubleSpinBox_WlTrigInterval->setRange(0, kMaxTriggerInterval);
    ui.spinBox_WlTrigPulseWidth->setRange(0, kMaxTriggerPulseWidthUs);
}

void SettingsPage::InitializeUI() {
    KTarvexController& controller = shell_.Controller();
    shownQcl_ = -1;
    laserModes_ = {};
    const std::size_t installed = controller.InstalledQcls();
    controller.ReadCache([&](const LaserCache& c) {
        for (std::size_t i = 0; i < installed; ++i)
            laserModes_[i] = control::OfferedLaserModes(c.adminQcl[i]);
    });
    LoadLaserSettings();
    // Filling the chooser loads its first QCL.
    ui.comboBox_laserParamQCLs->clear();
    for (std::size_t i = 1; i <= installed; ++i)
        ui.comboBox_laserParamQCLs->addItem(tr("QCL %1").arg(i));
}

void SettingsPage::Opening() {
    KTarvexController& controller = shell_.Controller();
    const std::uint8_t unit =
        controller.ReadCache([](const LaserCache& c) { return c.displayUnits.ww; });
    (unit == units::kWavenumber ? ui.radioButton_Wavenumber : ui.radioButton_Wavelength)
        ->setChecked(true);
    const std::uint8_t active = controller.ActiveQcl();
    ui.comboBox_laserParamQCLs->setCurrentIndex(active == 0 ? 0 : active - 1);
}

std::uint8_t SettingsPage::ChosenSlot() const {
    const int index = ui.comboBox_laserParamQCLs->currentIndex();
    return index < 0 || index >= static_cast<int>(kMaxQcls) ? 0
                                                            : static_cast<std::uint8_t>(index + 1);
}

// --- One QCL -------------------------------------------------------------------------------------

void SettingsPage::StoreShownQcl() {
    if (shownQcl_ < 0)
        return;
    KTarvexController& controller = shell_.Controller();
    const auto slot = static_cast<std::uint8_t>(shownQcl_ + 1);
    controller.SetQclPulseRate(slot, static_cast<float>(ui.doubleSpinBox_PulseRate->value()),
                               units::kHz);
    controller.SetQclPulseWidth(slot, static_cast<float>(ui.doubleSpinBox_PulseWidth->value()),
                                units::kNs);
    controller.SetQclCurrent(slot, static_cast<float>(ui.doubleSpinBox_QCLcurrent->value()));
    controller.SetQclTemperature(slot,
                                 static_cast<float>(ui.doubleSpinBox_QCLtemperature->value()));
    const std::vector<std::uint8_t>& modes = laserModes_[static_cast<std::size_t>(shownQcl_)];
    const int row = ui.comboBox_laserMode->currentIndex();
    if (row >= 0 && static_cast<std::size_t>(row) < modes.size())
        controller.SetQclLaserMode(slot, modes[static_cast<std::size_t>(row)]);
}

void SettingsPage::comboBoxlaserParamQCLIndexChanged(int index) {
    if (index < 0 || index >= static_cast<int>(kMaxQcls))
        return;
    StoreShownQcl();
    LoadQcl(index);
}

void SettingsPage::LoadQcl(int index) {
    const auto i = static_cast<std::size_t>(index);
    const auto [limits, params] = shell_.Controller().ReadCache(
        [i](const LaserCache& c) { return std::pair(c.adminQcl[i], c.qclParams[i]); });
    const double rateHz = units::RateInHz(params.pulse_rate, params.pulse_rate_unit);
    {
        // The fields are loaded whole before the labels that depend on them are drawn.
        const QSignalBlocker rateBlocker(ui.doubleSpinBox_PulseRate);
        const QSignalBlocker widthBlocker(ui.doubleSpinBox_PulseWidth);
        const QSignalBlocker temperatureBlocker(ui.doubleSpinBox_QCLtemperature);
        ui.doubleSpinBox_PulseRate->setRange(
            units::RateInHz(limits.min_pulse_rate, limits.pulse_rate_unit),
            units::RateInHz(limits.max_pulse_rate, limits.pulse_rate_unit));
        ui.doubleSpinBox_PulseRate->setValue(rateHz);
        ui.doubleSpinBox_PulseWidth->setRange(
            units::WidthInNs(limits.min_pulse_width, limits.pulse_width_unit),
            control::MaxPulseWidthNs(limits, rateHz));
        ui.doubleSpinBox_PulseWidth->setValue(
            units::WidthInNs(params.pulse_width, params.pulse_width_unit));
        ui.doubleSpinBox_QCLtemperature->setRange(limits.min_drive_temp, limits.max_drive_temp);
        ui.doubleSpinBox_QCLtemperature->setValue(params.temp);
    }
    FillLaserModes(index, params.laserMode);
    {
        const QSignalBlocker currentBlocker(ui.doubleSpinBox_QCLcurrent);
        ShowCurrentLimits();
        ui.doubleSpinBox_QCLcurrent->setValue(params.current);
    }
    ShowCurrentLimits();
    ShowDutyCycle();
    shownQcl_ = index;
}

void SettingsPage::FillLaserModes(int index, std::uint8_t mode) {
    laserModesReady_ = false;
    ui.comboBox_laserMode->clear();
    const std::vector<std::uint8_t>& modes = laserModes_[static_cast<std::size_t>(index)];
    for (const std::uint8_t offered : modes)
        ui.comboBox_laserMode->addItem(tr(laser_mode::Name(offered)));
    // A mode the QCL does not offer shows as pulsed rather than as no mode at all.
    const int row = control::LaserModeRow(mode);
    ui.comboBox_laserMode->setCurrentIndex(static_cast<std::size_t>(row) < modes.size() ? row : 0);
    laserModesReady_ = true;
}

void SettingsPage::comboBox_laserModeChanged(int row) {
    if (!laserModesReady_ || row < 0)
        return;
    qCDebug(lcPanel, "Index %u", static_cast<unsigned>(row));
    const std::uint8_t slot = ChosenSlot();
    if (slot == 0)
        return;
    const std::vector<std::uint8_t>& modes = laserModes_[slot - 1u];
    if (static_cast<std::size_t>(row) < modes.size()) {
        const std::uint8_t mode = modes[static_cast<std::size_t>(row)];
        shell_.Controller().SetQclLaserMode(slot, mode);
        qCDebug(lcPanel, "QCL %u, LaserMode %u", static_cast<unsigned>(slot),
                static_cast<unsigned>(mode));
    }
    ShowCurrentLimits();
}

// The current's limits follow the QCL's laser mode: the pulsed ones in pulsed mode, else the CW
// ones.
void SettingsPage::ShowCurrentLimits() {
    const std::uint8_t slot = ChosenSlot();
    if (slot == 0)
        return;
    const auto [limits, mode] = shell_.Controller().ReadCache([slot](const LaserCache& c) {
        return std::pair(c.adminQcl[slot - 1u], c.qclParams[slot - 1u].laserMode);
    });
    const bool pulsed = mode == laser_mode::kPulsed;
    const double maximum = pulsed ? limits.max_drive_current : limits.max_drive_cw_current;
    {
        const QSignalBlocker blocker(ui.doubleSpinBox_QCLcurrent);
        ui.doubleSpinBox_QCLcurrent->setRange(
            pulsed ? limits.min_drive_current : limits.min_drive_cw_current, maximum);
    }
    // A QCL without a current range has no share of it to show.
    const double percent =
        maximum > 0 ? ui.doubleSpinBox_QCLcurrent->value() / maximum * 100.0 : 0.0;
    ui.label_QclCurrentPercent->setText(QString::number(percent, 'f', 1) + QStringLiteral("%"));
}

void SettingsPage::doubleSpinBox_QCLcurrentChanged(double) {
    ShowCurrentLimits();
}

void SettingsPage::doubleSpinBoxPulseRateValueChanged(double) {
    ShowPulseWidthLimit();
    ShowDutyCycle();
}

void SettingsPage::doubleSpinBoxPuldWidthValueChanged(double) {
    ShowDutyCycle();
}

void SettingsPage::ShowPulseWidthLimit() {
    const std::uint8_t slot = ChosenSlot();
    if (slot == 0)
        return;
    const AdminQclParams limits = shell_.Controller().ReadCache(
        [slot](const LaserCache& c) { return c.adminQcl[slot - 1u]; });
    const QSignalBlocker blocker(ui.doubleSpinBox_PulseWidth);
    ui.doubleSpinBox_PulseWidth->setMaximum(
        control::MaxPulseWidthNs(limits, ui.doubleSpinBox_PulseRate->value()));
}

void SettingsPage::ShowDutyCycle() {
    LaserQclParams shown;
    shown.pulse_rate = static_cast<float>(ui.doubleSpinBox_PulseRate->value());
    shown.pulse_rate_unit = units::kHz;
    shown.pulse_width = static_cast<float>(ui.doubleSpinBox_PulseWidth->value());
    shown.pulse_width_unit = units::kNs;
    ui.label_QCLDutyCycle->setText(QString::number(control::DutyCyclePercent(shown), 'g', 6));
}

// --- The laser's own settings --------------------------------------------------------------------

void SettingsPage::LoadLaserSettings() {
    const LaserCache cache = shell_.Controller().Snapshot();
    const LaserParams& laser = cache.laserParams;
    (cache.displayUnits.ww == units::kWavenumber ? ui.radioButton_Wavenumber
                                                 : ui.radioButton_Wavelength)
        ->setChecked(true);
    QRadioButton* const pulseModes[] = {
        ui.radioButton_PulseModeInternal, ui.radioButton_ExternalTrigger,
        ui.radioButton_ExternalPassThru, ui.radioButton_WaveLengthTriggerMode};
    const bool knownPulseMode = laser.pulse_mode >= pulse_mode::kInternal &&
                                laser.pulse_mode <= pulse_mode::kWavelengthTrigger;
    pulseModes[knownPulseMode ? laser.pulse_mode - 1 : 0]->setChecked(true);
    QRadioButton* const triggerModes[] = {ui.radioButton_TriggerModeInternal,
                                          ui.radioButton_TriggerModeExternalStep,
                                          ui.radioButton_TriggerModeManual};
    const bool knownTrigger = laser.process_trigger_mode >= process_trigger::kInternal &&
                              laser.process_trigger_mode <= process_trigger::kManual;
    triggerModes[knownTrigger ? laser.process_trigger_mode - 1 : 0]->setChecked(true);
    ui.doubleSpinBox_InternalTriggerDwellTime->setValue(laser.dwell_time / kUsPerMs);
    ui.doubleSpinBox_InternalTriggerOffTime->setValue(laser.off_time / kUsPerMs);

    triggerUnit_ = laser.units == units::kWavenumber ? units::kWavenumber : units::kMicrons;
    {
        const QSignalBlocker blocker(ui.comboBox_WavelengthTriggerUnits);
        const UnitTexts& texts = shell_.Texts();
        ui.comboBox_WavelengthTriggerUnits->clear();
        ui.comboBox_WavelengthTriggerUnits->addItems({texts.wavelengthUnit, texts.wavenumberUnit});
        ui.comboBox_WavelengthTriggerUnits->setCurrentText(texts.Unit(triggerUnit_));
    }
    SetTriggerWindowRange(triggerUnit_);
    ui.doubleSpinBox_WlTrigStart->setValue(laser.start_ww);
    ui.doubleSpinBox_WlTrigStop->setValue(laser.stop_ww);
    ui.doubleSpinBox_WlTrigInterval->setValue(laser.interval);
    ui.spinBox_WlTrigPulseWidth->setValue(cache.wlTrigPulseWidth.pulseWidthUs);

    ui.checkBox_StopChirpLaser->setChecked(cache.audio.on_off != 0);
    ui.checkBox_FlashLed->setChecked(cache.audio.flash_led != 0);
    ui.checkBox_useCrossover->setChecked(cache.globalPrefs.always_use_crossover != 0);
}

void SettingsPage::SetTriggerWindowRange(std::uint8_t unit) {
    const TuningRange range = shell_.Controller().OverallTuningRange().In(unit);
    for (QDoubleSpinBox* field : {ui.doubleSpinBox_WlTrigStart, ui.doubleSpinBox_WlTrigStop})
        field->setRange(range.min, range.max);
}

void SettingsPage::comboBox_WavelengthTriggerUnitsChanged(int) {
    const std::uint8_t unit =
        shell_.Texts().UnitOf(ui.comboBox_WavelengthTriggerUnits->currentText());
    if (unit == triggerUnit_)
        return;
    triggerUnit_ = unit;
    const auto converted = [](const QDoubleSpinBox* field) {
        return static_cast<double>(units::Convert(static_cast<float>(field->value())));
    };
    const double start = converted(ui.doubleSpinBox_WlTrigStart);
    const double stop = converted(ui.doubleSpinBox_WlTrigStop);
    const double interval = converted(ui.doubleSpinBox_WlTrigInterval);
    SetTriggerWindowRange(unit);
    ui.doubleSpinBox_WlTrigStart->setValue(start);
    ui.doubleSpinBox_WlTrigStop->setValue(stop);
    ui.doubleSpinBox_WlTrigInterval->setValue(interval);
}

void SettingsPage::StoreLaserSettings() {
    KTarvexController& controller = shell_.Controller();
    controller.SetLaserMode(laser_mode::kPulsed);
    const std::uint8_t trigger =
        ui.radioButton_TriggerModeManual->isChecked()         ? process_trigger::kManual
        : ui.radioButton_TriggerModeExternalStep->isChecked() ? process_trigger::kExternalStep
                                                              : process_trigger::kInternal;
    controller.SetProcessTrigger(
        trigger,
        static_cast<std::uint32_t>(ui.doubleSpinBox_InternalTriggerDwellTime->value() * kUsPerMs),
        static_cast<std::uint32_t>(ui.doubleSpinBox_InternalTriggerOffTime->value() * kUsPerMs));
    const std::uint8_t pulseMode =
        ui.radioButton_WaveLengthTriggerMode->isChecked() ? pulse_mode::kWavelengthTrigger
        : ui.radioButton_ExternalPassThru->isChecked()    ? pulse_mode::kExternalPassThrough
        : ui.radioButton_ExternalTrigger->isChecked()     ? pulse_mode::kExternalTrigger
                                                          : pulse_mode::kInternal;
    controller.SetWavelengthTrigger(
        pulseMode, static_cast<float>(ui.doubleSpinBox_WlTrigStart->value()),
        static_cast<float>(ui.doubleSpinBox_WlTrigStop->value()),
        static_cast<float>(ui.doubleSpinBox_WlTrigInterval->value()), triggerUnit_);
    controller.SetWlTrigPulseWidth(
        static_cast<std::uint16_t>(ui.spinBox_WlTrigPulseWidth->value()));
}

// --- Restart and save ----------------------------------------------------------------------------

void SettingsPage::pushButton_reInitTuningClicked() {
    KTarvexController& controller = shell_.Controller();
    controller.StopScan();
    shell_.ShowQclRestarting();
    const std::uint8_t slot = ChosenSlot();
    if (slot == 0)
        return;
    constexpr std::uint8_t kQclOff = 2, kQclOn = 1;
    constexpr std::uint32_t kQclOffMs = 250;
    controller.ExecQclOnOff(slot, kQclOff);
    shell_.PanelClock().SleepMs(kQclOffMs);
    controller.ExecQclOnOff(slot, kQclOn);
}

bool SettingsPage::DutyCyclesAllowed() {
    const LaserCache cache = shell_.Controller().Snapshot();
    for (std::size_t i = 0; i < cache.InstalledQcls(); ++i) {
        const AdminQclParams& limits = cache.adminQcl[i];
        if (control::DutyCycleAllowed(limits, control::DutyCyclePercent(cache.qclParams[i])))
            continue;
        shell_.Dialogs().Information(
            shell_.Window(),
            tr("Duty Cycle for QCL") + QString::number(i + 1) +
                tr(" out of range.  Please adjust pulse rate and width so that duty cycle falls "
                   "between ") +
                QString::number(limits.min_duty_cycle, 'f', 1) + tr(" and ") +
                QString::number(MaxDutyCycle(limits), 'f', 1) + tr(" percent."));
        return false;
    }
    return true;
}

void SettingsPage::WritePreferences() {
    KTarvexController& controller = shell_.Controller();
    PanelDialogs& dialogs = shell_.Dialogs();
    AudioNotificationPref audio;
    audio.on_off = ui.checkBox_StopChirpLaser->isChecked() ? 1 : 0;
    audio.flash_led = ui.checkBox_FlashLed->isChecked() ? 1 : 0;
    if (!control::WriteAudioNotification(controller, audio))
        dialogs.Information(shell_.Window(), tr("Could not disable audio notification."));
    GlobalPreferences prefs =
        controller.ReadCache([](const LaserCache& c) { return c.globalPrefs; });
    prefs.always_use_crossover = ui.checkBox_useCrossover->isChecked() ? 1 : 0;
    if (!control::WriteGlobalPreferences(controller, prefs))
        dialogs.Information(shell_.Window(), tr("Error saving global preferences."));
}

void SettingsPage::buttonClickedSaveSettings() {
    KTarvexController& controller = shell_.Controller();
    PanelDialogs& dialogs = shell_.Dialogs();
    QWidget* window = shell_.Window();
    StoreLaserSettings();
    StoreShownQcl();
    // Checked before the display unit goes out as well, so that a refused save writes nothing.
    if (!DutyCyclesAllowed())
        return;
    const std::uint8_t rateUnit =
        controller.ReadCache([](const LaserCache& c) { return c.displayUnits.pulse_rate; });
    controller.SetWwDisplayUnits(
        ui.radioButton_Wavelength->isChecked() ? units::kMicrons : units::kWavenumber, rateUnit);
    WritePreferences();
    // Older firmware has no trigger pulse width to write.
    if (controller.ControllerFirmware().AtLeast(1, 8, 13) &&
        !controller.ReadWriteWlTrigPulseWidth(true))
        dialogs.Information(window, tr("Error saving WL Trig Pulse Width."));
    if (!controller.ReadWriteLaserParams(true))
        dialogs.Information(window, tr("Error saving laser parameters."));
    else if (!controller.ReadWriteLaserQclParams(true))
        dialogs.Information(window, tr("Error saving QCL parameters."));
    shell_.LaserModesSaved();
    const int shown = shownQcl_;
    shownQcl_ = -1;
    if (shown >= 0)
        LoadQcl(shown);
    shell_.SaveSettings();
}

void SettingsPage::ShowWavelengthIndicator() {
    const int index = ui.comboBox_laserParamQCLs->currentIndex();
    if (index < 0)
        return;
    KTarvexController& controller = shell_.Controller();
    const auto slot = static_cast<std::uint8_t>(index + 1);
    if (!controller.ReadTestQclInfo(slot))
        return;
    const auto [info, qcl] = controller.ReadCache([index](const LaserCache& c) {
        return std::pair(c.testQclInfo[index], c.adminQcl[index]);
    });
    const float actual = info.actual_ww_unit == qcl.ww_unit || info.actual_ww_unit == 0
                             ? info.actual_ww
                             : units::Convert(info.actual_ww);
    // A module without a range has no place in it to show.
    if (qcl.max_ww == qcl.min_ww) {
        ui.label_wavelengthIndicatorValue->setText(tr("N/A"));
        return;
    }
    const double percent =
        static_cast<double>((actual - qcl.min_ww) / (qcl.max_ww - qcl.min_ww)) * 100.0;
    ui.label_wavelengthIndicatorValue->setText(QString::number(percent, 'f', 2) +
                                               QStringLiteral(" %"));
}

} // namespace tarvex::panel
