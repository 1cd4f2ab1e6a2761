// The real tessavond through what happens to terminals in a day: the suspend
// key and fg in a job-control shell, hang-ups and other ends, a terminal that
// goes away without a hang-up, and output that is no terminal at all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <sstream>
#include <vector>

#include "clock_run.h"
#include "process.h"

namespace {

const std::string RESTORED = "\033[24;1H\033[0m\033[?25h\033[K\x0f";
const std::string SCREEN_START = "\033)0\033[2J\033[1;1H\033[?25l\033[2J";

// An interactive job-control shell (dash, which keeps its hands off the
// terminal's modes) as the session leader of a pseudo-terminal.
struct Shell {
    Pty pty{24, 80};
    pid_t pid = -1;
    std::string output;

    Shell()
    {
        pid = fork();
        if (pid == 0) {
            setsid();
            ioctl(pty.slave, TIOCSCTTY, 0);
            for (int fd = 0; fd < 3; fd++)
                dup2(pty.slave, fd);
            close(pty.master);
            setenv("PS1", "$ ", 1);
            setenv("TZ", "UTC", 1);
            execlp("dash", "dash", "-i", (char *)nullptr);
            _exit(127);
        }
    }
    ~Shell()
    {
        if (pid > 0) {
            kill(-pid, SIGKILL); // the shell's jobs live in its session's groups
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // Reads until `what` has come after position `from`, or the time is up.
    bool wait_for(const std::string &what, size_t from, int timeout_ms = 5000)
    {
        return pty.read_until(&output, what, from, timeout_ms);
    }
    void type(const std::string &bytes) { pty.type(bytes); }
};

} // namespace

TEST(TessavondSuspend, SuspendKeyGivesTheTerminalBackAndFgTakesItAgain)
{
    Shell sh;
    ASSERT_TRUE(sh.wait_for("$ ", 0)) << sh.output;
    struct termios before, stopped;
    tcgetattr(sh.pty.slave, &before);

    size_t mark = sh.output.size();
    sh.type(build_dir() + "/tessavond -d 5000000\n");
    ASSERT_TRUE(sh.wait_for(SCREEN_START, mark)) << "the clock did not start";
    ASSERT_TRUE(sh.wait_for(" 20", mark)) << "no date line";

    mark = sh.output.size();
    sh.type("\x1a"); // the suspend key: the clock restores the terminal, then stops
    ASSERT_TRUE(sh.wait_for("Stopped", mark)) << sh.output.substr(mark);
    ASSERT_TRUE(sh.wait_for("$ ", mark));
    tcgetattr(sh.pty.slave, &stopped);
    EXPECT_TRUE(same_termios(before, stopped)) << "the terminal's modes while the clock is stopped";
    EXPECT_FALSE(nonblocking(sh.pty.slave));
    EXPECT_NE(sh.output.find(RESTORED, mark), std::string::npos) << "cursor, rendition, G0";

    mark = sh.output.size();
    sh.type("fg\n");
    EXPECT_TRUE(sh.wait_for(SCREEN_START, mark)) << "the clock takes the terminal again";
    size_t restarted = sh.output.find(SCREEN_START, mark);
    EXPECT_TRUE(sh.wait_for(" 20", restarted == std::string::npos ? mark : restarted))
        << "and draws again";

    mark = sh.output.size();
    sh.type("q");
    ASSERT_TRUE(sh.wait_for("$ ", mark)) << "q ends it without Enter";
    struct termios after;
    tcgetattr(sh.pty.slave, &after);
    EXPECT_TRUE(same_termios(before, after));
    sh.type("exit\n");
}

// No hang-up comes (it is ignored, or the terminal is not the controlling one):
// the clock sees the end in its own reads and writes.
TEST(TessavondStop, TerminalThatGoesAwayIsNoticed)
{
    struct Case {
        const char *why;
        int flags;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"hang-up ignored", ClockRun::IGNORE_HANGUP, {}},
        {"hang-up ignored, no delay", ClockRun::IGNORE_HANGUP, {"-d", "0"}},
        {"not the controlling terminal", ClockRun::NOT_CONTROLLING, {}},
        {"not the controlling terminal, no delay", ClockRun::NOT_CONTROLLING, {"-d", "0"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        ClockRun run(24, 80, c.args, {}, true, c.flags);
        run.pump(300);
        ASSERT_TRUE(run.alive());
        run.hang_up();
        EXPECT_EQ(run.wait(2000), 0) << "still running after the terminal closed";
    }
}

TEST(TessavondText, RefusesWhatIsNotATerminal)
{
    std::string tessavond = build_dir() + "/tessavond";
    struct Case {
        const char *why;
        std::string command;
        std::string message;
    };
    const Case cases[] = {
        {"output to a file", tessavond + " > $dir/out", "standard output"},
        {"output to a pipe", "set -o pipefail; " + tessavond + " -s | cat > $dir/out",
         "standard output"},
        {"input from no terminal", tessavond + " < /dev/null > $dir/out", "standard output"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        std::string dir = make_temp_dir();
        RunResult r = run_program({"bash", "-c", c.command}, {"dir=" + dir}, 5000);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "tessavond: " + c.message + " is not a terminal\n");
        EXPECT_EQ(read_file(dir + "/out"), "");
        unlink((dir + "/out").c_str());
        rmdir(dir.c_str());
    }
    // Input from elsewhere, output on a terminal.
    Pty pty(24, 80);
    int pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(pty.slave, 1);
        dup2(pty.slave, 2);
        execl(tessavond.c_str(), tessavond.c_str(), (char *)nullptr);
        _exit(127);
    }
    EXPECT_EQ(wait_program(pid, 5000), 1);
    EXPECT_EQ(pty.read_all(200), "tessavond: standard input is not a terminal\r\n");
}

// Light on the battery: at the defaults an iteration makes at most 8 system
// calls (the mandated flushes, one key read, the sleep), counted by strace
// attached to the running clock for two seconds; an iteration sleeps once.
TEST(TessavondCost, AtMostEightSystemCallsAnIteration)
{
    ClockRun run(24, 80, {}, {}, false);
    run.pump(500);
    std::string dir = make_temp_dir();
    int tracer = spawn_program({"strace", "-f", "-c", "-o", dir + "/calls", "-p",
                                std::to_string(run.pid)},
                               {});
    ChildGuard guard(tracer);
    run.pump(2000);
    kill(tracer, SIGINT); // strace detaches and writes its summary
    ASSERT_GE(wait_program(tracer, 5000), 0); // strace ends by the signal it got
    std::string summary = read_file(dir + "/calls");
    remove_temp_dir(dir, {"calls"});
    long calls = 0, sleeps = 0;
    std::istringstream lines(summary);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;)
            f.push_back(w);
        // % time, seconds, usecs/call, calls, [errors,] syscall
        if (f.size() < 5 || f.back() == "total" || !isdigit((unsigned char)f[0][0]))
            continue;
        long n = atol(f[3].c_str());
        calls += n;
        if (f.back() == "clock_nanosleep" || f.back() == "nanosleep")
            sleeps += n;
    }
    ASSERT_GT(sleeps, 20) << summary;
    EXPECT_LE((double)calls / sleeps, 8.0) << summary;
    run.type("q");
    EXPECT_EQ(run.wait(3000), 0);
}
