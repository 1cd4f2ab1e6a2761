#include "main_loop.h"

#include <errno.h>

#include "display.h"
#include "frame.h"
#include "set_clock.h"
#include "stop_signals.h"

static void present_frame(const ClockLoop *c)
{
    draw_frame(c);
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

void set_home_month(ClockLoop *c, int carry)
{
    struct tm local = *localtime(&c->shown_time);
    if (carry && c->browse_year == c->home_year && c->browse_month == c->home_month) {
        c->browse_year = local.tm_year;
        c->browse_month = local.tm_mon;
    }
    c->home_year = local.tm_year;
    c->home_month = local.tm_mon;
}

static void save_edit(ClockLoop *c)
{
    c->edit_mode = 0;
    int result = set_clock(c->shown_time);
    c->notice = set_clock_notice(result, errno);
    // Counted on from the system clock: the saved instant when it took it,
    // its own time when not. Home is then the month on show; after a refused
    // save that is the system's, which another program may have changed
    // during the edit, and the browsed month goes along as with any outside
    // change.
    LoopClocks now;
    loop_read_clocks(&now);
    loop_align(c, &now);
    set_home_month(c, result == SET_CLOCK_NOT_SET);
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
    case SDLK_LEFT:
        c->edit_field = field_next(c->edit_field, key == SDLK_RIGHT ? +1 : -1);
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
            // The key that takes a notice away does nothing else: Escape
            // answers the message, it does not quit.
            c->notice = nullptr;
            c->redraw = 1;
            continue;
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
    // The calendar's month is taken from the time at entry (browsed and home
    // being alike, both take it); the count starts from the time read again
    // after the bare flip.
    c.shown_time = time(nullptr);
    set_home_month(&c, 1);
    // Presented once bare, before the first frame is drawn on the first pass.
    SDL_Flip(screen);
    c.redraw = 1;
    LoopClocks now;
    time_t shown = time(nullptr);
    loop_read_clocks(&now);
    loop_start_count(&c, shown, &now);

    while (!c.quit) {
        loop_read_clocks(&now);
        loop_count(&c, &now);
        if (c.redraw) {
            present_frame(&c);
            c.redraw = 0;
        }
        pump_events(&c);
        if (!c.redraw)
            SDL_Delay(10);
    }
}
