#include "LogSettingsBox.h"

#include "MainWindow.h"
#include "PanelTrace.h"
#include "ui_LogSettingsBox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace tarvex::panel {

LogSettingsBox::LogSettingsBox(MainWindow& window, QWidget* parent)
    : QGroupBox(parent), window_(window), ui_(std::make_unique<Ui::LogSettingsBox>()) {
    ui_->setupUi(this);
    connect(ui_->checkBox_EnableParamLogging, &QCheckBox::clicked, this,
            &LogSettingsBox::checkBox_EnableParamLoggingClicked);
    connect(ui_->pushButton_setFaultFileDir, &QPushButton::clicked, this,
            &LogSettingsBox::pushButton_setFaultFileDirClicked);
    connect(ui_->pushButton_LivePlot, &QPushButton::clicked, this,
            &LogSettingsBox::pushButton_LivePlotClicked);
}

LogSettingsBox::~LogSettingsBox() = default;

void LogSettingsBox::showEvent(QShowEvent* event) {
    ShowState();
    QGroupBox::showEvent(event);
}

void LogSettingsBox::ShowState() {
    ui_->checkBox_EnableParamLogging->setChecked(window_.LoggingEnabled());
    ui_->label_LogFileNameValue->setText(window_.LogFileName());
    ui_->label_FaultFileDirValue->setText(window_.FaultFileDir());
}

void LogSettingsBox::checkBox_EnableParamLoggingClicked() {
    qCDebug(lcPanel, "MainWindow::checkBox_EnableParamLoggingClicked");
    if (ui_->checkBox_EnableParamLogging->isChecked()) {
        const QString start = lastLogDirectory_.isNull() ? QDir::currentPath() : lastLogDirectory_;
        const QString proposed = QDir(start).filePath(
            QStringLiteral("Tarvex_Log_SN_") +
            QString::fromStdString(window_.Controller().SerialNumber()) + QStringLiteral("_") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss")) +
            QStringLiteral(".log"));
        const QString chosen = window_.Dialogs().GetSaveFileName(&window_, tr("Save Log File"),
                                                                 proposed, tr("Log Files (*.log)"));
        if (chosen.isEmpty()) {
            ui_->checkBox_EnableParamLogging->setChecked(false);
            window_.SetLoggingEnabled(false);
        } else {
            lastLogDirectory_ = QFileInfo(chosen).absolutePath();
            window_.SetLogFileName(QDir::toNativeSeparators(chosen));
            window_.SetLoggingEnabled(true);
        }
    } else {
        window_.SetLoggingEnabled(false);
    }
    window_.SaveSettings();
    ShowState();
}

void LogSettingsBox::pushButton_setFaultFileDirClicked() {
    qCDebug(lcPanel, "MainWindow::pushButton_setFaultFileDirClicked");
    const QString current = window_.FaultFileDir();
    const QString chosen =
        window_.Dialogs().GetExistingDirectory(&window_, tr("Select Fault Log Directory"),
                                               current.isNull() ? QDir::currentPath() : current);
    // Cancelled: the directory stays; the settings are written all the same.
    if (!chosen.isEmpty())
        window_.SetFaultFileDir(QDir::toNativeSeparators(chosen));
    window_.SaveSettings();
    ShowState();
}

void LogSettingsBox::pushButton_LivePlotClicked() {
    window_.ShowLivePlot();
}

} // namespace tarvex::panel
