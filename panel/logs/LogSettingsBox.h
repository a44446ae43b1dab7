#pragma once

#include <QGroupBox>

#include <memory>

namespace Ui {
class LogSettingsBox;
}

namespace tarvex::panel {

class MainWindow;

// The Settings page's box of the logs: the parameter logging switch with its file, the live
// plot, and the fault-log directory. The choices are the main window's and persist with its
// settings.
class LogSettingsBox final : public QGroupBox {
    Q_OBJECT
public:
    LogSettingsBox(MainWindow& window, QWidget* parent);
    ~LogSettingsBox() override;

public Q_SLOTS:
    void checkBox_EnableParamLoggingClicked();
    void pushButton_setFaultFileDirClicked();
    void pushButton_LivePlotClicked();

protected:
    // The page shows what is in force, however it was changed meanwhile.
    void showEvent(QShowEvent* event) override;

private:
    void ShowState();

    MainWindow& window_;
    std::unique_ptr<Ui::LogSettingsBox> ui_;
    // The directory of the log file chosen last since the program started (null: none yet).
    QString lastLogDirectory_;
};

} // namespace tarvex::panel
