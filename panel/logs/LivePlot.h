#pragma once

#include "ParameterHistory.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QChart;
class QComboBox;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace tarvex::panel {

class ParameterLogger;

// The "Live Plot" window: what the parameter log writes, drawn over the last ten minutes as the
// status ticks come (each QCL's temperature and TEC current, the case and board temperatures)
// and the wavelength or wavenumber the laser reports. It shows the minutes before it opened as
// well, and is deleted when it is closed.
class LivePlot final : public QWidget {
    Q_OBJECT
public:
    LivePlot(ParameterLogger& logger, QWidget* parent = nullptr);

    // Charts in order: temperatures, TEC currents, wavelength.
    static constexpr int kCharts = 3;
    QChart* Chart(int index) const { return charts_[index].chart; }
    // The points drawn of one curve, by its name in the legend.
    const QLineSeries* Curve(const QString& name) const;

public Q_SLOTS:
    void Add(const tarvex::panel::ParameterSample& sample);
    // 0: wavelength in µm, 1: wavenumber in cm-1.
    void comboBox_plotUnitIndexChanged(int index);

private:
    struct Axes {
        QChart* chart = nullptr;
        QDateTimeAxis* time = nullptr;
        QValueAxis* values = nullptr;
    };
    struct Plotted {
        QLineSeries* series = nullptr;
        int chart = 0;
        std::function<std::optional<float>(const ParameterSample&)> value;
    };

    void AddCurve(int chart, const QString& name,
                  std::function<std::optional<float>(const ParameterSample&)> value);
    void Append(const ParameterSample& sample);
    void Reload();
    // Drops the points older than the span before `newestMs` and fits the axes to the rest.
    void Fit(std::int64_t newestMs);

    const ParameterHistory& history_;
    Axes charts_[kCharts];
    std::vector<Plotted> curves_;
    QComboBox* unit_ = nullptr;
};

} // namespace tarvex::panel
