#include "GalvoPage.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "PanelShell.h"
#include "PanelTrace.h"
#include "control/SystemSettings.h"

#include <QApplication>
#include <QSignalBlocker>

#include <algorithm>

namespace tarvex::panel {

namespace {

// The wait cursor while the laser is busy with a request.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

GalvoPage::GalvoPage(PanelShell& shell, QWidget* parent)
    : FormPage(shell, parent), spinBoxes_{ui.spinBox_Galvo1, ui.spinBox_Galvo2, ui.spinBox_Galvo3,
                                          ui.spinBox_Galvo4} {
    using Slot = void (GalvoPage::*)(int);
    const Slot handlers[] = {&GalvoPage::Galvo1ValueChanged, &GalvoPage::Galvo2ValueChanged,
                             &GalvoPage::Galvo3ValueChanged, &GalvoPage::Galvo4ValueChanged};
    for (std::size_t i = 0; i < spinBoxes_.size(); ++i)
        connect(spinBoxes_[i], &QSpinBox::valueChanged, this, handlers[i]);
    connect(ui.pushButton_SaveGalvoPositions, &QAbstractButton::clicked, this,
            &GalvoPage::buttonSaveGalvoPositionsClicked);
}

void GalvoPage::Opening() {
    KTarvexController& controller = shell_.Controller();
    controller.ReadAllTestGalvoParams();
    const auto galvos = controller.ReadCache([](const LaserCache& c) { return c.testGalvo; });
    for (std::size_t i = 0; i < spinBoxes_.size(); ++i) {
        // Showing what the galvo holds is no order to move it.
        const QSignalBlocker quiet(spinBoxes_[i]);
        spinBoxes_[i]->setValue(std::clamp(galvos[i].dac_count, 0, spinBoxes_[i]->maximum()));
    }
}

void GalvoPage::Galvo1ValueChanged(int value) {
    MoveGalvo(1, value);
}
void GalvoPage::Galvo2ValueChanged(int value) {
    MoveGalvo(2, value);
}
void GalvoPage::Galvo3ValueChanged(int value) {
    MoveGalvo(3, value);
}
void GalvoPage::Galvo4ValueChanged(int value) {
    MoveGalvo(4, value);
}

void GalvoPage::MoveGalvo(int galvo, int value) {
    if (!shell_.UiReady())
        return;
    shell_.Controller().SetTestGalvo(static_cast<std::uint8_t>(galvo), value);
}

void GalvoPage::buttonSaveGalvoPositionsClicked() {
    qCDebug(lcPanel, "MainWindow::buttonSaveGalvoPositionsClicked");
    control::GalvoPositions positions{};
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = static_cast<std::uint16_t>(spinBoxes_[i]->value());
    control::GalvoStoreResult result;
    {
        const WaitCursor wait;
        result = control::StoreGalvoPositions(shell_.Controller(), positions);
    }
    const char* text = nullptr;
    switch (result) {
    case control::GalvoStoreResult::ReadFailed:
        text = QT_TR_NOOP("Failed to read system configuration.");
        break;
    case control::GalvoStoreResult::WriteFailed:
        text = QT_TR_NOOP("Failed to write system configuration.");
        break;
    case control::GalvoStoreResult::Stored:
        text = QT_TR_NOOP("All channels are now inactive.  If the laser is armed, please disarm "
                          "the laser and arm it again.");
        break;
    }
    shell_.Dialogs().Warning(shell_.Window(), tr(text));
}

} // namespace tarvex::panel
