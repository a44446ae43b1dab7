#pragma once

#include "LogHooks.h"

#include "records/StatusRecords.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class QDateTime;

namespace tarvex {
class KTarvexController;
}

namespace tarvex::panel {

// The fault log of the laser connected: a text file in the fault-log directory that keeps every
// fault the laser reports as new, one line each, newest last, and the Fault Log windows on it.
class FaultLog final : public FaultLogHook {
public:
    // `directory` gives the fault-log directory in force when a line is written (null: the
    // current directory).
    FaultLog(KTarvexController& controller, std::function<QString()> directory);

    // Reads the laser's error and warning lists and appends their new codes, newest first, each
    // list on its own; then empties the lists, so that the next read reports only what came
    // after. Nothing happens when the lists cannot be read.
    void SaveSystemErrors() override;
    void ShowLog(QWidget* parent) override;

    // "TarvexFaults_" + serial number + ".log" in the fault-log directory.
    QString FileName() const;
    // The codes written from each list since the program started.
    std::uint16_t Errors() const { return errors_; }
    std::uint16_t Warnings() const { return warnings_; }

    // One line of the file: the time, the type, the code and its words, separated by ",\t".
    static QString Line(const QDateTime& when, std::uint16_t code);

private:
    void Append(const std::array<std::uint16_t, SystemErrorsList::kRingSize>& ring,
                std::uint16_t index, std::uint16_t newItems, std::uint16_t& counter);

    KTarvexController& controller_;
    std::function<QString()> directory_;
    std::uint16_t errors_ = 0;
    std::uint16_t warnings_ = 0;
};

} // namespace tarvex::panel
