// LD_PRELOAD shim over SDL for end-to-end runs of the graphical clock.
// It scripts ticks and events, captures every flipped frame as a PPM file and
// logs the set-up and shutdown calls, so runs are fast and deterministic.
//
//   SHIM_LOG=file      append one line per interesting call
//   SHIM_FRAMES=dir    write dir/frame-NNN.ppm at every SDL_Flip
//   SHIM_FAIL_FONT=n   TTF_OpenFont of point size n returns null
//   SHIM_SCRIPT=...    one step up to the next "|" for each pass of the clock's
//                      loop, taken at the first SDL_GetTicks after the event
//                      queue was found empty (so a pass may read the ticks more
//                      than once): t=N set ticks, +N add ms, c=N another
//                      program moves the system clock by N ms, s=N the
//                      machine sleeps N ms (the system and boot clocks move,
//                      and ticks that follow the system clock), k=SYM key down,
//                      u=SYM key up, quit an SDL_QUIT event, w=PATH creates
//                      PATH.waiting and waits (up to 10 minutes) until PATH
//                      exists, the screen showing the last frame. When it runs out,
//                      SDL_QUIT is queued. SDL_Delay does not wait.
//                      Without SHIM_SCRIPT, ticks, events and delays are SDL's own.
//                      The clock shim's fake clocks (SHIM_TIME), when it is
//                      there, move with the scripted ticks (their first setting
//                      only says where they start): as on a device, time
//                      passes for all alike; c=N moves its system clock alone.
//   SHIM_WALL=1        with SHIM_SCRIPT: the ticks follow the clock shim's
//                      system clock, as classic SDL counts them from
//                      gettimeofday (so c=N and a clock setting move them);
//                      without it they count on by themselves, as SDL 2's do
//                      from a monotonic clock. Either way, whichever SDL this is.
// time() is the clock shim's (SHIM_TIME).
#include <SDL.h>
#include <SDL_ttf.h>
#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <deque>
#include <string>

#include "shim_log.h"

namespace {

std::deque<SDL_Event> queue;
Uint32 ticks = 0;
Uint32 first_ticks = 0; // where the script starts them
const char *script_pos = nullptr;
bool script_started = false;
bool script_done = false;
bool next_pass = true; // the event queue was found empty since the last step
int frame_number = 0;
struct OpenFont {
    TTF_Font *font;
    int size;
};
OpenFont open_fonts[8];

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool wall_mode()
{
    return getenv("SHIM_WALL") != nullptr;
}

// Moves the clock shim's fake clocks: time passes, or its system clock is
// set by another program. Without the clock shim only the ticks move.
void clock_shim(const char *name, long long ms)
{
    using MoveFn = void (*)(long long);
    MoveFn move = reinterpret_cast<MoveFn>(dlsym(RTLD_DEFAULT, name));
    if (move == nullptr && wall_mode())
        abort(); // SHIM_WALL needs the clock shim
    if (move != nullptr)
        move(ms);
}

// Sets the scripted ticks, time passing as much; the first setting only says
// where the ticks start.
void set_ticks(Uint32 now)
{
    static bool started = false;
    if (started)
        clock_shim("clock_shim_pass", (int32_t)(now - ticks));
    else
        first_ticks = now;
    started = true;
    ticks = now;
}

// Ticks counted from the system clock since the first reading, as classic
// SDL counts them.
Uint32 wall_ticks()
{
    static long long start = -1;
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    long long ms = (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
    if (start < 0)
        start = ms;
    return first_ticks + (Uint32)(ms - start);
}

void push_key(Uint8 type, int sym)
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = (SDLKey)sym;
    queue.push_back(e);
}

void push_quit()
{
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = SDL_QUIT;
    queue.push_back(e);
}

// Holds the program while someone else looks at its screen: the previous
// pass has flipped its frame when PATH.waiting appears.
void wait_for_file(const std::string &path)
{
    FILE *waiting = fopen((path + ".waiting").c_str(), "w");
    if (waiting != nullptr)
        fclose(waiting);
    for (int i = 0; i < 60000 && access(path.c_str(), F_OK) != 0; i++)
        usleep(10000);
}

// Runs the script's commands up to the next "|".
void advance_script()
{
    if (!script_started) {
        script_started = true;
        script_pos = getenv("SHIM_SCRIPT");
    }
    if (script_done)
        return;
    if (script_pos == nullptr || *script_pos == '\0') {
        script_done = true;
        push_quit();
        return;
    }
    while (*script_pos != '\0') {
        while (*script_pos == ' ')
            script_pos++;
        const char *end = script_pos;
        while (*end != '\0' && *end != ' ')
            end++;
        std::string token(script_pos, end);
        script_pos = end;
        if (token == "|")
            return;
        if (token.rfind("t=", 0) == 0)
            set_ticks((Uint32)strtoul(token.c_str() + 2, nullptr, 0));
        else if (token[0] == '+')
            set_ticks(ticks + (Uint32)strtoul(token.c_str() + 1, nullptr, 0));
        else if (token.rfind("c=", 0) == 0)
            clock_shim("clock_shim_step", strtoll(token.c_str() + 2, nullptr, 0));
        else if (token.rfind("s=", 0) == 0)
            clock_shim("clock_shim_suspend", strtoll(token.c_str() + 2, nullptr, 0));
        else if (token.rfind("k=", 0) == 0)
            push_key(SDL_KEYDOWN, atoi(token.c_str() + 2));
        else if (token.rfind("u=", 0) == 0)
            push_key(SDL_KEYUP, atoi(token.c_str() + 2));
        else if (token == "quit")
            push_quit();
        else if (token.rfind("w=", 0) == 0)
            wait_for_file(token.substr(2));
    }
}

void write_frame(SDL_Surface *s)
{
    const char *dir = getenv("SHIM_FRAMES");
    if (dir == nullptr || s == nullptr)
        return;
    char path[4096];
    snprintf(path, sizeof path, "%s/frame-%03d.ppm", dir, frame_number);
    FILE *f = fopen(path, "wb");
    if (f == nullptr)
        return;
    fprintf(f, "P6\n%d %d\n255\n", s->w, s->h);
    for (int y = 0; y < s->h; y++) {
        const Uint16 *row = (const Uint16 *)((const Uint8 *)s->pixels + y * s->pitch);
        for (int x = 0; x < s->w; x++) {
            Uint8 rgb[3];
            SDL_GetRGB(row[x], s->format, &rgb[0], &rgb[1], &rgb[2]);
            fwrite(rgb, 1, 3, f);
        }
    }
    fclose(f);
}

} // namespace

