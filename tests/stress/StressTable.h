#pragma once
// One row of the stress table: a campaign's figure, its value and the target it must meet.

#include <cstdio>
#include <string>
#include <vector>

namespace tembrel::stress {

struct Figure {
    std::string campaign;
    std::string figure;
    std::string value;
    std::string target;  // empty: a figure for information
    bool met = true;
};

inline void PrintTable(const std::vector<Figure>& rows, bool header = true) {
    if (header) std::printf("| campaign | figure | value | target | met |\n|---|---|---|---|---|\n");
    for (const Figure& f : rows)
        std::printf("| %s | %s | %s | %s | %s |\n", f.campaign.c_str(), f.figure.c_str(), f.value.c_str(),
                    f.target.empty() ? "" : f.target.c_str(), f.target.empty() ? "" : (f.met ? "yes" : "NO"));
    std::fflush(stdout);
}

inline bool AllMet(const std::vector<Figure>& rows) {
    for (const Figure& f : rows)
        if (!f.met) return false;
    return true;
}

}  // namespace tembrel::stress
