#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

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

namespace {

// A device's clocks in simulated time. The monotonic clock counts true
// milliseconds, and the boot clock a suspend too; the system clock runs at
// its own rate and may be set; the ticks follow the system clock (classic
// SDL, "wall") or run on at their own rate (SDL 2).
struct Device {
    bool wall;
    double tick_ppm, system_ppm;
    double passed = 0, boot = 0, system = 1325239190000.0, ticks = 0;
    LoopClocks read() const
    {
        return {(uint32_t)(int64_t)std::floor(ticks), (int64_t)std::floor(passed),
                (int64_t)std::floor(boot), (int64_t)std::floor(system)};
    }
    void pass(double ms)
    {
        passed += ms;
        boot += ms;
        system += ms * (1 + system_ppm * 1e-6);
        ticks += ms * (1 + (wall ? system_ppm : tick_ppm) * 1e-6);
    }
    void set(double ms)
    {
        system += ms;
        if (wall)
            ticks += ms;
    }
    void suspend(double ms)
    {
        boot += ms;
        set(ms);
    }
};

ClockLoop started(const Device &d)
{
    ClockLoop c = {};
    LoopClocks now = d.read();
    loop_start_count(&c, (time_t)(now.system_ms / 1000), &now);
    return c;
}

// The shown time against the system clock at a pass, in ms: never ahead.
long long lag(const ClockLoop &c, const Device &d)
{
    return d.read().system_ms - (long long)c.shown_time * 1000;
}

} // namespace

// Six hours of passes 10 ms apart: whatever the ticks or the system clock do,
// the shown second is never ahead of the system clock nor more than 2.1 s
// behind it, and a second is shown twice at most once in eight minutes.
TEST(LoopCount, ShownTimeStaysWithinItsBound)
{
    struct Case {
        const char *why;
        bool wall;
        double tick_ppm, system_ppm, set_every_64s; // ms, alternately on and back
    };
    const Case cases[] = {
        {"ticks 1000 ppm fast", false, 1000, 0, 0},
        {"ticks 1000 ppm slow", false, -1000, 0, 0},
        {"ticks 100 ppm slow", false, -100, 0, 0},
        {"system clock slewed 500 ppm fast, ticks following it", true, 0, 500, 0},
        {"system clock slewed 500 ppm slow, ticks on their own", false, 0, -500, 0},
        {"0.3 s set on and back every 64 s, ticks on their own", false, 0, 0, 300},
        {"0.3 s set on and back every 64 s, ticks following it", true, 0, 0, 300},
        {"1000 ppm fast ticks and 0.3 s steps", false, 1000, 0, 300},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.why);
        Device d = {k.wall, k.tick_ppm, k.system_ppm};
        ClockLoop c = started(d);
        long long worst = 0, shown_since = 0, repeats = 0;
        time_t before = c.shown_time;
        for (long long pass = 1; pass <= 6LL * 3600 * 100; pass++) {
            d.pass(10);
            if (k.set_every_64s != 0 && pass % 6400 == 0)
                d.set(pass % 12800 == 0 ? -k.set_every_64s : k.set_every_64s);
            LoopClocks now = d.read();
            loop_count(&c, &now);
            long long l = lag(c, d);
            ASSERT_GE(l, 0) << "ahead at pass " << pass;
            worst = std::max(worst, l);
            if (c.shown_time != before) {
                ASSERT_LE(c.shown_time - before, 2) << "pass " << pass;
                // One second shown for two, or shown again.
                repeats += pass - shown_since > 150 || c.shown_time < before;
                shown_since = pass;
                before = c.shown_time;
            }
        }
        EXPECT_LE(worst, 2100);
        EXPECT_LE(repeats, 6 * 60 / 8);
    }
}

