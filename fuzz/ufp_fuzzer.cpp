// The ".ufp" reader on any text. A file it accepts goes through the updater into the simulated
// laser's boot loader, which must end up holding exactly the image the reader produced.
//
// Input: one byte choosing the board (even: controller, odd: motion board), then the file.
#include "FuzzSupport.h"
#include "files/FirmwareUpdateFile.h"
#include "files/FirmwareUpdater.h"

#include <string>

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint8_t type =
        (input.Byte() & 1) != 0 ? update_type::kMotionBoard : update_type::kControllerProduction;
    std::string error;
    const auto file = FirmwareUpdateFile::Parse(input.Rest(), error);
    if (!file) {
        fuzz::Check(!error.empty(), "a refused file without a reason");
        return 0;
    }
    fuzz::Check(file->Data().size() <= file->Records() * FirmwareUpdateFile::kRecordDataBytes,
                "more bytes than records");

    fuzz::LaserRig rig;
    FirmwareUpdater updater(rig.controller);
    const FirmwareUpdateResult result = updater.Run(*file, type);
    if (file->Data().empty())
        return 0; // nothing to write: whether the laser takes an empty image is its own business
    fuzz::Check(result.Succeeded(), "an accepted file did not reach the simulated laser");
    const auto boot =
        rig.embedded.laser.Inspect([](const sim::SimState& s) { return s.config.firmwareUpdate; });
    const auto& image = type == update_type::kMotionBoard ? boot.motionImage : boot.image;
    fuzz::Check(image == file->Data(), "the laser holds another image than the file's");
    return 0;
}
