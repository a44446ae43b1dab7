#pragma once

#include "FormPage.h"
#include "KTarvexController.h"
#include "ui_AboutPage.h"

#include <string>

namespace tarvex::panel {

// page_status, the About page: the laser's identity, each QCL's limits, and the maintenance
// transfers (firmware update, configuration export and import; AboutPageTransfers.cpp).
class AboutPage final : public FormPage<Ui::AboutPage> {
    Q_OBJECT
public:
    AboutPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;
    void Opening() override;

public Q_SLOTS:
    void comboBoxQCLsIndexChanged(int index);
    void buttonClickedUpdateFirmware();
    void commandLinkButton_ExportConfigClicked();
    void commandLinkButton_ImportConfigClicked();

private:
    struct ConfigTransfer {
        const char* armedText; // the refusal while the laser is armed
        const char* caption;   // of the file dialog
        const char* label;     // of the progress dialog
        bool (KTarvexController::*run)(const std::filesystem::path&,
                                       const KTarvexController::TransferProgress&, std::string*);
    };

    enum class Transfer { NotStarted, Succeeded, Failed };

    void FillIdentity();
    // A configuration export or import up to its outcome; it does not start while the laser is
    // armed or when the file dialog is cancelled. `why` receives the reason of a failure.
    Transfer TransferConfiguration(const ConfigTransfer& transfer, std::string& why);
};

} // namespace tarvex::panel
