#pragma once

#include "FormPage.h"
#include "ui_CommSettingsPage.h"

namespace tarvex::panel {

// page_transportSettings: the transport choice, the UDP address and the laser's own IP settings.
class CommSettingsPage final : public FormPage<Ui::CommSettingsPage> {
public:
    using FormPage::FormPage;
};

} // namespace tarvex::panel
