#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class FaultList;
}

namespace tarvex::panel {

// The Fault Log window: the lines of a fault log file, newest first. Each opening of the log
// makes a window of its own, which is deleted when it is closed.
class FaultList final : public QWidget {
    Q_OBJECT
public:
    // Builds the window on `fileName` (empty when the file cannot be read).
    FaultList(const QString& fileName, QWidget* parent = nullptr);
    ~FaultList() override;

public Q_SLOTS:
    void buttonClickedClose();

private:
    void Initialize(const QString& fileName);
    void InitializeUI();

    std::unique_ptr<Ui::FaultList> ui_;
};

} // namespace tarvex::panel
