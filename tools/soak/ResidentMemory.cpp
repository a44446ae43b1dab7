#include "ResidentMemory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace tarvex::soak {

std::size_t ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) +
                         "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(6));
        std::size_t kib = 0;
        fields >> kib;
        return kib;
    }
    return 0;
}

} // namespace tarvex::soak
