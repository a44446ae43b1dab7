#include "FactoryPage.h"

#include "KTarvexController.h"
#include "LaserInfo.h"
#include "PanelShell.h"

namespace tarvex::panel {

FactoryPage::FactoryPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_qcl_manufacturing, &QComboBox::currentIndexChanged, this,
            &FactoryPage::comboBoxQCLManufacturingIndexChanged);
    connect(ui.cmdLinkButton_ApplySettings, &QAbstractButton::clicked, this,
            &FactoryPage::buttonClickedApplyFactorySettings);
}

void FactoryPage::InitializeUI() {
    FillQclChooser(*ui.comboBox_qcl_manufacturing, shell_.Controller().InstalledQcls());
}

void FactoryPage::Opening() {
    const KTarvexController& controller = shell_.Controller();
    const LaserCache c = controller.Snapshot();
    ui.label_FactoryMfgDateValue->setText(MfgDateText(c));
    ui.label_FactoryModelNumberValue->setText(QString::fromStdString(controller.ModelNumber()));
    ui.label_FactorySerialNumValue->setText(QString::fromStdString(controller.SerialNumber()));
    ui.label_FactoryHoursOfOperationValue->setText(HoursText(c));
    // The controller's software is its firmware.
    ui.label_FactorySoftwareVersionValue->setText(VersionText(c.firmware));
    ui.label_FactoryFirmwareVerValue->setText(VersionText(c.firmware));
    InitializeUI();
    ui.comboBox_qcl_manufacturing->setCurrentIndex(-1);
    ui.comboBox_qcl_manufacturing->setCurrentIndex(0);
}

void FactoryPage::comboBoxQCLManufacturingIndexChanged(int index) {
    ShowQclLimits({ui.label_FactoryQclSerialNumValue, ui.lineEdit_FactoryMinCurrent,
                   ui.lineEdit_FactoryMaxCurrent,     ui.lineEdit_FactoryMinCwCurrent,
                   ui.lineEdit_FactoryMaxCwCurrent,   ui.lineEdit_FactoryMinTemperature,
                   ui.lineEdit_FactoryMaxTemperature, ui.lineEdit_FactoryMinPulseRate,
                   ui.lineEdit_FactoryMaxPulseRate,   ui.label_FactoryPulseRateUnit,
                   ui.lineEdit_FactoryMinPulseWidth,  ui.lineEdit_FactoryMaxPulseWidth,
                   ui.label_FactoryPulseWidthUnit,    ui.lineEdit_FactoryMinDutyCycle,
                   ui.lineEdit_FactoryMaxDutyCycle,   ui.lineEdit_FactoryMinScanRate,
                   ui.lineEdit_FactoryMaxScanRate,    ui.lineEdit_FactoryMinDwellTime,
                   ui.lineEdit_FactoryMaxDwellTime,   ui.lineEdit_FactoryMinTuningRange,
                   ui.lineEdit_FactoryMaxTuningRange, ui.label_FactoryTuningRangeUnit},
                  shell_.Controller().Snapshot(), index, shell_.Texts());
}

} // namespace tarvex::panel
