#include <gtest/gtest.h>

#include "main_loop.h"

TEST(TickStep, StepsOnlyAfterMoreThanASecond)
{
    uint32_t base = 5000, last = 5000;
    EXPECT_EQ(loop_tick_step(&base, &last, 6000), 0u);
    EXPECT_EQ(base, 5000u);
    EXPECT_EQ(last, 5000u);
    EXPECT_EQ(loop_tick_step(&base, &last, 6001), 1u);
    EXPECT_EQ(base, 6000u);
    EXPECT_EQ(last, 6001u);
}

TEST(TickStep, LateStepsAddUpWithoutDrift)
{
    uint32_t base = 0, last = 0, now = 0, shown = 0;
    int double_steps = 0;
    for (int i = 0; i < 150; i++) {
        now += 1010; // every step comes 10 ms late
        uint32_t n = loop_tick_step(&base, &last, now);
        ASSERT_GE(n, 1u);
        ASSERT_LE(n, 2u);
        if (n == 2) {
            double_steps++;
            EXPECT_GE(i, 90); // about a hundred steps of 10 ms make up one second
        }
        shown += n;
        EXPECT_EQ(shown, now / 1000) << "step " << i;
    }
    EXPECT_EQ(double_steps, 1);
}

TEST(TickStep, StallIsMadeUpByOneStep)
{
    uint32_t base = 0, last = 0;
    EXPECT_EQ(loop_tick_step(&base, &last, 7400), 7u);
    EXPECT_EQ(base, 7000u);
    EXPECT_EQ(loop_tick_step(&base, &last, 8401), 1u);
}

TEST(TickStep, CounterWrapNeitherStopsNorJumps)
{
    uint32_t start = 0xFFFFFFFFu - 1500;
    uint32_t base = start, last = start, now = start, shown = 0;
    for (int i = 0; i < 10; i++) {
        now += 1001;
        shown += loop_tick_step(&base, &last, now);
    }
    EXPECT_EQ(shown, 10u); // 10010 ms across the wrap
    EXPECT_EQ((uint32_t)(now - base), 10u);
}

// The counter follows the system clock on many builds, so it can go back.
TEST(TickStep, CounterThatGoesBackRestartsWithoutAStep)
{
    struct Case {
        const char *why;
        uint32_t last, now;
    };
    const Case cases[] = {
        {"two seconds back", 50000, 48000},
        {"one hour back", 5000000, 5000000 - 3600000},
        {"back across zero", 1000, 0xFFFFFFFFu - 1000},
        {"half the range on", 0, 0x80000000u},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        uint32_t base = c.last - 400, last = c.last;
        EXPECT_EQ(loop_tick_step(&base, &last, c.now), 0u);
        EXPECT_EQ(base, c.now);
        EXPECT_EQ(last, c.now);
        // From there it counts as before: exactly a second does not step, a bit more does.
        EXPECT_EQ(loop_tick_step(&base, &last, c.now + 1000), 0u);
        EXPECT_EQ(loop_tick_step(&base, &last, c.now + 1001), 1u);
    }
}

TEST(TickStep, JustUnderHalfTheRangeIsAStall)
{
    uint32_t base = 0, last = 0;
    EXPECT_EQ(loop_tick_step(&base, &last, 0x7FFFFFFFu), 0x7FFFFFFFu / 1000);
}

// The count trails the system clock by up to two seconds in normal running;
// anything else means the system clock was moved under it.
TEST(LoopClockMoved, OnlyBeyondTheNormalLag)
{
    const time_t counted = 1325239190;
    struct Case {
        long long lag;
        int moved;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {-1, 1}, {-3600, 1},
                          {3600, 1}, {30LL * 86400, 1}, {-30LL * 86400, 1}};
    for (const Case &c : cases)
        EXPECT_EQ(loop_clock_moved(counted, counted + c.lag), c.moved) << "lag " << c.lag;
}
