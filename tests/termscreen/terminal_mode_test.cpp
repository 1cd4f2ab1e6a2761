#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "process.h"

#include "terminal.h"
#include "termscreen.h"

TEST(TerminalMode, InitChangesExactlyTheListedFields)
{
    Pty pty(24, 80);
    struct termios before, during, after;
    tcgetattr(pty.slave, &before);
    {
        StdioOn on(pty.slave, pty.slave);
        screen_init();
        fflush(stdout);
        tcgetattr(pty.slave, &during);
        screen_end();
        tcgetattr(pty.slave, &after);
    }
    struct termios expected = before;
    expected.c_iflag &= ~(tcflag_t)ICRNL;
    expected.c_oflag &= ~(tcflag_t)TABDLY;
    expected.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    expected.c_cc[VINTR] = 0xFF;
    expected.c_cc[VQUIT] = 0xFF;
    expected.c_cc[VTIME] = 0;
    expected.c_cc[VMIN] = 1;
    EXPECT_EQ(during.c_iflag, expected.c_iflag);
    EXPECT_EQ(during.c_oflag, expected.c_oflag);
    EXPECT_EQ(during.c_cflag, expected.c_cflag);
    EXPECT_EQ(during.c_lflag, expected.c_lflag);
    EXPECT_EQ(during.c_line, expected.c_line);
    for (int i = 0; i < NCCS; i++)
        EXPECT_EQ(during.c_cc[i], expected.c_cc[i]) << "c_cc[" << i << "]";
    EXPECT_TRUE(during.c_lflag & ISIG);

    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(memcmp(after.c_cc, before.c_cc, sizeof before.c_cc), 0);
}

TEST(TerminalMode, InitAndEndWriteTheirSequences)
{
    Pty pty(24, 80);
    std::string out;
    {
        StdioOn on(pty.slave, pty.slave);
        screen_init();
        fflush(stdout);
        out = pty.read_all();
        screen_end();
    }
    EXPECT_EQ(out, "\033)0\033[2J\033[1;1H");
    EXPECT_EQ(cursor_row, 23); // screen_end went to the last row
    EXPECT_EQ(charset_state, 0);
    EXPECT_EQ(pty.read_all(), "\033[24;1H\033[0m\033[?25h\033[K\x0f");
    ASSERT_NE(screen_window, nullptr);
    EXPECT_EQ(screen_window->nlines, 24);
    EXPECT_EQ(screen_window->ncols, 80);
    EXPECT_EQ(scroll_top, 0);
    EXPECT_EQ(scroll_bottom, 23);
}

TEST(TerminalMode, SizeComesFromTheTerminal)
{
    Pty pty(30, 100);
    {
        StdioOn on(pty.slave, pty.slave);
        screen_init();
        screen_end();
    }
    EXPECT_EQ(screen_rows, 30);
    EXPECT_EQ(screen_cols, 100);
    EXPECT_EQ(scroll_bottom, 29);
    EXPECT_EQ(screen_window->nlines, 30);
}

TEST(TerminalMode, ZeroSizeGivesTwentyFourByEighty)
{
    Pty pty(0, 0);
    {
        StdioOn on(pty.slave, pty.slave);
        screen_update_size(0);
    }
    EXPECT_EQ(screen_rows, 24);
    EXPECT_EQ(screen_cols, 80);
}

TEST(TerminalMode, SizeFromStandardInputWhenOutputIsAFile)
{
    Pty pty(33, 120);
    FILE *file = tmpfile();
    {
        StdioOn on(pty.slave, fileno(file));
        screen_update_size(0);
    }
    fclose(file);
    EXPECT_EQ(screen_rows, 33);
    EXPECT_EQ(screen_cols, 120);

    FILE *other = tmpfile();
    int devnull = open("/dev/null", O_RDONLY);
    {
        StdioOn on(devnull, fileno(other)); // neither is a terminal
        screen_update_size(0);
    }
    close(devnull);
    fclose(other);
    EXPECT_EQ(screen_rows, 24);
    EXPECT_EQ(screen_cols, 80);
}

