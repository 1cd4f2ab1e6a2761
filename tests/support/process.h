// Running a program under test with a bounded time, its output captured.
#pragma once

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
// Waits up to timeout_ms for the process to end; its status, or -1 when it did not.
int wait_program(int pid, int timeout_ms);
// Kills the process and reaps it.
void kill_program(int pid);
// Runs a shell command and returns what it printed on standard output.
std::string shell_output(const std::string &command);

std::string read_file(const std::string &path);
long long monotonic_ms();
// execv's argument vector for argv (pointing into it).
std::vector<char *> c_argv(const std::vector<std::string> &argv);
std::string make_temp_dir();
std::string build_dir();   // folder of the built programs and shims
std::string source_dir();  // the project's root
