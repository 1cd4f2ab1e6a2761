// The real tessavond in a pseudo-terminal: its exact bytes, its keys, its
// signals, and the terminal it leaves behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "clock_run.h"
#include "process.h"

namespace {

// The digit font as the clock should show it: 5 rows of 3 cells.
const char *const FONT[10][5] = {
    {"###", "#.#", "#.#", "#.#", "###"}, {"..#", "..#", "..#", "..#", "..#"},
    {"###", "..#", "###", "#..", "###"}, {"###", "..#", "###", "..#", "###"},
    {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
    {"###", "#..", "###", "#.#", "###"}, {"###", "..#", "..#", "..#", "..#"},
    {"###", "#.#", "###", "#.#", "###"}, {"###", "#.#", "###", "..#", "###"},
};

const std::string PAIR_BLANK = "\033[0m", PAIR_LIT = "\033[0;42m", PAIR_DATE = "\033[0;32m";

// Builds the bytes the clock should write, following the terminal's shift state.
struct Expected {
    std::string s;
    int charset = 255;
    void cup(int r, int c) { s += "\033[" + std::to_string(r + 1) + ";" + std::to_string(c + 1) + "H"; }
    void ch(int c)
    {
        if (c >= 0x80 && c <= 0x9F) {
            if (charset != 1)
                s += '\x0e';
            charset = 1;
            c -= 0x20;
        } else {
            if (charset != 0)
                s += '\x0f';
            charset = 0;
        }
        s += (char)c;
    }
    void text(const std::string &t)
    {
        for (char c : t)
            ch((unsigned char)c);
    }
    void border(int r, int c, int h, int w, int fill = 0)
    {
        auto pick = [fill](int d) { return fill ? fill : d; };
        s += "\033[0m";
        cup(r, c);
        ch(pick(0x8C));
        for (int i = 0; i < w - 2; i++)
            ch(pick(0x91));
        ch(pick(0x8B));
        for (int i = 1; i < h - 1; i++) {
            cup(r + i, c);
            ch(pick(0x98));
            cup(r + i, c + w - 1);
            ch(pick(0x98));
        }
        cup(r + h - 1, c);
        ch(pick(0x8D));
        for (int i = 0; i < w - 2; i++)
            ch(pick(0x91));
        ch(pick(0x8A));
    }
    void digit(int n, int org_r, int org_c, int left)
    {
        for (int row = 0; row < 5; row++)
            for (int x = 0; x < 6; x++) {
                s += FONT[n][row][x / 2] == '#' ? PAIR_LIT : PAIR_BLANK;
                cup(org_r + 1 + row, org_c + left + x);
                ch(' ');
            }
    }
    void colon(int org_r, int org_c, int left)
    {
        s += PAIR_LIT;
        cup(org_r + 2, org_c + left);
        text("  ");
        cup(org_r + 4, org_c + left);
        text("  ");
    }
    void iteration(int org_r, int org_c, int date_r, int date_c, bool seconds)
    {
        digit(1, org_r, org_c, 1); // 10:20:30
        digit(0, org_r, org_c, 8);
        colon(org_r, org_c, 16);
        digit(2, org_r, org_c, 20);
        digit(0, org_r, org_c, 27);
        s += PAIR_DATE;
        cup(date_r + 1, date_c + 1);
        text(" 2024-03-05 ");
        if (seconds) {
            colon(org_r, org_c, 35);
            digit(3, org_r, org_c, 39);
            digit(0, org_r, org_c, 46);
        }
    }
};

const std::string START = "\033)0\033[2J\033[1;1H\033[?25l\033[2J";
const std::string RESTORED = "\033[24;1H\033[0m\033[?25h\033[K\x0f";

// Where the clock window's top-left corner is, from its lit cells at 10:20.
std::pair<int, int> clock_origin(const ScreenModel &screen, int colour = 2)
{
    ScreenModel::Box lit = screen.cells_with_bg(colour);
    return {lit.top - 1, lit.left - 5}; // the hour tens "1" lights columns 5 and 6
}

// Feeds the screen from the clock until done() holds or the time is up.
bool settle(ClockRun &run, ScreenModel &screen, const std::function<bool()> &done,
            int timeout_ms = 4000)
{
    for (int waited = 0; waited < timeout_ms; waited += 50) {
        screen.feed(run.pump(50));
        if (done())
            return true;
    }
    return false;
}

bool origin_is(const ScreenModel &screen, int row, int col, int colour = 2)
{
    return clock_origin(screen, colour) == std::make_pair(row, col);
}

// Reads on until at least size bytes have come; what came, for a failure.
std::string pump_until(ClockRun &run, size_t size)
{
    for (int waited = 0; waited < 4000 && run.output.size() < size; waited += 50)
        run.pump(50);
    return std::to_string(run.output.size()) + " of " + std::to_string(size) + " bytes, the clock " +
           (run.alive() ? "running" : "ended") + ", stderr: " + run.err();
}

} // namespace

TEST(TessavondBytes, StartAndOneIterationWithDefaults)
{
    ClockRun run(24, 80, {});
    Expected e;
    e.s = START;
    e.iteration(0, 0, 6, 10, false);
    std::string first = e.s;
    e.iteration(0, 0, 6, 10, false); // the next iteration draws it all again
    std::string came = pump_until(run, e.s.size());
    ASSERT_GE(run.output.size(), e.s.size()) << "the clock drew too little: " << came;
    EXPECT_EQ(run.output.substr(0, first.size()), first);
    EXPECT_EQ(run.output.substr(0, e.s.size()), e.s);
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}

// The defaults, seen on the real start: colour 2, the date as %F, no seconds,
// border or centring (the exact bytes above), and a redraw every 40 ms.
TEST(TessavondBytes, DefaultDelayPacesTwentyFiveRedrawsASecond)
{
    ClockRun run(24, 80, {});
    pump_until(run, 1);
    run.pump(200);
    size_t from = run.output.size();
    run.pump(1000);
    int redraws = 0;
    for (size_t at = run.output.find(" 2024-03-05 ", from); at != std::string::npos;
         at = run.output.find(" 2024-03-05 ", at + 1))
        redraws++;
    EXPECT_GE(redraws, 12) << "40 ms a redraw, and the drawing's own time";
    EXPECT_LE(redraws, 26);
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}

TEST(TessavondBytes, StartAndOneIterationWithSecondsBorderAndCentring)
{
    ClockRun run(24, 80, {"-s", "-b", "-c"});
    Expected e;
    e.s = START;
    e.charset = 255;
    e.border(6, 20, 3, 14); // the date window under a 54-column clock at 0, 0
    e.border(0, 0, 7, 54);
    // Centring: the old borders wiped, the screen cleared, new borders at 9, 13.
    e.s += PAIR_BLANK;
    e.border(0, 0, 7, 54, ' ');
    e.s += PAIR_BLANK;
    e.border(6, 20, 3, 14, ' ');
    e.s += "\033[2J\033[2J";
    e.border(15, 33, 3, 14);
    e.border(9, 13, 7, 54);
    e.iteration(9, 13, 15, 33, true);
    std::string came = pump_until(run, e.s.size());
    ASSERT_GE(run.output.size(), e.s.size()) << came;
    EXPECT_EQ(run.output.substr(0, e.s.size()), e.s);

    // What it looks like, for the README.
    ScreenModel screen(24, 80);
    screen.feed(run.output);
    mkdir((build_dir() + "/screenshots").c_str(), 0755);
    FILE *capture = fopen((build_dir() + "/screenshots/tessavond.txt").c_str(), "w");
    ASSERT_NE(capture, nullptr);
    fputs(screen.render().c_str(), capture);
    fclose(capture);
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}

TEST(TessavondKeys, MovesAndTheirBounds)
{
    ClockRun run(24, 80, {"-d", "5000000"});
    ScreenModel screen(24, 80);
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 0, 0); }));
    run.type("jjl");
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 2, 1); }));
    run.type("\033[B\033[C");
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 3, 2); }));
    run.type("KH\033[A\033[D");
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 1, 0); }));
    run.type(std::string(20, 'J') + std::string(50, 'L'));
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 15, 45); }))
        << "stopped at " << clock_origin(screen).first << "," << clock_origin(screen).second;
    // The date window's text line is the terminal's second last.
    EXPECT_EQ(screen.row_text(22).substr(56, 12), " 2024-03-05 ");
    run.type("k");
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 14, 45); }));
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}

