#pragma once

#include "FormPage.h"
#include "ui_FactoryPage.h"

namespace tarvex::panel {

// page_manufacturing, in manufacturing mode only: the laser's identity and each QCL's limits,
// all of them (scan rate and dwell time too).
class FactoryPage final : public FormPage<Ui::FactoryPage> {
    Q_OBJECT
public:
    FactoryPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;
    void Opening() override;

public Q_SLOTS:
    void comboBoxQCLManufacturingIndexChanged(int index);
    // The limits are read-only here: applying them does nothing.
    void buttonClickedApplyFactorySettings() {}
};

} // namespace tarvex::panel
