#include "SavedStateFile.h"

#include "SimLaser.h"
#include "SmallTextFile.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace tarvex::sim {

namespace {

constexpr const char* kHeader = "tarvex-sim saved states 1";

using Bytes = std::vector<std::uint8_t>;

// One part of a saved state and its wire form.
struct Part {
    std::string key;
    std::size_t size;
    std::function<void(const SavedLaserState&, std::uint8_t*)> put;
    std::function<void(const std::uint8_t*, SavedLaserState&)> get;
};

template <typename Record> Part RecordPart(std::string key, Record SavedLaserState::*member) {
    return {std::move(key), wire::WireSize<Record>(),
            [member](const SavedLaserState& s, std::uint8_t* out) { wire::Encode(s.*member, out); },
            [member](const std::uint8_t* in, SavedLaserState& s) { wire::Decode(in, s.*member); }};
}

const std::vector<Part>& Parts() {
    static const std::vector<Part> parts = [] {
        std::vector<Part> list;
        list.push_back(RecordPart("laser-params", &SavedLaserState::laserParams));
        for (std::size_t i = 0; i < 4; ++i)
            list.push_back({"qcl-params-" + std::to_string(i + 1), wire::WireSize<LaserQclParams>(),
                            [i](const SavedLaserState& s, std::uint8_t* out) {
                                wire::Encode(s.qclParams[i], out);
                            },
                            [i](const std::uint8_t* in, SavedLaserState& s) {
                                wire::Decode(in, s.qclParams[i]);
                            }});
        list.push_back({"scan-mode", 1,
                        [](const SavedLaserState& s, std::uint8_t* out) { out[0] = s.scanMode; },
                        [](const std::uint8_t* in, SavedLaserState& s) { s.scanMode = in[0]; }});
        list.push_back(RecordPart("single-ww", &SavedLaserState::singleWW));
        list.push_back(RecordPart("sweep", &SavedLaserState::sweep));
        list.push_back(RecordPart("step-measure", &SavedLaserState::stepMeasure));
        list.push_back({"multi-spectral", MultiSpectralParams::kSize,
                        [](const SavedLaserState& s, std::uint8_t* out) {
                            wire::EncodeMultiSpectral(s.multiSpectral, out);
                        },
                        [](const std::uint8_t* in, SavedLaserState& s) {
                            wire::DecodeMultiSpectral(in, s.multiSpectral);
                        }});
        return list;
    }();
    return parts;
}

std::string ToHex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

std::optional<Bytes> FromHex(const std::string& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
    }
    return bytes;
}

bool Fail(std::string& error, std::size_t line, const std::string& why) {
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

// Reads the block of one slot: a part per line, each exactly once.
class SlotBlock {
public:
    explicit SlotBlock(std::size_t slot) : slot_(slot), seen_(Parts().size(), false) {}

    bool Take(const std::string& line, std::size_t number, SavedLaserState& state,
              std::string& error) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        const auto& parts = Parts();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].key != key)
                continue;
            if (seen_[i])
                return Fail(error, number, "'" + key + "' given twice");
            const auto bytes = FromHex(value);
            if (!bytes || bytes->size() != parts[i].size)
                return Fail(error, number,
                            "'" + key + "' needs " + std::to_string(parts[i].size) +
                                " bytes in hex");
            parts[i].get(bytes->data(), state);
            seen_[i] = true;
            return true;
        }
        return Fail(error, number, "unknown entry '" + key + "'");
    }

    bool Complete(std::size_t number, std::string& error) const {
        for (std::size_t i = 0; i < seen_.size(); ++i)
            if (!seen_[i])
                return Fail(error, number,
                            "slot " + std::to_string(slot_) + " lacks '" + Parts()[i].key + "'");
        return true;
    }

private:
    std::size_t slot_;
    std::vector<bool> seen_;
};

