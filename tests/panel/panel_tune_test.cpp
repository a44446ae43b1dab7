// The Tune page on the real main window: the preferred QCL chosen on the range table, the value
// sent for a tune in either unit, the modes line and the extended status table.
#include "PanelRig.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;

namespace {

// A click on the header of `column`, as the operator makes it.
void ClickHeader(QTableWidget& table, int column) {
    QHeaderView& header = *table.horizontalHeader();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(column) + 4, header.height() / 2));
}

// The header columns drawn selected (14 pt), by column.
std::vector<int> SelectedHeaders(const QTableWidget& table) {
    std::vector<int> selected;
    for (int column = 0; column < table.columnCount(); ++column)
        if (table.horizontalHeaderItem(column)->font().pointSize() == 14)
            selected.push_back(column);
    return selected;
}

SingleWWParams SentTune(PanelRig& rig) {
    return rig.laser.Inspect([](const sim::SimState& s) { return s.scan.singleWW; });
}

} // namespace

class PanelTuneTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void preferredQclTogglesOnTheRangeTable() {
        PanelRig rig;
        rig.Start();
        rig.window->resize(1355, 728);
        rig.window->show();
        auto& table = *rig.Find<QTableWidget>("tableWidget_TuneTuningRanges");
        const auto preferred = [&] {
            return rig.Controller().ReadCache([](const LaserCache& c) { return c.tunedQcl; });
        };
        ClickHeader(table, 1);
        QCOMPARE(preferred(), 2);
        QCOMPARE(SelectedHeaders(table), std::vector<int>{1});
        QCOMPARE(table.horizontalHeaderItem(1)->foreground().color(), QColor(Qt::darkGreen));
        // The same column again, here through its cell, clears the preference.
        table.cellClicked(0, 1);
        QCOMPARE(preferred(), 0);
        QVERIFY(SelectedHeaders(table).empty());
        ClickHeader(table, 3);
        table.cellClicked(0, 0);
        QCOMPARE(preferred(), 1);
        QCOMPARE(SelectedHeaders(table), std::vector<int>{0});

        rig.Arm();
        rig.Click("commandLinkButton_tuneWW");
        QCOMPARE(SentTune(rig).qcl, 1);
    }

    void tuneValueHeldToTheRangeOnlyInWavenumbers() {
        PanelRig rig;
        rig.Start();
        rig.Arm();
        auto* unit = rig.Find<QComboBox>("comboBox_tuneWW");
        auto* value = rig.Find<QDoubleSpinBox>("doubleSpinBox_tuneWW");
        const TuningRange range = rig.Controller().OverallTuningRange().In(units::kWavenumber);

        // The field rounds its maximum to one decimal, beyond the laser's last wavenumber.
        unit->setCurrentText("cm-1");
        QCOMPARE(rig.Text("label_tuneWW"), QString("Wavenumber:"));
        value->setValue(value->maximum());
        QVERIFY(value->value() > range.max);
        QCOMPARE(rig.Text("commandLinkButton_tuneWW"), "Tune to " + value->text() + " cm-1");
        rig.Click("commandLinkButton_tuneWW");
        QCOMPARE(SentTune(rig).scan_ww, range.max);
        QCOMPARE(SentTune(rig).scan_ww_unit, units::kWavenumber);
        QVERIFY(rig.TickUntil([&] {
            return rig.window->Pending() == PendingOperation::None ||
                   rig.Text("label_tuneWWStatus") == "Tuned!";
        }));

        rig.Click("commandLinkButton_CancelManualTune");
        QVERIFY(rig.TickUntil([&] { return rig.window->Pending() == PendingOperation::None; }));
        unit->setCurrentText("\u00b5m");
        QCOMPARE(rig.Text("label_tuneWW"), QString("Wavelength:"));
        value->setValue(5.55);
        rig.Click("commandLinkButton_tuneWW");
        QCOMPARE(SentTune(rig).scan_ww, 5.55f);
        QCOMPARE(SentTune(rig).scan_ww_unit, units::kMicrons);
        QVERIFY(rig.dialogs.messages.empty());
    }

    void modesLineAndExtendedStatusTable() {
        PanelRig rig;
        rig.Start();
        QCOMPARE(rig.Text("label_TuneModes"),
                 QString("Using Pulse Mode : Internal, Trigger Mode : Internal"));
        rig.Controller().UpdateCache([](LaserCache& c) {
            c.laserParams.pulse_mode = pulse_mode::kWavelengthTrigger;
            c.laserParams.process_trigger_mode = process_trigger::kManual;
        });
        rig.Find<QComboBox>("comboBox_tuneWW")->setCurrentText("cm-1");
        QCOMPARE(rig.Text("label_TuneModes"),
                 QString("Using Pulse Mode : Wavelength Trigger, Trigger Mode : Manual"));

        rig.Arm();
        rig.Click("commandLinkButton_tuneWW");
        QVERIFY(rig.TickUntil([&] { return rig.Text("label_tuneWWStatus") == "Tuned!"; }));
        auto* table = rig.Find<QTableWidget>("tableWidget_ExtendedStatusTune");
        QVERIFY(table->isHidden());
        rig.Click("commandLinkButton_ExtendedInfoTune");
        QVERIFY(!table->isHidden());
        rig.Tick();
        QCOMPARE(table->columnCount(), 7);
        QCOMPARE(table->horizontalHeaderItem(3)->text(), QString("Vfet"));
        const float temp = rig.Controller().ReadCache(
            [](const LaserCache& c) { return c.qclInfo[1].actual_temp; });
        QCOMPARE(table->item(1, 0)->text(), QString::number(temp, 'f', 3));
        rig.Click("commandLinkButton_CancelManualTune");
        QVERIFY(table->isHidden());
        QVERIFY(!rig.Find<QWidget>("commandLinkButton_ExtendedInfoTune")->isEnabled());
    }
};

TARVEX_PANEL_TEST_MAIN(PanelTuneTest)
#include "panel_tune_test.moc"
