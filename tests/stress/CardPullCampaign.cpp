#include "CardPullCampaign.h"

#include <cstdio>
#include <random>

#include "SimulatedSheet.h"

namespace tembrel::stress {

std::vector<Figure> RunCardPullCampaign(const CardPullOptions& options) {
    const std::string c = "card pulls";
    StallMeter stalls;
    SimulatedSheet window(options.library);
    if (!window.error().empty()) return {{c, "the window on the simulated card", window.error(), "running", false}};
    CZarn9100Sheet& sheet = window.sheet();
    const bool firstConnect = Pump(30000, [&] { return window.connectedHome(); });

    std::mt19937 random(options.seed);
    std::size_t connects = 0, scans = 0, walks = 0, refusedCommands = 0;
    const ProfilePtr home = sheet.pageContext().profiles().At(0);
    for (std::size_t pull = 0; pull < options.pulls; ++pull) {
        switch (random() % 3) {
            case 0:  // the user picks the profile on the Network Status page
            {
                ++connects;
                const StopFlag::Hold busy(sheet.adapter().stopping);
                sheet.pageContext().connector().ConnectProfile(home);
                break;
            }
            case 1: {  // a survey scan
                ++scans;
                const auto lease = sheet.adapter().handle().lease();
                if (lease) sheet.pageContext().library().Scan(lease.get());
                break;
            }
            default:  // leave the card to the supervisor's walk
                ++walks;
                break;
        }
        Pump(random() % 400);
        refusedCommands += window.control(R"(["card","out"])") ? 0 : 1;
        Pump(random() % 300);
        refusedCommands += window.control(R"(["card","in"])") ? 0 : 1;
        if (pull + 1 < options.pulls) Pump(random() % 300);
    }
    const auto lastInsert = Clock::now();
    const bool reconnected = Pump(30000, [&] { return window.connectedHome(); });
    const double reconnectS = std::chrono::duration<double>(Clock::now() - lastInsert).count();
    const long long worstStallMs = stalls.worstMs();

    char reconnectText[32];
    std::snprintf(reconnectText, sizeof reconnectText, "yes, after %.2f s", reconnectS);
    return {
        {c, "connected before the first pull", firstConnect ? "yes" : "no", "yes", firstConnect},
        {c, "pulls and re-inserts", std::to_string(options.pulls), "", true},
        {c, "pulls during a connect / scan / the supervisor's walk",
         std::to_string(connects) + " / " + std::to_string(scans) + " / " + std::to_string(walks), "", true},
        {c, "card commands refused", std::to_string(refusedCommands), "0", refusedCommands == 0},
        {c, "longest stall of the user-interface thread (ms)", std::to_string(worstStallMs), "at most 3000",
         worstStallMs <= 3000},
        {c, "connected again after the last insert", reconnected ? reconnectText : "no", "yes", reconnected},
    };
}

}  // namespace tembrel::stress
