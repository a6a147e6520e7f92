#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The load of each processor core since the previous sample, from the kernel's /proc/stat.
class TCpuLoad {
public:
    explicit TCpuLoad(std::string StatPath = "/proc/stat") : FPath(std::move(StatPath)) {}
    // Busy share of each core, 0 to 1000 (tenths of a percent); empty when the file cannot be read.
    std::vector<int> Sample();
    // The per-core counters of one /proc/stat text: busy and total jiffies.
    struct TTimes {
        uint64_t Busy = 0, Total = 0;
    };
    static std::vector<TTimes> Parse(const std::string& Text);

private:
    std::string FPath;
    std::vector<TTimes> FLast;
};
