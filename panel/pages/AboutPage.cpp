#include "AboutPage.h"

#include "KTarvexController.h"
#include "LaserInfo.h"
#include "PanelShell.h"
#include "Widgets.h"
#include "files/FirmwareUpdater.h"

namespace tarvex::panel {

namespace {

// A 16-bit version as "high.low".
QString ShortVersion(std::uint16_t v) {
    return QStringLiteral("%1.%2").arg(v >> 8).arg(v & 0xFF);
}

} // namespace

AboutPage::AboutPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_QCLs, &QComboBox::currentIndexChanged, this,
            &AboutPage::comboBoxQCLsIndexChanged);
    connect(ui.commandLinkButton_UpdateFirmware, &QAbstractButton::clicked, this,
            &AboutPage::buttonClickedUpdateFirmware);
    connect(ui.commandLinkButton_ExportConfig, &QAbstractButton::clicked, this,
            &AboutPage::commandLinkButton_ExportConfigClicked);
    connect(ui.commandLinkButton_ImportConfig, &QAbstractButton::clicked, this,
            &AboutPage::commandLinkButton_ImportConfigClicked);
}

void AboutPage::InitializeUI() {
    // Scan rate and dwell time limits are service information: their rows stay hidden.
    SetVisible({ui.label_ScanRate, ui.lineEdit_MinScanRate, ui.lineEdit_MaxScanRate,
                ui.label_ScanRateUnit, ui.label_DwellTime, ui.lineEdit_MinDwellTime,
                ui.lineEdit_MaxDwellTime, ui.label_DwellTimeUnit},
               false);
    FillIdentity();
    FillQclChooser(*ui.comboBox_QCLs, shell_.Controller().InstalledQcls());
}

void AboutPage::Opening() {
    // The controller board's image goes over the link as raw frames, which UDP does not carry.
    ui.commandLinkButton_UpdateFirmware->setEnabled(
        FirmwareUpdater::LinkCarriesUpdates(shell_.Controller().GetTransportType()));
    FillIdentity();
    // Through "no QCL", so that the box is refilled even when QCL 1 was shown already.
    ui.comboBox_QCLs->setCurrentIndex(-1);
    ui.comboBox_QCLs->setCurrentIndex(0);
}

void AboutPage::FillIdentity() {
    const KTarvexController& controller = shell_.Controller();
    const LaserCache c = controller.Snapshot();
    ui.label_MfgDateValue->setText(MfgDateText(c));
    ui.label_ModelNumberValue->setText(QString::fromStdString(controller.ModelNumber()));
    ui.label_SerialNumberValue->setText(QString::fromStdString(controller.SerialNumber()));
    ui.label_SoftwareVersionValue->setText(QCoreApplication::applicationVersion());
    ui.label_FirmwareVersionValue->setText(VersionText(c.firmware));
    ui.label_HoursOfOperationValue->setText(HoursText(c));
    ui.label_motionModelTypeValue->setText(QString::number(c.admin.motionModuleType));
    // Controllers from 1.7.15 on report the motion board's own version.
    ui.label_motionFirmwareVersionValue->setText(c.firmware.AtLeast(1, 7, 15)
                                                     ? VersionText(c.motionFirmware)
                                                     : ShortVersion(c.admin.motionFirmwareVersion));
    ui.label_motionHardwareVersionValue->setText(ShortVersion(c.admin.motionHardwareVersion));
}

void AboutPage::comboBoxQCLsIndexChanged(int index) {
    ShowQclLimits({ui.label_ModelSerialNumberValue, ui.lineEdit_MinDriveCurrent,
                   ui.lineEdit_MaxDriveCurrent,     ui.lineEdit_MinDriveCwCurrent,
                   ui.lineEdit_MaxDriveCwCurrent,   ui.lineEdit_MinTemperature,
                   ui.lineEdit_MaxTemperature,      ui.lineEdit_MinPulseRate,
                   ui.lineEdit_MaxPulseRate,        ui.label_PulseRateUnit,
                   ui.lineEdit_MinPulseWidth,       ui.lineEdit_MaxPulseWidth,
                   ui.label_PulseWidthUnit,         ui.lineEdit_MinDutyCycle,
                   ui.lineEdit_MaxDutyCycle,        ui.lineEdit_MinScanRate,
                   ui.lineEdit_MaxScanRate,         ui.lineEdit_MinDwellTime,
                   ui.lineEdit_MaxDwellTime,        ui.lineEdit_MinTuningRange,
                   ui.lineEdit_MaxTuningRange,      ui.label_TuningRangeUnit},
                  shell_.Controller().Snapshot(), index, shell_.Texts());
}

} // namespace tarvex::panel
