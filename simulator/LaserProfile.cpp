#include "LaserProfile.h"

#include "SmallTextFile.h"
#include "WholeNumber.h"
#include "records/LaserRecords.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>

namespace tarvex::sim {

float QclProfile::MinMicrons() const {
    return wwUnit == units::kMicrons ? minWw : units::Convert(maxWw);
}

float QclProfile::MaxMicrons() const {
    return wwUnit == units::kMicrons ? maxWw : units::Convert(minWw);
}

namespace {

QclProfile MakeQcl(const char* serial, float minWw, float maxWw, std::uint8_t wwUnit,
                   float maxCurrent, bool cw) {
    QclProfile q;
    q.serialNumber = serial;
    q.fwMajor = 1;
    q.fwMinor = 4;
    q.fwPatch = 2;
    q.minDriveCurrent = 0.0f;
    q.maxDriveCurrent = maxCurrent;
    q.minDriveCwCurrent = 0.0f;
    q.maxDriveCwCurrent = cw ? maxCurrent * 0.6f : 0.0f;
    q.setPointTemp = 19.0f;
    q.minDriveTemp = 15.0f;
    q.maxDriveTemp = 25.0f;
    q.minPulseRate = 100.0f;
    q.maxPulseRate = 3000000.0f;
    q.pulseRateUnit = units::kHz;
    q.minPulseWidth = 40.0f;
    q.maxPulseWidth = 500.0f;
    q.pulseWidthUnit = units::kNs;
    q.minDutyCycle = 0.0f;
    q.maxDutyCycle = 30.0f;
    q.minScanRate = 1.0f;
    q.maxScanRate = 1000.0f;
    q.scanRateUnits = wwUnit;
    q.minDwellTime = 1;
    q.maxDwellTime = 60000000;
    q.minWw = minWw;
    q.maxWw = maxWw;
    q.wwUnit = wwUnit;
    q.laserMode = laser_mode::kPulsed;
    q.cwCapable = cw;
    if (cw)
        q.filters = {8, 9};
    return q;
}

// ---------------------------------------------------------------------------------------------
// Profile files. A profile is plain text, one "key = value" a line; "#" starts a comment. Keys
// before the first "[qcl]" describe the laser, each "[qcl]" starts the next module (slot 1
// first, one to four of them), and keys left out keep the values shown:
//
//   model = TVX-4100                  (at most 24 characters)
//   serial = TVX0042                  (at most 24 characters)
//   mfg_date = 2026-03-14             (at most 10 characters)
//   hours = 1234.5
//   controller_firmware = 2.1.4.3     (major.minor.patch, then optionally the PCB version)
//   motion_firmware = 1.3.0
//   motion_module_type = 2            (numbers may be written in hex: 0x0102)
//   motion_hardware_version = 0x0102
//   motion_firmware_version = 0x0130
//
//   [qcl]
//   range = 4.2 5.05 um               (required; "um" or "cm-1")
//   serial = QM1-0381
//   firmware = 1.4.2
//   current = 0 1000                  (pulsed drive current, lowest and highest, mA)
//   cw_current = 0 0                  (CW drive current, mA)
//   temperature = 19 15 25            (set point, lowest, highest, °C)
//   pulse_rate = 100 3000000 Hz       (Hz, kHz or MHz)
//   pulse_width = 40 500 ns           (ms, us or ns)
//   duty_cycle = 0 30
//   scan_rate = 1 1000
//   dwell_time = 1 60000000
//   vsrc = 12 15 13.5                 (at power-up, highest pulsed, highest CW, V)
//   laser_mode = 1                    (the mode code the module starts in)
//   cw = no                           (yes: CW modes are allowed)
//   filters = none                    (CW filter modes the module has: 8, 9)
// ---------------------------------------------------------------------------------------------

using Words = std::vector<std::string>;

// Far beyond any module's range, yet keeping the grating's moves to durations it can count.
constexpr float kShortestMicrons = 0.1f;
constexpr float kLongestMicrons = 1000.0f;

class ParseError {
public:
    explicit ParseError(std::string what) : what_(std::move(what)) {}
    const std::string& What() const { return what_; }

private:
    std::string what_;
};

void Expect(bool condition, const std::string& what) {
    if (!condition)
        throw ParseError(what);
}

void ExpectWords(const Words& words, std::size_t n) {
    Expect(words.size() == n, "expected " + std::to_string(n) + " value" + (n == 1 ? "" : "s"));
}

template <typename T> T Integer(const std::string& word, T low, T high) {
    using Any = std::numeric_limits<long long>;
    const auto value = WholeNumber(word, Any::min(), Any::max(), NumberBase::kDecimalOrHex);
    Expect(value.has_value(), "'" + word + "' is not a whole number");
    Expect(*value >= static_cast<long long>(low) && *value <= static_cast<long long>(high),
           "'" + word + "' is out of range");
    return static_cast<T>(*value);
}

float Number(const std::string& word) {
    float value = 0;
    const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    Expect(error == std::errc{} && stop == word.data() + word.size() && std::isfinite(value),
           "'" + word + "' is not a number");
    return value;
}

std::string Text(const Words& words, std::size_t limit) {
    ExpectWords(words, 1);
    Expect(words[0].size() <= limit,
           "'" + words[0] + "' is longer than " + std::to_string(limit) + " characters");
    return words[0];
}

// Two numbers, lowest first.
void Limits(const Words& words, float& low, float& high) {
    ExpectWords(words, 2);
    low = Number(words[0]);
    high = Number(words[1]);
    Expect(low <= high, "the lowest value is above the highest");
}

std::uint8_t UnitCode(const std::string& word, std::initializer_list<const char*> names) {
    std::uint8_t code = 1;
    for (const char* name : names) {
        if (word == name)
            return code;
        ++code;
    }
    throw ParseError("unknown unit '" + word + "'");
}

// Limits followed by a unit.
void LimitsWithUnit(const Words& words, float& low, float& high, std::uint8_t& unit,
                    std::initializer_list<const char*> unitNames) {
    ExpectWords(words, 3);
    Limits({words[0], words[1]}, low, high);
    unit = UnitCode(words[2], unitNames);
}

// "major.minor.patch" with an optional fourth number.
std::vector<std::uint8_t> Version(const Words& words, std::size_t most) {
    ExpectWords(words, 1);
    std::vector<std::uint8_t> parts;
    std::stringstream text(words[0]);
    std::string part;
    while (std::getline(text, part, '.'))
        parts.push_back(Integer<std::uint8_t>(part, 0, 255));
    Expect(parts.size() >= 3 && parts.size() <= most, "'" + words[0] + "' is not a version");
    return parts;
}

FirmwareVersion BoardVersion(const Words& words) {
    const auto v = Version(words, 4);
    return FirmwareVersion{v[0], v[1], v[2], v.size() > 3 ? v[3] : std::uint8_t{0}, 0};
}

bool YesNo(const Words& words) {
    ExpectWords(words, 1);
    Expect(words[0] == "yes" || words[0] == "no", "expected yes or no");
    return words[0] == "yes";
}

using LaserKey = std::function<void(const Words&, LaserProfile&)>;
using QclKey = std::function<void(const Words&, QclProfile&)>;

const std::map<std::string, LaserKey>& LaserKeys() {
    static const std::map<std::string, LaserKey> keys = {
        {"model", [](const Words& w, LaserProfile& p) { p.modelNumber = Text(w, 24); }},
        {"serial", [](const Words& w, LaserProfile& p) { p.serialNumber = Text(w, 24); }},
        {"mfg_date", [](const Words& w, LaserProfile& p) { p.mfgDate = Text(w, 10); }},
        {"hours",
         [](const Words& w, LaserProfile& p) {
             ExpectWords(w, 1);
             p.hours = Number(w[0]);
         }},
        {"controller_firmware",
         [](const Words& w, LaserProfile& p) { p.controllerFirmware = BoardVersion(w); }},
        {"motion_firmware",
         [](const Words& w, LaserProfile& p) { p.motionFirmware = BoardVersion(w); }},
        {"motion_module_type",
         [](const Words& w, LaserProfile& p) {
             ExpectWords(w, 1);
             p.motionModuleType = Integer<std::uint16_t>(w[0], 0, 0xFFFF);
         }},
        {"motion_hardware_version",
         [](const Words& w, LaserProfile& p) {
             ExpectWords(w, 1);
             p.motionHardwareVersion = Integer<std::uint16_t>(w[0], 0, 0xFFFF);
         }},
        {"motion_firmware_version",
         [](const Words& w, LaserProfile& p) {
             ExpectWords(w, 1);
             p.motionFirmwareVersion = Integer<std::uint16_t>(w[0], 0, 0xFFFF);
         }},
    };
    return keys;
}

const std::map<std::string, QclKey>& QclKeys() {
    static const std::map<std::string, QclKey> keys = {
        {"serial", [](const Words& w, QclProfile& q) { q.serialNumber = Text(w, 24); }},
        {"firmware",
         [](const Words& w, QclProfile& q) {
             const auto v = Version(w, 3);
             q.fwMajor = v[0];
             q.fwMinor = v[1];
             q.fwPatch = v[2];
         }},
        {"range",
         [](const Words& w, QclProfile& q) {
             LimitsWithUnit(w, q.minWw, q.maxWw, q.wwUnit, {"um", "cm-1"});
             Expect(q.minWw > 0 && q.minWw < q.maxWw, "the range must be positive and not empty");
             Expect(q.MinMicrons() >= kShortestMicrons && q.MaxMicrons() <= kLongestMicrons,
                    "the range must lie between 0.1 and 1000 um (10 and 100000 cm-1)");
             q.scanRateUnits = q.wwUnit;
         }},
        {"current",
         [](const Words& w, QclProfile& q) { Limits(w, q.minDriveCurrent, q.maxDriveCurrent); }},
        {"cw_current", [](const Words& w,
                          QclProfile& q) { Limits(w, q.minDriveCwCurrent, q.maxDriveCwCurrent); }},
        {"temperature",
         [](const Words& w, QclProfile& q) {
             ExpectWords(w, 3);
             q.setPointTemp = Number(w[0]);
             Limits({w[1], w[2]}, q.minDriveTemp, q.maxDriveTemp);
             Expect(q.setPointTemp >= q.minDriveTemp && q.setPointTemp <= q.maxDriveTemp,
                    "the set point lies outside the limits");
         }},
        {"pulse_rate",
         [](const Words& w, QclProfile& q) {
             LimitsWithUnit(w, q.minPulseRate, q.maxPulseRate, q.pulseRateUnit,
                            {"Hz", "kHz", "MHz"});
         }},
        {"pulse_width",
         [](const Words& w, QclProfile& q) {
             LimitsWithUnit(w, q.minPulseWidth, q.maxPulseWidth, q.pulseWidthUnit,
                            {"ms", "us", "ns"});
         }},
        {"duty_cycle",
         [](const Words& w, QclProfile& q) { Limits(w, q.minDutyCycle, q.maxDutyCycle); }},
        {"scan_rate",
         [](const Words& w, QclProfile& q) { Limits(w, q.minScanRate, q.maxScanRate); }},
        {"dwell_time",
         [](const Words& w, QclProfile& q) {
             ExpectWords(w, 2);
             q.minDwellTime = Integer<std::uint32_t>(w[0], 0, 0xFFFFFFFF);
             q.maxDwellTime = Integer<std::uint32_t>(w[1], 0, 0xFFFFFFFF);
             Expect(q.minDwellTime <= q.maxDwellTime, "the lowest value is above the highest");
         }},
        {"vsrc",
         [](const Words& w, QclProfile& q) {
             ExpectWords(w, 3);
             q.vsrc = Number(w[0]);
             q.maxVsrcPulsed = Number(w[1]);
             q.maxVsrcCw = Number(w[2]);
         }},
        {"laser_mode",
         [](const Words& w, QclProfile& q) {
             ExpectWords(w, 1);
             q.laserMode = Integer<std::uint8_t>(w[0], 1, 9);
         }},
        {"cw", [](const Words& w, QclProfile& q) { q.cwCapable = YesNo(w); }},
        {"filters",
         [](const Words& w, QclProfile& q) {
             q.filters.clear();
             if (w.size() == 1 && w[0] == "none")
                 return;
             for (const auto& word : w)
                 q.filters.push_back(Integer<std::uint8_t>(word, 8, 9));
         }},
    };
    return keys;
}

// What a module needs to be usable, checked once all of its keys are read.
void CheckQcl(const QclProfile& q, std::size_t slot) {
    const std::string where = "module " + std::to_string(slot) + ": ";
    Expect(q.maxWw > 0, where + "no range given");
    const bool cwMode = q.laserMode != laser_mode::kPulsed;
    Expect(!cwMode || q.cwCapable, where + "starts in a CW mode but is not CW capable");
    Expect(q.filters.empty() || q.cwCapable, where + "has filters but is not CW capable");
}

} // namespace

LaserProfile LaserProfile::Default() {
    // Four modules covering 4.2 to 10.5 µm, two specified in microns and two in cm-1, with
    // small overlaps at the crossovers.
    LaserProfile profile;
    profile.qcls = {
        MakeQcl("QM1-0381", 4.2f, 5.05f, units::kMicrons, 900.0f, true),
        MakeQcl("QM2-0517", 1650.0f, 2000.0f, units::kWavenumber, 1000.0f, true),
        MakeQcl("QM3-0226", 6.0f, 8.1f, units::kMicrons, 1100.0f, false),
        MakeQcl("QM4-0449", 950.0f, 1250.0f, units::kWavenumber, 1200.0f, false),
    };
    return profile;
}

std::optional<LaserProfile> LaserProfile::Parse(const std::string& text, std::string& error) {
    LaserProfile profile;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    try {
        while (std::getline(lines, line)) {
            ++number;
            line = line.substr(0, line.find('#'));
            std::istringstream words(line);
            std::string first;
            if (!(words >> first))
                continue;
            try {
                if (first == "[qcl]") {
                    Expect(profile.qcls.size() < 4, "more than four modules");
                    profile.qcls.push_back(
                        MakeQcl("", 0.0f, 0.0f, units::kMicrons, 1000.0f, false));
                    continue;
                }
                const auto eq = line.find('=');
                Expect(eq != std::string::npos, "expected 'key = value'");
                std::istringstream keyText(line.substr(0, eq));
                std::string key;
                keyText >> key;
                std::istringstream valueText(line.substr(eq + 1));
                Words value{std::istream_iterator<std::string>(valueText), {}};
                if (profile.qcls.empty()) {
                    const auto found = LaserKeys().find(key);
                    Expect(found != LaserKeys().end(), "unknown key '" + key + "'");
                    found->second(value, profile);
                } else {
                    const auto found = QclKeys().find(key);
                    Expect(found != QclKeys().end(), "unknown module key '" + key + "'");
                    found->second(value, profile.qcls.back());
                }
            } catch (const ParseError& e) {
                throw ParseError("line " + std::to_string(number) + ": " + e.What());
            }
        }
        Expect(!profile.qcls.empty(), "no [qcl] module");
        for (std::size_t i = 0; i < profile.qcls.size(); ++i)
            CheckQcl(profile.qcls[i], i + 1);
    } catch (const ParseError& e) {
        error = e.What();
        return std::nullopt;
    }
    return profile;
}

std::optional<LaserProfile> LaserProfile::Load(const std::filesystem::path& file,
                                               std::string& error) {
    const auto text = ReadSmallTextFile(file, error);
    if (!text)
        return std::nullopt;
    auto profile = Parse(*text, error);
    if (!profile)
        error = file.string() + ": " + error;
    return profile;
}

} // namespace tarvex::sim
