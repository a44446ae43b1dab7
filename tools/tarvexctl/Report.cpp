#include "Report.h"

#include "PulseUnits.h"
#include "TuningRange.h"
#include "Units.h"
#include "control/FaultCodes.h"
#include "control/Preconditions.h"

#include <cstdarg>
#include <cstdio>

namespace tarvexctl {

using namespace tarvex;

std::string Format(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

namespace {

double D(float value) {
    return static_cast<double>(value);
}

std::string Version(std::uint8_t major, std::uint8_t minor, std::uint8_t patch) {
    return Format("%u.%u.%u", major, minor, patch);
}

// A 16-bit version as its high and low byte.
std::string ShortVersion(std::uint16_t version) {
    return Format("%u.%u", version >> 8, version & 0xFFu);
}

Json Range(float min, float max) {
    return Json::Object().Set("min", min).Set("max", max);
}

Json RangeWithUnit(const TuningRange& range) {
    return Range(range.min, range.max).Set("unit", UnitName(range.unit));
}

// "5.50 to 11.00 um (909.1 to 1818.2 cm-1)": the range in its unit and in the other.
std::string RangeText(const TuningRange& range) {
    if (range.Empty())
        return "none";
    const TuningRange other =
        range.In(range.unit == units::kMicrons ? units::kWavenumber : units::kMicrons);
    const auto one = [](const TuningRange& r) {
        return r.unit == units::kMicrons ? Format("%.2f to %.2f um", D(r.min), D(r.max))
                                         : Format("%.1f to %.1f cm-1", D(r.min), D(r.max));
    };
    return one(range) + " (" + one(other) + ")";
}

std::string Text(const std::array<std::uint8_t, 10>& date) {
    std::string text(date.begin(), date.end());
    return text.substr(0, text.find('\0'));
}

// The words of the set bits; `clear` for each bit that is clear, where given.
struct Bit {
    std::uint32_t mask;
    const char* key;
    const char* set;
    const char* clear;
};
constexpr Bit kStatusBits[] = {
    {status::kArmed, "armed", "armed", "not armed"},
    {status::kEmissionOn, "emission_on", "emission on", "emission off"},
    {status::kInterlock, "interlock_closed", "interlock closed", "interlock OPEN"},
    {status::kKeySwitch, "key_switch_on", "key switch on", "key switch OFF"},
    {status::kTecsAtTemperature, "tecs_at_temperature", "TECs at temperature", "TECs settling"},
    {status::kScanInProgress, "scan_in_progress", "scan in progress", nullptr},
    {status::kSystemError, "system_fault", "FAULT", nullptr},
    {status::kCaseTemp1Warning, "case_temperature_1_warning", "case temperature 1 too high",
     nullptr},
    {status::kCaseTemp2Warning, "case_temperature_2_warning", "case temperature 2 too high",
     nullptr},
    {status::kPcbTempWarning, "pcb_temperature_warning", "PCB temperature too high", nullptr},
    {status::kPointerFitted, "pointer_fitted", "red pointer fitted", nullptr},
    {status::kPointerOn, "pointer_on", "red pointer on", nullptr},
};

// The scan mode's name as the scan subcommands call it; the code itself for another.
Json ScanModeName(std::uint8_t mode) {
    switch (mode) {
    case scan_mode::kSingleTune:
        return "tune";
    case scan_mode::kStepMeasure:
        return "step-measure";
    case scan_mode::kMultiSpectral:
        return "multi-spectral";
    case scan_mode::kSweep:
        return "sweep";
    case scan_mode::kAdvancedSweep:
        return "advanced-sweep";
    default:
        return mode == 0 ? Json() : Json(mode);
    }
}

Json FaultJson(std::uint16_t code) {
    return Json::Object().Set("code", code).Set("text", control::FaultText(code));
}

// A ring's codes, newest first, without the empty slots; the first `fresh` are new.
Json RingJson(const std::array<std::uint16_t, SystemErrorsList::kRingSize>& ring,
              std::uint16_t index, std::uint16_t fresh, std::string& text) {
    Json codes = Json::Array();
    std::size_t n = 0;
    for (const std::uint16_t code : control::NewestFirst(ring, index, ring.size())) {
        const bool isNew = n++ < fresh;
        if (code == 0)
            continue;
        codes.Push(FaultJson(code).Set("new", isNew));
        text += Format("  %5u  %s%s\n", code, control::FaultText(code), isNew ? "  (new)" : "");
    }
    return Json::Object().Set("new", fresh).Set("codes", std::move(codes));
}

} // namespace

Report InfoReport(const LaserCache& c, const std::string& link, const Json& linkJson) {
    const AdminParams& a = c.admin;
    const std::string model = FieldText(a.model_num_length, a.model_num);
    const std::string serial = FieldText(a.serial_num_length, a.serial_num);
    const std::string controller = Version(c.firmware.major, c.firmware.minor, c.firmware.patch);
    // Older controllers report the motion board's firmware only as a 16-bit number.
    const std::string motion =
        c.firmware.AtLeast(1, 7, 15)
            ? Version(c.motionFirmware.major, c.motionFirmware.minor, c.motionFirmware.patch)
            : ShortVersion(a.motionFirmwareVersion);
    const TuningRange overall = OverallTuningRange(c);

    Report r;
    r.json = Json::Object()
                 .Set("link", linkJson)
                 .Set("model", model)
                 .Set("serial_number", serial)
                 .Set("manufactured", Text(a.mfg_date))
                 .Set("hours", a.hrs)
                 .Set("firmware", Json::Object()
                                      .Set("controller", controller)
                                      .Set("pcb", c.firmware.pcb)
                                      .Set("motion_board", motion))
                 .Set("motion_board", Json::Object()
                                          .Set("type", a.motionModuleType)
                                          .Set("hardware", ShortVersion(a.motionHardwareVersion)))
                 .Set("tuning_range", overall.Empty() ? Json() : RangeWithUnit(overall));
    r.text =
        Format("Laser         %s, serial %s, made %s, %.1f h of operation\n", model.c_str(),
               serial.c_str(), Text(a.mfg_date).c_str(), D(a.hrs)) +
        "Link          " + link + "\n" +
        Format("Firmware      controller %s (PCB %u), motion board %s (type %u, hardware %s)\n",
               controller.c_str(), c.firmware.pcb, motion.c_str(), a.motionModuleType,
               ShortVersion(a.motionHardwareVersion).c_str()) +
        "Tuning range  " + RangeText(overall) + "\n";

    Json qcls = Json::Array();
    for (std::size_t i = 0; i < c.InstalledQcls(); ++i) {
        const AdminQclParams& q = c.adminQcl[i];
        const bool cw = control::IsCwMode(q.laserMode);
        const float minRate = units::RateInHz(q.min_pulse_rate, q.pulse_rate_unit);
        const float maxRate = units::RateInHz(q.max_pulse_rate, q.pulse_rate_unit);
        const float minWidth = units::WidthInNs(q.min_pulse_width, q.pulse_width_unit);
        const float maxWidth = units::WidthInNs(q.max_pulse_width, q.pulse_width_unit);
        const std::string qclSerial = FieldText(q.serial_num_length, q.serial_num);
        const TuningRange range = QclTuningRange(q);
        qcls.Push(
            Json::Object()
                .Set("slot", i + 1)
                .Set("available", q.is_available != 0)
                .Set("serial_number", qclSerial)
                .Set("firmware", Version(q.major, q.minor, q.patch))
                .Set("tuning_range", RangeWithUnit(range))
                .Set("cw_allowed", cw)
                .Set("current_ma", Range(q.min_drive_current, q.max_drive_current))
                .Set("cw_current_ma",
                     cw ? Range(q.min_drive_cw_current, q.max_drive_cw_current) : Json())
                .Set("temperature_c",
                     Range(q.min_drive_temp, q.max_drive_temp).Set("set_point", q.set_point_temp))
                .Set("pulse_rate_hz", Range(minRate, maxRate))
                .Set("pulse_width_ns", Range(minWidth, maxWidth))
                .Set("duty_cycle_percent", Range(q.min_duty_cycle, q.max_duty_cycle)));
        r.text +=
            Format("QCL %zu         serial %s, firmware %s%s\n", i + 1, qclSerial.c_str(),
                   Version(q.major, q.minor, q.patch).c_str(),
                   q.is_available ? "" : ", not available") +
            "              tuning " + RangeText(range) + "\n" +
            Format("              current %.0f to %.0f mA pulsed, ", D(q.min_drive_current),
                   D(q.max_drive_current)) +
            (cw ? Format("%.0f to %.0f mA CW\n", D(q.min_drive_cw_current),
                         D(q.max_drive_cw_current))
                : std::string("CW not allowed\n")) +
            Format("              temperature %.1f to %.1f C (set point %.1f C)\n",
                   D(q.min_drive_temp), D(q.max_drive_temp), D(q.set_point_temp)) +
            Format("              pulse rate %.0f to %.0f Hz, width %.0f to %.0f ns, duty cycle "
                   "%g to %g %%\n",
                   D(minRate), D(maxRate), D(minWidth), D(maxWidth), D(q.min_duty_cycle),
                   D(q.max_duty_cycle));
    }
    r.json.Set("qcls", std::move(qcls));
    return r;
}

Report StatusReport(const LaserCache& c, bool tuned) {
    Report r;
    const std::uint32_t mask = c.status.mask;
    Json bits = Json::Object().Set("mask", mask);
    std::string words;
    for (const Bit& bit : kStatusBits) {
        const bool on = (mask & bit.mask) != 0;
        bits.Set(bit.key, on);
        if (const char* word = on ? bit.set : bit.clear)
            words += (words.empty() ? "" : ", ") + std::string(word);
    }

    const std::uint16_t fault = c.status.errorWord;
    // The light's value in both units; 0 means the laser has none.
    const InfoLight& light = c.light;
    const float wavenumber =
        light.unit == units::kWavenumber ? light.current_ww : units::Convert(light.current_ww);
    const float wavelength = units::Convert(wavenumber);
    const std::uint8_t active = light.cur_qcl;

    Json activeJson;
    std::string activeText;
    if (active >= 1 && active <= kMaxQcls) {
        const LaserQclParams& p = c.qclParams[active - 1u];
        const float rate = units::RateInHz(p.pulse_rate, p.pulse_rate_unit);
        const float width = units::WidthInNs(p.pulse_width, p.pulse_width_unit);
        const bool pulsed = p.laserMode == laser_mode::kPulsed;
        activeJson = Json::Object()
                         .Set("slot", active)
                         .Set("laser_mode", laser_mode::Name(p.laserMode))
                         .Set("pulse_rate_hz", pulsed ? Json(rate) : Json())
                         .Set("pulse_width_ns", pulsed ? Json(width) : Json())
                         .Set("current_ma", p.current);
        activeText = Format("QCL %u         %s, ", active, laser_mode::Name(p.laserMode)) +
                     (pulsed ? Format("%g Hz, %g ns, ", D(rate), D(width)) : "") +
                     Format("%g mA\n", D(p.current));
    }

    const ScanProgress& progress = c.progress;
    const auto flag = [&](std::uint8_t bit) { return (progress.indicator & bit) != 0; };
    const bool scanning = (mask & status::kScanInProgress) != 0;
    const bool scanActive = flag(progress::kScanActive) && !flag(progress::kCancelsScanActive);
    Json scan = Json::Object()
                    .Set("in_progress", scanning)
                    .Set("active", scanActive)
                    .Set("tuned", tuned)
                    .Set("mode", ScanModeName(c.scanMode))
                    .Set("scan_number", progress.cur_scan_num)
                    .Set("percent", progress.scan_percent)
                    .Set("adjusting_temperature", flag(progress::kAdjustingTemperature))
                    .Set("adjusting_wavelength", flag(progress::kAdjustingWavelength))
                    .Set("safety_timer", flag(progress::kSafetyTimer));
    std::string scanText = "none in progress";
    if (scanning) {
        scanText = c.scanMode == scan_mode::kSingleTune
                       ? "tune"
                       : Format("scan %u, %u%%", progress.cur_scan_num, progress.scan_percent);
        if (flag(progress::kAdjustingTemperature))
            scanText += ", adjusting temperature";
        if (flag(progress::kAdjustingWavelength))
            scanText += ", adjusting wavelength";
        if (flag(progress::kSafetyTimer))
            scanText += ", safety timer active";
        if (scanActive)
            scanText += ", active";
        if (tuned)
            scanText += " (tuned)";
    }

    const TestLaserInfo& board = c.testLaserInfo;
    Json qcls = Json::Array();
    std::string table = "QCL  Temp (C)  Active  TEC mA  TEC V   QCL mA\n";
    for (std::size_t i = 0; i < c.InstalledQcls(); ++i) {
        const QclInfoParam& q = c.qclInfo[i];
        const bool isActive = i + 1 == active;
        qcls.Push(Json::Object()
                      .Set("slot", i + 1)
                      .Set("temperature_c", q.actual_temp)
                      .Set("tec_current_ma", q.actual_tec_current)
                      .Set("tec_voltage_v", c.tecMeas[i].voltage)
                      .Set("current_ma", q.actual_current)
                      .Set("active", isActive));
        table += Format("%-3zu  %8.3f  %-6s  %6.0f  %5.2f  %6.0f\n", i + 1, D(q.actual_temp),
                        isActive ? "Y" : "N", D(q.actual_tec_current), D(c.tecMeas[i].voltage),
                        D(q.actual_current));
    }

    r.json =
        Json::Object()
            .Set("status", std::move(bits))
            .Set("fault", FaultJson(fault))
            .Set("light", Json::Object()
                              .Set("emitting", light.light_out != 0)
                              .Set("wavenumber_cm1", wavenumber == 0 ? Json() : Json(wavenumber))
                              .Set("wavelength_um", wavelength == 0 ? Json() : Json(wavelength))
                              .Set("qcl", active == 0 ? Json() : Json(active)))
            .Set("active_qcl", std::move(activeJson))
            .Set("scan", std::move(scan))
            .Set("temperatures", Json::Object()
                                     .Set("case_1_c", board.caseTemp1)
                                     .Set("case_2_c", board.caseTemp2)
                                     .Set("pcb_c", board.pcbTemp))
            .Set("qcls", std::move(qcls));
    r.text =
        "Laser         " + words + "\n" + "Fault         " +
        (fault == 0 ? std::string("none") : Format("%u (%s)", fault, control::FaultText(fault))) +
        "\n" + "Light         " +
        (wavenumber == 0 ? std::string("N/A")
                         : Format("%.1f cm-1 (%.3f um)", D(wavenumber), D(wavelength))) +
        (active ? Format(", QCL %u", active) : "") +
        (light.light_out ? ", emitting" : ", not emitting") + "\n" + activeText + "Scan          " +
        scanText + "\n" +
        Format("Board         case %.1f C, %.1f C, PCB %.1f C\n", D(board.caseTemp1),
               D(board.caseTemp2), D(board.pcbTemp)) +
        table;
    return r;
}

Report FaultsReport(const LaserCache& c) {
    const SystemErrorsList& e = c.errors;
    const std::uint16_t fault = c.status.errorWord;
    std::string errors;
    std::string warnings;
    Report r;
    r.json =
        Json::Object()
            .Set("fault", FaultJson(fault))
            .Set("system_fault", (c.status.mask & status::kSystemError) != 0)
            .Set("errors", RingJson(e.errors, e.errorsIndex, e.errorsNumItems, errors))
            .Set("warnings", RingJson(e.warnings, e.warningsIndex, e.warningsNumItems, warnings));
    r.text =
        "Fault     " +
        (fault == 0 ? std::string("none") : Format("%u  %s", fault, control::FaultText(fault))) +
        "\nErrors    " + (errors.empty() ? "none\n" : "newest first\n" + errors) + "Warnings  " +
        (warnings.empty() ? "none\n" : "newest first\n" + warnings);
    return r;
}

Report FavoritesReport(const std::vector<control::Favorite>& favorites) {
    Report r;
    r.json = Json::Array();
    for (const auto& favorite : favorites) {
        const bool isDefault = favorite.slot == control::kDefaultFavoriteSlot;
        r.json.Push(Json::Object()
                        .Set("slot", favorite.slot)
                        .Set("name", favorite.name)
                        .Set("default", isDefault));
        r.text += Format("%u  %s%s\n", favorite.slot, favorite.name.c_str(),
                         isDefault ? "  (default)" : "");
    }
    if (favorites.empty())
        r.text = "no favorites\n";
    r.json = Json::Object().Set("favorites", std::move(r.json));
    return r;
}

} // namespace tarvexctl
