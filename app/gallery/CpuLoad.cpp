#include "app/gallery/CpuLoad.h"

#include <fstream>
#include <sstream>

std::vector<TCpuLoad::TTimes> TCpuLoad::Parse(const std::string& Text) {
    std::vector<TTimes> Cores;
    std::istringstream In(Text);
    std::string Line;
    while (std::getline(In, Line)) {
        // "cpu0 user nice system idle iowait irq softirq steal ..."; the summary line "cpu" is skipped.
        if (Line.size() < 4 || Line.compare(0, 3, "cpu") != 0 || !std::isdigit(static_cast<unsigned char>(Line[3])))
            continue;
        std::istringstream Fields(Line.substr(Line.find(' ')));
        uint64_t V[8] = {};
        for (auto& X : V) Fields >> X;
        TTimes T;
        T.Total = V[0] + V[1] + V[2] + V[3] + V[4] + V[5] + V[6] + V[7];
        T.Busy = T.Total - V[3] - V[4];
        Cores.push_back(T);
    }
    return Cores;
}

std::vector<int> TCpuLoad::Sample() {
    std::ifstream In(FPath);
    if (!In) return {};
    std::stringstream S;
    S << In.rdbuf();
    std::vector<TTimes> Now = Parse(S.str());
    std::vector<int> Load;
    for (size_t I = 0; I < Now.size(); ++I) {
        TTimes Before = I < FLast.size() ? FLast[I] : TTimes{};
        uint64_t Total = Now[I].Total - Before.Total, Busy = Now[I].Busy - Before.Busy;
        Load.push_back(Total ? static_cast<int>(Busy * 1000 / Total) : 0);
    }
    FLast = Now;
    return Load;
}
