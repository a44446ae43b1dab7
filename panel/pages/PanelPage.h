#pragma once

#include <QWidget>

namespace tarvex::panel {

class PanelShell;

// One page of the main window's stack. Each page is a class of its own with its own form, and
// reaches the controller, the dialogs and the status timer only through the shell.
class PanelPage : public QWidget {
    Q_OBJECT
public:
    PanelPage(PanelShell& shell, QWidget* parent) : QWidget(parent), shell_(shell) {}

    // Fills the page from the controller's cache once the laser is connected (and again after a
    // favourite is recalled).
    virtual void InitializeUI() {}
    // The page's navigation button was clicked and the page is about to be shown.
    virtual void Opening() {}

protected:
    PanelShell& shell_;
};

} // namespace tarvex::panel
