#pragma once

#include "FormPage.h"
#include "ui_FactoryPage.h"

namespace tarvex::panel {

// page_manufacturing: the factory identity and QCL limits, in manufacturing mode only.
class FactoryPage final : public FormPage<Ui::FactoryPage> {
public:
    using FormPage::FormPage;
};

} // namespace tarvex::panel
