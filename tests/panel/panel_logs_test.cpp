// The fault log (its file, its window, the directory chooser) and the parameter log (the logging
// switch, its file, the live plot) on the real main window and the simulated laser.
#include "PanelRig.h"
#include "logs/FaultLog.h"
#include "logs/LivePlot.h"
#include "logs/ParameterHistory.h"
#include "support/SimRig.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QLineSeries>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;

namespace {

QStringList Lines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// The fault codes of the log's lines, in file order.
QStringList LoggedCodes(const QString& fileName) {
    QStringList codes;
    for (const QString& line : Lines(fileName))
        codes << line.section(",\t", 2, 2) + " " + line.section(",\t", 3, 3);
    return codes;
}

template <typename Window> std::vector<Window*> TopLevels(const char* name) {
    std::vector<Window*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name && widget->isVisible())
            found.push_back(qobject_cast<Window*>(widget));
    return found;
}

// The file the fault log of the rig's laser writes in `directory`.
QString FaultFile(const QTemporaryDir& directory) {
    return directory.filePath("TarvexFaults_TVX0042.log");
}

} // namespace

class PanelLogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QSettings().clear(); }
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "FaultListForm" || widget->objectName() == "LivePlotForm")
                delete widget;
    }

    void newFaultsOfBothListsAreLoggedNewestFirstOnce() {
        PanelRig rig;
        rig.Start();
        QTemporaryDir directory;
        rig.window->SetFaultFileDir(directory.path());
        rig.laser.InjectError(34);
        rig.laser.InjectWarning(39);
        rig.laser.InjectError(24);
        rig.Tick(3); // the fault stays: each tick reads the lists, only the first finds them new
        QCOMPARE(LoggedCodes(FaultFile(directory)),
                 QStringList(
                     {"24 Bench temp too high", "34 Unknown fault code", "39 Unknown fault code"}));
        const QString line = Lines(FaultFile(directory)).front();
        QVERIFY(line.contains(",\tError,\t24,\t"));
        // The field before the first separator is the time of writing.
        QVERIFY(QDateTime::fromString(line.section(",\t", 0, 0), Qt::TextDate).isValid());

        // A motion fault the status display clears by itself is logged all the same.
        rig.laser.InjectError(31);
        rig.Tick();
        QCOMPARE(rig.Controller().SystemErrorWord(), std::uint16_t{0});
        QCOMPARE(LoggedCodes(FaultFile(directory)).last(), QString("31 QCL 2 motion fault"));

        // A ring whose next slot is 0 holds its newest codes in slots 19 and 18.
        rig.laser.Modify([](sim::SimState& s) {
            s.faultRings.errors[19] = 50;
            s.faultRings.errors[18] = 51;
            s.faultRings.errorsIndex = 0;
            s.faultRings.errorsNumItems = 2;
            s.errorWord = 50; // the fault the status display shows, and logs the lists for
            s.activeFault = true;
        });
        rig.Tick();
        QCOMPARE(LoggedCodes(FaultFile(directory)).mid(4),
                 QStringList({"50 QCL 1 config CRC bad", "51 QCL 2 config CRC bad"}));

        // A log that cannot be written loses the line only.
        rig.window->SetFaultFileDir(directory.filePath("missing"));
        rig.laser.InjectError(67);
        rig.Tick();
        QCOMPARE(rig.Text("label_SysErrorWordValue"), QString("67"));
        QVERIFY(rig.dialogs.messages.empty());
    }

    void faultWindowShowsEveryLineNewestFirst() {
        PanelRig rig;
        rig.Start();
        QTemporaryDir directory;
        rig.window->SetFaultFileDir(directory.path());
        // Two lines of the same second.
        const QDateTime when = QDateTime::currentDateTime();
        QFile file(FaultFile(directory));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write((FaultLog::Line(when, 31) + FaultLog::Line(when, 67)).toLocal8Bit());
        file.close();

        rig.Click("commandLinkButton_showErrors");
        rig.Click("commandLinkButton_showErrors"); // every click opens a window of its own
        const auto windows = TopLevels<QWidget>("FaultListForm");
        QCOMPARE(windows.size(), 2u);
        QWidget& window = *windows.front();
        QCOMPARE(window.windowTitle(), QString("Fault Log"));
        auto* table = window.findChild<QTableWidget*>("tableWidget_faults");
        QCOMPARE(table->rowCount(), 2);
        const QStringList headers = {"Time Stamp", "Type", "Fault Code", "Fault Description"};
        for (int column = 0; column < 4; ++column)
            QCOMPARE(table->horizontalHeaderItem(column)->text(), headers[column]);
        QVERIFY(table->columnWidth(0) >= 135); // wider where the time stamps need it
        QCOMPARE(table->columnWidth(1), 75);
        QCOMPARE(table->columnWidth(2), 75);
        QCOMPARE(table->item(0, 2)->text(), QString("67"));
        QCOMPARE(table->item(0, 3)->text(), QString("All Case Temps Have Faulty Readings"));
        QCOMPARE(table->item(1, 2)->text(), QString("31"));
        QCOMPARE(table->item(1, 1)->text(), QString("Error"));
        QCOMPARE(table->item(1, 0)->text(), when.toString(Qt::TextDate));

        QPointer<QWidget> closing(&window);
        QTest::mouseClick(window.findChild<QPushButton*>("pushButton_Close"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closing.isNull());

        // Without a file the window opens empty.
        rig.window->SetFaultFileDir(directory.filePath("missing"));
        const auto open = TopLevels<QWidget>("FaultListForm");
        rig.Click("commandLinkButton_showErrors");
        for (QWidget* opened : TopLevels<QWidget>("FaultListForm"))
            if (std::find(open.begin(), open.end(), opened) == open.end())
                QCOMPARE(opened->findChild<QTableWidget*>()->rowCount(), 0);
        QCOMPARE(TopLevels<QWidget>("FaultListForm").size(), 2u);
    }

    // The fault directory's chooser saves the settings even when cancelled; the logging switch
    // asks for its file, and cancelling leaves it off.
    void settingsPageChoosers() {
        PanelRig rig;
        rig.Start();
        rig.Click("cmdLinkButton_Settings");
        const QString before = rig.window->FaultFileDir();
        rig.Click("pushButton_setFaultFileDir"); // cancelled
        QCOMPARE(rig.dialogs.fileRequests.back().caption, QString("Select Fault Log Directory"));
        QCOMPARE(rig.dialogs.fileRequests.back().start, before);
        QCOMPARE(rig.window->FaultFileDir(), before);
        QCOMPARE(QSettings().value("TarvexControl/FaultFileDir").toString(), before);

        QTemporaryDir directory;
        rig.dialogs.files.push_back(directory.path());
        rig.Click("pushButton_setFaultFileDir");
        QCOMPARE(rig.window->FaultFileDir(), QDir::toNativeSeparators(directory.path()));
        QCOMPARE(QSettings().value("TarvexControl/FaultFileDir").toString(),
                 QDir::toNativeSeparators(directory.path()));
        QCOMPARE(rig.Text("label_FaultFileDirValue"), QDir::toNativeSeparators(directory.path()));

        auto* box = rig.Find<QCheckBox>("checkBox_EnableParamLogging");
        QVERIFY(!box->isChecked());
        rig.Click("checkBox_EnableParamLogging"); // the save dialog is cancelled
        QVERIFY(!box->isChecked());
        QVERIFY(!rig.window->LoggingEnabled());
        QCOMPARE(QSettings().value("TarvexControl/LoggingEnabled").toBool(), false);
        const auto request = rig.dialogs.fileRequests.back();
        QCOMPARE(request.caption, QString("Save Log File"));
        QCOMPARE(request.filter, QString("Log Files (*.log)"));
        QVERIFY(request.start.startsWith(QDir::currentPath() + "/Tarvex_Log_SN_TVX0042_"));
        QVERIFY(request.start.endsWith(".log"));

        const QString chosen = directory.filePath("params.log");
        rig.dialogs.files.push_back(chosen);
        rig.Click("checkBox_EnableParamLogging");
        QVERIFY(box->isChecked() && rig.window->LoggingEnabled());
        QCOMPARE(rig.window->LogFileName(), QDir::toNativeSeparators(chosen));
        QCOMPARE(QSettings().value("TarvexControl/LogFileName").toString(),
                 QDir::toNativeSeparators(chosen));
        // The next proposal starts where the last file went.
        rig.Click("checkBox_EnableParamLogging"); // off
        QVERIFY(!rig.window->LoggingEnabled());
        rig.Click("checkBox_EnableParamLogging");
        QVERIFY(rig.dialogs.fileRequests.back().start.startsWith(directory.path() + "/"));
    }

    void logFileOfATwoModuleLaser() {
        PanelRig rig(tarvex::test::LaserWithQcls(2));
        rig.Start();
        QTemporaryDir directory;
        const QString name = directory.filePath("params.log");
        rig.window->SetLogFileName(name);
        rig.Tick(); // logging off: nothing written
        QVERIFY(!QFile::exists(name));
        rig.window->SetLoggingEnabled(true);
        rig.Tick(2);
        QStringList lines = Lines(name);
        QCOMPARE(lines.size(), 3);
        const QStringList header = lines[0].split('\t', Qt::SkipEmptyParts);
        QCOMPARE(header.size(), 2 + 8 + 3);
        QCOMPARE(header.mid(2, 5),
                 QStringList({"QCL1 Temp (C)", "TEC1 Current (mA)", "TEC1 Voltage (V)",
                              "QCL1 Current (mA)", "QCL2 Temp (C)"}));
        QCOMPARE(header.last(), QString("PCB Temp (C)"));
        for (const QString& line : lines.mid(1))
            QCOMPARE(line.split('\t', Qt::SkipEmptyParts).size(), 2 + 8 + 3);

        // A deleted file starts again with its header.
        QVERIFY(QFile::remove(name));
        rig.Tick();
        lines = Lines(name);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("Date\tTime\t"));

        // A file that cannot be written loses its lines quietly; logging stays on.
        rig.window->SetLogFileName(directory.filePath("missing/params.log"));
        rig.Tick();
        QVERIFY(rig.window->LoggingEnabled());
        QVERIFY(rig.dialogs.messages.empty());
    }

    void historyKeepsTenMinutes() {
        ParameterHistory history;
        ParameterSample sample;
        for (std::int64_t t = 0; t <= ParameterHistory::kSpanMs + 1500; t += 500) {
            sample.timeMs = t;
            history.Add(sample);
        }
        QCOMPARE(history.Samples().front().timeMs, std::int64_t{1500});
        QCOMPARE(history.Samples().size(), std::size_t{1201});

        LaserCache cache;
        cache.admin.num_qcls = 2;
        cache.light.current_ww = 6.25f; // µm
        cache.light.unit = units::kMicrons;
        cache.qclInfo[1].actual_tec_current = 812.0f;
        const ParameterSample from = ParameterSample::From(cache, 2, 0);
        QCOMPARE(from.wavenumber, 1600.0f);
        QCOMPARE(from.tecCurrent[1], 812.0f);
        QCOMPARE(from.qcls, std::size_t{2});
    }

    void livePlotFollowsTheTicksWithOrWithoutLogging() {
        PanelRig rig(tarvex::test::LaserWithQcls(2));
        rig.Start();
        rig.Tick(2); // before the window opens: shown when it does
        rig.Click("cmdLinkButton_Settings");
        rig.Click("pushButton_LivePlot");
        const auto plots = TopLevels<LivePlot>("LivePlotForm");
        QCOMPARE(plots.size(), 1u);
        LivePlot& plot = *plots.front();
        QCOMPARE(plot.windowTitle(), QString("Live Plot"));
        // Two QCLs: their temperatures with the three board ones, their TEC currents, the line.
        QCOMPARE(plot.Chart(0)->series().size(), 5);
        QCOMPARE(plot.Chart(1)->series().size(), 2);
        QVERIFY(!plot.Curve("QCL 3"));
        QVERIFY(!rig.window->LoggingEnabled());
        rig.Tick(3);
        QCOMPARE(plot.Curve("QCL 1")->count(), 5);
        QCOMPARE(plot.Curve("TEC 2")->count(), 5);
        QCOMPARE(plot.Curve("PCB")->at(4).y(),
                 static_cast<qreal>(rig.Controller().Snapshot().testLaserInfo.pcbTemp));
        QCOMPARE(plot.Curve("Laser")->count(), 0); // not tuned: no line to draw

        rig.ArmAndTune(1650.0f, 2);
        const int tuned = plot.Curve("Laser")->count();
        QVERIFY(tuned > 0);
        QVERIFY(qAbs(plot.Curve("Laser")->at(tuned - 1).y() - 1650.0) < 0.01);
        plot.findChild<QComboBox*>("comboBox_plotUnit")->setCurrentIndex(0); // µm
        QCOMPARE(plot.Curve("Laser")->count(), tuned);
        QVERIFY(qAbs(plot.Curve("Laser")->at(tuned - 1).y() - 10000.0 / 1650.0) < 0.0001);
    }
};

TARVEX_PANEL_TEST_MAIN(PanelLogsTest)
#include "panel_logs_test.moc"
