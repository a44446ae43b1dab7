#pragma once

#include "FormPage.h"
#include "ui_ContactUsPage.h"

namespace tarvex::panel {

// page_contactus: who to ask for help; the text is the form's.
class ContactUsPage final : public FormPage<Ui::ContactUsPage> {
public:
    using FormPage::FormPage;
};

} // namespace tarvex::panel
