#pragma once

#include "FormPage.h"
#include "ui_GalvoPage.h"

#include <array>

class QSpinBox;

namespace tarvex::panel {

// page_GalvoSettings, with "-galvo" only: drives the four galvos to DAC counts and stores the
// positions in the laser's system configuration.
class GalvoPage final : public FormPage<Ui::GalvoPage> {
    Q_OBJECT
public:
    GalvoPage(PanelShell& shell, QWidget* parent);

    // Reads the galvos' present counts into the spin boxes.
    void Opening() override;

public Q_SLOTS:
    void Galvo1ValueChanged(int value);
    void Galvo2ValueChanged(int value);
    void Galvo3ValueChanged(int value);
    void Galvo4ValueChanged(int value);
    void buttonSaveGalvoPositionsClicked();

private:
    void MoveGalvo(int galvo, int value);

    std::array<QSpinBox*, 4> spinBoxes_;
};

} // namespace tarvex::panel
