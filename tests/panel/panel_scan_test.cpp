// The Scan page on the real main window: the modes' fields and units, the multi-spectral element
// list, the refusals before a start, and scans followed on simulated time from their start to
// their end.
#include "PanelRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;
using Kind = RecordingDialogs::Kind;

namespace {

// The scan modes in the order of the mode chooser.
constexpr int kSweep = 0;
constexpr int kStepMeasure = 1;
constexpr int kMultiSpectral = 2;

void ChooseMode(PanelRig& rig, int mode) {
    rig.Find<QComboBox>("comboBox_scanmodes")->setCurrentIndex(mode);
}

std::size_t ScanStarts(PanelRig& rig) {
    return rig.laser.Executed(scan_mode::kCmd);
}

} // namespace

class PanelScanTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sweepFieldsFollowTheirUnit() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Scan");
        auto* unit = rig.Find<QComboBox>("comboBox_SweepModeUnits");
        auto* start = rig.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeStart");
        auto* stop = rig.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeStop");
        unit->setCurrentText("\u00b5m");
        QCOMPARE(rig.Text("label_SweepModeScanSpeed"), QString("Scan speed (\u00b5m/s):"));
        start->setValue(5.0);
        stop->setValue(4.3);
        unit->setCurrentText("cm-1");
        QCOMPARE(start->value(), 2000.0);
        QCOMPARE(stop->value(), 2325.5);
        QCOMPARE(start->decimals(), 1);
        QCOMPARE(rig.Text("label_SweepModeScanSpeed"), QString("Scan speed (cm-1/s):"));
        QVERIFY(rig.Text("label_ScanRange").endsWith("  cm-1"));
        rig.Click("toolButton_SweepSwapStartStop");
        QCOMPARE(start->value(), 2325.5);
        QCOMPARE(stop->value(), 2000.0);

        // The number of scans and its "infinite" box drive each other.
        auto* count = rig.Find<QSpinBox>("spinBox_SweepModeNumberOfScans");
        auto* infinite = rig.Find<QCheckBox>("checkBox_SweepModeNumberOfScansInfinite");
        count->setValue(0);
        QVERIFY(infinite->isChecked());
        QVERIFY(!count->isEnabled());
        infinite->setChecked(false);
        QCOMPARE(count->value(), 1);
        QVERIFY(count->isEnabled());
    }

    void elementListHoldsTwentyDistinctValues() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Scan");
        ChooseMode(rig, kMultiSpectral);
        rig.Find<QComboBox>("comboBox_MultiSpectralModeUnits")->setCurrentText("cm-1");
        QCOMPARE(rig.Text("label_MultiSpectralModeWW"), QString("Wavenumber:"));
        auto* list = rig.Find<QTableWidget>("tableWidget_MultiSpectralModeElements");
        QCOMPARE(list->horizontalHeaderItem(0)->text(), QString("Wave\nnumber"));
        list->setRowCount(0);
        auto* value = rig.Find<QDoubleSpinBox>("doubleSpinBox_MultiSpectralModeWW");
        auto* add = rig.Find<QPushButton>("pushButton_AddMultiSpectralModeElement");
        auto* remove = rig.Find<QPushButton>("pushButton_RemoveMultiSpectralModeElement");
        for (int i = 0; i < 19; ++i) {
            value->setValue(1500.0 + i);
            rig.Click("pushButton_AddMultiSpectralModeElement");
        }
        QVERIFY(add->isEnabled());
        value->setValue(1503.0);
        rig.Click("pushButton_AddMultiSpectralModeElement");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>{"This wavelength/wavenumber is already in the list."});
        QCOMPARE(list->rowCount(), 19);
        value->setValue(1600.0);
        rig.Click("pushButton_AddMultiSpectralModeElement");
        QCOMPARE(list->rowCount(), 20);
        QVERIFY(!add->isEnabled());

        QVERIFY(!remove->isEnabled());
        list->selectRow(3);
        QVERIFY(remove->isEnabled());
        rig.Click("pushButton_RemoveMultiSpectralModeElement");
        QCOMPARE(list->rowCount(), 19);
        QCOMPARE(list->item(3, 0)->text(), QString("1504.0"));
        QVERIFY(add->isEnabled());

        // The listed values follow the unit.
        rig.Find<QComboBox>("comboBox_MultiSpectralModeUnits")->setCurrentText("\u00b5m");
        QCOMPARE(list->item(0, 0)->text(), QString("6.67"));
        QCOMPARE(list->horizontalHeaderItem(0)->text(), QString("Wave\nlength"));
    }

    // Starts that would send a bad scan are refused before anything is sent; a good sweep is
    // followed to its end.
    void sweepFollowedToItsEnd() {
        PanelRig rig;
        rig.Start();
        rig.Arm();
        rig.Click("cmdLinkButton_Scan");
        const std::size_t before = ScanStarts(rig);
        // The fields' minimums keep a zero out; the check stands behind them.
        auto* speed = rig.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeScanSpeed");
        speed->setMinimum(0);
        speed->setValue(0);
        rig.Click("cmdLinkButton_StartScan");
        ChooseMode(rig, kStepMeasure);
        auto* step = rig.Find<QDoubleSpinBox>("doubleSpinBox_StepMeasureModeStepSize");
        step->setMinimum(0);
        step->setValue(0);
        rig.Click("cmdLinkButton_StartScan");
        ChooseMode(rig, kMultiSpectral);
        rig.Find<QTableWidget>("tableWidget_MultiSpectralModeElements")->setRowCount(0);
        rig.Click("cmdLinkButton_StartScan");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 (std::vector<QString>{"Invalid scan speed value.", "Invalid step size.",
                                       "No Wavenumber/Wavelength specified."}));
        QCOMPARE(ScanStarts(rig), before);
        QCOMPARE(rig.window->Pending(), PendingOperation::None);

        rig.dialogs.Clear();
        ChooseMode(rig, kSweep);
        rig.Find<QComboBox>("comboBox_SweepModeUnits")->setCurrentText("cm-1");
        rig.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeStart")->setValue(1700.0);
        rig.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeStop")->setValue(1750.0);
        speed->setValue(25.0);
        rig.Find<QSpinBox>("spinBox_SweepModeNumberOfScans")->setValue(2);
        rig.Find<QCheckBox>("checkBox_sweepModeBiDirectional")->setChecked(true);
        rig.Find<QTableWidget>("tableWidget_scanTuningRanges")->cellClicked(0, 1);

        rig.Click("cmdLinkButton_StartScan");
        QCOMPARE(rig.window->Pending(), PendingOperation::SweepScan);
        const SweepModeParams sent =
            rig.laser.Inspect([](const sim::SimState& s) { return s.scan.sweep; });
        QCOMPARE(sent.scan_start_ww, 1700.0f);
        QCOMPARE(sent.scan_stop_ww, 1750.0f);
        QCOMPARE(sent.scan_speed, 25.0f);
        QCOMPARE(sent.scan_start_unit, units::kWavenumber);
        QCOMPARE(sent.num_scans, 2);
        QCOMPARE(sent.bidirectional, 1);
        QCOMPARE(sent.qcl, 2);
        QCOMPARE(rig.Find<QGroupBox>("groupBox_ScanSettings")->title(), QString("Scan Status"));
        for (const char* disabled : {"cmdLinkButton_StartScan", "comboBox_scanmodes",
                                     "cmdLinkButton_Manual", "commandLinkButton_Favorites"})
            QVERIFY2(!rig.Find<QWidget>(disabled)->isEnabled(), disabled);

        QVERIFY(rig.TickUntil([&] { return rig.Text("label_ScanRange") == "Scan Active ..."; }));
        QCOMPARE(rig.Text("label_CurrentScanNumberValue"), QString("1 of 2"));
        QVERIFY(rig.Text("label_CurrentScanWWValue").endsWith(" \u00b5m"));
        QVERIFY(rig.Text("label_CurrentScanWaveNumberValue").endsWith(" cm-1"));
        QCOMPARE(rig.Text("commandLinkButton_LaserOn"), QString("STOP SCAN"));
        // The extended table follows the readbacks while the scan runs.
        rig.Click("cmdLinkButton_ExtendedInfo");
        rig.Tick();
        QCOMPARE(rig.Find<QTableWidget>("tableWidget_ExtendedStatus")->columnCount(), 5);
        QVERIFY(
            !rig.Find<QTableWidget>("tableWidget_ExtendedStatus")->item(1, 0)->text().isEmpty());

        QVERIFY(rig.TickUntil([&] { return rig.window->Pending() == PendingOperation::None; }));
        QCOMPARE(rig.Find<QGroupBox>("groupBox_ScanSettings")->title(), QString("Scan Settings"));
        QCOMPARE(rig.Find<QProgressBar>("progressBar_ScanProgress")->value(), 100);
        QCOMPARE(rig.Text("label_CurrentScanNumberValue"), QString());
        QCOMPARE(rig.Text("commandLinkButton_LaserOn"), QString("START SCAN"));
        for (const char* enabled : {"cmdLinkButton_StartScan", "comboBox_scanmodes",
                                    "cmdLinkButton_Manual", "commandLinkButton_Favorites"})
            QVERIFY2(rig.Find<QWidget>(enabled)->isEnabled(), enabled);
        QVERIFY(!rig.Find<QWidget>("cmdLinkButton_StopScan")->isEnabled());
        QCOMPARE(
            rig.Find<QStackedWidget>("stackedWidget_mode_params")->currentWidget()->objectName(),
            QString("page_sweep_mode"));
        QVERIFY(rig.dialogs.messages.empty());
    }

    void infiniteMultiSpectralPausedResumedAndStopped() {
        PanelRig rig;
        rig.Start();
        rig.Arm();
        rig.Click("cmdLinkButton_Scan");
        ChooseMode(rig, kMultiSpectral);
        rig.Find<QComboBox>("comboBox_MultiSpectralModeUnits")->setCurrentText("cm-1");
        rig.Find<QTableWidget>("tableWidget_MultiSpectralModeElements")->setRowCount(0);
        for (const double wavenumber : {1600.0, 1700.0}) {
            rig.Find<QDoubleSpinBox>("doubleSpinBox_MultiSpectralModeWW")->setValue(wavenumber);
            rig.Find<QDoubleSpinBox>("doubleSpinBox_MultiSpectralModeDwellTime")->setValue(250);
            rig.Click("pushButton_AddMultiSpectralModeElement");
        }
        rig.Find<QCheckBox>("checkBox_MultiSpectralModeNumberOfScansInfinite")->setChecked(true);
        rig.Click("cmdLinkButton_StartScan");
        QCOMPARE(rig.window->Pending(), PendingOperation::MultiSpectralScan);
        const MultiSpectralParams sent =
            rig.laser.Inspect([](const sim::SimState& s) { return s.scan.multiSpectral; });
        QCOMPARE(sent.num_ww, 2);
        QCOMPARE(sent.num_scans, 0);
        QCOMPARE(sent.elements[1].scan_ww, 1700.0f);
        QCOMPARE(sent.elements[1].dwell_time, 250000u);
        QVERIFY(rig.TickUntil([&] { return rig.Text("label_ScanRange") == "Scan Active ..."; }));
        QVERIFY(rig.Text("label_CurrentScanNumberValue").endsWith(" of (infinite)"));

        rig.Click("cmdLinkButton_PauseScan");
        QCOMPARE(rig.Text("cmdLinkButton_PauseScan"), QString("Resume Scan"));
        QVERIFY(rig.laser.Inspect([](const sim::SimState& s) { return s.scan.paused; }));
        rig.Click("cmdLinkButton_PauseScan");
        QCOMPARE(rig.Text("cmdLinkButton_PauseScan"), QString("Pause Scan"));
        QVERIFY(!rig.laser.Inspect([](const sim::SimState& s) { return s.scan.paused; }));

        rig.Click("commandLinkButton_ViewScanSettings");
        const auto* settings = rig.Find<QTableWidget>("tableWidget_ExtendedStatus");
        QCOMPARE(settings->rowCount(), 2);
        QCOMPARE(settings->horizontalHeaderItem(0)->text(), QString("Wavenumber"));
        QCOMPARE(settings->item(0, 3)->text(), QString("Infinite"));
        rig.Click("cmdLinkButton_StopScan");
        QVERIFY(rig.TickUntil([&] { return rig.window->Pending() == PendingOperation::None; }));
        QVERIFY(
            rig.Find<QCheckBox>("checkBox_MultiSpectralModeNumberOfScansInfinite")->isChecked());
    }
};

TARVEX_PANEL_TEST_MAIN(PanelScanTest)
#include "panel_scan_test.moc"
