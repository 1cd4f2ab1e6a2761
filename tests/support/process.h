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

std::string read_file(const std::string &path);
std::string make_temp_dir();
std::string build_dir();   // folder of the built programs and shims
std::string source_dir();  // the project's root
