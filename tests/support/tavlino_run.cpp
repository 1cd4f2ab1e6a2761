#include "tavlino_run.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "calendar.h"
#include "display.h"
#include "face.h"
#include "screen_texts.h"

TavlinoRun run_tavlino(const std::string &script, time_t time, const std::string &tz,
                       const std::vector<std::string> &extra_env)
{
    std::string dir = make_temp_dir();
    std::vector<std::string> env = {
        "SDL_VIDEODRIVER=dummy",
        "LD_PRELOAD=" + build_dir() + "/libsdl_shim.so:" + build_dir() + "/libclock_shim.so",
        "SHIM_LOG=" + dir + "/log",
        "SHIM_FRAMES=" + dir,
        "SHIM_SCRIPT=" + script,
        "SHIM_TIME=" + std::to_string((long long)time),
        "TZ=" + tz,
    };
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    // The clock shim must stand in front of the real clocks, through every entry
    // point the program uses, or nothing runs.
    std::string missing = clock_shim_missing(env);
    if (!missing.empty()) {
        fprintf(stderr, "the clock shim does not intercept: %s\n", missing.c_str());
        abort();
    }
    TavlinoRun run;
    run.result = run_program({build_dir() + "/Tavlino"}, env, 30000);
    run.log = read_file(dir + "/log");
    std::istringstream lines(run.log);
    for (std::string line; std::getline(lines, line);)
        run.lines.push_back(line);
    for (int i = 0;; i++) {
        char name[32];
        snprintf(name, sizeof name, "/frame-%03d.ppm", i);
        Image frame = read_ppm(dir + name);
        if (!frame.ok())
            break;
        run.frames.push_back(frame);
        unlink((dir + name).c_str());
    }
    unlink((dir + "/log").c_str());
    rmdir(dir.c_str());
    return run;
}

std::vector<std::string> log_lines(const TavlinoRun &run, const std::string &prefix)
{
    std::vector<std::string> found;
    for (const std::string &line : run.lines)
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

ExpectedFrame browse_frame(time_t shown, int year, int month, int mark)
{
    ExpectedFrame e;
    e.shown = shown;
    e.calendar_year = year;
    e.calendar_month = month;
    e.mark_day = mark;
    return e;
}

ExpectedFrame edit_frame(time_t shown, unsigned field, const std::string &tz)
{
    setenv("TZ", tz.c_str(), 1);
    tzset();
    struct tm t;
    localtime_r(&shown, &t);
    ExpectedFrame e = browse_frame(shown, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    e.edit_mode = 1;
    e.field = field;
    return e;
}

static void ensure_display()
{
    if (screen != nullptr)
        return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (display_init() != 0 || fonts_open() != 0)
        abort();
}

Image expected_frame(const ExpectedFrame &e, const std::string &tz)
{
    ensure_display();
    setenv("TZ", tz.c_str(), 1);
    tzset();
    struct tm shown = *localtime(&e.shown);
    draw_background(e.edit_mode, e.notice);
    draw_face(shown.tm_hour, shown.tm_min, shown.tm_sec);
    draw_calendar(e.calendar_year - 1900, e.calendar_month - 1, e.mark_day);
    if (e.edit_mode)
        draw_edit_line(&shown, e.field);
    else
        draw_datetime_line(&shown);
    Image img;
    img.w = screen->w;
    img.h = screen->h;
    img.rgb.resize((size_t)img.w * img.h * 3);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            Uint16 p = ((const Uint16 *)((const Uint8 *)screen->pixels + y * screen->pitch))[x];
            SDL_GetRGB(p, screen->format, &img.rgb[((size_t)y * img.w + x) * 3],
                       &img.rgb[((size_t)y * img.w + x) * 3 + 1],
                       &img.rgb[((size_t)y * img.w + x) * 3 + 2]);
        }
    return img;
}

long frame_difference(const Image &a, const Image &b)
{
    if (a.w != b.w || a.h != b.h)
        return -1;
    long differ = 0;
    for (int y = 0; y < a.h; y++)
        for (int x = 0; x < a.w; x++)
            differ += a.at(x, y) != b.at(x, y);
    return differ;
}
