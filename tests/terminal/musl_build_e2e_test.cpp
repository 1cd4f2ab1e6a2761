// The clock linked statically against musl writes what the glibc build writes.
// A static program ignores LD_PRELOAD, so its time cannot be faked: both run at
// the real time and are compared when they started within the same second.
#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>

#include "clock_run.h"
#include "process.h"

namespace {

std::string musl_build() { return build_dir() + "/tessavond-musl"; }
std::string glibc_build() { return build_dir() + "/tessavond"; }

bool musl_build_present()
{
    return access(musl_build().c_str(), X_OK) == 0;
}

struct Startup {
    int rows, cols;
    std::vector<std::string> args;
};

// Waits until just past the start of a second, so that programs started now
// read the same second.
void start_of_a_second()
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    long wait_ns = 1000000000L - now.tv_nsec + 20000000L;
    struct timespec pause = {wait_ns / 1000000000L, wait_ns % 1000000000L};
    nanosleep(&pause, nullptr);
}

// Start-up and the first iteration of both builds, started together: a
// one-second delay keeps the second iteration out of the half second read.
TEST(MuslBuild, SameBytesAsTheGlibcBuildInAPseudoTerminal)
{
    if (!musl_build_present())
        GTEST_SKIP() << "no musl build: musl's development files are not installed";
    const Startup cases[] = {
        {24, 80, {}},
        {24, 80, {"-s", "-b", "-c"}},
        {10, 40, {"-t", "-C", "3"}},
        {30, 100, {"-s", "-f", "%A %d %B %Y, week %V"}},
        {5, 20, {"-c"}},
    };
    for (const Startup &c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-d", "999999999"});
        std::string joined;
        for (const std::string &a : args)
            joined += a + " ";
        start_of_a_second();
        ClockRun glibc(c.rows, c.cols, args, {}, false, 0, glibc_build());
        ClockRun musl(c.rows, c.cols, args, {}, false, 0, musl_build());
        // Both read in turns, so that neither waits on a full terminal.
        std::string glibc_bytes, musl_bytes;
        for (int i = 0; i < 25; i++) {
            glibc_bytes += glibc.pump(10);
            musl_bytes += musl.pump(10);
        }
        EXPECT_GT(glibc_bytes.size(), 100u) << joined;
        EXPECT_EQ(musl_bytes, glibc_bytes) << c.rows << "x" << c.cols << " " << joined;
    }
}

// Informational options and option errors: the same text from both builds, in
// the program's own words on both C libraries.
TEST(MuslBuild, SameTextsForOptions)
{
    if (!musl_build_present())
        GTEST_SKIP() << "no musl build: musl's development files are not installed";
    struct Row {
        std::vector<std::string> args;
        std::string err; // after "<program>: "
    } rows[] = {
        {{"-v"}, ""},
        {{"-i"}, ""},
        {{"-h"}, ""},
        {{"-x"}, "invalid option -- 'x'\n"},
        {{"-?"}, "invalid option -- '?'\n"},
        {{"-:"}, "invalid option -- ':'\n"},
        {{"-s", "-d"}, "option requires an argument -- 'd'\n"},
        {{"-f"}, "option requires an argument -- 'f'\n"},
        {{"-C"}, "option requires an argument -- 'C'\n"},
    };
    for (const Row &row : rows) {
        std::vector<std::string> g = {glibc_build()}, m = {musl_build()};
        g.insert(g.end(), row.args.begin(), row.args.end());
        m.insert(m.end(), row.args.begin(), row.args.end());
        RunResult gr = run_program(g, {}), mr = run_program(m, {});
        EXPECT_EQ(mr.out, gr.out) << row.args[0];
        EXPECT_EQ(mr.status, 0) << row.args[0];
        EXPECT_EQ(gr.status, 0) << row.args[0];
        EXPECT_EQ(gr.err, row.err.empty() ? "" : glibc_build() + ": " + row.err);
        EXPECT_EQ(mr.err, row.err.empty() ? "" : musl_build() + ": " + row.err);
    }
}

} // namespace
