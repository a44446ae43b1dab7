// The maintenance pages on the real main window and the simulated laser: About with the firmware
// update and the configuration export and import, Comm Settings, Galvo, Factory and the user
// guide.
#include "PanelRig.h"
#include "codec/Crc.h"
#include "control/SystemSettings.h"
#include "files/ConfigFile.h"
#include "records/ConfigImages.h"
#include "support/UfpText.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;
using tarvex::test::BitReversed;
using tarvex::test::ImageBytes;
using tarvex::test::UfpText;
using Kind = RecordingDialogs::Kind;

namespace {

constexpr std::uint32_t kUdpAddress = 0x0A0A0A0A;
constexpr std::uint16_t kUdpPort = 1234;

QString WriteFile(const QTemporaryDir& directory, const QString& name, const QByteArray& bytes) {
    const QString path = directory.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString Ufp(const QTemporaryDir& directory, const QString& name, std::size_t bytes) {
    return WriteFile(directory, name, QByteArray::fromStdString(UfpText(ImageBytes(bytes))));
}

sim::ConfigSimState LaserConfig(PanelRig& rig) {
    return rig.laser.Inspect([](const sim::SimState& s) { return s.config; });
}

const char* const kKinds[] = {"information", "warning", "critical", "question"};

QString Box(Kind kind, const QString& title, const QString& text) {
    return QString("%1 \"%2\": %3").arg(kKinds[static_cast<int>(kind)], title, text);
}

// The last message box: its kind, title and text.
QString LastBox(const RecordingDialogs& dialogs) {
    if (dialogs.messages.empty())
        return "none";
    const auto& box = dialogs.messages.back();
    return Box(box.kind, box.title, box.text);
}

const QString kPanelBox = kPanelTitle;

} // namespace

class PanelMaintenanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QSettings().clear(); }

    void aboutPageShowsTheMotionFirmwareByTheControllerGate() {
        PanelRig rig;
        rig.Start();
        const struct {
            FirmwareVersion controller;
            QString motion;
        } cases[] = {{{1, 7, 14, 0, 0}, "1.48"}, {{1, 7, 15, 0, 0}, "1.3.0"}};
        for (const auto& c : cases) {
            rig.Controller().UpdateCache([&](LaserCache& cache) {
                cache.firmware = c.controller;
                cache.admin.motionFirmwareVersion = 0x0130;
            });
            rig.Click("cmdLinkButton_General");
            QCOMPARE(rig.Text("label_motionFirmwareVersionValue"), c.motion);
        }
        QCOMPARE(rig.Text("label_FirmwareVersionValue"), QString("1.7.15"));
        QCOMPARE(rig.Text("label_SoftwareVersionValue"), QCoreApplication::applicationVersion());
        QVERIFY(!QCoreApplication::applicationVersion().isEmpty());
        QVERIFY(rig.Find<QWidget>("commandLinkButton_UpdateFirmware")->isEnabled());
    }

    void updateButtonIsDisabledOnUdp() {
        QSettings().setValue("TarvexControl/UseTransport", 2);
        PanelRig rig;
        rig.ports->SetUdpLaser(kUdpAddress, kUdpPort, rig.link);
        rig.Start({}, false);
        QVERIFY(!rig.window->ExitCode());
        rig.Click("cmdLinkButton_General");
        QVERIFY(!rig.Find<QWidget>("commandLinkButton_UpdateFirmware")->isEnabled());
        QVERIFY(rig.Find<QWidget>("commandLinkButton_ExportConfig")->isEnabled());
    }

    void firmwareUpdateEndsTheProgramWithTheImageOnTheLaser() {
        const struct {
            QString file;
            bool controllerImage;
            QString title;
            QString text;
        } cases[] = {
            {"Tarvex_PROM_prod_2.2.0.ufp", true, "Software Update",
             "Controller Software successfully updated. Tarvex Control Panel will now exit.  "
             "Please power cycle the laser and start Control Panel."},
            {"tarvex2_motion_prod.ufp", false, "Firmware Update",
             "Motion Board firmware successfully updated.  Tarvex Control Panel will now exit.  "
             "Please power cycle the laser for the new firmware to take effect."},
        };
        for (const auto& c : cases) {
            PanelRig rig;
            rig.Start();
            QTemporaryDir directory;
            rig.dialogs.files.push_back(Ufp(directory, c.file, 400));
            rig.Click("cmdLinkButton_General");
            // The status timer fires while the window processes its events between frames; with
            // a fault shown, its display would read the fault lists, but the link is the
            // update's.
            rig.laser.InjectError(34);
            rig.Tick();
            rig.dialogs.whileInProgress = [&rig] { rig.window->Timeout(); };
            rig.Click("commandLinkButton_UpdateFirmware");
            const auto request = rig.dialogs.fileRequests.back();
            QCOMPARE(request.caption, QString("Select Software Update File"));
            QCOMPARE(request.filter, QString("Update files (*.ufp)"));
            QCOMPARE(LastBox(rig.dialogs), Box(Kind::Information, c.title, c.text));
            QCOMPARE(rig.dialogs.exits, std::vector<int>{0});
            QVERIFY(!rig.window->isVisible());

            const auto boot =
                rig.laser.Inspect([](const sim::SimState& s) { return s.config.firmwareUpdate; });
            QVERIFY((c.controllerImage ? boot.image : boot.motionImage) ==
                    BitReversed(ImageBytes(400)));
            QCOMPARE(rig.dialogs.progressLabels,
                     std::vector<QString>({"Erasing Flash ...", "Writing Flash..."}));
            QCOMPARE(rig.dialogs.progressMaximum, 25); // records of 16 bytes
            QCOMPARE(rig.dialogs.progressValue, 25);
            QCOMPARE(rig.dialogs.progressOpen, 0);
            QVERIFY(!rig.Controller().HeartbeatPaused());
        }
    }

    void refusedOrFailedUpdatesSayWhyAndThePanelGoesOn() {
        PanelRig rig;
        rig.Start();
        QTemporaryDir directory;
        std::string corrupt = UfpText(ImageBytes(320));
        corrupt[4 * 34 + 7] = 'Q'; // record 5
        const struct {
            QString file;
            QString title;
            QString text; // the start of it
        } refused[] = {
            {WriteFile(directory, "Tarvex_PROM_prod.ufp", QByteArray::fromStdString(corrupt)),
             "Invalid Firmware File", "Invalid update file"},
            {Ufp(directory, "controller.ufp", 32), "Invalid Firmware File",
             "Please select a valid firmware update file."},
            {directory.filePath("Tarvex_PROM_MultiBoot_missing.ufp"), "Software Update Error",
             "Unable to open file."},
        };
        rig.Click("cmdLinkButton_General");
        for (const auto& r : refused) {
            rig.dialogs.files.push_back(r.file);
            rig.Click("commandLinkButton_UpdateFirmware");
            const QString box = LastBox(rig.dialogs);
            QVERIFY2(box.startsWith(Box(Kind::Warning, r.title, r.text)), qPrintable(box));
        }
        QCOMPARE(rig.laser.Executed(kExecFirmwareUpdateCmd), 0u);
        QCOMPARE(rig.dialogs.progressShown, 0);

        // The laser stops answering the frames: not every record reaches it.
        rig.laser.Modify(
            [](sim::SimState& s) { s.config.firmwareUpdate.faults.silentFrames = 1000; });
        rig.dialogs.files.push_back(Ufp(directory, "Tarvex_PROM_prod_2.ufp", 160));
        rig.Click("commandLinkButton_UpdateFirmware");
        QCOMPARE(LastBox(rig.dialogs),
                 Box(Kind::Warning, QString("Software Update"),
                     QString("Update not successful. 9 of 10 records written")));
        QVERIFY(rig.dialogs.exits.empty());
        QCOMPARE(rig.dialogs.progressOpen, 0);
        // The panel goes on: the heartbeat runs again and the status display follows it.
        QVERIFY(!rig.Controller().HeartbeatPaused());
        rig.Tick();
        QVERIFY(!rig.window->ExitCode());
    }

    // The import refuses another laser's file and puts the exported one back; neither transfer
    // runs while the laser is armed.
    void exportThenImportRestoresTheLaserAndEndsTheProgram() {
        PanelRig rig;
        rig.Start();
        QTemporaryDir directory;
        const QString file = directory.filePath("laser.tcfg");
        const sim::ConfigSimState original = LaserConfig(rig);

        rig.Click("cmdLinkButton_General");
        rig.dialogs.files.push_back(file);
        rig.Click("commandLinkButton_ExportConfig");
        QCOMPARE(rig.dialogs.fileRequests.back().caption,
                 QString("Select File to Save Configuration"));
        QCOMPARE(rig.dialogs.fileRequests.back().filter,
                 QString("Tarvex Configuration files (*.tcfg)"));
        QCOMPARE(LastBox(rig.dialogs), Box(Kind::Information, kPanelBox,
                                           QString("Tarvex configuration exported successfully.")));
        QCOMPARE(QFileInfo(file).size(), qint64(kConfigFileSize));
        QCOMPARE(rig.dialogs.progressLabels.back(), QString("Exporting Configuration..."));

        // Another laser's file: its serial number differs.
        QFile exported(file);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QByteArray bytes = exported.readAll();
        bytes[kConfigFileSysConfigOffset + kSysConfigSerialOffset + 3] = 'X';
        const std::uint16_t crc = Crc16(0, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        kConfigFileCrcOffset);
        bytes[kConfigFileCrcOffset] = static_cast<char>(crc & 0xFF);
        bytes[kConfigFileCrcOffset + 1] = static_cast<char>(crc >> 8);
        rig.dialogs.files.push_back(WriteFile(directory, "other.tcfg", bytes));
        const std::size_t writes = LaserConfig(rig).sysConfigWrites;
        rig.Click("commandLinkButton_ImportConfig");
        QCOMPARE(LastBox(rig.dialogs),
                 Box(Kind::Critical, kPanelBox,
                     QString("Error importing configuration.\n\nError - Model number or "
                             "serial number mismatched")));
        QCOMPARE(LaserConfig(rig).sysConfigWrites, writes);
        QVERIFY(rig.dialogs.exits.empty());

        // The laser's configuration changes; the import puts the exported one back.
        rig.laser.Modify([](sim::SimState& s) {
            s.config.sysConfig[100] ^= 0x5A;
            s.config.eeprom[1][500] ^= 0x5A;
        });
        rig.dialogs.files.push_back(file);
        rig.Click("commandLinkButton_ImportConfig");
        QCOMPARE(rig.dialogs.fileRequests.back().caption,
                 QString("Select File to Import Configuration"));
        QCOMPARE(LastBox(rig.dialogs),
                 Box(Kind::Information, kPanelBox,
                     QString("Tarvex configuration imported successfully. Tarvex Control "
                             "Panel will now exit.  Please power cycle the laser and "
                             "start Control Panel.")));
        QCOMPARE(rig.dialogs.exits, std::vector<int>{0});
        const sim::ConfigSimState restored = LaserConfig(rig);
        QVERIFY(restored.sysConfig == original.sysConfig);
        // The image past its first field, which goes as 0 both ways.
        QVERIFY(std::equal(restored.eeprom[1].begin() + 5, restored.eeprom[1].end(),
                           original.eeprom[1].begin() + 5));

        rig.Arm();
        rig.dialogs.Clear();
        const std::size_t asked = rig.dialogs.fileRequests.size();
        rig.Click("commandLinkButton_ExportConfig");
        rig.Click("commandLinkButton_ImportConfig");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>({"Please disarm the laser before exporting configuration.",
                                       "Please disarm the laser before importing configuration."}));
        QCOMPARE(rig.dialogs.fileRequests.size(), asked);
    }

    // The transport choice is for the next start and tells so once; addresses that do not parse
    // are refused and nothing is written.
    void commSettingsPage() {
        PanelRig rig;
        rig.Start({"-manufacturing"});
        rig.Click("commandLinkButton_CommSettings");
        QCOMPARE(rig.Text("label_CurrentTabName"), QString("Comm Settings >"));
        auto* transport = rig.Find<QComboBox>("comboBox_useTransport");
        auto* pages = rig.Find<QStackedWidget>("stackedWidget_commSettings");
        QCOMPARE(transport->currentText(), QString("Serial Port"));
        QCOMPARE(pages->currentIndex(), 0);
        // The laser's own settings as it reported them.
        QCOMPARE(rig.Find<QLineEdit>("lineEdit_IPAddressProvision")->text(),
                 QString("192.168.1.10"));
        QVERIFY(rig.dialogs.messages.empty());

        transport->setCurrentIndex(1);
        QCOMPARE(pages->currentIndex(), 1);
        QCOMPARE(rig.Find<QLineEdit>("lineEdit_TarvexIPAddress")->text(), QString("10.10.10.10"));
        QCOMPARE(rig.Find<QLineEdit>("lineEdit_TarvexPort")->text(), QString("1234"));
        QCOMPARE(rig.dialogs.Texts(Kind::Information).size(), 1u);
        QVERIFY(rig.dialogs.messages.front().text.startsWith(
            "Changing the transport requires you to restart the Control Panel."));
        QCOMPARE(QSettings().value("TarvexControl/UseTransport").toInt(), 2);
        // The link in use stays serial: updates still go over it.
        QCOMPARE(rig.Controller().GetTransportType(), 1);
        rig.Click("cmdLinkButton_General");
        QVERIFY(rig.Find<QWidget>("commandLinkButton_UpdateFirmware")->isEnabled());

        rig.Click("commandLinkButton_CommSettings"); // shows the choice kept
        QCOMPARE(transport->currentIndex(), 1);
        transport->setCurrentIndex(0);
        transport->setCurrentIndex(1);
        QCOMPARE(rig.dialogs.messages.size(), 1u);
        QCOMPARE(QSettings().value("TarvexControl/UseTransport").toInt(), 2);

        rig.dialogs.Clear();
        auto* address = rig.Find<QLineEdit>("lineEdit_TarvexIPAddress");
        auto* port = rig.Find<QLineEdit>("lineEdit_TarvexPort");
        for (const auto& [addressText, portText] :
             {std::pair{"10.10.10", "1234"}, std::pair{"10.0.0.300", "1234"},
              std::pair{"10.0.0.5", "70000"}, std::pair{"10.0.0.5", "0"},
              std::pair{"10.0.0.5", "12ab"}}) {
            address->setText(addressText);
            port->setText(portText);
            rig.Click("commandLinkButton_SaveIPInfo");
        }
        QCOMPARE(rig.dialogs.Texts(Kind::Information).size(), 5u);
        QVERIFY(rig.dialogs.messages.front().text.contains("\"10.10.10\" is not an IPv4 address"));
        QVERIFY(rig.dialogs.messages.back().text.contains("\"12ab\" is not a port number"));
        QCOMPARE(rig.Controller().GetUdpAddress(), kUdpAddress);
        QCOMPARE(QSettings().value("TarvexControl/UDPAddress").toUInt(), kUdpAddress);

        address->setText(" 192.168.7.20 ");
        port->setText("5001");
        rig.Click("commandLinkButton_SaveIPInfo");
        QCOMPARE(rig.Controller().GetUdpAddress(), 0xC0A80714u);
        QCOMPARE(QSettings().value("TarvexControl/UDPAddress").toUInt(), 0xC0A80714u);
        QCOMPARE(QSettings().value("TarvexControl/UDPPort").toInt(), 5001);

        // The laser's own IP settings: a bad field sends nothing.
        transport->setCurrentIndex(0);
        rig.dialogs.Clear();
        const std::size_t sent = rig.laser.Executed(ProvisioningIpAddr::kCmd);
        rig.Find<QLineEdit>("lineEdit_IPAddressProvision")->setText("192.168.1.77");
        rig.Find<QLineEdit>("lineEdit_DefaultGateway")->setText("192.168.1");
        rig.Click("commandLinkButton_ProvisionIP");
        QCOMPARE(rig.dialogs.Texts(Kind::Information).size(), 1u);
        QCOMPARE(rig.laser.Executed(ProvisioningIpAddr::kCmd), sent);

        rig.Find<QLineEdit>("lineEdit_DefaultGateway")->setText("192.168.1.1");
        rig.Find<QLineEdit>("lineEdit_PortProvision")->setText("4000");
        rig.Click("commandLinkButton_ProvisionIP");
        const auto kept =
            rig.laser.Inspect([](const sim::SimState& s) { return s.saved.provisioning; });
        QCOMPARE(kept.ipAddr, 0xC0A8014Du);
        QCOMPARE(kept.defGateway, 0xC0A80101u);
        QCOMPARE(kept.port, std::uint16_t{4000});
        QCOMPARE(rig.dialogs.messages.size(), 1u);

        // A laser that does not take them: the message, and the cache as the laser has it.
        rig.faults.Add({sim::Fault::Silent, ProvisioningIpAddr::kCmd, 1, 0.0, 0});
        rig.Find<QLineEdit>("lineEdit_PortProvision")->setText("4001");
        rig.Click("commandLinkButton_ProvisionIP");
        QCOMPARE(rig.dialogs.messages.back().text,
                 QString("Unable to save the provisioning data."));
        QCOMPARE(rig.Controller().Snapshot().provisioningIp.port, std::uint16_t{4000});
    }

    void galvoPageWarnsMovesAndStoresThePositions() {
        PanelRig rig;
        rig.laser.Modify([](sim::SimState& s) {
            for (int i = 0; i < 4; ++i)
                s.diagnostics.testGalvo[i].dac_count = 1000 * (i + 1);
        });
        rig.Start({"-galvo"});
        const std::size_t writesBefore = rig.laser.Executed(TestGalvoParams::kCmd);
        rig.Click("commandLinkButton_Galvo");
        QCOMPARE(rig.Text("label_CurrentTabName"), QString("Galvo >"));
        QCOMPARE(rig.dialogs.Texts(Kind::Warning),
                 std::vector<QString>{"This tab allows you to set galvo positions which can "
                                      "cause harm to laser.  This is intended for advanced "
                                      "users.  Please use with caution."});
        QCOMPARE(rig.Find<QSpinBox>("spinBox_Galvo3")->value(), 3000);
        // Five reads, and no write for showing the counts.
        QCOMPARE(rig.laser.Executed(TestGalvoParams::kCmd), writesBefore + 5);

        rig.Find<QSpinBox>("spinBox_Galvo2")->setValue(2500);
        QCOMPARE(rig.laser.Inspect(
                     [](const sim::SimState& s) { return s.diagnostics.testGalvo[1].dac_count; }),
                 2500);

        const std::size_t configWrites = LaserConfig(rig).sysConfigWrites;
        const SysConfigImage before = LaserConfig(rig).sysConfig;
        rig.Click("pushButton_SaveGalvoPositions");
        QCOMPARE(rig.dialogs.Texts(Kind::Warning).back(),
                 QString("All channels are now inactive.  If the laser is armed, please disarm "
                         "the laser and arm it again."));
        const SysConfigImage after = LaserConfig(rig).sysConfig;
        QCOMPARE(LaserConfig(rig).sysConfigWrites, configWrites + 1);
        // Big-endian in the laser, and nothing else of the record changed.
        const std::uint16_t expected[] = {1000, 2500, 3000, 4000};
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t at = control::kSysConfigGalvoOffset + 2 * i;
            QCOMPARE(after[at] << 8 | after[at + 1], int{expected[i]});
        }
        for (std::size_t i = 0; i < kSysConfigSize; ++i)
            if (i < control::kSysConfigGalvoOffset || i >= control::kSysConfigGalvoOffset + 8)
                QCOMPARE(after[i], before[i]);

        rig.faults.Add({sim::Fault::Silent, kSysConfigCmd, 1, 0.0, 0});
        rig.Click("pushButton_SaveGalvoPositions");
        QCOMPARE(rig.dialogs.Texts(Kind::Warning).back(),
                 QString("Failed to read system configuration."));
    }

    void factoryPageShowsIdentityAndEveryLimit() {
        PanelRig rig;
        rig.Start({"-manufacturing"});
        rig.Click("cmdLinkButton_Manufacturing");
        QCOMPARE(rig.Text("label_CurrentTabName"), QString("Factory >"));
        QCOMPARE(rig.Text("label_FactorySerialNumValue"), QString("TVX0042"));
        QCOMPARE(rig.Text("label_FactoryFirmwareVerValue"), QString("2.1.4"));
        QCOMPARE(rig.Text("label_FactorySoftwareVersionValue"), QString("2.1.4"));
        QCOMPARE(rig.Find<QComboBox>("comboBox_qcl_manufacturing")->count(), 4);
        // The same limits as the About page shows, the scan rate's among them.
        rig.Find<QComboBox>("comboBox_qcl_manufacturing")->setCurrentIndex(2);
        const AdminQclParams qcl = rig.Controller().Snapshot().adminQcl[2];
        QCOMPARE(rig.Find<QLineEdit>("lineEdit_FactoryMaxScanRate")->text(),
                 QString::number(static_cast<double>(qcl.max_scan_rate), 'g', 6));
        QVERIFY(rig.Find<QLineEdit>("lineEdit_FactoryMaxScanRate")->isVisibleTo(rig.window.get()));
        QVERIFY(!rig.Find<QWidget>("cmdLinkButton_ApplySettings")->isEnabled());
    }

    void userGuideOpensFromTheCurrentDirectory() {
        PanelRig rig;
        rig.Start();
        auto* help = rig.Find<QLabel>("label_Help");
        Q_EMIT help->linkActivated("guide");
        QCOMPARE(rig.dialogs.Texts(Kind::Information),
                 std::vector<QString>{"Could not locate Tarvex user guide.  Please check under "
                                      "Windows Start Menu and launch it manually."});
        QVERIFY(rig.dialogs.documents.empty());

        const QString guide =
            QDir::current().filePath("Tarvex VQS Mid-IR External Cavity Laser System.pdf");
        QFile file(guide);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        rig.dialogs.Clear();
        Q_EMIT help->linkActivated("guide");
        QCOMPARE(rig.dialogs.documents, std::vector<QString>{QDir::toNativeSeparators(guide)});
        QVERIFY(rig.dialogs.messages.empty());
        // A desktop with no viewer for it is told to the user too.
        rig.dialogs.documentsOpen = false;
        Q_EMIT help->linkActivated("guide");
        QCOMPARE(rig.dialogs.Texts(Kind::Information).size(), std::size_t{1});
        QFile::remove(guide);
    }
};

TARVEX_PANEL_TEST_MAIN(PanelMaintenanceTest)
#include "panel_maintenance_test.moc"