// Keys come through standard input's own terminal: the terminal side, read
// through an open file of its own, or a pseudo-terminal's master side, which
// has no name to open again (opening /dev/ptmx makes a new terminal). The
// interrupt key and Enter arrive as bytes.
TEST(TerminalMode, KeysArriveAsBytesThroughStandardInput)
{
    for (bool master : {false, true}) {
        SCOPED_TRACE(master ? "the master side" : "the terminal side");
        Pty pty(24, 80);
        int in = master ? pty.master : pty.slave;
        std::vector<int> keys;
        {
            StdioOn on(in, in);
            screen_init();
            set_nodelay(1);
            if (!master)
                pty.read_all(20);
            ASSERT_EQ(write(master ? pty.slave : pty.master, "\x03\r\x1c", 3), 3);
            wait_until(
                [&] {
                    int key = key_read();
                    if (key != KEY_NONE)
                        keys.push_back(key);
                    return keys.size() == 3;
                },
                2000);
            screen_end();
        }
        EXPECT_EQ(keys, (std::vector<int>{3, 13, 0x1c}));
    }
}

TEST(NoDelay, ChangesTheFlagsOnlyOnAChangeOfValue)
{
    Pty pty(24, 80);
    StdioOn on(pty.slave, pty.slave);
    ASSERT_FALSE(nonblocking(0));
    set_nodelay(1);
    EXPECT_TRUE(nonblocking(0));
    EXPECT_EQ(nodelay_state, 1);

    fcntl(0, F_SETFL, fcntl(0, F_GETFL) & ~O_NONBLOCK); // behind the library's back
    set_nodelay(1);
    EXPECT_FALSE(nonblocking(0)) << "the same value makes no fcntl call";
    EXPECT_EQ(win_set_nodelay(nullptr, 2), 0);
    EXPECT_TRUE(nonblocking(0)) << "1 then 2 makes the pair again";
    EXPECT_EQ(nodelay_state, 2);
    set_nodelay(0);
    EXPECT_FALSE(nonblocking(0));
    EXPECT_EQ(nodelay_state, 0);
}

TEST(NoDelay, EndRestoresBlockingInputAndAFreshStartSetsItAgain)
{
    Pty pty(24, 80);
    bool after_end = true, after_restart = false;
    {
        StdioOn on(pty.slave, pty.slave);
        screen_init();
        set_nodelay(1);
        screen_end();
        after_end = nonblocking(0);
        EXPECT_EQ(nodelay_state, 0);
        screen_init();
        set_nodelay(1);
        after_restart = nonblocking(0);
        screen_end();
    }
    EXPECT_FALSE(after_end);
    EXPECT_TRUE(after_restart);
    EXPECT_FALSE(nonblocking(pty.slave));
}

TEST(NoOps, AcceptAndDoNothing)
{
    EXPECT_EQ(capture_output([] {
                  EXPECT_EQ(screen_noop_1(), 0);
                  EXPECT_EQ(screen_noop_2(), 0);
                  EXPECT_EQ(screen_noop_3(), 0);
                  EXPECT_EQ(win_noop_1(nullptr, 1), 0);
                  EXPECT_EQ(win_noop_2(nullptr, 1), 0);
                  EXPECT_EQ(colors_allow_default(), 0);
              }),
              "");
}

// Standard output shares its open file with standard input on a terminal: a
// non-blocking keyboard must not make a flush drop what the terminal cannot
// take at once.
TEST(NoDelay, FlushDeliversEverythingToASlowTerminal)
{
    Pty pty(24, 80);
    struct termios raw;
    tcgetattr(pty.slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(pty.slave, TCSANOW, &raw);
    std::string sent(20000, 'x');
    std::string received;
    {
        StdioOn on(pty.slave, pty.slave);
        screen_init();
        set_nodelay(1);
        term_flush();
        pty.read_all(50);
        std::thread reader([&] {
            usleep(100000); // the terminal is busy for a while
            while (received.size() < sent.size()) {
                std::string got = pty.read_all(500);
                if (got.empty())
                    break;
                received += got;
            }
        });
        term_puts(sent.c_str());
        term_flush();
        reader.join();
        EXPECT_TRUE(nonblocking(0)) << "the keyboard stays non-blocking";
        screen_end();
    }
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}
