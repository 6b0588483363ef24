#include "loop/event_loop.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/fakes.h"

using namespace dorive;

namespace {

struct LoopFixture : ::testing::Test {
    test::VirtualClock clock;
    EventLoop loop{clock};
    std::vector<std::string> log;
};

}  // namespace

TEST_F(LoopFixture, PauseSuspendsTheActivityAndLaterActivitiesWaitInArrivalOrder) {
    loop.post([this]() -> Task {
        log.push_back("A start");
        co_await loop.pause(200);
        log.push_back("A after 200 at " + std::to_string(clock.nowMs()));
    });
    // The post returned although A is paused: the thread runs on.
    EXPECT_EQ(log, (std::vector<std::string>{"A start"}));
    EXPECT_TRUE(loop.busy());

    loop.post([this]() -> Task {
        log.push_back("B at " + std::to_string(clock.nowMs()));
        co_return;
    });
    loop.post([this]() -> Task {
        log.push_back("C at " + std::to_string(clock.nowMs()));
        co_return;
    });
    EXPECT_EQ(loop.waiting(), 2u);
    clock.advance(199);
    EXPECT_EQ(log.size(), 1u);
    clock.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"A start", "A after 200 at 200", "B at 200", "C at 200"}));
    EXPECT_FALSE(loop.busy());
}

TEST_F(LoopFixture, NestedStepsPauseAndErrorsReachTheBoundaryOnce) {
    std::vector<std::string> errors;
    loop.onError = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            errors.push_back(ex.what());
        }
    };
    auto step = [this](int ms) -> Task {
        co_await loop.pause(ms);
        log.push_back("step " + std::to_string(clock.nowMs()));
    };
    auto failing = [this]() -> Task {
        co_await loop.pause(10);
        throw std::runtime_error("boom");
    };
    loop.post([&]() -> Task {
        co_await step(100);
        co_await step(50);
        co_await failing();
        log.push_back("not reached");
    });
    loop.post([this]() -> Task {
        log.push_back("next ran");
        co_return;
    });
    clock.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"step 100", "step 150", "next ran"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"boom"}));
}

TEST_F(LoopFixture, RepeatingTimerTicksAsActivitiesAndRestartKeepsItsPeriod) {
    int ticks = 0;
    RepeatingTimer timer(loop, 1000, [&]() -> Task {
        ++ticks;
        co_return;
    });
    timer.start();
    clock.advance(600);
    timer.start();  // already running: the period is not restarted
    clock.advance(400);
    EXPECT_EQ(ticks, 1);
    clock.advance(2000);
    EXPECT_EQ(ticks, 3);
    timer.stop();
    clock.advance(5000);
    EXPECT_EQ(ticks, 3);
}
