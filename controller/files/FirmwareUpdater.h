#pragma once

#include "files/FirmwareUpdateFile.h"
#include "transport/KWinTransport.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarvex {

class KTarvexController;

// Where an update stands, for a progress display.
struct FirmwareUpdateProgress {
    enum class Stage {
        Erasing, // the laser prepares its flash ("Erasing Flash ...")
        Writing, // records go out ("Writing Flash..."), value of maximum
    };
    Stage stage = Stage::Erasing;
    std::size_t value = 0;
    std::size_t maximum = 0;
};

enum class FirmwareUpdateOutcome {
    Success,
    CannotOpen,     // the file does not open for reading: nothing was sent
    NotAnUpdate,    // its name says no update type: nothing was sent
    InvalidFile,    // its content is no update image: nothing was sent
    NotSupported,   // the controller firmware cannot take a motion-board update
    StartFailed,    // the laser refused or did not answer the start of the update
    NotReady,       // the laser never said it was ready to take the image
    TransferFailed, // not every record was written, or the laser refused the end of the image
};

struct FirmwareUpdateResult {
    FirmwareUpdateOutcome outcome = FirmwareUpdateOutcome::StartFailed;
    std::size_t recordsWritten = 0; // the record index the transfer reached
    std::size_t records = 0;
    std::uint8_t type = 0; // the update type the file's name chose; 0 before it was chosen
    std::string message;   // for the user
    bool Succeeded() const { return outcome == FirmwareUpdateOutcome::Success; }
};

// Runs a whole firmware update through a controller: start, wait for the laser to be ready,
// send the image (raw frames to the controller board, commands to the motion board) and
// finish. Any front end drives it: the panel with a progress dialog, a command-line tool with
// a progress line. The progress callback runs on the caller's thread between steps, so a GUI
// can process its events there.
class FirmwareUpdater {
public:
    using ProgressCallback = std::function<void(const FirmwareUpdateProgress&)>;

    // The flash erase takes seconds; a laser that stays silent far longer is not coming back.
    static constexpr std::uint32_t kDefaultReadyTimeoutMs = 120000;
    static constexpr std::size_t kControllerChunk = 160; // bytes per raw frame
    static constexpr std::size_t kMotionBoardChunk = 64; // bytes per command
    static constexpr int kMotionBoardAttempts = 3;

    explicit FirmwareUpdater(KTarvexController& controller, ProgressCallback progress = {});

    // Whether a link of `transportType` carries an update: the controller board's image goes as
    // raw frames on a byte stream, which the datagram link does not carry.
    static bool LinkCarriesUpdates(int transportType) { return transportType != kTransportUdp; }

    void SetReadyTimeoutMs(std::uint32_t ms) { readyTimeoutMs_ = ms; }

    // The whole update from the file the user chose: the file must open, its name must say
    // what it updates, a motion-board update needs controller firmware 1.5.0 (as last read),
    // and the file is checked whole; only then does the laser hear of the update.
    FirmwareUpdateResult UpdateFromFile(const std::filesystem::path& path);

    // `type` is one of update_type; the caller has chosen it (UpdateTypeForFileName) and, for
    // the motion board, checked the controller firmware (MotionBoardUpdateSupported).
    FirmwareUpdateResult Run(const FirmwareUpdateFile& file, std::uint8_t type);

private:
    bool WaitUntilReady();
    // Sends the chunk at `address`; motion-board blocks get `attempts` tries.
    bool SendChunk(std::uint8_t type, std::uint32_t address, const std::vector<std::uint8_t>& chunk,
                   int attempts);
    void Report(FirmwareUpdateProgress::Stage stage, std::size_t value, std::size_t maximum);

    KTarvexController& controller_;
    ProgressCallback progress_;
    std::uint32_t readyTimeoutMs_ = kDefaultReadyTimeoutMs;
};

} // namespace tarvex