bool ParseSlotLine(const std::string& line, std::size_t number, const SavedStateSlots& slots,
                   std::size_t& slot, std::string& name, std::string& error) {
    // "slot N NAME": the name is everything after the number's single following space.
    constexpr std::size_t kNumberAt = 5;
    const std::size_t digitsEnd = line.find(' ', kNumberAt);
    const std::string digits = line.substr(kNumberAt, digitsEnd - kNumberAt);
    if (digits.size() != 1 || digits[0] < '0' || digits[0] > '8')
        return Fail(error, number, "slot number must be 0 to 8");
    slot = static_cast<std::size_t>(digits[0] - '0');
    if (slots[slot].inUse)
        return Fail(error, number, "slot " + digits + " given twice");
    name = digitsEnd == std::string::npos ? "" : line.substr(digitsEnd + 1);
    if (name.empty() || name.size() > kSavedStateNameLength)
        return Fail(error, number, "a name of 1 to 32 characters is needed");
    for (char ch : name)
        if (ch < 0x20 || ch >= 0x7F)
            return Fail(error, number, "names are printable ASCII");
    return true;
}

} // namespace

std::string FormatSavedStates(const SavedStateSlots& slots) {
    std::ostringstream out;
    out << kHeader << '\n';
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        if (!slots[slot].inUse)
            continue;
        out << "slot " << slot << ' ' << slots[slot].name << '\n';
        for (const auto& part : Parts()) {
            Bytes bytes(part.size);
            part.put(slots[slot].state, bytes.data());
            out << part.key << ' ' << ToHex(bytes) << '\n';
        }
    }
    return out.str();
}

std::optional<SavedStateSlots> ParseSavedStates(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        Fail(error, 1, std::string("expected \"") + kHeader + "\"");
        return std::nullopt;
    }
    std::size_t number = 1;
    SavedStateSlots slots{};
    std::optional<SlotBlock> block;
    std::size_t slot = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("slot ", 0) == 0) {
            if (block && !block->Complete(number, error))
                return std::nullopt;
            std::string name;
            if (!ParseSlotLine(line, number, slots, slot, name, error))
                return std::nullopt;
            slots[slot].inUse = true;
            slots[slot].name = name;
            block.emplace(slot);
        } else if (!block) {
            Fail(error, number, "entries must follow a slot line");
            return std::nullopt;
        } else if (!block->Take(line, number, slots[slot].state, error)) {
            return std::nullopt;
        }
    }
    if (block && !block->Complete(number, error))
        return std::nullopt;
    return slots;
}

bool WriteSavedStateFile(const std::filesystem::path& file, const SavedStateSlots& slots,
                         std::string& error) {
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << FormatSavedStates(slots);
        out.close();
        if (!out) {
            error = "cannot write " + temporary.string();
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        error = "cannot replace " + file.string() + ": " + ec.message();
        return false;
    }
    return true;
}

std::optional<SavedStateSlots> ReadSavedStateFile(const std::filesystem::path& file,
                                                  std::string& error) {
    const auto text = ReadSmallTextFile(file, error);
    if (!text)
        return std::nullopt;
    auto slots = ParseSavedStates(*text, error);
    if (!slots)
        error = file.string() + ": " + error;
    return slots;
}

bool KeepSavedStatesIn(SimLaser& laser, const std::filesystem::path& file, std::string& error) {
    std::optional<SavedStateSlots> loaded;
    if (std::error_code ec; std::filesystem::exists(file, ec)) {
        loaded = ReadSavedStateFile(file, error);
        if (!loaded)
            return false;
    }
    laser.Modify([&](SimState& state) {
        if (loaded)
            state.saved.slots = *loaded;
        state.saved.onSlotsChanged = [file](const SavedStateSlots& slots) {
            std::string why;
            if (!WriteSavedStateFile(file, slots, why))
                std::fprintf(stderr, "tarvex-sim: %s\n", why.c_str());
        };
    });
    return true;
}

} // namespace tarvex::sim
