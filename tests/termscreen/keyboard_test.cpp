#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <random>
#include <thread>
#include <vector>

#include "process.h"
#include "terminal.h"
#include "termscreen.h"

namespace {

// A raw pseudo-terminal as standard input, read without waiting.
class Keys : public ::testing::Test {
protected:
    Pty pty{24, 80};
    StdioOn *on = nullptr;
    void SetUp() override
    {
        struct termios t;
        tcgetattr(pty.slave, &t);
        cfmakeraw(&t);
        tcsetattr(pty.slave, TCSANOW, &t);
        on = new StdioOn(pty.slave, pty.slave);
        nodelay_state = 0;
        set_nodelay(1);
    }
    void TearDown() override
    {
        set_nodelay(0);
        delete on;
    }
    std::vector<int> keys(const std::string &typed)
    {
        pty.type(typed);
        usleep(20000);
        std::vector<int> got;
        for (int k = key_read(); k != KEY_NONE; k = key_read())
            got.push_back(k);
        return got;
    }
};

} // namespace

// Every sequence the decoder knows, as a terminal sends it, and its key.
const struct {
    const char *typed;
    int key;
} KNOWN_SEQUENCES[] = {
    {"\033[B", KEY_DOWN},       {"\033[A", KEY_UP},          {"\033[D", KEY_LEFT},
    {"\033[C", KEY_RIGHT},      {"\033[1~", KEY_HOME},       {"\033[3~", KEY_DELETE},
    {"\033[2~", KEY_INSERT},    {"\033[6~", KEY_PAGE_DOWN},  {"\033[5~", KEY_PAGE_UP},
    {"\033[4~", KEY_END},       {"\033[Z", KEY_BACK_TAB},    {"\033[[A", KEY_F1},
    {"\033[[B", KEY_F2},        {"\033[[C", KEY_F3},         {"\033[[D", KEY_F4},
    {"\033[[E", KEY_F5},        {"\033[17~", KEY_F6},        {"\033[18~", KEY_F7},
    {"\033[19~", KEY_F8},       {"\033[20~", KEY_F9},        {"\033[21~", KEY_F10},
    {"\033[23~", KEY_F11},      {"\033[24~", KEY_F12},
};

TEST_F(Keys, SequencesInTheTable)
{
    std::string all;
    std::vector<int> codes;
    for (const auto &k : KNOWN_SEQUENCES) {
        SCOPED_TRACE(k.typed + 1);
        EXPECT_EQ(keys(k.typed), std::vector<int>{k.key});
        all += k.typed;
        codes.push_back(k.key);
    }
    EXPECT_EQ(keys(all), codes) << "all in one read";
    // The names are the numbers callers have always seen.
    EXPECT_EQ(KEY_DOWN, 128);
    EXPECT_EQ(KEY_RIGHT, 131);
    EXPECT_EQ(KEY_F12, 150);
    EXPECT_EQ(KEY_NONE, 255);
}

TEST_F(Keys, UnknownAndCutSequences)
{
    EXPECT_EQ(keys("\033[15~"), std::vector<int>{KEY_ESCAPE});
    EXPECT_EQ(keys("\033[1;5A"), (std::vector<int>{KEY_ESCAPE, 'A'}));
    EXPECT_EQ(keys("\033[xyz"), std::vector<int>{KEY_ESCAPE});
    EXPECT_EQ(keys("\033\033"), std::vector<int>{KEY_ESCAPE});
    EXPECT_EQ(keys("\033q"), std::vector<int>{'q'});
    EXPECT_EQ(keys("\033OP"), (std::vector<int>{'O', 'P'}));
}

TEST_F(Keys, BackspaceAndOrdinaryBytes)
{
    EXPECT_EQ(keys("\x7f\x08"), (std::vector<int>{KEY_BACKSPACE, KEY_BACKSPACE}));
    EXPECT_EQ(keys("a\r\x03\x80"), (std::vector<int>{'a', '\r', 0x03, 0x80})) << "bytes as they come";
}

TEST_F(Keys, SplitSequenceStillDecodes)
{
    pty.type("\033");
    std::thread later([this] {
        usleep(10000);
        pty.type("[");
        usleep(10000);
        pty.type("B");
    });
    int key = key_read();
    later.join();
    EXPECT_EQ(key, KEY_DOWN);
}

