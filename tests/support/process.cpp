#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

std::string read_stream(FILE *f)
{
    std::string out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    return out;
}

// Everything in a stream just opened (none: ""), which is then closed.
static std::string drain(FILE *f, int (*close_stream)(FILE *))
{
    if (f == nullptr)
        return "";
    std::string out = read_stream(f);
    close_stream(f);
    return out;
}

std::string read_file(const std::string &path)
{
    return drain(fopen(path.c_str(), "rb"), fclose);
}

std::string make_temp_dir()
{
    char pattern[] = "/tmp/clocktest-XXXXXX";
    const char *dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

void remove_temp_dir(const std::string &dir, const std::vector<std::string> &files)
{
    for (const std::string &f : files)
        unlink((dir + "/" + f).c_str());
    rmdir(dir.c_str());
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

bool wait_until(const std::function<bool()> &done, int timeout_ms, int step_ms)
{
    for (long long end = monotonic_ms() + timeout_ms;; usleep(step_ms * 1000)) {
        if (done())
            return true;
        if (monotonic_ms() > end)
            return false;
    }
}

int drop_clock_privilege()
{
    prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0); // fails harmlessly without CAP_SETPCAP
    struct __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return -1;
    unsigned bit = 1u << (CAP_SYS_TIME % 32);
    int word = CAP_SYS_TIME / 32;
    data[word].effective &= ~bit;
    data[word].permitted &= ~bit;
    data[word].inheritable &= ~bit;
    if (syscall(SYS_capset, &header, data) != 0)
        return -1;
    return prctl(PR_CAPBSET_READ, CAP_SYS_TIME, 0, 0, 0) == 1 ? -1 : 0;
}

void detach_child()
{
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (drop_clock_privilege() != 0)
        _exit(126); // rather nothing than a run that could set the clock
}

std::string clock_shim_missing(const std::vector<std::string> &env)
{
    RunResult probe = run_program({build_dir() + "/clock_shim_probe"}, env, 10000);
    return probe.status == 0 ? "" : probe.out + probe.err;
}

static void exec_child(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                       const std::string &out_path, const std::string &err_path)
{
    detach_child();
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

int wait_program(int pid, int timeout_ms, const std::function<void()> &meanwhile)
{
    int status = 0;
    bool ended = wait_until(
        [&] {
            if (waitpid(pid, &status, WNOHANG) == pid)
                return true;
            if (meanwhile)
                meanwhile();
            return false;
        },
        timeout_ms, meanwhile ? 0 : 2);
    if (!ended)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void kill_program(int pid)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGKILL); // the group the child leads, and whatever it started
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

ChildGuard::~ChildGuard()
{
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0)
        kill_program(pid);
}

std::string shell_output(const std::string &command)
{
    return drain(popen(command.c_str(), "r"), pclose);
}

RunResult run_program(const std::vector<std::string> &argv,
                      const std::vector<std::string> &env, int timeout_ms)
{
    RunResult r;
    std::string dir = make_temp_dir();
    int pid = spawn_program(argv, env, dir + "/stdout", dir + "/stderr");
    r.status = wait_program(pid, timeout_ms);
    if (r.status < 0) {
        r.timed_out = true;
        kill(-pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    r.out = read_file(dir + "/stdout");
    r.err = read_file(dir + "/stderr");
    remove_temp_dir(dir, {"stdout", "stderr"});
    return r;
}
