#include "main_loop.h"

#include <errno.h>

#include "display.h"
#include "frame.h"
#include "set_clock.h"
#include "stop_signals.h"

uint32_t loop_tick_step(uint32_t *tick_base, uint32_t *last_tick, uint32_t now)
{
    uint32_t since = now - *last_tick;
    // Half the counter's range or more is no time passed: the counter went
    // back (it follows the system clock, which was set back). Start counting
    // again from here, without a step.
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

int loop_clock_moved(time_t counted, time_t now)
{
    time_t lag = now - counted;
    return lag < 0 || lag > LOOP_LAG_MAX;
}

static void present_frame(const ClockLoop *c)
{
    draw_frame(c);
    // Flipped twice on purpose: were the surface double-buffered, both buffers
    // would then hold the frame; on the plain surface the second flip repeats
    // the update. Every frame is presented twice, and the tests count flips.
    SDL_Flip(screen);
    SDL_Flip(screen);
}

// The system clock was moved by someone else (a network time, a date set by
// hand, a suspend the tick counter did not see): take its time again, as at
// the start, and count on from there. An edit on show stays as it is; Escape
// returns it to the new time. The calendar's home month follows, and so does
// the browsed month unless the user had paged away from home.
static void take_system_time(ClockLoop *c, time_t now, uint32_t ticks)
{
    struct tm local = *localtime(&now);
    if (c->browse_year == c->home_year && c->browse_month == c->home_month) {
        c->browse_year = local.tm_year;
        c->browse_month = local.tm_mon;
    }
    c->home_year = local.tm_year;
    c->home_month = local.tm_mon;
    c->saved_time = now;
    if (!c->edit_mode)
        c->shown_time = now;
    c->tick_base = c->last_tick = ticks;
    c->redraw = 1;
}

static void browse_key(ClockLoop *c, SDLKey key)
{
    switch (key) {
    case SDLK_ESCAPE:
        c->quit = 1;
        break;
    case SDLK_BACKSPACE:
    case SDLK_TAB:
    case SDLK_SPACE:
        c->browse_month = c->home_month;
        c->browse_year = c->home_year;
        c->redraw = 1;
        break;
    case SDLK_RETURN:
        c->saved_time = c->shown_time;
        c->edit_mode = 1;
        c->redraw = 1;
        break;
    case SDLK_RIGHT:
        if (++c->browse_month > 11) {
            c->browse_month = 0;
            c->browse_year++;
        }
        c->redraw = 1;
        break;
    case SDLK_LEFT:
        if (--c->browse_month < 0) {
            c->browse_month = 11;
            c->browse_year--;
        }
        c->redraw = 1;
        break;
    default:
        break;
    }
}

static void save_edit(ClockLoop *c)
{
    c->redraw = 1;
    c->edit_mode = 0;
    struct tm local = *localtime(&c->shown_time);
    // The tick counter may follow the system clock, which this save moves:
    // what the counter moves meanwhile is the save's doing, not time passed.
    uint32_t before = SDL_GetTicks();
    int result = set_clock(&local);
    int error = errno;
    uint32_t moved = SDL_GetTicks() - before;
    c->tick_base += moved;
    c->last_tick += moved;
    c->notice = set_clock_notice(result, error);
    if (result == SET_CLOCK_NOT_SET) {
        // Nothing was saved: the screen shows the system's time again, and
        // the home month stays where it was.
        c->shown_time = c->saved_time;
        return;
    }
    c->saved_time = c->shown_time;
    c->home_year = local.tm_year;
    c->home_month = local.tm_mon;
}

static void edit_key(ClockLoop *c, SDLKey key)
{
    switch (key) {
    case SDLK_UP:
    case SDLK_DOWN:
        // A time the platform cannot represent keeps the value on show.
        field_step_time(&c->shown_time, c->edit_field, key == SDLK_UP ? +1 : -1);
        c->redraw = 1;
        break;
    case SDLK_RIGHT:
        c->edit_field = c->edit_field + 1 >= EDIT_FIELD_COUNT ? 0 : c->edit_field + 1;
        c->redraw = 1;
        break;
    case SDLK_LEFT:
        c->edit_field = c->edit_field == 0 ? EDIT_FIELD_COUNT - 1 : c->edit_field - 1;
        c->redraw = 1;
        break;
    case SDLK_RETURN:
        save_edit(c);
        break;
    case SDLK_ESCAPE:
        // Escape only cancels an edit; it never quits from edit mode.
        c->redraw = 1;
        c->edit_mode = 0;
        c->shown_time = c->saved_time;
        break;
    default:
        break;
    }
}

static void pump_events(ClockLoop *c)
{
    // A hang-up, quit or broken pipe ends the clock as closing its window does.
    if (stop_requested)
        c->quit = 1;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (c->quit)
            break; // the event just taken is dropped
        if (event.type == SDL_KEYDOWN && c->notice != nullptr) {
            // A notice stays until the next key, which then acts as always.
            c->notice = nullptr;
            c->redraw = 1;
        }
        if (event.type == SDL_QUIT)
            c->quit = 1;
        else if (event.type == SDL_KEYDOWN && c->edit_mode)
            edit_key(c, event.key.keysym.sym);
        else if (event.type == SDL_KEYDOWN)
            browse_key(c, event.key.keysym.sym);
    }
}

void run_clock()
{
    stop_signals_install();
    ClockLoop c = {};
    time_t now = time(nullptr);
    struct tm start = *localtime(&now);
    c.browse_year = c.home_year = start.tm_year;
    c.browse_month = c.home_month = start.tm_mon;

    SDL_Flip(screen);
    c.redraw = 1;
    c.quit = 0;
    c.edit_mode = 0;
    c.edit_field = 0;
    c.shown_time = time(nullptr);
    c.saved_time = c.shown_time;
    c.tick_base = SDL_GetTicks();
    c.last_tick = c.tick_base;

    while (!c.quit) {
        uint32_t ticks = SDL_GetTicks();
        uint32_t n = loop_tick_step(&c.tick_base, &c.last_tick, ticks);
        if (n > 0) {
            c.shown_time += n;
            c.saved_time += n;
            c.redraw = 1;
        }
        // Read every pass, so that the frame after an outside change of the
        // system clock already shows the new time.
        now = time(nullptr);
        if (loop_clock_moved(c.saved_time, now))
            take_system_time(&c, now, ticks);
        if (c.redraw) {
            present_frame(&c);
            c.redraw = 0;
        }
        pump_events(&c);
        if (!c.redraw)
            SDL_Delay(10);
    }
}
