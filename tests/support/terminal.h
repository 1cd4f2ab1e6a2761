// Capturing what the library writes, and giving it a real pseudo-terminal.
#pragma once

#include <termios.h>

#include <functional>
#include <string>

// The bytes written to standard output while f runs (flushed at the end).
std::string capture_output(const std::function<void()> &f);

struct Pty {
    int master = -1, slave = -1;
    Pty(int rows, int cols);
    ~Pty();
    // Everything the master side can read now, waiting up to wait_ms for the first byte.
    std::string read_all(int wait_ms = 100);
    // Reads into *output until `what` stands in it after position `from`, or
    // timeout_ms have passed; whether it came.
    bool read_until(std::string *output, const std::string &what, size_t from, int timeout_ms);
    void type(const std::string &bytes);
};

// Puts standard input (and standard output, unless out_fd is given) on the
// pseudo-terminal's slave side for the lifetime of the object.
struct StdioOn {
    int saved_in, saved_out;
    StdioOn(int in_fd, int out_fd);
    ~StdioOn();
};

// Whether the descriptor's open file is non-blocking.
bool nonblocking(int fd);
// Whether two terminal settings agree in every flag and control character.
bool same_termios(const struct termios &a, const struct termios &b);
