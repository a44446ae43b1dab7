#include "CommSettingsPage.h"

#include "KTarvexController.h"
#include "PanelDialogs.h"
#include "PanelShell.h"
#include "PanelTrace.h"
#include "control/SystemSettings.h"
#include "transport/UdpSocket.h"

#include <optional>

namespace tarvex::panel {

namespace {

constexpr int kUdpIndex = 1;

QString Dotted(std::uint32_t address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xFF)
        .arg(address >> 8 & 0xFF)
        .arg(address & 0xFF);
}

} // namespace

CommSettingsPage::CommSettingsPage(PanelShell& shell, QWidget* parent) : FormPage(shell, parent) {
    connect(ui.comboBox_useTransport, &QComboBox::currentIndexChanged, this,
            &CommSettingsPage::comboBox_useTransportIndexChanged);
    connect(ui.commandLinkButton_SaveIPInfo, &QAbstractButton::clicked, this,
            &CommSettingsPage::commandLinkButton_SaveIPInfoClicked);
    connect(ui.commandLinkButton_ProvisionIP, &QAbstractButton::clicked, this,
            &CommSettingsPage::commandLinkButton_ProvisionIPClicked);
}

void CommSettingsPage::InitializeUI() {
    ui.comboBox_useTransport->clear();
    ui.comboBox_useTransport->addItems({tr("Serial Port"), tr("UDP")});
}

void CommSettingsPage::Opening() {
    // Through "none", so that the chosen transport's fields are filled afresh.
    ui.comboBox_useTransport->setCurrentIndex(-1);
    ui.comboBox_useTransport->setCurrentIndex(shell_.SettingsTransport() - 1);
}

void CommSettingsPage::comboBox_useTransportIndexChanged(int index) {
    if (!shell_.UiReady() || index < 0)
        return;
    qCDebug(lcPanel, "MainWindow::comboBox_useTransportIndexChanged");
    KTarvexController& controller = shell_.Controller();
    ui.stackedWidget_commSettings->setCurrentIndex(index);
    if (index == kUdpIndex) {
        ui.lineEdit_TarvexIPAddress->setText(Dotted(controller.GetUdpAddress()));
        ui.lineEdit_TarvexPort->setText(QString::number(controller.GetUdpPort()));
    } else {
        const ProvisioningIpAddr ip =
            controller.ReadCache([](const LaserCache& c) { return c.provisioningIp; });
        ui.lineEdit_IPAddressProvision->setText(Dotted(ip.ipAddr));
        ui.lineEdit_DefaultGateway->setText(Dotted(ip.defGateway));
        ui.lineEdit_SubnetMask->setText(Dotted(ip.subnetMask));
        ui.lineEdit_PortProvision->setText(QString::number(ip.port));
    }
    const int transport = index + 1;
    if (transport != controller.GetTransportType() && !restartTold_) {
        restartTold_ = true;
        shell_.Dialogs().Information(
            shell_.Window(),
            tr("Changing the transport requires you to restart the Control Panel.  If the "
               "transport changes from currently used transport, please restart the control "
               "panel."));
    }
    // The link in use stays as it is: the choice is for the next start.
    if (transport != shell_.SettingsTransport()) {
        shell_.SetSettingsTransport(transport);
        shell_.SaveSettings();
    }
}

void CommSettingsPage::commandLinkButton_SaveIPInfoClicked() {
    qCDebug(lcPanel, "MainWindow::commandLinkButton_SaveIPInfoClicked");
    const auto address = ParseAddress(*ui.lineEdit_TarvexIPAddress);
    const auto port = address ? ParsePort(*ui.lineEdit_TarvexPort) : std::nullopt;
    if (!port)
        return;
    shell_.Controller().SetUdpAddress(*address, *port);
    shell_.SaveSettings();
}

void CommSettingsPage::commandLinkButton_ProvisionIPClicked() {
    qCDebug(lcPanel, "MainWindow::commandLinkButton_ProvisionIPClicked");
    ProvisioningIpAddr ip;
    for (auto [field, value] : {std::pair{ui.lineEdit_IPAddressProvision, &ip.ipAddr},
                                std::pair{ui.lineEdit_DefaultGateway, &ip.defGateway},
                                std::pair{ui.lineEdit_SubnetMask, &ip.subnetMask}}) {
        const auto address = ParseAddress(*field);
        if (!address)
            return;
        *value = *address;
    }
    const auto port = ParsePort(*ui.lineEdit_PortProvision);
    if (!port)
        return;
    ip.port = *port;
    if (!control::WriteProvisioning(shell_.Controller(), ip))
        shell_.Dialogs().Information(shell_.Window(), tr("Unable to save the provisioning data."));
}

std::optional<std::uint32_t> CommSettingsPage::ParseAddress(QLineEdit& field) {
    std::uint32_t address = 0;
    const QString text = field.text().trimmed();
    if (ParseIpv4(text.toLatin1().constData(), address))
        return address;
    Refuse(field, tr("\"%1\" is not an IPv4 address: four numbers from 0 to 255 separated by "
                     "dots, such as 10.10.10.10.  Nothing was saved.")
                      .arg(text));
    return std::nullopt;
}

std::optional<std::uint16_t> CommSettingsPage::ParsePort(QLineEdit& field) {
    bool ok = false;
    const QString text = field.text().trimmed();
    const uint port = text.toUInt(&ok, 10);
    if (ok && port >= 1 && port <= 0xFFFF)
        return static_cast<std::uint16_t>(port);
    Refuse(field, tr("\"%1\" is not a port number from 1 to 65535.  Nothing was saved.").arg(text));
    return std::nullopt;
}

void CommSettingsPage::Refuse(QLineEdit& field, const QString& text) {
    shell_.Dialogs().Information(shell_.Window(), text);
    field.setFocus();
    field.selectAll();
}

} // namespace tarvex::panel