// A setting of the system clock shows at once, the shown second then turning
// over with the system clock's; an edit on show only runs on as time passes.
TEST(LoopCount, SettingTheClockShowsAtOnceAndMovesNoEdit)
{
    const long long minute = 60000, day = 86400000;
    for (bool wall : {true, false}) {
        for (long long change : {500LL, -500LL, 1200LL, -1200LL, 60 * minute, -30 * day,
                                 -25 * day, 50 * day}) {
            SCOPED_TRACE((wall ? "ticks following the clock, " : "ticks on their own, ") +
                         std::to_string(change) + " ms");
            Device d = {wall, 0, 0}, unchanged = d;
            d.pass(3330); // the change comes a third of a second into a second
            unchanged.pass(3330);
            ClockLoop c = started(Device{wall, 0, 0}), edit = c, kept = c;
            edit.edit_mode = kept.edit_mode = 1;
            LoopClocks now = d.read();
            for (ClockLoop *l : {&c, &edit, &kept})
                loop_count(l, &now);
            d.set((double)change);
            long long turned = -1;
            for (int pass = 1; pass <= 300; pass++) {
                d.pass(10);
                unchanged.pass(10);
                LoopClocks a = d.read(), b = unchanged.read();
                time_t shown = c.shown_time;
                loop_count(&c, &a);
                loop_count(&edit, &a);
                loop_count(&kept, &b);
                ASSERT_EQ(edit.shown_time, kept.shown_time) << "pass " << pass;
                ASSERT_GE(lag(c, d), 0);
                ASSERT_LE(lag(c, d), pass == 1 ? 1000 : 2100) << "pass " << pass;
                if (turned < 0 && pass > 1 && c.shown_time != shown)
                    turned = lag(c, d);
            }
            EXPECT_GE(turned, 0);
            EXPECT_LE(turned, 50) << "the second turns over late";
            EXPECT_EQ(edit.count.resync, 1) << "taken when the edit ends";
        }
    }
}

// Time passed is the boot clock's, which counts a suspend; a jump of one
// clock alone, the boot clock's too, is none. An edit on show runs on by it.
TEST(LoopCount, AnEditRunsOnThroughASuspend)
{
    const double day = 86400000;
    struct Case {
        const char *why;
        bool wall;
        double boot, monotonic, system; // ms each clock moves beyond time passing
        long long shown;                // seconds the edit moves on for them
    };
    const Case cases[] = {
        {"a 3-day suspend, ticks following the clock", true, 3 * day, 0, 3 * day, 259200},
        {"a 3-day suspend, ticks on their own", false, 3 * day, 0, 3 * day, 259200},
        {"a 10-second suspend", false, 10000, 0, 10000, 10},
        {"the system clock alone set a day on", false, 0, 0, day, 0},
        {"the monotonic clock alone a day on", false, 0, day, 0, 0},
        {"the boot clock alone a day on", true, day, 0, 0, 0},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.why);
        Device d = {k.wall, 0, 0};
        ClockLoop c = started(d);
        c.edit_mode = 1;
        d.pass(500);
        LoopClocks now = d.read();
        loop_count(&c, &now);
        time_t before = c.shown_time;
        d.boot += k.boot;
        d.passed += k.monotonic;
        d.set(k.system);
        for (int pass = 0; pass < 210; pass++) {
            d.pass(10);
            now = d.read();
            loop_count(&c, &now);
        }
        EXPECT_EQ(c.shown_time - before, k.shown + 2) << "2.6 s after an exact second";
        EXPECT_EQ(c.saved_time, c.shown_time);
    }
}

// Aligned to the system clock, the count shows the second that has begun,
// before 1970 as after it, and counts its seconds from that second's start.
TEST(LoopCount, AlignedToTheSecondThatHasBegun)
{
    struct Case {
        int64_t system_ms;
        time_t shown;
        uint32_t into_second; // ms since tick_base
    };
    const Case cases[] = {
        {1500, 1, 500}, {1000, 1, 0}, {999, 0, 999}, {0, 0, 0},
        {-1, -1, 999}, {-1000, -1, 0}, {-1500, -2, 500}, {-86400001, -86401, 999},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.system_ms);
        ClockLoop c = {};
        LoopClocks now = {70000, 5000, 5000, k.system_ms};
        loop_align(&c, &now);
        EXPECT_EQ(c.shown_time, k.shown);
        EXPECT_EQ(c.saved_time, k.shown);
        EXPECT_EQ(now.ticks - c.count.tick_base, k.into_second);
        EXPECT_EQ(c.count.last_tick, c.count.tick_base);
    }
}
