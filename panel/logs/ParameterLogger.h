#pragma once

#include "LogHooks.h"
#include "ParameterHistory.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tarvex {
class Clock;
class KTarvexController;
} // namespace tarvex

namespace tarvex::panel {

// The parameter log: at every status tick, the laser's temperatures and currents from the
// controller's cache, kept for the live plot and, while logging is enabled, appended to the log
// file as one tab-separated line (after the header when the file is new or was deleted).
class ParameterLogger final : public QObject, public ParameterLogHook {
    Q_OBJECT
public:
    // `fileName` gives the log file's name in force at each tick; `clock` times the samples.
    ParameterLogger(KTarvexController& controller, Clock& clock, std::function<QString()> fileName);

    void Tick(bool toFile) override;
    void ShowPlot(QWidget* parent) override;

    const ParameterHistory& History() const { return history_; }
    // The QCLs the log has columns for: those installed, or all four when the controller works
    // on its caches only.
    std::size_t LoggedQcls() const;

Q_SIGNALS:
    void Sampled(const tarvex::panel::ParameterSample& sample);

private:
    void Append(const LaserCache& cache, std::size_t qcls);

    KTarvexController& controller_;
    Clock& clock_;
    std::function<QString()> fileName_;
    // The wall time at the clock's origin: samples carry wall times that move with the clock.
    std::int64_t epochAtClockOrigin_;
    ParameterHistory history_;
};

} // namespace tarvex::panel