TEST(TessavondKeys, TogglesAndColours)
{
    ClockRun run(24, 80, {"-d", "5000000"});
    ScreenModel screen(24, 80);
    EXPECT_TRUE(settle(run, screen, [&] { return screen.cells_with_bg(2).right == 32; }));

    run.type("s");
    EXPECT_TRUE(settle(run, screen, [&] { return screen.cells_with_bg(2).right == 51; }))
        << "seconds drawn";

    run.type("b");
    EXPECT_TRUE(settle(run, screen, [&] { return screen.text[0][0] == 'l'; }));
    EXPECT_TRUE(screen.line_drawing[0][0]);
    EXPECT_EQ(screen.text[6][53], 'j');

    run.type("c");
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 9, 13); }));
    run.type("j");
    screen.feed(run.pump(300));
    EXPECT_TRUE(origin_is(screen, 9, 13)) << "moves do nothing while centred";

    run.type("t");
    EXPECT_TRUE(settle(run, screen, [&] {
        return screen.row_text(16).find(" 2024-03-05  AM ") != std::string::npos;
    }));

    run.type("5");
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 9, 13, 5); }));
    EXPECT_EQ(screen.cells_with_bg(2).top, -1);

    run.type("B");
    EXPECT_TRUE(settle(run, screen, [&] { return screen.text[9][13] == ' '; }));
    run.type("Q");
    EXPECT_EQ(run.wait(3000), 0);
}

