#pragma once

#include "FormPage.h"
#include "ui_GalvoPage.h"

namespace tarvex::panel {

// page_GalvoSettings: the galvo positions, with "-galvo" only.
class GalvoPage final : public FormPage<Ui::GalvoPage> {
public:
    using FormPage::FormPage;
};

} // namespace tarvex::panel
