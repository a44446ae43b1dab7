// The status timer and the status frame on the real main window: lamps, labels, the temperature
// table, faults, the arm, emission, pointer and scan buttons, and the operations the timer
// follows.
#include "PanelRig.h"
#include "support/SimRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QTableWidget>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;
using Kind = RecordingDialogs::Kind;

namespace {

const QString kInterlockText = QStringLiteral(
    "Please make sure Interlock is in place and keyswitch is on and retry this operation.");
const QString kArmText = QStringLiteral("Please ARM the laser prior to trying this operation.");

QColor Background(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->background().color() : QColor();
}

// Records what the status display hands to the fault log.
class CountingFaultLog final : public FaultLogHook {
public:
    explicit CountingFaultLog(int& saves) : saves_(saves) {}
    void SaveSystemErrors() override { ++saves_; }
    void ShowLog(QWidget*) override {}

private:
    int& saves_;
};

} // namespace

class PanelStatusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lampsAndLabelsThroughArmTuneAndEmission() {
        PanelRig rig;
        rig.Start();
        rig.Tick();
        QVERIFY(rig.Shows("label_InterlockStatusLED", Lamp::On));
        QVERIFY(rig.Shows("label_KeySwitchedStatusLED", Lamp::On));
        QVERIFY(rig.Shows("label_EmissionStatusLED", Lamp::Off));
        QCOMPARE(rig.Text("commandLinkButton_ArmDisarm"), QString("ARM LASER"));
        QVERIFY(!rig.Find<QWidget>("commandLinkButton_LaserOn")->isEnabled());

        rig.Click("commandLinkButton_ArmDisarm");
        QCOMPARE(rig.dialogs.progressOpen, 1);
        QCOMPARE(rig.dialogs.progressLabels.back(), QString("Please wait while LASER is armed..."));
        QVERIFY(rig.TickUntil([&] { return rig.dialogs.progressOpen == 0; }));
        QCOMPARE(rig.window->Pending(), PendingOperation::None);
        QCOMPARE(rig.Text("commandLinkButton_ArmDisarm"), QString("DISARM LASER"));
        QVERIFY(rig.Shows("commandLinkButton_ArmDisarm", Lamp::On));
        QVERIFY(rig.TickUntil([&] { return rig.Shows("label_TemperatureStatusLED", Lamp::On); }));

        // The Tune page's own button, in cm-1, beyond the laser's range: held to its end.
        rig.Find<QComboBox>("comboBox_tuneWW")->setCurrentText("cm-1");
        auto* value = rig.Find<QDoubleSpinBox>("doubleSpinBox_tuneWW");
        value->setValue(1650.0);
        rig.Controller().SetTunedQcl(2); // the preferred QCL, as the range table's click sets it
        rig.Click("commandLinkButton_tuneWW");
        QCOMPARE(rig.window->Pending(), PendingOperation::Tune);
        QVERIFY(!rig.Find<QWidget>("cmdLinkButton_General")->isEnabled());
        QVERIFY(rig.TickUntil([&] { return rig.Text("label_tuneWWStatus") == "Tuned!"; }));
        QCOMPARE(rig.Text("label_CurWWValue"), QString("1650.0"));
        QCOMPARE(rig.Text("label_CurrentWavelengthValue"), QString("6.06"));
        QCOMPARE(rig.Text("label_CurQclStatusValue"), QString("2"));
        QCOMPARE(rig.Text("label_ModeStatusValue"), QString("Pulsed"));
        QVERIFY(rig.Find<QWidget>("commandLinkButton_LaserOn")->isEnabled());

        rig.Click("commandLinkButton_LaserOn");
        rig.Tick();
        QVERIFY(rig.Shows("label_EmissionStatusLED", Lamp::On));
        QCOMPARE(rig.Text("commandLinkButton_LaserOn"), QString("TURN EMISSION OFF"));
        const auto* temps = rig.Find<QTableWidget>("tableWidget_TempActive");
        QCOMPARE(temps->item(1, 1)->text(), QString("Y"));
        QCOMPARE(Background(temps, 1, 1), QColor(Qt::green));
        QCOMPARE(temps->item(0, 1)->text(), QString("N"));
        const auto* ranges = rig.Find<QTableWidget>("tableWidget_TuneTuningRanges");
        QCOMPARE(Background(ranges, 0, 1), QColor(Qt::green));
        QCOMPARE(Background(ranges, 0, 0), QColor(Qt::white));

