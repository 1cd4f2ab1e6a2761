// The real Tavlino in a real X window (Xvfb), driven with xdotool and checked
// by screenshots against the frames the headless runs show.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tavlino_run.h"

namespace {

class TavlinoX11 : public ::testing::Test {
protected:
    int xvfb = -1, clock = -1;
    std::string display, dir, window;
    const time_t start = utc_time(2011, 12, 30, 23, 59, 30);

    void SetUp() override
    {
        dir = make_temp_dir();
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        xvfb = spawn_program({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                              "640x480x24", "-nolisten", "tcp"},
                             {}, "", dir + "/xvfb.log");
        close(fds[1]);
        // Written once the server is up, the number and its newline apart: the
        // server dies if the pipe closes in between, so read up to the newline.
        std::string number;
        char c;
        while (number.find('\n') == std::string::npos && read(fds[0], &c, 1) == 1)
            number += c;
        close(fds[0]);
        ASSERT_NE(number.find('\n'), std::string::npos) << read_file(dir + "/xvfb.log");
        display = ":" + number.substr(0, number.find('\n'));
        // Wait until the server takes connections.
        for (int i = 0; i < 50; i++) {
            if (shell_output("DISPLAY=" + display +
                             " timeout 5 xdotool getmouselocation >/dev/null 2>&1 && echo up") ==
                "up\n")
                break;
            usleep(100000);
        }

        std::string preload =
            "LD_PRELOAD=" + build_dir() + "/libsdl_shim.so:" + build_dir() + "/libclock_shim.so";
        ASSERT_EQ(clock_shim_missing({preload}), "") << "the clock shim must intercept";
        clock = spawn_program({build_dir() + "/Tavlino"},
                              {"DISPLAY=" + display, "TZ=UTC",
                               "LD_PRELOAD=" + build_dir() + "/libsdl_shim.so:" + build_dir() +
                                   "/libclock_shim.so",
                               "SHIM_TIME=" + std::to_string((long long)start),
                               "SHIM_CLOCK=run", "SHIM_LOG=" + dir + "/log"},
                              dir + "/out", dir + "/err");
        window = shell_output("DISPLAY=" + display +
                              " timeout 10 xdotool search --sync --onlyvisible --name '^Tavlino$'"
                              " 2>/dev/null | head -n 1");
        window = window.substr(0, window.find('\n'));
        ASSERT_FALSE(window.empty()) << "no window; clock status " << wait_program(clock, 0)
                                     << ": " << read_file(dir + "/err") << read_file(dir + "/out");
        xdo("windowfocus --sync " + window);
    }

    void TearDown() override
    {
        if (clock > 0 && wait_program(clock, 0) < 0)
            kill_program(clock);
        if (xvfb > 0) {
            kill(xvfb, SIGTERM); // lets the server remove its lock and socket
            if (wait_program(xvfb, 5000) < 0)
                kill_program(xvfb);
        }
    }

    void xdo(const std::string &args)
    {
        shell_output("DISPLAY=" + display + " timeout 10 xdotool " + args + " 2>&1");
    }

    void key(const std::string &name)
    {
        xdo("key --clearmodifiers " + name);
        usleep(300000);
    }

    Image screenshot(const std::string &name)
    {
        std::string xwd = dir + "/" + name + ".xwd";
        shell_output("DISPLAY=" + display + " timeout 10 xwd -silent -id " + window + " -out " +
                     xwd + " 2>&1");
        Image img = read_xwd(xwd);
        if (img.ok() && img.w >= 320 && img.h >= 240)
            img = img.crop(0, 0, 320, 240);
        write_ppm(img, dir + "/" + name + ".ppm");
        return img;
    }

    // The offset k in 0..limit of the expected frame that the screenshot shows, or -1.
    int matching_second(const Image &shot, ExpectedFrame e, time_t from, long *closest,
                        int limit = 60)
    {
        for (int k = 0; k <= limit; k++) {
            e.shown = from + k;
            long d = frame_difference(shot, expected_frame(e));
            if (d == 0)
                return k;
            if (*closest < 0 || d < *closest)
                *closest = d;
        }
        return -1;
    }

    // Takes screenshots until one shows the expected frame at a second later
    // than `after` (the window may take a moment to follow a key or the
    // clock); the second it shows, or -1.
    int await_frame(const std::string &name, ExpectedFrame e, time_t from, int after = -1)
    {
        long closest = -1;
        for (int attempt = 0; attempt < 40; attempt++) {
            Image shot = screenshot(name);
            int k = shot.ok() ? matching_second(shot, e, from, &closest) : -1;
            if (k > after)
                return k;
            usleep(100000);
        }
        ADD_FAILURE() << name << ": the closest frame differs in " << closest << " pixels";
        return -1;
    }
};

ExpectedFrame frame(int edit_mode, int year, int month, int mark, unsigned field = 0)
{
    ExpectedFrame e;
    e.edit_mode = edit_mode;
    e.calendar_year = year;
    e.calendar_month = month;
    e.mark_day = mark;
    e.field = field;
    return e;
}

} // namespace

TEST_F(TavlinoX11, BrowseEditSaveAndQuitInARealWindow)
{
    int k = await_frame("browse", frame(0, 2011, 12, 30), start);
    EXPECT_GE(k, 0) << "the browse screenshot shows the headless browse frame";
    mkdir((build_dir() + "/screenshots").c_str(), 0755);
    shell_output("pnmtopng " + dir + "/browse.ppm > " + build_dir() +
                 "/screenshots/tavlino-browse.png 2>/dev/null");

    key("Return");
    key("Right");
    EXPECT_GE(await_frame("edit", frame(1, 2011, 12, 30, 1), start), 0)
        << "the edit screenshot shows the month in red";
    shell_output("pnmtopng " + dir + "/edit.ppm > " + build_dir() +
                 "/screenshots/tavlino-edit.png 2>/dev/null");

    key("Up"); // December steps to January of the same year
    key("Return");
    time_t saved_base = utc_time(2011, 1, 30, 23, 59, 30);
    int k1 = await_frame("saved1", frame(0, 2011, 12, 0), saved_base);
    std::string log = read_file(dir + "/log");
    EXPECT_NE(log.find("clock_settime clock=0 sec="), std::string::npos) << log;

    // The saved time runs on: a later frame shows a later second.
    EXPECT_GE(k1, 0);
    EXPECT_GT(await_frame("saved2", frame(0, 2011, 12, 0), saved_base, k1), k1);

    key("Escape");
    EXPECT_EQ(wait_program(clock, 5000), 0);
    clock = -1;
    EXPECT_EQ(read_file(dir + "/out"), "");
}
