// Writes the fuzzers' seed corpora: a handful of small, valid inputs per target, made with the
// system's own encoders so that they stay right when a format changes.
//   make_fuzz_seeds CORPUS_DIR PROFILE_DIR
#include "FuzzSupport.h"
#include "LaserProfile.h"
#include "SavedStateFile.h"
#include "codec/ByteOrder.h"
#include "files/ConfigFile.h"
#include "records/ConfigImages.h"
#include "support/UfpText.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace tarvex;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kStatusMaskCmd = 3;
constexpr std::uint16_t kSysInfoCmd = 4;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
Bytes U16(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}
Bytes U32(std::uint32_t value) {
    return U16(static_cast<std::uint16_t>(value >> 16)) + U16(static_cast<std::uint16_t>(value));
}
Bytes FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class Corpus {
public:
    Corpus(fs::path root, const char* target) : dir_(std::move(root) / target) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void Add(const char* name, const Bytes& bytes) {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path dir_;
};

Bytes Packet(std::uint16_t cmdID, std::uint8_t disposition, const Bytes& payload,
             std::uint16_t seqnum = 7) {
    return fuzz::Packet({0, cmdID, disposition, seqnum, 0,
                         static_cast<std::uint16_t>(kHeaderSize + payload.size())},
                        payload);
}
Bytes Zeros(std::size_t count) {
    return Bytes(count, 0);
}

void CodecSeeds(const fs::path& root) {
    Corpus corpus(root, "codec");
    corpus.Add("status-read", Packet(kStatusMaskCmd, kRead, {}));
    corpus.Add("status-ack", Packet(kStatusMaskCmd, kRead, {}));
    corpus.Add("status-nak", Packet(kStatusMaskCmd, kRead | kNakBit, {}));
    corpus.Add("status-response", Packet(kStatusMaskCmd, kResponse, U32(0x1407)));
    corpus.Add("sysinfo-response",
               Packet(kSysInfoCmd, kResponse,
                      Zeros(KTarvexCommand::ResponseLength(kSysInfoCmd) - kHeaderSize)));
}

// Transaction scripts: the profile byte, then operations (index into the fuzzer's table) each
// answered by an ack (kind 1) and a response (kind 2) whose payload is zeros or, with flag 8,
// taken from the script.
void TransactionSeeds(const fs::path& root) {
    Corpus corpus(root, "transaction");
    const Bytes ack = {1, 0};
    const Bytes zeros = {2, 0};
    const Bytes given = {2, 8};
    corpus.Add("status", Bytes{0, 0} + ack + given + U32(0x1407));
    corpus.Add("sysinfo-sdk", Bytes{1, 1} + ack + zeros);
    corpus.Add("nak-then-status", Bytes{0, 0, 1, 0x80, 0} + ack + given + U32(0x0001));
    corpus.Add("wrong-sequence", Bytes{0, 10} + Bytes{1, 1} + ack + zeros);
    corpus.Add("exchange", Bytes{0, 200} + U16(kStatusMaskCmd) + Bytes{0} + ack + given + U32(7));
    Bytes refresh = {0, 29};
    for (int exchange = 0; exchange < 40; ++exchange)
        refresh = refresh + ack + zeros;
    corpus.Add("refresh", refresh);
}

void UfpSeeds(const fs::path& root) {
    Corpus corpus(root, "ufp");
    corpus.Add("controller", Bytes{0} + Text(test::UfpText(test::ImageBytes(52))));
    corpus.Add("motion-board", Bytes{1} + Text(test::UfpText(test::ImageBytes(80))));
    std::string unterminated = test::UfpText(test::ImageBytes(20));
    unterminated.resize(unterminated.size() - 2);
    corpus.Add("unterminated", Bytes{0} + Text(unterminated));
    corpus.Add("empty-last-line", Bytes{0} + Text(test::UfpText(test::ImageBytes(16)) + "\r\n"));
}

void TcfgSeeds(const fs::path& root) {
    Corpus corpus(root, "tcfg");
    const fs::path file = fs::temp_directory_path() / "tarvex-fuzz-seed.tcfg";
    for (const std::uint8_t qcls : {std::uint8_t{4}, std::uint8_t{2}}) {
        fuzz::LaserRig rig;
        rig.controller.UpdateCache([qcls](LaserCache& c) { c.admin.num_qcls = qcls; });
        if (!rig.controller.exportConfig(file))
            throw std::runtime_error("no export from the simulated laser");
        const Bytes exported = FileBytes(file);
        corpus.Add(qcls == 4 ? "four-qcls" : "two-qcls", Bytes{0} + exported);
        if (qcls == 4) {
            Bytes changed = exported;
            changed[kConfigFileEepromOffset + 100] ^= 0xFF;
            corpus.Add("changed-eeprom-crc-fixed", Bytes{1} + changed);
        }
    }
    fs::remove(file);
}

// Intake scripts: kind 2 packets, kind 0/1 raw bytes, kind 3 firmware frames, kind 4 time.
Bytes PacketStep(std::uint16_t cmdID, std::uint8_t disposition, const Bytes& payload,
                 std::uint8_t flags = 0) {
    return Bytes{2, flags} + U16(cmdID) + Bytes{disposition} +
           U16(static_cast<std::uint16_t>(payload.size())) + payload;
}
Bytes FrameStep(std::uint32_t address, const Bytes& data) {
    return Bytes{3} + U32(address) + Bytes{static_cast<std::uint8_t>(data.size())} + data;
}

void IntakeSeeds(const fs::path& root) {
    Corpus corpus(root, "sim_intake");
    corpus.Add("status-packet", PacketStep(kStatusMaskCmd, kRead, {}));
    const Bytes status = Packet(kStatusMaskCmd, kRead, {});
    corpus.Add("stream-in-pieces", Bytes{0, 4} + Bytes(status.begin(), status.begin() + 4) +
                                       Bytes{0, 8} + Bytes(status.begin() + 4, status.end()));
    corpus.Add("datagram", Bytes{1, static_cast<std::uint8_t>(status.size())} + status);
    corpus.Add("sysinfo-by-datagram", PacketStep(kSysInfoCmd, kRead, {}, 2));
    const Bytes image = test::ImageBytes(32);
    corpus.Add("controller-update",
               PacketStep(kExecFirmwareUpdateCmd, kExecute, {2}) + Bytes{4, 200} +
                   FrameStep(0, Bytes(image.begin(), image.begin() + 16)) +
                   FrameStep(16, Bytes(image.begin() + 16, image.end())) + FrameStep(32, {}));
    corpus.Add("motion-board-update",
               PacketStep(kExecFirmwareUpdateCmd, kExecute, {4}) + Bytes{4, 200} +
                   PacketStep(kWriteMbFwDataCmd, kWrite, U32(0) + U32(16) + image));
}

void ProfileSeeds(const fs::path& root, const fs::path& profiles) {
    Corpus corpus(root, "sim_profile");
    const Bytes twoQcls = FileBytes(profiles / "two-qcl.profile");
    corpus.Add("two-qcl", twoQcls);
    // The same laser with its first module only.
    const std::string text(twoQcls.begin(), twoQcls.end());
    const auto second = text.find("[qcl]", text.find("[qcl]") + 1);
    corpus.Add("one-qcl", Text(text.substr(0, second)));
}

void StateSeeds(const fs::path& root) {
    Corpus corpus(root, "sim_state");
    ManualClock clock;
    sim::SimLaser laser(clock);
    auto slots = laser.Inspect([](const sim::SimState& s) { return s.saved.slots; });
    corpus.Add("as-powered-up", Text(sim::FormatSavedStates(slots)));
    slots[3].inUse = true;
    slots[3].name = "Methane line";
    slots[3].state.scanMode = 4;
    slots[3].state.singleWW.scan_ww = 7.66f;
    corpus.Add("one-favorite", Text(sim::FormatSavedStates(slots)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS_DIR PROFILE_DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    CodecSeeds(root);
    TransactionSeeds(root);
    UfpSeeds(root);
    TcfgSeeds(root);
    IntakeSeeds(root);
    ProfileSeeds(root, argv[2]);
    StateSeeds(root);
    return 0;
}
