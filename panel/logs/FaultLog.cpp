#include "FaultLog.h"

#include "FaultList.h"
#include "KTarvexController.h"
#include "PanelPaths.h"
#include "PanelTrace.h"
#include "control/FaultCodes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

namespace tarvex::panel {

FaultLog::FaultLog(KTarvexController& controller, std::function<QString()> directory)
    : controller_(controller), directory_(std::move(directory)) {}

QString FaultLog::FileName() const {
    const QString directory = directory_();
    return InDirectory(directory.isNull() ? QDir::currentPath() : directory,
                       QStringLiteral("TarvexFaults_") +
                           QString::fromStdString(controller_.SerialNumber()) +
                           QStringLiteral(".log"));
}

QString FaultLog::Line(const QDateTime& when, std::uint16_t code) {
    const QString separator = QStringLiteral(",\t");
    return when.toString(Qt::TextDate) + separator + QStringLiteral("Error") + separator +
           QString::number(code) + separator +
           QCoreApplication::translate("FaultList", control::FaultText(code)) +
           QStringLiteral("\n");
}

void FaultLog::SaveSystemErrors() {
    SystemErrorsList lists;
    if (!controller_.ReadSystemErrors(lists))
        return;
    // Warnings are kept as errors too: the file has no other type.
    Append(lists.errors, lists.errorsIndex, lists.errorsNumItems, errors_);
    Append(lists.warnings, lists.warningsIndex, lists.warningsNumItems, warnings_);
    if (lists.errorsNumItems != 0 || lists.warningsNumItems != 0)
        controller_.ClearFaultList();
}

void FaultLog::Append(const std::array<std::uint16_t, SystemErrorsList::kRingSize>& ring,
                      std::uint16_t index, std::uint16_t newItems, std::uint16_t& counter) {
    if (newItems == 0)
        return;
    counter = static_cast<std::uint16_t>(counter + newItems);
    const QString fileName = FileName();
    for (const std::uint16_t code : control::NewestFirst(ring, index, newItems)) {
        const QString line = Line(QDateTime::currentDateTime(), code);
        qCDebug(lcPanel, "Save Text: %s", qPrintable(line));
        // A file that cannot be opened loses the line; the next fault tries again.
        QFile file(fileName);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text |
                      QIODevice::Unbuffered))
            file.write(line.toLocal8Bit());
    }
}

void FaultLog::ShowLog(QWidget* parent) {
    auto* window = new FaultList(FileName(), parent);
    window->show();
}

} // namespace tarvex::panel
