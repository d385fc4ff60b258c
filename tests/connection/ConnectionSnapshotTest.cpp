#include "connection/ConnectionSnapshot.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel {
namespace {

TEST(ConnectionSnapshot, SsidStopsAtTheTerminatorOrTheField) {
    ConnectionSnapshot s;
    EXPECT_EQ(s.ssid(), "");
    std::memcpy(s.currentSsid.data(), "Home", 4);
    EXPECT_EQ(s.ssid(), "Home");
    s.currentSsid.fill('x');
    EXPECT_EQ(s.ssid().size(), 32u);  // never the 33rd byte, which must hold the terminator
}

TEST(ConnectionSnapshot, HolderTerminatesAndClears) {
    ConnectionSnapshotHolder holder;
    ConnectionSnapshot s;
    s.connected = 1;
    s.currentChannel = 36;
    s.frequencyMHz = 5180;
    s.currentSsid.fill('y');
    holder.write(s);
    const auto copy = holder.copy();
    EXPECT_EQ(copy.currentSsid.back(), '\0');
    EXPECT_EQ(copy.frequencyMHz, 5180u);
    EXPECT_TRUE(copy.connectedOrAdHocStarted());
    holder.clear();
    EXPECT_EQ(holder.copy(), ConnectionSnapshot{});
    EXPECT_FALSE(holder.copy().connectedOrAdHocStarted());
}

}  // namespace
}  // namespace tembrel
