#pragma once

#include "Lamps.h"

#include <QFrame>

#include <cstdint>
#include <memory>

class QAbstractButton;

namespace Ui {
class StatusFrame;
}

namespace tarvex::panel {

struct StatusView;

// The always-visible status frame (frame_LaserStatus): wavelength, active QCL, lamps, the arm,
// emission/scan and pointer buttons, the temperature table and the fault row. It draws what it
// is given; the main window decides what the page-dependent parts show and owns the buttons'
// slots.
class StatusFrame final : public QFrame {
    Q_OBJECT
public:
    explicit StatusFrame(QWidget* parent = nullptr);
    ~StatusFrame() override;

    // Everything that follows from the cache alone: light, active QCL, lamps, arm and pointer
    // buttons, temperature table and system temperatures.
    void Show(const StatusView& view);

    enum class EmissionKind { Hidden, Emission, Scan };
    // Hidden; the emission button (`on`: emission is on); or the scan button (`on`: a scan is in
    // progress).
    void ShowEmissionButton(EmissionKind kind, bool enabled, bool on);
    void SetEmissionButtonEnabled(bool enabled);

    void HideFault();
    void ShowFault(std::uint16_t code);
    void SetFaultLamp(Lamp lamp);

    QAbstractButton* ArmButton() const;
    QAbstractButton* EmissionButton() const;
    QAbstractButton* PointerButton() const;
    QAbstractButton* ClearFaultButton() const;
    QAbstractButton* ShowErrorsButton() const;
    QAbstractButton* PowerOffButton() const;

private:
    void ShowLight(const StatusView& view);
    void ShowActiveQcl(const StatusView& view);
    void ShowLamps(const StatusView& view);
    void ShowPointer(const StatusView& view);
    void ShowTemperatureTable(const StatusView& view);
    void ShowSystemTemperatures(const StatusView& view);

    std::unique_ptr<Ui::StatusFrame> ui_;
};

} // namespace tarvex::panel
