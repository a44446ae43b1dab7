#include "ParameterLogger.h"

#include "KTarvexController.h"
#include "LivePlot.h"
#include "PanelPaths.h"
#include "PanelTrace.h"
#include "files/ParameterLog.h"

#include <QDateTime>

namespace tarvex::panel {

namespace {

std::tm LocalTime(const QDateTime& now) {
    std::tm local{};
    local.tm_year = now.date().year() - 1900;
    local.tm_mon = now.date().month() - 1;
    local.tm_mday = now.date().day();
    local.tm_hour = now.time().hour();
    local.tm_min = now.time().minute();
    local.tm_sec = now.time().second();
    return local;
}

} // namespace

ParameterLogger::ParameterLogger(KTarvexController& controller, Clock& clock,
                                 std::function<QString()> fileName)
    : controller_(controller), clock_(clock), fileName_(std::move(fileName)),
      epochAtClockOrigin_(QDateTime::currentMSecsSinceEpoch() -
                          static_cast<std::int64_t>(clock.NowMs())) {}

std::size_t ParameterLogger::LoggedQcls() const {
    return controller_.GetOperatingMode() == operating_mode::kCachesOnly
               ? kMaxQcls
               : controller_.InstalledQcls();
}

void ParameterLogger::Tick(bool toFile) {
    const LaserCache cache = controller_.Snapshot();
    const std::size_t qcls = LoggedQcls();
    if (toFile)
        Append(cache, qcls);
    const ParameterSample sample = ParameterSample::From(
        cache, qcls, epochAtClockOrigin_ + static_cast<std::int64_t>(clock_.NowMs()));
    history_.Add(sample);
    Q_EMIT Sampled(sample);
}

void ParameterLogger::Append(const LaserCache& cache, std::size_t qcls) {
    const QString fileName = fileName_();
    if (fileName.isEmpty())
        return;
    qCDebug(lcPanel, "Log File: %s", qPrintable(fileName));
    // A file that cannot be written loses the line; logging stays on and the next tick tries
    // again.
    AppendParameterLog(ToPath(fileName), cache, qcls, LocalTime(QDateTime::currentDateTime()));
}

void ParameterLogger::ShowPlot(QWidget* parent) {
    auto* plot = new LivePlot(*this, parent);
    plot->show();
}

} // namespace tarvex::panel