TEST_F(Keys, LoneEscapeComesBackWithinTheBound)
{
    pty.type("\033");
    usleep(10000);
    long long start = monotonic_ms();
    EXPECT_EQ(key_read(), KEY_ESCAPE);
    long long waited = monotonic_ms() - start;
    EXPECT_LT(waited, 500);
    pty.type("\033[");
    usleep(10000);
    EXPECT_EQ(key_read(), KEY_ESCAPE); // input ends inside a sequence
    EXPECT_EQ(keys("x"), std::vector<int>{'x'});
}

TEST_F(Keys, NoKeyReturnsAtOnceAfterFlushing)
{
    pty.read_all(10);
    cursor_move(4, 4);
    long long start = monotonic_ms();
    EXPECT_EQ(key_read(), KEY_NONE);
    EXPECT_LT(monotonic_ms() - start, 30);
    EXPECT_EQ(pty.read_all(50), "\033[5;5H");
    EXPECT_EQ(win_key_read(nullptr), KEY_NONE);
}

TEST(KeyTable, TwentyThreeSuffixesInOrder)
{
    const char *expected[] = {"B",  "A",  "D",  "C",  "1~",  "3~",  "2~",  "6~",
                              "5~", "4~", "Z",  "[A", "[B",  "[C",  "[D",  "[E",
                              "17~", "18~", "19~", "20~", "21~", "23~", "24~"};
    for (int i = 0; i < KEY_SEQUENCE_COUNT; i++)
        EXPECT_STREQ(key_suffixes[i], expected[i]) << i;
}

// Random input through a pipe: the decoder ends, stays in range and leaves the
// stream usable for whatever comes next.
TEST(KeyFuzz, RandomBytesNeverHangOrLeaveTheRange)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    StdioOn on(fds[0], 1);
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    std::mt19937 rng(20261208);
    const char alphabet[] = "\033[~ABCDZ0123456789;xq\x7f\xff";
    long long start = monotonic_ms();
    for (int round = 0; round < 150; round++) {
        std::string input;
        int length = (int)(rng() % 12);
        for (int i = 0; i < length; i++)
            input += rng() % 4 == 0 ? (char)(rng() % 256) : alphabet[rng() % (sizeof alphabet - 1)];
        ASSERT_EQ(write(fds[1], input.data(), input.size()), (ssize_t)input.size());
        int keys = 0;
        for (;;) {
            int k = key_read();
            ASSERT_GE(k, 0);
            ASSERT_LE(k, 255);
            if (k == KEY_NONE && keys >= length)
                break;
            if (k == KEY_NONE && input.find('\xff') == std::string::npos)
                break;
            ASSERT_LE(++keys, length) << "more keys than bytes";
        }
        ASSERT_EQ(write(fds[1], "q", 1), 1);
        ASSERT_EQ(key_read(), 'q') << "round " << round;
        ASSERT_EQ(key_read(), KEY_NONE);
    }
    EXPECT_LT(monotonic_ms() - start, 60000);
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) & ~O_NONBLOCK);
    close(fds[1]);
    close(fds[0]);
}

// An empty non-blocking read is the usual case; end of input or a failed
// write means the terminal has gone, and screen_init starts afresh.
TEST_F(Keys, TerminalThatHasGoneIsNoticed)
{
    struct Case {
        const char *why;
        bool read; // read a key after the hang-up, else flush output
    };
    for (const Case c : {Case{"a read after the hang-up", true}, Case{"a flush after it", false}}) {
        SCOPED_TRACE(c.why);
        Pty other{24, 80};
        StdioOn again(other.slave, other.slave);
        screen_init();
        nodelay_state = 0; // a new terminal: not yet non-blocking
        set_nodelay(1);
        EXPECT_EQ(term_gone(), 0);
        EXPECT_EQ(key_read(), KEY_NONE);
        EXPECT_EQ(term_gone(), 0) << "nothing typed is no end";
        close(other.master);
        other.master = -1;
        if (c.read) {
            EXPECT_EQ(key_read(), KEY_NONE);
        } else {
            term_puts("x");
            term_flush();
        }
        EXPECT_EQ(term_gone(), 1);
        set_nodelay(0);
    }
}