// Every way to be told to stop (q, then the signals): the terminal restored, status 0.
TEST(TessavondStop, QuitAndSignalsRestoreTheTerminal)
{
    for (int how : {0, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        ClockRun run(24, 80, {});
        struct termios after;
        run.pump(300);
        if (how == 0)
            run.type("q");
        else
            kill(run.pid, how);
        EXPECT_EQ(run.wait(3000), 0) << "signal " << how;
        tcgetattr(run.pty.slave, &after);
        EXPECT_TRUE(same_termios(run.initial, after));
        EXPECT_FALSE(nonblocking(run.pty.slave));
        ASSERT_GE(run.output.size(), RESTORED.size());
        EXPECT_EQ(run.output.substr(run.output.size() - RESTORED.size()), RESTORED);
        EXPECT_EQ(run.err(), "");
    }
}

TEST(TessavondStop, SegmentationFaultRestoresAndSaysSo)
{
    ClockRun run(24, 80, {});
    struct termios after;
    run.pump(300);
    kill(run.pid, SIGSEGV);
    EXPECT_EQ(run.wait(3000), 1);
    tcgetattr(run.pty.slave, &after);
    EXPECT_TRUE(same_termios(run.initial, after));
    EXPECT_FALSE(nonblocking(run.pty.slave));
    EXPECT_EQ(run.err(), "Segmentation fault.\n");
    EXPECT_EQ(run.output.substr(run.output.size() - RESTORED.size()), RESTORED);
}

TEST(TessavondStop, TypedControlCIsJustAKey)
{
    ClockRun run(24, 80, {});
    run.pump(200);
    run.type("\x03");
    run.pump(400);
    EXPECT_TRUE(run.alive());
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}

TEST(TessavondResize, CentredClockFollowsTheNewSize)
{
    ClockRun run(24, 80, {"-c"});
    ScreenModel before(24, 80);
    EXPECT_TRUE(settle(run, before, [&] { return origin_is(before, 9, 23); }));
    run.resize(30, 100);
    ScreenModel screen(30, 100);
    EXPECT_TRUE(settle(run, screen, [&] { return origin_is(screen, 12, 33); }));
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
    EXPECT_NE(run.output.find("\033[30;1H"), std::string::npos) << "the last row of the new size";
}

TEST(TessavondResize, ClockOffCentreKeepsItsPlace)
{
    ClockRun run(24, 80, {"-d", "5000000"});
    ScreenModel before(24, 80);
    run.type("jjjlll");
    EXPECT_TRUE(settle(run, before, [&] { return origin_is(before, 3, 3); }));
    size_t before_resize = run.output.size();
    run.resize(20, 60);
    ScreenModel screen(20, 60);
    EXPECT_TRUE(settle(run, screen, [&] {
        return run.output.find("\033)0", before_resize) != std::string::npos &&
               origin_is(screen, 3, 3);
    })) << "the screen restarts and the clock keeps its row and column";
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}

TEST(TessavondText, InformationalOptionsTouchNoTerminal)
{
    std::string tessavond = build_dir() + "/tessavond";
    RunResult v = run_program({tessavond, "-v"}, {});
    EXPECT_EQ(v.out, "tessavond 1.0.0\n");
    EXPECT_EQ(v.status, 0);
    RunResult h = run_program({tessavond, "-h"}, {});
    EXPECT_EQ(h.status, 0);
    EXPECT_EQ(std::count(h.out.begin(), h.out.end(), '\n'), 12);
    EXPECT_EQ(h.out.size(), 12u * 66);
    for (const char *opt : {"-r", "-x"}) {
        RunResult r = run_program({tessavond, opt}, {});
        EXPECT_EQ(r.out, h.out) << opt;
        EXPECT_EQ(r.status, 0);
    }
    RunResult x = run_program({tessavond, "-x"}, {});
    EXPECT_NE(x.err.find("invalid option"), std::string::npos) << x.err;
    RunResult i = run_program({tessavond, "-i"}, {});
    EXPECT_EQ(i.status, 0);
    for (const RunResult *r : {&v, &h, &x, &i})
        EXPECT_EQ(r->out.find('\033'), std::string::npos);
}

// A storm of size changes under valgrind: the clock keeps running and leaks
// nothing. valgrind cannot follow ARM code under qemu-user: there the storm
// runs without it and the leak check is reported as skipped.
TEST(TessavondResize, StormLeaksNothing)
{
    std::vector<std::string> checker;
    if (!under_qemu_user())
        checker = {"valgrind", "-q", "--leak-check=full", "--show-leak-kinds=definite,indirect",
                   "--errors-for-leak-kinds=definite,indirect", "--error-exitcode=99"};
    ClockRun run(24, 80, {"-c", "-b"}, checker, false);
    run.pump(3000);
    for (int i = 0; i < 300; i++) {
        run.resize(20 + i % 15, 60 + i % 40);
        run.pump(3);
    }
    run.pump(1000);
    EXPECT_TRUE(run.alive());
    run.resize(24, 80);
    run.pump(500);
    run.type("q");
    EXPECT_EQ(run.wait(60000), 0) << run.err();
    EXPECT_EQ(run.err(), "");
    if (under_qemu_user())
        GTEST_SKIP() << "leak check: valgrind cannot run ARM code under qemu-user "
                        "(the storm itself ran and passed)";
}