        // Switching off redraws at once.
        rig.Click("commandLinkButton_LaserOn");
        QCOMPARE(rig.Text("commandLinkButton_LaserOn"), QString("TURN EMISSION ON"));
        QVERIFY(rig.dialogs.messages.empty());
    }

    void valuesShowOnlyWhereTheyApply() {
        PanelRig rig;
        rig.Start();
        rig.Tick();
        for (const char* label :
             {"label_CurWWValue", "label_CurrentWavelengthValue", "label_CurQclStatusValue",
              "label_ModeStatusValue", "label_PulseRateStatusValue", "label_PulseWidthStatusValue",
              "label_CurrentStatusValue"})
            QCOMPARE(rig.Text(label), QString("N/A"));
        // Light without an active QCL: the wavelength shows, the QCL's values do not.
        rig.laser.Modify([](sim::SimState& s) { s.wavelengthMicrons = 5.0f; });
        rig.Tick();
        QCOMPARE(rig.Text("label_CurrentWavelengthValue"), QString("5.00"));
        QCOMPARE(rig.Text("label_CurWWValue"), QString("2000.0"));
        QCOMPARE(rig.Text("label_CurQclStatusValue"), QString("N/A"));
        // A wavenumber outside the laser's range is shown at the range's end.
        rig.laser.Modify([](sim::SimState& s) { s.wavelengthMicrons = 3.0f; });
        rig.Tick();
        QCOMPARE(rig.Text("label_CurWWValue"), QString("2381.0")); // 10000 / 4.2 um

        // Continuous-wave modes have no pulse values.
        const struct {
            std::uint8_t mode;
            const char* name;
        } modes[] = {{2, "CW"}, {3, "CW+Mod"}, {8, "CW Filter 1"}};
        for (const auto& m : modes) {
            rig.Controller().UpdateCache([&](LaserCache& c) {
                c.activeQcl = 1;
                c.qclParams[0].laserMode = m.mode;
                c.qclParams[0].current = 812.5f;
            });
            rig.window->RefreshStatusDisplay();
            QCOMPARE(rig.Text("label_ModeStatusValue"), QString(m.name));
            QCOMPARE(rig.Text("label_PulseRateStatusValue"), QString("N/A"));
            QCOMPARE(rig.Text("label_CurrentStatusValue"), QString("812.5"));
        }

        // A system temperature with its warning set shows red.
        rig.laser.SetTemperatureWarning(2, true);
        rig.Tick();
        QCOMPARE(rig.Find<QLabel>("label_CaseTemp2Value")->styleSheet(),
                 QString("QLabel { color : red; }"));
        QCOMPARE(rig.Find<QLabel>("label_CaseTempValue")->styleSheet(),
                 QString("QLabel { color : black; }"));
    }

    void temperatureTableOfATwoModuleLaser() {
        PanelRig rig(tarvex::test::LaserWithQcls(2));
        rig.laser.Modify([](sim::SimState& s) { s.qcl[0].params.temp += 3.0f; });
        rig.Start();
        rig.Tick();
        const auto* table = rig.Find<QTableWidget>("tableWidget_TempActive");
        for (int row = 2; row < 4; ++row)
            for (int column = 0; column < 4; ++column) {
                QCOMPARE(table->item(row, column)->text(), QString());
                QCOMPARE(Background(table, row, column), QColor(Qt::gray));
            }
        // Still settling from power-up towards the set point: gray, then yellow, then green.
        QCOMPARE(Background(table, 0, 0), QColor(Qt::gray));
        QVERIFY(rig.TickUntil([&] { return Background(table, 0, 0) == QColor(Qt::yellow); }));
        QVERIFY(rig.TickUntil([&] { return Background(table, 0, 0) == QColor(Qt::green); }));
        const LaserCache cache = rig.Controller().Snapshot();
        QCOMPARE(table->item(0, 0)->text(),
                 QString::number(static_cast<double>(cache.qclInfo[0].actual_temp), 'f', 3));
        QCOMPARE(table->item(1, 2)->text(), QString("350")); // holding current, mA
        QCOMPARE(table->item(1, 3)->text(),
                 QString::number(static_cast<double>(cache.tecMeas[1].voltage), 'f', 2));
        QCOMPARE(table->item(1, 1)->text(), QString("N"));
        // The tuning ranges of the missing modules are blank.
        const auto* ranges = rig.Find<QTableWidget>("tableWidget_scanTuningRanges");
        QVERIFY(!ranges->item(0, 1)->text().isEmpty());
        QCOMPARE(ranges->item(0, 3)->text(), QString());
    }

    void settingsPageReadsWhereTheWavelengthLiesInItsRange() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Settings");
        const std::size_t reads = rig.laser.Executed(TestQclInfo::kCmd);
        rig.window->Timeout();
        QCOMPARE(rig.laser.Executed(TestQclInfo::kCmd), reads + 1);
        QCOMPARE(rig.Text("label_wavelengthIndicatorValue"), QString("50.00 %")); // mid-range
    }

    void directQclControlsFollowTheActiveQclInManufacturingMode() {
        PanelRig rig;
        rig.Start({"-manufacturing"});
        rig.ArmAndTune(1650.0f, 2);
        auto* vsrc = rig.Find<QDoubleSpinBox>("doubleSpinBox_qclVsrcValue");
        auto* current = rig.Find<QDoubleSpinBox>("doubleSpinBox_qclCurrentValue");
        QCOMPARE(vsrc->maximum(), 15.0); // pulsed
        QCOMPARE(vsrc->value(), 12.0);
        const AdminQclParams qcl = rig.Controller().Snapshot().adminQcl[1];
        QCOMPARE(current->maximum(), static_cast<double>(qcl.max_drive_current));
        rig.Controller().UpdateCache([](LaserCache& c) { c.qclParams[1].laserMode = 2; });
        rig.Tick();
        QCOMPARE(vsrc->maximum(), 13.5);
        QCOMPARE(current->maximum(), static_cast<double>(qcl.max_drive_cw_current));
    }

    void motionFaultsClearedOutsideManufacturingMode() {
        struct Case {
            QStringList arguments;
            std::uint16_t code;
            bool shown;
        } cases[] = {
            {{}, 31, false}, {{}, 61, false}, {{}, 34, true}, {{"-manufacturing"}, 31, true}};
        for (const Case& c : cases) {
            PanelRig rig;
            rig.Start(c.arguments);
            int saves = 0;
            rig.window->SetFaultLog(std::make_unique<CountingFaultLog>(saves));
            rig.Tick();
            QVERIFY(rig.Find<QWidget>("label_SysErrorWordValue")->isHidden());
            QVERIFY(rig.Shows("label_SystemFaultLED", Lamp::White));
            rig.laser.InjectError(c.code);
            rig.Tick();
            QCOMPARE(!rig.Find<QWidget>("label_SysErrorWordValue")->isHidden(), c.shown);
            QCOMPARE(rig.Find<QWidget>("pushButton_ClearFault")->isHidden(), !c.shown);
            QCOMPARE(rig.Shows("label_SystemFaultLED", Lamp::Red), c.shown);
            QCOMPARE(saves, 1);
            if (!c.shown) {
                QCOMPARE(rig.Controller().SystemErrorWord(), std::uint16_t{0});
                continue;
            }
            QCOMPARE(rig.Text("label_SysErrorWordValue"), QString::number(c.code));
            rig.Click("pushButton_ClearFault");
            rig.Tick();
            QVERIFY(rig.Find<QWidget>("label_SysErrorWordValue")->isHidden());
            QVERIFY(rig.dialogs.messages.empty());
        }
    }

    void powerOffAsksFirst() {
        PanelRig rig;
        rig.Start();
        const std::size_t shutdowns = rig.laser.Executed(LaserShutdown::kCmd);
        rig.Click("toolButton_PowerOff"); // answered No
        QCOMPARE(rig.dialogs.Texts(Kind::Question).size(), 1u);
        QCOMPARE(rig.laser.Executed(LaserShutdown::kCmd), shutdowns);
        QVERIFY(rig.dialogs.exits.empty());
        rig.dialogs.answers.push_back(true);
        rig.Click("toolButton_PowerOff");
        QCOMPARE(rig.laser.Executed(LaserShutdown::kCmd), shutdowns + 1);
        QCOMPARE(rig.dialogs.exits, std::vector<int>{0});
    }

    void clearFaultThatDoesNotTakeSaysSo() {
        PanelRig rig;
        rig.Start();
        rig.laser.Modify([](sim::SimState& s) { s.faultCausePresent = true; });
        rig.laser.InjectError(34);
        rig.Tick();
        rig.Click("pushButton_ClearFault");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>{"Could not clear system fault. Please refer to your user "
                                      "guide for this laser on how to clear fault."});
    }

    void armingDialogEndsAfterItsTimeLimit() {
        PanelRig rig;
        rig.Start();
        rig.Click("commandLinkButton_ArmDisarm");
        QCOMPARE(rig.dialogs.progressOpen, 1);
        rig.laser.SetInterlock(false); // while arming: the laser never reports armed
        rig.Tick(59);
        QCOMPARE(rig.dialogs.progressOpen, 1);
        QVERIFY(rig.dialogs.messages.empty());
        rig.Tick();
        QCOMPARE(rig.dialogs.progressOpen, 0);
        QCOMPARE(rig.window->Pending(), PendingOperation::None);
        const auto texts = rig.dialogs.Texts(Kind::Information);
        QCOMPARE(texts.size(), 1u);
        QVERIFY(texts.front().startsWith("Arming did not complete"));
    }

    void pagesAndButtonsCheckTheirPreconditions() {
        PanelRig rig;
        rig.Start({"-manufacturing"});
        // No arming without the key switched on.
        rig.laser.SetKeySwitch(false);
        rig.Tick();
        QVERIFY(rig.Shows("label_KeySwitchedStatusLED", Lamp::Off));
        const std::size_t armsBefore = rig.laser.Executed(kArmDisarmCmd);
        rig.Click("commandLinkButton_ArmDisarm");
        QCOMPARE(rig.laser.Executed(kArmDisarmCmd), armsBefore);
        QCOMPARE(rig.dialogs.progressShown, 0);
        // The emission button is not for an unarmed laser.
        rig.window->buttonClickedLaserOnOff();
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 (std::vector<QString>{kInterlockText, kArmText}));
        rig.dialogs.Clear();
        rig.laser.SetKeySwitch(true);
        rig.Tick();

        rig.ArmAndTune();
        rig.Click("commandLinkButton_LaserOn");
        rig.Tick();
        for (const char* button :
             {"cmdLinkButton_General", "cmdLinkButton_Scan", "cmdLinkButton_Manufacturing"}) {
            rig.Click(button);
            QCOMPARE(rig.window->CurrentPage(), Page::Tune);
        }
        QCOMPARE(
            rig.dialogs.Texts(Kind::Information),
            std::vector<QString>(3, "Please turn emission off prior to trying this operation."));
        rig.Click("commandLinkButton_LaserOn");
        rig.Tick();
        rig.Click("cmdLinkButton_General");
        QCOMPARE(rig.window->CurrentPage(), Page::About);
        QCOMPARE(rig.Text("label_CurrentTabName"), QString("About >"));
        QCOMPARE(rig.Text("label_SerialNumberValue"), QString("TVX0042"));
        // No emission button away from the Tune and Scan pages.
        QVERIFY(rig.Find<QWidget>("frame_EmissionAndScan")->isHidden());
    }

    // The stored sweep started from the status frame's button on the Scan page.
    void infiniteScanAndThePointerWhileScanning() {
        PanelRig rig;
        rig.laser.SetPointerFitted(true);
        rig.Start({"-dev"});
        rig.Tick();
        QVERIFY(!rig.Find<QWidget>("commandLinkButton_EnableDisablePointer")->isHidden());
        rig.Click("commandLinkButton_EnableDisablePointer");
        rig.Tick();
        QCOMPARE(rig.Text("commandLinkButton_EnableDisablePointer"), QString("RED LASER OFF"));
        QVERIFY(rig.Shows("commandLinkButton_EnableDisablePointer", Lamp::Red));

        // The developer flag starts a scan on a laser that is not armed yet.
        rig.Click("cmdLinkButton_Scan");
        QCOMPARE(rig.Text("commandLinkButton_LaserOn"), QString("START SCAN"));
        rig.Find<QCheckBox>("checkBox_SweepModeNumberOfScansInfinite")->setChecked(true);
        rig.Click("commandLinkButton_LaserOn");
        QCOMPARE(rig.window->Pending(), PendingOperation::SweepScan);
        QCOMPARE(rig.Text("commandLinkButton_LaserOn"), QString("STOP SCAN"));
        QVERIFY(!rig.Find<QWidget>("cmdLinkButton_Manual")->isEnabled());
        QVERIFY(rig.dialogs.messages.empty());
        QVERIFY(rig.TickUntil([&] { return rig.Controller().StatusBit(status::kScanInProgress); }));
        rig.Tick();
        QVERIFY(!rig.Find<QWidget>("commandLinkButton_EnableDisablePointer")->isEnabled());
        QVERIFY(rig.TickUntil([&] { return rig.Text("label_ScanRange") == "Scan Active ..."; }));
        QVERIFY(rig.Text("label_CurrentScanNumberValue").endsWith(" of (infinite)"));
        rig.Click("cmdLinkButton_StopScan");
        QVERIFY(rig.TickUntil([&] { return rig.window->Pending() == PendingOperation::None; }));
        QVERIFY(rig.Find<QWidget>("commandLinkButton_EnableDisablePointer")->isEnabled());
        QVERIFY(rig.Find<QWidget>("cmdLinkButton_Manual")->isEnabled());
    }
};

TARVEX_PANEL_TEST_MAIN(PanelStatusTest)
#include "panel_status_test.moc"
