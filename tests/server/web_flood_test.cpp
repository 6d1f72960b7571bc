// The leaderboard page while a crowd holds the web port: slow clients trickling their request heads and
// idle ones that send nothing, all from other addresses, reconnecting whenever they are cut. The page
// must still answer a normal visitor quickly, all the time.
#include <gtest/gtest.h>

#include <algorithm>

#include "loopback_crowd.h"
#include "server_support.h"

using Clock = std::chrono::steady_clock;

TEST(WebFlood, SixtyFourSlowAndFiveHundredIdleClientsLeaveThePageAnsweringQuickly) {
    RaiseDescriptorLimit();
    TempFolder folder;
    ServerProcess server;
    ASSERT_TRUE(server.Start(folder.Path() + "/scores.sqlite")) << server.Log();
    ASSERT_EQ(SendToServer(server.ScorePort(), Wire(GameText("ANNA", 900))), SendOutcome::kClosed);

    CrowdPlan slowPlan;
    slowPlan.addresses = 8;
    slowPlan.perAddress = 8;
    slowPlan.trickle = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " + std::string(64, 's') + "\r\n\r\n";
    CrowdPlan idlePlan;
    idlePlan.addresses = 50;
    idlePlan.perAddress = 10;
    idlePlan.firstAddress = 100;
    LoopbackCrowd slow(server.WebPort(), slowPlan);
    LoopbackCrowd idle(server.WebPort(), idlePlan);
    ASSERT_EQ(slow.WaitUntilOpen(std::chrono::seconds(10)), 64);
    ASSERT_EQ(idle.WaitUntilOpen(std::chrono::seconds(10)), 500);

    // Long enough for the idle ones to be cut and come back, and the slow ones to reach their deadline.
    std::vector<double> millis;
    Clock::time_point end = Clock::now() + std::chrono::seconds(13);
    while (Clock::now() < end) {
        Clock::time_point start = Clock::now();
        std::string page;
        int status = HttpGet(server.WebPort(), "/?period=all", &page, "en");
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        EXPECT_EQ(status, 200);
        EXPECT_NE(page.find(">ANNA<"), std::string::npos);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    int slowOpen = slow.Open();
    int idleOpen = idle.Open();
    int64_t slowCuts = slow.Cuts();
    int64_t idleCuts = idle.Cuts();
    slow.Stop();
    idle.Stop();
    std::sort(millis.begin(), millis.end());
    double worst = millis.back();
    std::printf(
        "page under %d slow and %d idle clients: %zu requests, median %.1f ms, worst %.1f ms; "
        "slow cut %lld times, idle cut %lld times\n",
        slowOpen, idleOpen, millis.size(), millis[millis.size() / 2], worst, static_cast<long long>(slowCuts),
        static_cast<long long>(idleCuts));
    EXPECT_LT(worst, 200.0);
    EXPECT_GE(slowCuts, 64) << "every slow client reaches the whole-request deadline";
    EXPECT_GE(idleCuts, 500) << "every idle client reaches the idle time-out";
}
