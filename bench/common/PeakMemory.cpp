#include "common/PeakMemory.h"

#include <fstream>
#include <malloc.h>
#include <string>

bool ResetPeakMemory() {
    // What an earlier measurement freed goes back to the system first: kept by the allocator,
    // it would count as the next one's peak.
    malloc_trim(0);
    std::ofstream clear("/proc/self/clear_refs");
    if (!clear) return false;
    clear << "5";
    return static_cast<bool>(clear.flush());
}

long PeakMemoryKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}
