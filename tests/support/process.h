// Processes for tests: running a program under test with a bounded time, its
// output captured; starting one in the background; waiting; files and folders.
//
// Every child starts in a process group of its own and dies with the test
// program (PR_SET_PDEATHSIG), and kill_program ends its whole group, so that
// nothing a test started outlives it, whichever way the test ends.
#pragma once

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

struct RunResult {
    int status = -1;     // exit status, or 128 + signal
    bool timed_out = false;
    std::string out;     // standard output
    std::string err;     // standard error
};

// Runs argv with extra environment entries ("NAME=value"), standard input
// from /dev/null, and kills it after timeout_ms.
RunResult run_program(const std::vector<std::string> &argv,
                      const std::vector<std::string> &env, int timeout_ms = 20000);

// Starts argv in the background (standard input from /dev/null, standard output
// and error to the given files, or /dev/null when empty).
int spawn_program(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                  const std::string &out_path = "", const std::string &err_path = "");
// In a forked child: its own process group, death with the test program, and
// no privilege to set the clock (see drop_clock_privilege).
void detach_child();
// Gives up CAP_SYS_TIME for this process and whatever it runs (bounding,
// permitted, effective and inheritable sets), so that a clock setting that
// escapes the clock shim fails instead of setting this machine's clock.
// Returns 0, or -1 when the process held the privilege and could not drop it.
int drop_clock_privilege();
// Whether the clock shim, preloaded through this environment, answers the
// probe through every entry point the programs use ("" when it does, else
// what the probe said).
std::string clock_shim_missing(const std::vector<std::string> &env);
// Waits up to timeout_ms for the process to end, calling meanwhile() between
// looks; its status (or 128 + signal), or -1 when it did not end.
int wait_program(int pid, int timeout_ms, const std::function<void()> &meanwhile = {});
// Kills the process and its group, and reaps it.
void kill_program(int pid);
// A child that is ended with its group when the guard goes out of scope.
struct ChildGuard {
    int pid;
    explicit ChildGuard(int p) : pid(p) {}
    ~ChildGuard();
};

// Polls done() every step_ms until it holds or timeout_ms have passed.
bool wait_until(const std::function<bool()> &done, int timeout_ms, int step_ms = 10);

// Runs a shell command and returns what it printed on standard output.
std::string shell_output(const std::string &command);
// Everything left in the stream.
std::string read_stream(FILE *f);

std::string read_file(const std::string &path);
long long monotonic_ms();
// execv's argument vector for argv (pointing into it).
std::vector<char *> c_argv(const std::vector<std::string> &argv);
std::string make_temp_dir();
// Removes the named files in dir, then dir itself.
void remove_temp_dir(const std::string &dir, const std::vector<std::string> &files);
std::string build_dir();   // folder of the built programs and shims

// Whether the tests run on another processor emulated by qemu-user (a cross
// build, run by scripts/test-target), where host-only tools such as valgrind
// cannot follow the programs.
constexpr bool under_qemu_user()
{
#ifdef CLOCKS_UNDER_QEMU_USER
    return true;
#else
    return false;
#endif
}
std::string source_dir();  // the project's root
