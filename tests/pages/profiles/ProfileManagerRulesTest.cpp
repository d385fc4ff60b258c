#include "pages/profiles/logic/ProfileManagerRules.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel::profile_manager {
namespace {

ProfilePtr Make(std::string_view name, uint32_t type, std::string_view ssid = "net") {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = type;
    return p;
}

TEST(ProfileManagerRules, ButtonsKeepInfrastructureAheadOfAdHoc) {
    const auto a = Make("A", 1), b = Make("B", 1), c = Make("C", 0), def = NewDefaultProfile();
    const ProfileSequence list{def, a, b, c};
    struct Case {
        std::size_t index;
        ProfilePtr inUse;
        bool link;
        ButtonStates expected;  // apply, up, down, delete, pane
    };
    const Case cases[] = {
        {0, nullptr, false, {true, false, true, false, false}},  // "<Default>": applied and moved, not deleted or edited
        {2, nullptr, false, {true, true, false, true, true}},    // B before an Ad-Hoc profile
        {3, nullptr, false, {true, false, false, true, true}},   // C after an Infrastructure one, and last
        {1, a, true, {true, true, true, false, true}},            // the profile in use with a link
        {1, a, false, {true, true, true, true, true}},            // ... without a link
    };
    for (const auto& c : cases) {
        const ButtonStates s = ButtonsFor(list, c.index, c.inUse, c.link);
        EXPECT_EQ(std::make_tuple(s.apply, s.moveUp, s.moveDown, s.remove, s.pane),
                  std::make_tuple(c.expected.apply, c.expected.moveUp, c.expected.moveDown, c.expected.remove,
                                  c.expected.pane))
            << c.index;
    }
    const ButtonStates none = ButtonsFor(list, std::nullopt, nullptr, false);
    EXPECT_FALSE(none.apply || none.moveUp || none.moveDown || none.remove || none.pane);
}

TEST(ProfileManagerRules, InUseIconTest) {
    ConnectionSnapshot link;
    link.connected = 1;
    std::memcpy(link.currentSsid.data(), "Home", 4);
    link.currentNetworkMode = 1;
    struct Case {
        ProfilePtr record;
        bool inUse;
        bool shown;
    };
    const Case cases[] = {{Make("x", 1, "Home"), true, true},     {Make("x", 0, "Home"), true, false},
                          {Make("x", 1, "Home"), false, false},   {Make("x", 1, "ANY"), true, true},
                          {Make("x", 1, "<ANY SSID>"), true, true}, {Make("x", 1, "Other"), true, false}};
    for (const auto& c : cases) EXPECT_EQ(ShowsInUse(*c.record, c.inUse, link), c.shown) << ProfileSsid(*c.record);
    EXPECT_FALSE(ShowsInUse(*cases[0].record, true, ConnectionSnapshot{}));
}

}  // namespace
}  // namespace tembrel::profile_manager
