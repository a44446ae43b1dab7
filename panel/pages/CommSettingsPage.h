#pragma once

#include "FormPage.h"
#include "ui_CommSettingsPage.h"

#include <cstdint>
#include <optional>

namespace tarvex::panel {

// page_transportSettings: the transport the panel connects with from its next start, the UDP
// address it then uses, and the laser's own IP settings (written into the laser at once).
class CommSettingsPage final : public FormPage<Ui::CommSettingsPage> {
    Q_OBJECT
public:
    CommSettingsPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;
    void Opening() override;

public Q_SLOTS:
    void comboBox_useTransportIndexChanged(int index);
    void commandLinkButton_SaveIPInfoClicked();
    void commandLinkButton_ProvisionIPClicked();

private:
    // The address or port a field holds; a field that holds none is refused with a message.
    std::optional<std::uint32_t> ParseAddress(QLineEdit& field);
    std::optional<std::uint16_t> ParsePort(QLineEdit& field);
    void Refuse(QLineEdit& field, const QString& text);

    // The restart message is shown once per run.
    bool restartTold_ = false;
};

} // namespace tarvex::panel
