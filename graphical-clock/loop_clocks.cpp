#include "loop_clocks.h"

#include <SDL.h>

#include "main_loop.h"

static int64_t clock_ms(clockid_t id)
{
    struct timespec ts = {};
    clock_gettime(id, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

void loop_read_clocks(LoopClocks *now)
{
    now->ticks = SDL_GetTicks();
    now->monotonic_ms = clock_ms(CLOCK_MONOTONIC);
    now->boot_ms = clock_ms(CLOCK_BOOTTIME);
    now->system_ms = clock_ms(CLOCK_REALTIME);
}

static int jumped(int64_t ms)
{
    return ms >= LOOP_JUMP_MS || ms <= -LOOP_JUMP_MS;
}

int64_t loop_time_passed(const LoopClocks *last, const LoopClocks *now)
{
    int64_t boot = now->boot_ms - last->boot_ms;
    int64_t monotonic = now->monotonic_ms - last->monotonic_ms;
    // Only the boot clock counts a suspend, and then the system clock has
    // moved with it; the boot clock leaving both others is no time passed.
    if (jumped(boot - monotonic) && !jumped(monotonic - (now->system_ms - last->system_ms)))
        return monotonic;
    return boot;
}

uint32_t loop_tick_step(uint32_t *tick_base, uint32_t *last_tick, uint32_t now)
{
    uint32_t since = now - *last_tick;
    // Half the counter's range or more is no time passed: the counter went
    // back. Start counting again from here, without a step.
    if (since >= TICK_BACKWARDS) {
        *tick_base = *last_tick = now;
        return 0;
    }
    if (since <= 1000)
        return 0;
    // Counted from tick_base, not last_tick: the lateness of each step adds up
    // until it makes a whole second, so the shown time never drifts.
    uint32_t n = (uint32_t)(now - *tick_base) / 1000;
    *tick_base += n * 1000;
    *last_tick = now;
    return n;
}

void loop_start_count(ClockLoop *c, time_t shown, const LoopClocks *now)
{
    c->shown_time = c->saved_time = shown;
    c->count.tick_base = c->count.last_tick = now->ticks;
    c->count.phase_ms = (int32_t)(now->system_ms - (int64_t)shown * 1000);
    c->count.last_pass = *now;
}

void loop_align(ClockLoop *c, const LoopClocks *now)
{
    int64_t second = now->system_ms / 1000;
    if (now->system_ms % 1000 < 0)
        second--; // before 1970 too, the second that has begun
    c->shown_time = c->saved_time = (time_t)second;
    c->count.tick_base = c->count.last_tick =
        now->ticks - (uint32_t)(now->system_ms - second * 1000);
    c->count.phase_ms = 0;
    c->count.resync = 0;
    c->count.last_pass = *now;
    c->redraw = 1;
}

// The count against the system clock, less the part of a second the count
// started with: positive when the count trails.
static int64_t count_drift(const ClockLoop *c, const LoopClocks *now)
{
    int64_t counted = (int64_t)c->saved_time * 1000 + (int32_t)(now->ticks - c->count.tick_base);
    return now->system_ms - counted - c->count.phase_ms;
}

// In browse mode: a change of the system clock is taken at once. Drift is
// slewed away a few milliseconds at a time, never letting the count lead, so
// the shown second never jumps for it: a catch-up step only comes earlier or
// later. More than that comes from a change made during an edit.
static void follow_system_clock(ClockLoop *c, const LoopClocks *now)
{
    int64_t drift = count_drift(c, now);
    if (c->count.resync || jumped(drift)) {
        loop_align(c, now);
        set_home_month(c, 1);
    } else if (drift < 0 || drift > LOOP_SLACK_MS) {
        c->count.tick_base -= (uint32_t)drift;
    }
}

void loop_count(ClockLoop *c, const LoopClocks *now)
{
    LoopCount *count = &c->count;
    const LoopClocks last = count->last_pass;
    count->last_pass = *now;
    int64_t passed = loop_time_passed(&last, now);
    // Ticks that jumped against time passed follow a system clock that was
    // set (no time passed), or stood still through a suspend (time passed all
    // the same). Any jump, as the counters wrap.
    int32_t tick_jump = (int32_t)(now->ticks - last.ticks - (uint32_t)passed);
    if (jumped(tick_jump)) {
        count->tick_base += (uint32_t)tick_jump;
        count->last_tick += (uint32_t)tick_jump;
    }
    if (jumped(now->system_ms - last.system_ms - passed))
        count->resync = 1;
    if (!c->edit_mode)
        follow_system_clock(c, now);
    uint32_t n = loop_tick_step(&count->tick_base, &count->last_tick, now->ticks);
    if (n > 0) {
        c->shown_time += n;
        c->saved_time += n;
        c->redraw = 1;
    }
}
