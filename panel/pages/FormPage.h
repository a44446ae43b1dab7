#pragma once

#include "PanelPage.h"

namespace tarvex::panel {

// A page built from its own form (`Form` is the uic class of the page's .ui file).
template <typename Form> class FormPage : public PanelPage {
public:
    FormPage(PanelShell& shell, QWidget* parent) : PanelPage(shell, parent) { ui.setupUi(this); }

protected:
    Form ui;
};

} // namespace tarvex::panel
