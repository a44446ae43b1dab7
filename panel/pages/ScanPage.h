#pragma once

#include "FormPage.h"
#include "PanelShell.h"
#include "ui_ScanPage.h"

#include <cstdint>
#include <optional>

namespace tarvex {
struct ScanStatus;
}

namespace tarvex::panel {

struct StatusView;

// page_scan, the Scan page: runs sweep, step-and-measure and multi-spectral scans. The status
// timer follows a running scan through FollowScan.
class ScanPage final : public FormPage<Ui::ScanPage> {
    Q_OBJECT
public:
    ScanPage(PanelShell& shell, QWidget* parent);

    void InitializeUI() override;

    QTableWidget& TuningRangeTable() { return *ui.tableWidget_scanTuningRanges; }
    // The unit chosen on a scan mode's page (0 sweep, 1 step and measure, 2 multi-spectral).
    std::uint8_t ModeUnit(int mode) const;
    // The range text and the QCLs' ranges in `unit`.
    void RebuildRange(std::uint8_t unit);

    // One status tick of a running scan; true once the laser reports it no longer in progress,
    // when the page has been made ready for the next scan.
    bool FollowScan(PendingOperation scan, const ScanStatus& status, const StatusView& view);

public Q_SLOTS:
    void currentScanModeIndexChanged(int index);
    // Until the scan modes' pages carry their fields, a scan runs with the settings the laser
    // holds for the chosen mode.
    void buttonClickedStartScan();
    void buttonClickedStopScan();

private:
    void ShowProgress(PendingOperation scan, const ScanStatus& status, const StatusView& view);
    void ShowScanEnded(PendingOperation scan);
    QComboBox* UnitChooser(int mode) const;
    // Starts the chosen mode's scan; nothing (the operator told why) when it cannot start.
    std::optional<PendingOperation> StartChosenScan();
};

} // namespace tarvex::panel
