#include "clock_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "process.h"

// 2024-03-05 10:20:30 UTC: the instant the clock shim's time() answers.
const char FAKE_START[] = "1709634030";

ClockRun::ClockRun(int rows, int cols, const std::vector<std::string> &args,
                   const std::vector<std::string> &prefix, bool fake_time, int flags,
                   const std::string &program)
    : pty(rows, cols)
{
    dir = make_temp_dir();
    std::vector<std::string> argv = prefix;
    argv.push_back(program.empty() ? build_dir() + "/tessavond" : program);
    argv.insert(argv.end(), args.begin(), args.end());
    tcgetattr(pty.slave, &initial);
    pid = fork();
    if (pid == 0) {
        setsid(); // a session and process group of its own
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The signals as a terminal's program finds them, whatever the test
        // program inherited (a background job ignores SIGINT and SIGQUIT).
        for (int sig : {SIGINT, SIGQUIT, SIGHUP, SIGPIPE, SIGTERM, SIGTSTP, SIGTTIN, SIGTTOU})
            signal(sig, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (!(flags & NOT_CONTROLLING))
            ioctl(pty.slave, TIOCSCTTY, 0);
        if (flags & IGNORE_HANGUP)
            signal(SIGHUP, SIG_IGN);
        dup2(pty.slave, 0);
        dup2(pty.slave, 1);
        int err = open((dir + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, 2);
        close(pty.master);
        setenv("TZ", "UTC", 1);
        if (fake_time) {
            // The tests' own time source: the clock shim answers time() (and
            // its 64-bit-time twin on 32-bit platforms) with a fixed instant.
            setenv("LD_PRELOAD", (build_dir() + "/libclock_shim.so").c_str(), 1);
            setenv("SHIM_TIME", FAKE_START, 1);
        }
        std::vector<char *> a = c_argv(argv);
        execvp(a[0], a.data());
        _exit(127);
    }
}

ClockRun::~ClockRun()
{
    if (pid > 0 && alive())
        kill_program(pid);
    remove_temp_dir(dir, {"stderr"});
}

std::string ClockRun::pump(int ms)
{
    std::string got;
    long long end = monotonic_ms() + ms;
    for (;;) {
        long long left = end - monotonic_ms();
        if (left <= 0)
            break;
        struct pollfd p = {pty.master, POLLIN, 0};
        if (pty.master < 0) {
            usleep(1000);
            continue;
        }
        if (poll(&p, 1, (int)left) <= 0)
            continue;
        char buf[8192];
        ssize_t n = read(pty.master, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, (size_t)n);
    }
    output += got;
    return got;
}

void ClockRun::resize(int rows, int cols)
{
    struct winsize ws = {};
    ws.ws_row = (unsigned short)rows;
    ws.ws_col = (unsigned short)cols;
    ioctl(pty.master, TIOCSWINSZ, &ws); // the terminal sends SIGWINCH
}

void ClockRun::hang_up()
{
    close(pty.master);
    close(pty.slave);
    pty.master = pty.slave = -1;
}

int ClockRun::wait(int timeout_ms)
{
    int status = wait_program(pid, timeout_ms, [this] { pump(10); });
    if (status >= 0) {
        pump(20);
        pid = -1;
    }
    return status;
}

bool ClockRun::alive()
{
    return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0;
}

std::string ClockRun::err()
{
    return read_file(dir + "/stderr");
}

ScreenModel::ScreenModel(int r, int c) : rows(r), cols(c)
{
    clear();
}

void ScreenModel::clear()
{
    text.assign(rows, std::string(cols, ' '));
    bg.assign(rows, std::vector<int>(cols, -1));
    line_drawing.assign(rows, std::vector<bool>(cols, false));
}

static void apply_sgr(const std::string &params, int *bg)
{
    size_t pos = 0;
    while (pos <= params.size()) {
        size_t end = params.find(';', pos);
        if (end == std::string::npos)
            end = params.size();
        int p = atoi(params.substr(pos, end - pos).c_str());
        if (p == 0)
            *bg = -1;
        else if (p >= 40 && p <= 47)
            *bg = p - 40;
        else if (p == 49)
            *bg = -1;
        pos = end + 1;
    }
}

void ScreenModel::feed(const std::string &bytes)
{
    for (size_t i = 0; i < bytes.size(); i++) {
        unsigned char b = (unsigned char)bytes[i];
        if (b == 0x0E) {
            g1 = true;
        } else if (b == 0x0F) {
            g1 = false;
        } else if (b == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == ')') {
            i += 2;
        } else if (b == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == '[') {
            size_t j = i + 2;
            while (j < bytes.size() && !(bytes[j] >= 0x40 && bytes[j] <= 0x7E))
                j++;
            if (j >= bytes.size())
                break;
            std::string params = bytes.substr(i + 2, j - i - 2);
            char final = bytes[j];
            if (final == 'H') {
                int r = 1, c = 1;
                sscanf(params.c_str(), "%d;%d", &r, &c);
                row = r - 1;
                col = c - 1;
            } else if (final == 'm') {
                apply_sgr(params, &current_bg);
            } else if (final == 'J' && params == "2") {
                clear();
            } else if (final == 'K') {
                for (int c = col; c >= 0 && c < cols && row < rows; c++) {
                    text[row][c] = ' ';
                    bg[row][c] = current_bg;
                }
            } else if (params == "?25" && (final == 'h' || final == 'l')) {
                cursor_visible = final == 'h';
            }
            i = j;
        } else if (b >= 0x20) {
            if (row >= 0 && row < rows && col >= 0 && col < cols) {
                text[row][col] = (char)b;
                bg[row][col] = current_bg;
                line_drawing[row][col] = g1;
            }
            col++;
        }
    }
}

ScreenModel::Box ScreenModel::cells_with_bg(int colour) const
{
    Box box;
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < cols; c++)
            if (bg[r][c] == colour) {
                if (box.top < 0)
                    box.top = r;
                box.bottom = r;
                if (box.left < 0 || c < box.left)
                    box.left = c;
                if (c > box.right)
                    box.right = c;
            }
    return box;
}

// A cell as plain text: lit cells as blocks, line drawing as box characters.
static std::string cell_text(char t, int bg, bool line_drawing)
{
    static const struct {
        char dec;
        const char *box;
    } boxes[] = {{'q', "\u2500"}, {'x', "\u2502"}, {'l', "\u250c"},
                 {'k', "\u2510"}, {'m', "\u2514"}, {'j', "\u2518"}};
    if (bg >= 0 && t == ' ')
        return "\u2588";
    for (const auto &b : boxes)
        if (line_drawing && t == b.dec)
            return b.box;
    return std::string(1, t);
}

std::string ScreenModel::render() const
{
    std::string out;
    for (int r = 0; r < rows; r++) {
        std::string line;
        for (int c = 0; c < cols; c++)
            line += cell_text(text[r][c], bg[r][c], line_drawing[r][c]);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    while (out.size() > 1 && out[out.size() - 2] == '\n')
        out.pop_back();
    return out;
}
