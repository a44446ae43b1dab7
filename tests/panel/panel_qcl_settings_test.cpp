// The QCL settings page on the real main window and the simulated laser: the laser-mode chooser,
// edits kept per QCL until Save, the duty-cycle check before anything is written, the save's
// writes and the restart of a QCL on the panel's clock.
#include "PanelRig.h"
#include "records/SavedStateRecords.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;

namespace {

QStringList ChooserRows(PanelRig& rig) {
    auto* chooser = rig.Find<QComboBox>("comboBox_laserMode");
    QStringList rows;
    for (int i = 0; i < chooser->count(); ++i)
        rows << chooser->itemText(i);
    return rows;
}

void ChooseQcl(PanelRig& rig, int index) {
    rig.Find<QComboBox>("comboBox_laserParamQCLs")->setCurrentIndex(index);
}

double Field(PanelRig& rig, const char* name) {
    return rig.Find<QDoubleSpinBox>(name)->value();
}

void SetField(PanelRig& rig, const char* name, double value) {
    rig.Find<QDoubleSpinBox>(name)->setValue(value);
}

// What the laser holds of QCL `slot`'s parameters.
LaserQclParams LaserQcl(PanelRig& rig, std::size_t slot) {
    return rig.laser.Inspect([slot](const sim::SimState& s) { return s.qcl[slot - 1].params; });
}

// How many times the laser executed each command a save writes.
std::vector<std::size_t> SaveWrites(PanelRig& rig) {
    std::vector<std::size_t> counts;
    for (const std::uint16_t cmd :
         {WwDisplayUnits::kCmd, AudioNotificationPref::kCmd, GlobalPreferences::kCmd,
          WlTrigPulseWidth::kCmd, LaserParams::kCmd, LaserQclParams::kCmd})
        counts.push_back(rig.laser.Executed(cmd));
    return counts;
}

} // namespace

class PanelQclSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QSettings().clear(); }

    void chooserOffersTheQclsModesAndTheFieldsTheirLimits() {
        sim::LaserProfile profile = sim::LaserProfile::Default();
        profile.qcls[2].maxDutyCycle = 2.0f;
        PanelRig rig(profile);
        rig.Start();
        rig.Click("cmdLinkButton_Settings");
        QCOMPARE(rig.Text("label_CurrentTabName"), QString("Settings >"));
        // QCL 1 may run CW with its filters fitted; QCL 3 runs pulsed only.
        ChooseQcl(rig, 0);
        QCOMPARE(ChooserRows(rig),
                 QStringList({"Pulsed", "CW", "CW + Modulation", "CW Filter 1", "CW Filter 2"}));
        ChooseQcl(rig, 2);
        QCOMPARE(ChooserRows(rig), QStringList({"Pulsed"}));
        // 2 % of a 100 kHz period is 200 ns; at 10 kHz the QCL's own 500 ns are the limit.
        QCOMPARE(rig.Find<QDoubleSpinBox>("doubleSpinBox_PulseWidth")->maximum(), 200.0);
        SetField(rig, "doubleSpinBox_PulseRate", 10000);
        QCOMPARE(rig.Find<QDoubleSpinBox>("doubleSpinBox_PulseWidth")->maximum(), 500.0);

        // A mode stored as 8 shows on row 3; choosing CW brings the CW current limits.
        rig.Controller().SetQclLaserMode(1, 8);
        ChooseQcl(rig, 0);
        QCOMPARE(rig.Find<QComboBox>("comboBox_laserMode")->currentIndex(), 3);
        rig.Find<QComboBox>("comboBox_laserMode")->setCurrentIndex(1);
        QCOMPARE(rig.Controller()
                     .ReadCache([](const LaserCache& c) { return c.qclParams[0]; })
                     .laserMode,
                 std::uint8_t{2});
        const float cwMax = rig.laser.Profile().qcls[0].maxDriveCwCurrent;
        QCOMPARE(rig.Find<QDoubleSpinBox>("doubleSpinBox_QCLcurrent")->maximum(),
                 static_cast<double>(cwMax));
        SetField(rig, "doubleSpinBox_QCLcurrent", cwMax / 4);
        QCOMPARE(rig.Text("label_QclCurrentPercent"), QString("25.0%"));
    }

    void editsStayWithTheirQclUntilSaved() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Settings");
        ChooseQcl(rig, 0);
        SetField(rig, "doubleSpinBox_PulseRate", 200000);
        SetField(rig, "doubleSpinBox_PulseWidth", 250);
        QCOMPARE(rig.Text("label_QCLDutyCycle"), QString("5"));
        ChooseQcl(rig, 1);
        SetField(rig, "doubleSpinBox_PulseRate", 50000);
        SetField(rig, "doubleSpinBox_QCLtemperature", 21.5);
        ChooseQcl(rig, 0);
        QCOMPARE(Field(rig, "doubleSpinBox_PulseRate"), 200000.0);
        QCOMPARE(Field(rig, "doubleSpinBox_PulseWidth"), 250.0);
        // Nothing reached the laser before Save.
        QCOMPARE(LaserQcl(rig, 1).pulse_rate, 100000.0f);

        rig.Click("cmdLinkButton_SaveSettings");
        QVERIFY(rig.dialogs.messages.empty());
        QCOMPARE(LaserQcl(rig, 1).pulse_rate, 200000.0f);
        QCOMPARE(LaserQcl(rig, 1).pulse_width, 250.0f);
        QCOMPARE(LaserQcl(rig, 2).pulse_rate, 50000.0f);
        QCOMPARE(LaserQcl(rig, 2).temp, 21.5f);

        // The Tune page describes the pulse mode saved.
        rig.Find<QRadioButton>("radioButton_ExternalTrigger")->setChecked(true);
        rig.Click("cmdLinkButton_SaveSettings");
        QVERIFY(rig.Text("label_TuneModes").startsWith("Using Pulse Mode : External Trigger"));
    }

    // 100 kHz pulses of 500 ns (kept in kHz and µs) have a duty cycle of 5 %: within 0.01 of a
    // 4.995 % maximum, beyond a 4.98 % one.
    void dutyCycleIsCheckedWithItsToleranceBeforeAnythingIsWritten() {
        const struct {
            float maxDuty;
            bool allowed;
        } cases[] = {{4.995f, true}, {4.98f, false}};
        for (const auto& c : cases) {
            sim::LaserProfile profile = sim::LaserProfile::Default();
            profile.qcls[2].maxDutyCycle = c.maxDuty;
            PanelRig rig(profile);
            rig.Start();
            rig.Click("cmdLinkButton_Settings");
            ChooseQcl(rig, 0);
            rig.Controller().SetQclPulseRate(3, 100.0f, units::kKHz);
            rig.Controller().SetQclPulseWidth(3, 0.5f, units::kUs);
            rig.Find<QRadioButton>("radioButton_Wavenumber")->setChecked(true);
            const std::vector<std::size_t> before = SaveWrites(rig);
            rig.Click("cmdLinkButton_SaveSettings");
            const QString refusal =
                "Duty Cycle for QCL3 out of range.  Please adjust pulse rate and width so that "
                "duty cycle falls between 0.0 and 5.0 percent.";
            QCOMPARE(rig.dialogs.Texts(RecordingDialogs::Kind::Information),
                     c.allowed ? std::vector<QString>{} : std::vector<QString>{refusal});
            QCOMPARE(SaveWrites(rig) == before, !c.allowed);
            if (c.allowed)
                QCOMPARE(
                    rig.laser.Inspect([](const sim::SimState& s) { return s.displayUnits; }).ww,
                    units::kWavenumber);
        }
    }

    void failedLaserParameterWriteSkipsTheQclWrite() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Settings");
        rig.faults.Add({.fault = sim::Fault::Nak, .cmdID = LaserParams::kCmd});
        rig.faults.Add({.fault = sim::Fault::Nak, .cmdID = AudioNotificationPref::kCmd});
        const std::size_t qclWrites = rig.laser.Executed(LaserQclParams::kCmd);
        rig.Click("cmdLinkButton_SaveSettings");
        QCOMPARE(rig.dialogs.Texts(RecordingDialogs::Kind::Information),
                 std::vector<QString>(
                     {"Could not disable audio notification.", "Error saving laser parameters."}));
        QCOMPARE(rig.laser.Executed(LaserQclParams::kCmd), qclWrites);
    }

    void restartTurnsTheQclOffForAQuarterSecondOnThePanelsClock() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Settings");
        ChooseQcl(rig, 1);
        rig.clock.ClearSleeps();
        rig.laser.ClearHistory();
        rig.Click("pushButton_reInitTuning");
        QCOMPARE(rig.clock.Sleeps(), std::vector<std::uint32_t>{250});
        std::vector<std::vector<std::uint8_t>> onOff;
        for (const auto& [cmd, payload] : rig.laser.History())
            if (cmd == QclOnOff::kCmd)
                onOff.push_back(payload);
        QCOMPARE(onOff, (std::vector<std::vector<std::uint8_t>>{{2, 2}, {2, 1}}));
        QVERIFY(!rig.Find<QWidget>("commandLinkButton_CancelManualTune")->isEnabled());
        QVERIFY(rig.laser.Inspect([](const sim::SimState& s) { return s.qcl[1].driverOn; }));
    }
};

TARVEX_PANEL_TEST_MAIN(PanelQclSettingsTest)
#include "panel_qcl_settings_test.moc"
