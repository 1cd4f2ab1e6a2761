#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string make_temp_dir()
{
    char pattern[] = "/tmp/clocktest-XXXXXX";
    const char *dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

std::string build_dir()
{
    return CLOCKS_BUILD_DIR;
}

std::string source_dir()
{
    return CLOCKS_SOURCE_DIR;
}

long long monotonic_ms()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

static void exec_child(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                       const std::string &out_path, const std::string &err_path)
{
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_path.empty() ? "/dev/null" : out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(err_path.empty() ? "/dev/null" : err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const std::string &e : env)
        putenv(strdup(e.c_str()));
    std::vector<char *> args = c_argv(argv);
    execvp(args[0], args.data());
    _exit(127);
}

std::vector<char *> c_argv(const std::vector<std::string> &argv)
{
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    return args;
}

int spawn_program(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                  const std::string &out_path, const std::string &err_path)
{
    pid_t pid = fork();
    if (pid == 0)
        exec_child(argv, env, out_path, err_path);
    return pid;
}

int wait_program(int pid, int timeout_ms)
{
    long long deadline = monotonic_ms() + timeout_ms;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (monotonic_ms() > deadline)
            return -1;
        usleep(2000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void kill_program(int pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string shell_output(const std::string &command)
{
    std::string out;
    FILE *p = popen(command.c_str(), "r");
    if (p == nullptr)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

RunResult run_program(const std::vector<std::string> &argv,
                      const std::vector<std::string> &env, int timeout_ms)
{
    RunResult r;
    std::string dir = make_temp_dir();
    std::string out_path = dir + "/stdout", err_path = dir + "/stderr";
    pid_t pid = fork();
    if (pid == 0)
        exec_child(argv, env, out_path, err_path);
    long long deadline = monotonic_ms() + timeout_ms;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (monotonic_ms() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            r.timed_out = true;
            break;
        }
        usleep(2000);
    }
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    rmdir(dir.c_str());
    return r;
}
