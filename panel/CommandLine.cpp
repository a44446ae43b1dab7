#include "CommandLine.h"

#include "KTarvexController.h"

namespace tarvex::panel {

namespace {

// The value an argument carries after `option`: the second part when the argument splits at
// ":" into exactly two non-empty parts. A device path is taken whole, since by-path device
// names carry colons of their own.
std::optional<QString> OptionValue(const QString& argument, const QString& option) {
    const QString rest = argument.mid(argument.indexOf(option) + option.size());
    if (rest.startsWith(QLatin1Char('/')))
        return rest;
    const QStringList parts = argument.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return std::nullopt;
    return parts[1];
}

} // namespace

CommandLine ParseArguments(const QStringList& arguments) {
    static const QString kPort = QStringLiteral("-port:");
    static const QString kBaud = QStringLiteral("-baud:");
    CommandLine options;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-manufacturing"))
            options.runMode = operating_mode::kManufacturing;
        if (argument == QLatin1String("-demo"))
            options.runMode = operating_mode::kDemo;
        if (argument == QLatin1String("-ethTest"))
            options.runMode = operating_mode::kEthernetTest;
        if (argument == QLatin1String("-debug"))
            options.debug = true;
        if (argument.contains(kPort)) {
            if (const auto value = OptionValue(argument, kPort)) {
                PortOverride port;
                if (value->startsWith(QLatin1Char('/')))
                    port.device = *value;
                else
                    port.number = value->toInt(); // 0 when it is no number
                options.port = port;
            }
        }
        if (argument.contains(kBaud)) {
            if (const auto value = OptionValue(argument, kBaud))
                options.baud = value->toUInt();
        }
        if (argument.contains(QLatin1String("-galvo")))
            options.galvo = true;
        if (argument.contains(QLatin1String("-dev")))
            options.developer = true;
    }
    return options;
}

} // namespace tarvex::panel
