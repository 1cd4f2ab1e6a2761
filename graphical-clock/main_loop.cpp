#include "main_loop.h"

#include <time.h>

#include "display.h"
#include "frame.h"
#include "field_edit.h"
#include "set_clock.h"
#include "stop_signals.h"

uint32_t tick_step(uint32_t *tick_base, uint32_t *last_tick, uint32_t now)
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

// The loop's state, for one run of the clock.
struct ClockLoop {
    time_t shown_time;   // the time on show; in edit mode the edited one; runs on in both
    time_t saved_time;   // what Escape returns an edit to; runs on like shown_time
    int edit_mode;       // 0 browse, 1 edit
    EditField edit_field; // the field Up and Down step; kept from one edit to the next
    int browse_year, browse_month; // the calendar's month in browse mode (tm_year, tm_mon)
    int home_year, home_month;     // where Backspace, Tab and Space return the calendar:
                                   // the month of the start or of the last save, never
                                   // moved on by the running clock
    int redraw;          // a frame is due; the loop does not sleep while it is set
    int quit;            // leave the loop; events still queued are dropped
    uint32_t tick_base;  // ticks from which whole seconds are counted (moves by 1000s)
    uint32_t last_tick;  // ticks at the last one-second step
};

static void present_frame(const ClockLoop *c)
{
    draw_frame(c->shown_time, c->edit_mode, c->edit_field, c->browse_year, c->browse_month);
    // Flipped twice on purpose: were the surface double-buffered, both buffers
    // would then hold the frame; on the plain surface the second flip repeats
    // the update. Every frame is presented twice, and the tests count flips.
    SDL_Flip(screen);
    SDL_Flip(screen);
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

static void step_field(ClockLoop *c, void (*step)(struct tm *, EditField))
{
    struct tm copy = *localtime(&c->shown_time);
    step(&copy, c->edit_field);
    // The stepped date may lie on the other side of a daylight-saving change:
    // let mktime find its flag, so the hour and minute on show stay as they are.
    copy.tm_isdst = -1;
    time_t t = mktime(&copy);
    // A time the platform cannot represent keeps the value on show.
    if (t != (time_t)-1)
        c->shown_time = t;
    c->redraw = 1;
}

static void save_edit(ClockLoop *c)
{
    c->redraw = 1;
    c->edit_mode = 0;
    c->saved_time = c->shown_time;
    struct tm local = *localtime(&c->shown_time);
    c->home_year = local.tm_year;
    c->home_month = local.tm_mon;
    // The tick counter may follow the system clock, which this save moves:
    // what the counter moves meanwhile is the save's doing, not time passed.
    uint32_t before = SDL_GetTicks();
    set_clock(&local);
    uint32_t moved = SDL_GetTicks() - before;
    c->tick_base += moved;
    c->last_tick += moved;
}

static void edit_key(ClockLoop *c, SDLKey key)
{
    switch (key) {
    case SDLK_UP:
        step_field(c, field_increment);
        break;
    case SDLK_DOWN:
        step_field(c, field_decrement);
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
        uint32_t n = tick_step(&c.tick_base, &c.last_tick, SDL_GetTicks());
        if (n > 0) {
            c.shown_time += n;
            c.saved_time += n;
            c.redraw = 1;
        }
        if (c.redraw) {
            present_frame(&c);
            c.redraw = 0;
        }
        pump_events(&c);
        if (!c.redraw)
            SDL_Delay(10);
    }
}
