// The panel from its command line to its first page: arguments, settings, the screen check, the
// connection (or the exit without a laser) and the exit on a lost link.
#include "CommandLine.h"
#include "PanelRig.h"
#include "PanelSettings.h"

#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QTimer>

#include <tuple>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;

namespace {

const QString kNoLaserText = QStringLiteral(
    "Cannot find Tarvex Laser on any port.  Please connect the laser, wait for 30 seconds for "
    "laser to start and relaunch the control panel.");

std::vector<std::string> OpenedPorts(const sim::SimPortProvider& ports) {
    std::vector<std::string> opened;
    for (const auto& open : ports.SerialOpens())
        if (opened.empty() || opened.back() != open.port)
            opened.push_back(open.port);
    return opened;
}

auto Fields(const PanelSettings& s) {
    return std::tuple(s.transport, s.udpAddress, s.udpPort, s.loggingEnabled, s.logFileName,
                      s.faultFileDir);
}

} // namespace

class PanelStartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QSettings().clear(); }

    void portArgumentForms() {
        QCOMPARE(ParseArguments({"-port:5"}).port->number, 5);
        QVERIFY(!ParseArguments({"-port:"}).port);
        QCOMPARE(ParseArguments({"-port:COM"}).port->number, 0); // letters: port 0
        QVERIFY(ParseArguments({"-port:5:6"}).port == std::nullopt);
        QCOMPARE(ParseArguments({"-port:/dev/ttyUSB0"}).port->device, QString("/dev/ttyUSB0"));
        // By-path device names carry colons of their own.
        const QString byPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
        QCOMPARE(ParseArguments({"-port:" + byPath}).port->device, byPath);
        QCOMPARE(*ParseArguments({"-baud:115200"}).baud, 115200u);
        QVERIFY(!ParseArguments({"-baud:"}).baud);
    }

    void exactAndContainedMatches() {
        QCOMPARE(ParseArguments({"-manufacturing"}).runMode, 3);
        QCOMPARE(ParseArguments({"-manufacturingX"}).runMode, 0);
        QCOMPARE(ParseArguments({"-demo", "-ethTest"}).runMode, 7); // the later one wins
        QVERIFY(ParseArguments({"-galvoXYZ"}).galvo);
        QVERIFY(ParseArguments({"--developer"}).developer);
        const CommandLine debug = ParseArguments({"-debug", "unknown"});
        QVERIFY(debug.debug && !debug.developer && !debug.galvo);
        QVERIFY(!ParseArguments({"-Debug"}).debug);
    }

    void settingsDefaultsAndRoundTrip() {
        const PanelSettings defaults{1, 0x0A0A0A0A, 1234, false, std::nullopt, std::nullopt};
        QVERIFY(Fields(PanelSettings::Read()) == Fields(defaults));
        const PanelSettings written{2, 0xC0A80105, 5000, true, "/tmp/params.log", "/tmp/faults"};
        written.Write();
        QVERIFY(Fields(PanelSettings::Read()) == Fields(written));
        QVERIFY(QSettings().contains("TarvexControl/UDPPort"));
    }

    void storedSettingsReachTheWindowAndController() {
        QSettings settings;
        settings.setValue("TarvexControl/LoggingEnabled", true); // but no log file name
        settings.setValue("TarvexControl/UDPAddress", 0x7F000002u);
        settings.setValue("TarvexControl/UDPPort", 0x15000); // only the low 16 bits count
        PanelRig rig;
        rig.Start();
        QVERIFY(!rig.window->LoggingEnabled());
        QCOMPARE(
            rig.window->LogFileName(),
            QDir::toNativeSeparators(QDir::currentPath() + "/Tarvex_Param_Log_SN_TVX0042.log"));
        QCOMPARE(rig.window->FaultFileDir(), QDir::currentPath());
        QCOMPARE(rig.Controller().GetUdpAddress(), 0x7F000002u);
        QCOMPARE(rig.Controller().GetUdpPort(), std::uint16_t{0x5000});

        rig.window->SetLoggingEnabled(true);
        rig.window->SaveSettings();
        const PanelSettings saved = PanelSettings::Read();
        QVERIFY(saved.loggingEnabled);
        QCOMPARE(*saved.logFileName, rig.window->LogFileName());
        QCOMPARE(saved.udpPort, std::uint16_t{0x5000});
    }

    void connectsAndShowsTheTunePage() {
        PanelRig rig;
        rig.Start();
        QVERIFY(rig.dialogs.messages.empty());
        QVERIFY(!rig.window->ExitCode());
        QCOMPARE(rig.window->CurrentPage(), Page::Tune);
        QCOMPARE(rig.Text("label_CurrentTabName"), QString("Tune >"));
        QCOMPARE(rig.Text("label_MainTarvexSN"), QString("Connected to Tarvex S/N TVX0042"));
        QCOMPARE(rig.window->StatusTimer()->interval(), 500);
        // Outside manufacturing mode there is no Factory or Comm Settings button.
        QVERIFY(rig.Find<QWidget>("cmdLinkButton_Manufacturing")->isHidden());
        QVERIFY(rig.Find<QWidget>("commandLinkButton_CommSettings")->isHidden());
        QVERIFY(rig.Find<QWidget>("commandLinkButton_Galvo")->isHidden());
        // Without "-demo" there is no simulated laser's menu.
        QVERIFY(!rig.window->findChild<QMenu*>("menu_SimulatedLaser"));
    }

    void noLaserEndsWithExitCodeOne() {
        PanelRig rig;
        rig.Start({}, false);
        QCOMPARE(rig.dialogs.Texts(RecordingDialogs::Kind::Information),
                 std::vector<QString>{kNoLaserText});
        QCOMPARE(rig.dialogs.exits, std::vector<int>{1});
        QCOMPARE(*rig.window->ExitCode(), 1);
        QVERIFY(!rig.window->StatusTimer());
        QVERIFY(QSettings().allKeys().isEmpty());
    }

    // The laser's port is second in the list: only "-port:2" opens it, and nothing else.
    void portArgumentPicksOnePortOfTheList() {
        for (const QString& argument :
             {QString("-port:2"), QString("-port:1"), QString("-port:abc"), QString("-port:9"),
              QString("-port:/dev/ttyUSB7")}) {
            PanelRig rig;
            rig.ports->AddSilentPort("/dev/ttyS0");
            rig.Start({argument});
            const bool found = argument == "-port:2";
            QCOMPARE(rig.window->ExitCode(), found ? std::nullopt : std::optional<int>(1));
            if (found)
                QCOMPARE(OpenedPorts(*rig.ports), std::vector<std::string>{"/dev/ttySIM0"});
            for (const std::string& port : OpenedPorts(*rig.ports))
                QVERIFY2(found || port != "/dev/ttySIM0", qPrintable(argument));
        }
    }

    void screenCheckWarnsOnceForASmallScreen() {
        const QString warning = QStringLiteral(
            "Tarvex Control Panel needs a minimum resolution of 1024x768 and screen text size "
            "less than medium size for a good user experience.  One of your screens has "
            "resolution less than required or screen text size is greater than medium.  Some of "
            "the items may not render on the screen correctly.");
        struct Case {
            QList<QRect> screens;
            int dpi;
            bool warns;
        } cases[] = {
            {{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720)}, 96, true},
            {{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1024, 768)}, 96, false},
            {{QRect(0, 0, 1000, 1080)}, 96, true},
            {{QRect(0, 0, 1920, 1080)}, 144, true},
        };
        for (const Case& c : cases) {
            PanelRig rig;
            rig.screens.geometries = c.screens;
            rig.screens.dpi = c.dpi;
            rig.Start();
            const auto warnings = rig.dialogs.Texts(RecordingDialogs::Kind::Warning);
            QCOMPARE(warnings.size(), c.warns ? 1u : 0u);
            if (c.warns)
                QCOMPARE(warnings.front(), warning);
            QVERIFY(!rig.window->ExitCode()); // a warning only
        }
    }

    void demoModeRunsOnTheBuiltInLaser() {
        PanelRig rig;
        rig.StartDemo();
        QVERIFY(!rig.window->ExitCode());
        QCOMPARE(rig.Controller().ConnectedPort(), std::string("simulated-laser"));
        QCOMPARE(rig.Controller().GetOperatingMode(), 4);
        auto* menu = rig.Find<QMenu>("menu_SimulatedLaser");
        QCOMPARE(menu->title(), QString("Simulated laser"));

        rig.Find<QAction>("action_InterlockClosed")->trigger(); // opens it
        rig.dialogs.numbers.push_back(34);
        rig.Find<QAction>("action_RaiseFaultCode")->trigger();
        rig.Tick();
        QVERIFY(rig.Shows("label_InterlockStatusLED", Lamp::Off));
        QCOMPARE(rig.Text("label_SysErrorWordValue"), QString("34"));
        rig.Click("commandLinkButton_ArmDisarm");
        QCOMPARE(rig.dialogs.Texts(RecordingDialogs::Kind::Information).size(), 1u);
    }

    void lostLinkShowsOneBoxAndExits() {
        PanelRig rig;
        rig.Start();
        // A modal box runs the event loop: further reports arrive while it is open.
        rig.dialogs.whileShown = [] { QCoreApplication::processEvents(); };
        rig.faults.Add({sim::Fault::Silent, std::nullopt, -1, 0.0, 0});
        rig.Tick(2);
        const QString lost = QStringLiteral(
            "Connection to laser lost!  Please make sure that the laser is on and cable "
            "connected. Control Panel will now shutdown.");
        QCOMPARE(rig.dialogs.Texts(RecordingDialogs::Kind::Critical), std::vector<QString>{lost});
        QCOMPARE(rig.dialogs.exits, std::vector<int>{1});
        QVERIFY(rig.Shows("label_ConnectedStatusLED", Lamp::Off));
        QVERIFY(!rig.window->isVisible());
    }
};

TARVEX_PANEL_TEST_MAIN(PanelStartupTest)
#include "panel_startup_test.moc"
