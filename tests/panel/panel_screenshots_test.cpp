// Renders the main window offscreen at the form's size with each page the panel has so far, on
// the built-in laser armed, tuned and emitting, and the fault log and live plot windows, and
// writes the PNGs (to TARVEX_SCREENSHOT_DIR,
// else build/tests/panel/screenshots). The window must be tidy at that size: no text cut off, no
// layout squeezed below its minimum, the lamps of a column aligned.
#include "PanelRig.h"
#include "SimLaser.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLayout>
#include <QTableWidget>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;

namespace {

QString OutputDirectory() {
    const QString chosen = qEnvironmentVariable("TARVEX_SCREENSHOT_DIR");
    return chosen.isEmpty() ? QStringLiteral(QT_TESTCASE_BUILDDIR "/screenshots") : chosen;
}

// The widgets whose text does not fit the room the layout gives them.
QStringList Clipped(const QWidget& window) {
    QStringList clipped;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->text().isEmpty() || label->wordWrap())
            continue;
        if (label->width() < label->sizeHint().width())
            clipped << label->objectName();
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty() &&
            button->width() < button->minimumSizeHint().width())
            clipped << button->objectName();
    }
    return clipped;
}

int XIn(const QWidget& widget, const QWidget& window) {
    return widget.mapTo(&window, QPoint(0, 0)).x();
}

} // namespace

class PanelScreenshotsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        rig_.StartDemo();
        sim::SimLaser& laser = *rig_.window->SimulatedLaser();
        laser.SetPointerFitted(true);
        rig_.Arm();
        rig_.Find<QComboBox>("comboBox_tuneWW")->setCurrentText("cm-1");
        rig_.Find<QDoubleSpinBox>("doubleSpinBox_tuneWW")->setValue(1650.0);
        rig_.Find<QTableWidget>("tableWidget_TuneTuningRanges")->cellClicked(0, 1);
        rig_.Click("commandLinkButton_tuneWW");
        QVERIFY(rig_.TickUntil([&] { return rig_.Text("label_tuneWWStatus") == "Tuned!"; }));
        rig_.Click("commandLinkButton_ExtendedInfoTune");
        rig_.Click("commandLinkButton_LaserOn");
        rig_.Tick(4);
        QVERIFY(QDir().mkpath(OutputDirectory()));
        rig_.window->resize(1355, 728);
        rig_.window->show();
    }

    void render_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        // The last two are the pages of manufacturing mode, with their buttons shown as that
        // mode shows them.
        const char* const rows[][3] = {
            {"tune", "cmdLinkButton_Manual", "tune-page.png"},
            {"about", "cmdLinkButton_General", "about-page.png"},
            {"scan", "cmdLinkButton_Scan", "scan-page.png"},
            {"settings", "cmdLinkButton_Settings", "qcl-settings-page.png"},
            {"favorites", "commandLinkButton_Favorites", "favorites-page.png"},
            {"contact", "cmdLinkButton_ContactUs", "contact-page.png"},
            {"comm", "commandLinkButton_CommSettings", "comm-settings-page.png"},
            {"factory", "cmdLinkButton_Manufacturing", "factory-page.png"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    }

    void render() {
        QFETCH(QString, button);
        QFETCH(QString, file);
        if (button != "cmdLinkButton_Manual") {
            // The other pages open once the tune is cancelled and emission is off.
            if (rig_.window->Pending() == PendingOperation::Tune) {
                rig_.Click("commandLinkButton_LaserOn");
                rig_.Click("commandLinkButton_CancelManualTune");
                QVERIFY(rig_.TickUntil(
                    [&] { return rig_.window->Pending() == PendingOperation::None; }));
            }
            ShowManufacturingButtons(button == "commandLinkButton_CommSettings" ||
                                     button == "cmdLinkButton_Manufacturing");
            rig_.Click(button.toLatin1().constData());
            rig_.Tick();
            QCOMPARE(rig_.Find<QAbstractButton>(button.toLatin1().constData())->text() + " >",
                     rig_.Text("label_CurrentTabName"));
        }
        SaveMainWindow(file);
    }

    // The Scan page while a sweep runs on the preferred QCL chosen on its range table.
    void renderRunningSweep() {
        ShowManufacturingButtons(false);
        rig_.Click("cmdLinkButton_Scan");
        rig_.Find<QComboBox>("comboBox_SweepModeUnits")->setCurrentText("cm-1");
        rig_.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeStart")->setValue(1700.0);
        rig_.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeStop")->setValue(1950.0);
        rig_.Find<QDoubleSpinBox>("doubleSpinBox_SweepModeScanSpeed")->setValue(10.0);
        rig_.Find<QCheckBox>("checkBox_SweepModeNumberOfScansInfinite")->setChecked(true);
        rig_.Find<QTableWidget>("tableWidget_scanTuningRanges")->cellClicked(0, 1);
        rig_.Click("cmdLinkButton_StartScan");
        QVERIFY(rig_.TickUntil([&] { return rig_.Text("label_ScanRange") == "Scan Active ..."; }));
        rig_.Tick(6);
        SaveMainWindow("scan-page-sweep.png");
        rig_.Click("cmdLinkButton_StopScan");
        QVERIFY(rig_.TickUntil([&] { return rig_.window->Pending() == PendingOperation::None; }));
    }

    // The multi-spectral mode's fields with a few elements listed.
    void renderMultiSpectralMode() {
        rig_.Find<QComboBox>("comboBox_scanmodes")->setCurrentIndex(2);
        rig_.Find<QComboBox>("comboBox_MultiSpectralModeUnits")->setCurrentText("cm-1");
        rig_.Find<QTableWidget>("tableWidget_MultiSpectralModeElements")->setRowCount(0);
        for (const double wavenumber : {1050.0, 1400.0, 1700.0, 2100.0}) {
            rig_.Find<QDoubleSpinBox>("doubleSpinBox_MultiSpectralModeWW")->setValue(wavenumber);
            rig_.Click("pushButton_AddMultiSpectralModeElement");
        }
        rig_.Tick();
        SaveMainWindow("scan-page-multi-spectral.png");
    }

    // The windows the main window opens: the fault log on a few faults, and the live plot on
    // the minutes the laser has run.
    void renderWindows() {
        sim::SimLaser& laser = *rig_.window->SimulatedLaser();
        for (const int code : {31, 24, 34}) {
            laser.InjectError(static_cast<std::uint16_t>(code));
            rig_.Tick();
        }
        laser.InjectWarning(66);
        rig_.Tick(240);
        rig_.Click("commandLinkButton_showErrors");
        rig_.window->ShowLivePlot();
        const struct {
            const char* name;
            const char* file;
        } windows[] = {{"FaultListForm", "fault-log.png"}, {"LivePlotForm", "live-plot.png"}};
        for (const auto& w : windows) {
            QWidget* window = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == w.name && top->isVisible())
                    window = top;
            QVERIFY2(window, w.name);
            QTest::qWait(0);
            QVERIFY2(Clipped(*window).isEmpty(), qPrintable(Clipped(*window).join(", ")));
            QVERIFY(window->grab().save(QDir(OutputDirectory()).filePath(w.file)));
            window->close();
        }
    }

private:
    void ShowManufacturingButtons(bool shown) {
        for (const char* button : {"commandLinkButton_CommSettings", "cmdLinkButton_Manufacturing"})
            rig_.Find<QWidget>(button)->setVisible(shown);
    }

    void SaveMainWindow(const QString& file) {
        QTest::qWait(0);
        QWidget& window = *rig_.window;
        QCOMPARE(window.size(), QSize(1355, 728));
        QVERIFY2(Clipped(window).isEmpty(), qPrintable(Clipped(window).join(", ")));
        const QWidget* central = rig_.window->centralWidget();
        QVERIFY(central->layout()->minimumSize().height() <= central->height());
        QCOMPARE(XIn(*rig_.Find<QWidget>("label_InterlockStatusLED"), window),
                 XIn(*rig_.Find<QWidget>("label_EmissionStatusLED"), window));
        QCOMPARE(XIn(*rig_.Find<QWidget>("label_KeySwitchedStatusLED"), window),
                 XIn(*rig_.Find<QWidget>("label_SystemFaultLED"), window));
        QVERIFY(window.grab().save(QDir(OutputDirectory()).filePath(file)));
    }

    PanelRig rig_;
};

TARVEX_PANEL_TEST_MAIN(PanelScreenshotsTest)
#include "panel_screenshots_test.moc"
