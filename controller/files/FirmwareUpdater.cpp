#include "files/FirmwareUpdater.h"

#include "KTarvexController.h"
#include "Trace.h"

namespace tarvex {
namespace {

using Stage = FirmwareUpdateProgress::Stage;

std::string NotWrittenMessage(std::size_t written, std::size_t records) {
    return "Update not successful. " + std::to_string(written) + " of " + std::to_string(records) +
           " records written";
}

} // namespace

FirmwareUpdater::FirmwareUpdater(KTarvexController& controller, ProgressCallback progress)
    : controller_(controller), progress_(std::move(progress)) {}

void FirmwareUpdater::Report(Stage stage, std::size_t value, std::size_t maximum) {
    if (progress_)
        progress_({stage, value, maximum});
}

bool FirmwareUpdater::WaitUntilReady() {
    Clock& clock = controller_.GetClock();
    const std::uint64_t start = clock.NowMs();
    while (!controller_.WaitForUpdateReady()) {
        if (clock.NowMs() - start >= readyTimeoutMs_)
            return false;
        Report(Stage::Erasing, 0, 0);
    }
    return true;
}

bool FirmwareUpdater::SendChunk(std::uint8_t type, std::uint32_t address,
                                const std::vector<std::uint8_t>& chunk, int attempts) {
    const auto size = static_cast<std::uint32_t>(chunk.size());
    if (update_type::IsController(type))
        return controller_.WriteFwData(address, chunk.data(), size);
    for (int attempt = 0; attempt < attempts; ++attempt)
        if (controller_.WriteMbFwData(address, static_cast<std::int32_t>(size), chunk.data()))
            return true;
    return false;
}

FirmwareUpdateResult FirmwareUpdater::UpdateFromFile(const std::filesystem::path& path) {
    FirmwareUpdateResult result;
    result.outcome = FirmwareUpdateOutcome::CannotOpen;
    if (std::ifstream in; !FirmwareUpdateFile::Open(path, in, result.message))
        return result;
    const auto type = UpdateTypeForFileName(path.string());
    if (!type) {
        result.outcome = FirmwareUpdateOutcome::NotAnUpdate;
        result.message = "Please select a valid firmware update file.";
        return result;
    }
    result.type = *type;
    if (*type == update_type::kMotionBoard &&
        !MotionBoardUpdateSupported(controller_.ControllerFirmware())) {
        result.outcome = FirmwareUpdateOutcome::NotSupported;
        result.message = "Tarvex Controller Firmware must be upgraded to version 1.5.0 or later "
                         "to support motion board firmware update.";
        return result;
    }
    const auto file = FirmwareUpdateFile::Load(path, result.message);
    if (!file) {
        result.outcome = FirmwareUpdateOutcome::InvalidFile;
        Trace("%s", result.message.c_str());
        return result;
    }
    return Run(*file, *type);
}

FirmwareUpdateResult FirmwareUpdater::Run(const FirmwareUpdateFile& file, std::uint8_t type) {
    FirmwareUpdateResult result;
    result.records = file.Records();
    result.type = type;
    const bool controllerImage = update_type::IsController(type);
    if (!controllerImage && type != update_type::kMotionBoard) {
        result.outcome = FirmwareUpdateOutcome::NotAnUpdate;
        result.message = "Please select a valid firmware update file.";
        return result;
    }
    Trace("Firmware Update: File \"%s\", UpdateType: %d", file.Path().string().c_str(), type);
    if (file.LastRecordUnterminated())
        Trace("bad record?");

    Report(Stage::Erasing, 0, 0);
    if (!controller_.ExecFirmwareUpdate(type)) {
        result.message = "Unable to start update.";
        return result;
    }
    if (!WaitUntilReady()) {
        // Nothing was sent: the link goes back to the heartbeat, and the laser to the user.
        controller_.SetHeartbeatPaused(false);
        result.outcome = FirmwareUpdateOutcome::NotReady;
        result.message = "The laser did not become ready for the update within " +
                         std::to_string(readyTimeoutMs_ / 1000) +
                         " s. Please power cycle the laser and try again.";
        return result;
    }

    const std::size_t records = file.Records();
    const std::size_t chunkSize = controllerImage ? kControllerChunk : kMotionBoardChunk;
    const auto& data = file.Data();
    Report(Stage::Writing, 0, records);
    std::vector<std::uint8_t> chunk;
    chunk.reserve(chunkSize);
    std::uint32_t address = 0;
    std::size_t r = 0;
    for (; r < records; ++r) {
        const auto first =
            data.begin() + static_cast<std::ptrdiff_t>(r * FirmwareUpdateFile::kRecordDataBytes);
        chunk.insert(chunk.end(), first, first + static_cast<std::ptrdiff_t>(file.RecordBytes(r)));
        if (chunk.size() >= chunkSize) {
            if (!SendChunk(type, address, chunk, kMotionBoardAttempts)) {
                Trace("%s", controllerImage ? "WriteFwData error" : "WriteMbFwData error");
                break;
            }
            address += static_cast<std::uint32_t>(chunk.size());
            chunk.clear();
        }
        Report(Stage::Writing, r, records);
    }
    // What is left: the partial last chunk, or the chunk whose sending just failed.
    bool tailWritten = true;
    if (!chunk.empty()) {
        tailWritten = SendChunk(type, address, chunk, 1);
        if (tailWritten)
            address += static_cast<std::uint32_t>(chunk.size());
    }
    Report(Stage::Writing, records, records);

    bool finished = true;
    if (controllerImage)
        finished = controller_.FinishFwUpdate(address);
    else
        controller_.FinishMbFwUpdate();

    const bool allRecords = r == records;
    if (allRecords && tailWritten && finished) {
        result.outcome = FirmwareUpdateOutcome::Success;
        result.recordsWritten = records;
        result.message = "Firmware successfully updated. Please power cycle the laser for the "
                         "new firmware to take effect.";
        return result;
    }
    result.outcome = FirmwareUpdateOutcome::TransferFailed;
    // A lost last chunk leaves only the whole chunks before it on the laser.
    result.recordsWritten =
        allRecords && !tailWritten ? address / FirmwareUpdateFile::kRecordDataBytes : r;
    result.message = NotWrittenMessage(result.recordsWritten, records);
    return result;
}

} // namespace tarvex
