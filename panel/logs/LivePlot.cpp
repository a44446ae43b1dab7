#include "LivePlot.h"

#include "ParameterLogger.h"

#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <limits>

namespace tarvex::panel {

namespace {

constexpr const char* kChartNames[LivePlot::kCharts] = {
    "chartView_Temperatures", "chartView_TecCurrents", "chartView_Wavelength"};

std::optional<float> Present(float value) {
    return value == 0.0f ? std::nullopt : std::optional<float>(value);
}

} // namespace

LivePlot::LivePlot(ParameterLogger& logger, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(logger.History()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("LivePlotForm"));
    setWindowTitle(tr("Live Plot"));
    resize(900, 720);

    auto* layout = new QVBoxLayout(this);
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(new QLabel(tr("The last ten minutes of the parameter log. Laser line:")));
    unit_ = new QComboBox;
    unit_->setObjectName(QStringLiteral("comboBox_plotUnit"));
    unit_->addItems({tr("Wavelength (\u00b5m)"), tr("Wavenumber (cm-1)")});
    unit_->setCurrentIndex(1);
    unitRow->addWidget(unit_);
    unitRow->addStretch();
    layout->addLayout(unitRow);

    const QString titles[kCharts] = {tr("Temperatures"), tr("TEC currents"), tr("Laser line")};
    const QString valueTitles[kCharts] = {tr("\u00b0C"), tr("mA"), tr("cm-1")};
    for (int i = 0; i < kCharts; ++i) {
        Axes& axes = charts_[i];
        axes.chart = new QChart;
        axes.chart->setTitle(titles[i]);
        axes.chart->legend()->setAlignment(Qt::AlignBottom);
        axes.time = new QDateTimeAxis;
        axes.time->setFormat(QStringLiteral("hh:mm:ss"));
        axes.time->setTickCount(6);
        axes.values = new QValueAxis;
        axes.values->setTitleText(valueTitles[i]);
        axes.chart->addAxis(axes.time, Qt::AlignBottom);
        axes.chart->addAxis(axes.values, Qt::AlignLeft);
        auto* view = new QChartView(axes.chart);
        view->setObjectName(QLatin1String(kChartNames[i]));
        view->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(view, 1);
    }

    const std::size_t qcls = logger.LoggedQcls();
    for (std::size_t i = 0; i < qcls; ++i)
        AddCurve(0, tr("QCL %1").arg(i + 1),
                 [i](const ParameterSample& s) { return std::optional(s.qclTemp[i]); });
    AddCurve(0, tr("Case 1"), [](const ParameterSample& s) { return std::optional(s.caseTemp1); });
    AddCurve(0, tr("Case 2"), [](const ParameterSample& s) { return std::optional(s.caseTemp2); });
    AddCurve(0, tr("PCB"), [](const ParameterSample& s) { return std::optional(s.pcbTemp); });
    for (std::size_t i = 0; i < qcls; ++i)
        AddCurve(1, tr("TEC %1").arg(i + 1),
                 [i](const ParameterSample& s) { return std::optional(s.tecCurrent[i]); });
    // Nothing is drawn while the laser reports no line.
    AddCurve(2, tr("Laser"), [this](const ParameterSample& s) {
        return Present(unit_->currentIndex() == 0 ? units::Convert(s.wavenumber) : s.wavenumber);
    });

    connect(unit_, &QComboBox::currentIndexChanged, this, &LivePlot::comboBox_plotUnitIndexChanged);
    connect(&logger, &ParameterLogger::Sampled, this, &LivePlot::Add);
    Reload();
}

void LivePlot::AddCurve(int chart, const QString& name,
                        std::function<std::optional<float>(const ParameterSample&)> value) {
    auto* series = new QLineSeries;
    series->setName(name);
    charts_[chart].chart->addSeries(series);
    series->attachAxis(charts_[chart].time);
    series->attachAxis(charts_[chart].values);
    curves_.push_back({series, chart, std::move(value)});
}

const QLineSeries* LivePlot::Curve(const QString& name) const {
    for (const auto& curve : curves_)
        if (curve.series->name() == name)
            return curve.series;
    return nullptr;
}

void LivePlot::Append(const ParameterSample& sample) {
    for (const auto& curve : curves_)
        if (const auto value = curve.value(sample))
            curve.series->append(static_cast<qreal>(sample.timeMs), static_cast<qreal>(*value));
}

void LivePlot::Add(const ParameterSample& sample) {
    Append(sample);
    Fit(sample.timeMs);
}

void LivePlot::Reload() {
    for (const auto& curve : curves_)
        curve.series->clear();
    const auto& samples = history_.Samples();
    for (const ParameterSample& sample : samples)
        Append(sample);
    Fit(samples.empty() ? QDateTime::currentMSecsSinceEpoch() : samples.back().timeMs);
}

void LivePlot::comboBox_plotUnitIndexChanged(int index) {
    charts_[2].values->setTitleText(index == 0 ? tr("\u00b5m") : tr("cm-1"));
    Reload();
}

void LivePlot::Fit(std::int64_t newestMs) {
    const auto oldest = static_cast<qreal>(newestMs - ParameterHistory::kSpanMs);
    qreal low[kCharts], high[kCharts];
    std::fill(std::begin(low), std::end(low), std::numeric_limits<qreal>::max());
    std::fill(std::begin(high), std::end(high), std::numeric_limits<qreal>::lowest());
    for (const auto& curve : curves_) {
        QLineSeries& series = *curve.series;
        int old = 0;
        while (old < series.count() && series.at(old).x() < oldest)
            ++old;
        if (old > 0)
            series.removePoints(0, old);
        for (int i = 0; i < series.count(); ++i) {
            low[curve.chart] = std::min(low[curve.chart], series.at(i).y());
            high[curve.chart] = std::max(high[curve.chart], series.at(i).y());
        }
    }
    for (int i = 0; i < kCharts; ++i) {
        charts_[i].time->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(oldest)),
                                  QDateTime::fromMSecsSinceEpoch(newestMs));
        if (low[i] > high[i]) // nothing drawn
            continue;
        // A flat curve still gets room above and below.
        const qreal margin = std::max((high[i] - low[i]) * 0.05, 0.5);
        charts_[i].values->setRange(low[i] - margin, high[i] + margin);
    }
}

} // namespace tarvex::panel
