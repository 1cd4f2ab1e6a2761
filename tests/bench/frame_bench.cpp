// What one frame costs: the graphical clock's whole frame drawn to a
// 320x240x16 surface (SDL's dummy driver: nothing leaves the process), and one
// iteration of the terminal clock's drawing into a pipe that a thread drains.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "clock.h"
#include "display.h"
#include "frame.h"

static void BM_GraphicalFrame(benchmark::State &state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("TZ", "UTC", 1);
    if (screen == nullptr && (display_init() != 0 || fonts_open() != 0)) {
        state.SkipWithError("no screen or font");
        return;
    }
    ClockLoop loop = {};
    loop.shown_time = 1329214117; // 2012-02-14 10:08:37
    loop.browse_year = 112;       // browsing February 2012
    loop.browse_month = 1;
    for (auto _ : state) {
        draw_frame(&loop);
        loop.shown_time++; // a new second every frame, as the running clock draws them
    }
}
BENCHMARK(BM_GraphicalFrame);

static void BM_TerminalIteration(benchmark::State &state)
{
    int fds[2];
    if (pipe(fds) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    std::atomic<bool> done{false};
    std::thread drain([&] {
        char buf[65536];
        while (read(fds[0], buf, sizeof buf) > 0) {
        }
        done = true;
    });
    fflush(stdout);
    int saved = dup(1);
    dup2(fds[1], 1);
    static char format[DATE_FORMAT_SIZE] = "%F";
    static ClockState record;
    memset(&record, 0, sizeof record);
    record.date_format = format;
    record.delay = DEFAULT_DELAY;
    record.color = DEFAULT_COLOR;
    clock_state = &record;
    setenv("TZ", "UTC", 1);
    record.clock_win = win_create(CLOCK_HEIGHT, CLOCK_WIDTH, 0, 0);
    record.date_win = win_create(3, 14, 6, 10);
    record.width = CLOCK_WIDTH;
    record.height = CLOCK_HEIGHT;
    for (auto _ : state) {
        clock_update_time();
        clock_draw();
    }
    clock_release_windows();
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(fds[1]);
    drain.join();
    close(fds[0]);
}
BENCHMARK(BM_TerminalIteration);

BENCHMARK_MAIN();
