#include "files/ParameterLog.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace tarvex {
namespace {

std::string Fixed(float value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    return text;
}

} // namespace

std::string ParameterLogHeader(std::size_t qcls) {
    std::string header = "Date\tTime\t";
    for (std::size_t n = 1; n <= qcls; ++n) {
        const std::string i = std::to_string(n);
        header += "QCL" + i + " Temp (C)\tTEC" + i + " Current (mA)\tTEC" + i +
                  " Voltage (V)\tQCL" + i + " Current (mA)\t";
    }
    return header + "Case Temp 1 (C)\tCase Temp 2 (C)\tPCB Temp (C)\t\n";
}

std::string ParameterLogLine(const LaserCache& cache, std::size_t qcls, const std::tm& localTime) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y/%m/%d\t%H:%M:%S\t", &localTime);
    std::string line = stamp;
    for (std::size_t index = 0; index < std::min(qcls, kMaxQcls); ++index) {
        const QclInfoParam& q = cache.qclInfo[index];
        line += Fixed(q.actual_temp, 4) + "\t" + Fixed(q.actual_tec_current, 0) + "\t" +
                Fixed(cache.tecMeas[index].voltage, 2) + "\t" + Fixed(q.actual_current, 0) + "\t";
    }
    const TestLaserInfo& t = cache.testLaserInfo;
    return line + Fixed(t.caseTemp1, 2) + "\t" + Fixed(t.caseTemp2, 2) + "\t" +
           Fixed(t.pcbTemp, 2) + "\t\n";
}

bool AppendParameterLog(const std::filesystem::path& path, const LaserCache& cache,
                        std::size_t qcls, const std::tm& localTime) {
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    std::ofstream out(path, std::ios::app);
    if (!out)
        return false;
    if (!exists)
        out << ParameterLogHeader(qcls);
    out << ParameterLogLine(cache, qcls, localTime);
    out.flush();
    return static_cast<bool>(out);
}

} // namespace tarvex