extern "C" {

Uint32 SDL_GetTicks(void)
{
    if (getenv("SHIM_SCRIPT") == nullptr)
        return real<Uint32 (*)(void)>("SDL_GetTicks")();
    if (next_pass) {
        next_pass = false;
        advance_script();
    }
    return wall_mode() ? wall_ticks() : ticks;
}

int SDL_PollEvent(SDL_Event *event)
{
    if (getenv("SHIM_SCRIPT") == nullptr)
        return real<int (*)(SDL_Event *)>("SDL_PollEvent")(event);
    if (queue.empty()) {
        next_pass = true;
        return 0;
    }
    if (event != nullptr) {
        *event = queue.front();
        queue.pop_front();
    }
    return 1;
}

void SDL_Delay(Uint32 ms)
{
    if (getenv("SHIM_SCRIPT") == nullptr)
        real<void (*)(Uint32)>("SDL_Delay")(ms);
}

int SDL_Flip(SDL_Surface *s)
{
    write_frame(s);
    log_line("flip %d", frame_number);
    frame_number++;
    return real<int (*)(SDL_Surface *)>("SDL_Flip")(s);
}

int SDL_ShowCursor(int toggle)
{
    log_line("SDL_ShowCursor %d", toggle);
    return real<int (*)(int)>("SDL_ShowCursor")(toggle);
}

TTF_Font *TTF_OpenFont(const char *file, int ptsize)
{
    const char *fail = getenv("SHIM_FAIL_FONT");
    if (fail != nullptr && atoi(fail) == ptsize) {
        log_line("TTF_OpenFont %d failed", ptsize);
        return nullptr;
    }
    TTF_Font *font = real<TTF_Font *(*)(const char *, int)>("TTF_OpenFont")(file, ptsize);
    log_line("TTF_OpenFont %d %s", ptsize, font ? "ok" : "failed");
    for (OpenFont &slot : open_fonts) {
        if (slot.font == nullptr) {
            slot = {font, ptsize};
            break;
        }
    }
    return font;
}

void TTF_CloseFont(TTF_Font *font)
{
    int size = 0;
    for (OpenFont &slot : open_fonts) {
        if (slot.font == font && font != nullptr) {
            size = slot.size;
            slot = {nullptr, 0};
        }
    }
    log_line("TTF_CloseFont %d", size);
    real<void (*)(TTF_Font *)>("TTF_CloseFont")(font);
}

void TTF_Quit(void)
{
    log_line("TTF_Quit");
    real<void (*)(void)>("TTF_Quit")();
}

void SDL_Quit(void)
{
    log_line("SDL_Quit");
    real<void (*)(void)>("SDL_Quit")();
}

} // extern "C"
