#include "terminal.h"

#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdio.h>
#include <stdio_ext.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

std::string capture_output(const std::function<void()> &f)
{
    fflush(stdout);
    int saved = dup(1);
    FILE *tmp = tmpfile();
    dup2(fileno(tmp), 1);
    f();
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    rewind(tmp);
    std::string out = read_stream(tmp);
    fclose(tmp);
    return out;
}

Pty::Pty(int rows, int cols)
{
    struct winsize ws = {};
    ws.ws_row = (unsigned short)rows;
    ws.ws_col = (unsigned short)cols;
    if (openpty(&master, &slave, nullptr, nullptr, &ws) != 0)
        abort();
    // Start from a cooked terminal, as a shell leaves it.
    struct termios t;
    tcgetattr(slave, &t);
    t.c_lflag |= ICANON | ECHO | ISIG;
    t.c_iflag |= ICRNL;
    tcsetattr(slave, TCSANOW, &t);
}

Pty::~Pty()
{
    close(master);
    close(slave);
}

std::string Pty::read_all(int wait_ms)
{
    std::string out;
    struct pollfd p = {master, POLLIN, 0};
    int timeout = wait_ms;
    while (poll(&p, 1, timeout) > 0) {
        char buf[4096];
        ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, (size_t)n);
        timeout = 20;
    }
    return out;
}

bool Pty::read_until(std::string *output, const std::string &what, size_t from, int timeout_ms)
{
    // One read a look: a terminal that never falls silent must not keep it here.
    return wait_until(
        [&] {
            struct pollfd p = {master, POLLIN, 0};
            char buf[8192];
            ssize_t n = poll(&p, 1, 0) > 0 ? read(master, buf, sizeof buf) : 0;
            if (n > 0)
                output->append(buf, (size_t)n);
            return output->find(what, from) != std::string::npos;
        },
        timeout_ms, 5);
}

void Pty::type(const std::string &bytes)
{
    ssize_t n = write(master, bytes.data(), bytes.size());
    (void)n;
}

StdioOn::StdioOn(int in_fd, int out_fd)
{
    fflush(stdout);
    saved_in = dup(0);
    saved_out = dup(1);
    dup2(in_fd, 0);
    dup2(out_fd, 1);
    __fpurge(stdin);
    clearerr(stdin);
}

StdioOn::~StdioOn()
{
    fflush(stdout);
    dup2(saved_in, 0);
    dup2(saved_out, 1);
    close(saved_in);
    close(saved_out);
    __fpurge(stdin);
    clearerr(stdin);
}

bool nonblocking(int fd)
{
    return (fcntl(fd, F_GETFL) & O_NONBLOCK) != 0;
}

bool same_termios(const struct termios &a, const struct termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}
