#pragma once

#include "FormPage.h"
#include "ui_AboutPage.h"

namespace tarvex::panel {

// page_status, the About page: the laser's identity and each QCL's limits.
class AboutPage final : public FormPage<Ui::AboutPage> {
    Q_OBJECT
public:
    AboutPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;
    void Opening() override;

public Q_SLOTS:
    void comboBoxQCLsIndexChanged(int index);

private:
    void FillIdentity();
};

} // namespace tarvex::panel
