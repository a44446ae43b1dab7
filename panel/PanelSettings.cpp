#include "PanelSettings.h"

#include <QCoreApplication>
#include <QSettings>

namespace tarvex::panel {

namespace {

const char* const kGroup = "TarvexControl";

std::optional<QString> OptionalString(const QSettings& settings, const char* key) {
    if (!settings.contains(QLatin1String(key)))
        return std::nullopt;
    return settings.value(QLatin1String(key)).toString();
}

} // namespace

void PanelSettings::SetApplicationNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrune Photonics"));
    QCoreApplication::setApplicationName(QStringLiteral("TarvexControl"));
}

PanelSettings PanelSettings::Read() {
    QSettings settings;
    settings.beginGroup(QLatin1String(kGroup));
    PanelSettings read;
    read.transport = settings.value(QStringLiteral("UseTransport"), read.transport).toInt();
    read.udpAddress = settings.value(QStringLiteral("UDPAddress"), read.udpAddress).toUInt();
    read.udpPort = static_cast<std::uint16_t>(
        settings.value(QStringLiteral("UDPPort"), int{read.udpPort}).toInt() & 0xFFFF);
    read.loggingEnabled =
        settings.value(QStringLiteral("LoggingEnabled"), read.loggingEnabled).toBool();
    read.logFileName = OptionalString(settings, "LogFileName");
    read.faultFileDir = OptionalString(settings, "FaultFileDir");
    return read;
}

void PanelSettings::Write() const {
    QSettings settings;
    settings.beginGroup(QLatin1String(kGroup));
    settings.setValue(QStringLiteral("UseTransport"), transport);
    settings.setValue(QStringLiteral("UDPAddress"), udpAddress);
    settings.setValue(QStringLiteral("UDPPort"), int{udpPort});
    settings.setValue(QStringLiteral("LoggingEnabled"), loggingEnabled);
    settings.setValue(QStringLiteral("LogFileName"), logFileName.value_or(QString()));
    settings.setValue(QStringLiteral("FaultFileDir"), faultFileDir.value_or(QString()));
}

} // namespace tarvex::panel
