// The real tessavond in a pseudo-terminal of a set size, as the session leader
// with the terminal as its controlling terminal, and a small model of the
// screen that its bytes draw.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

#include "terminal.h"

struct ClockRun {
    Pty pty;
    pid_t pid = -1;
    std::string dir;
    std::string output; // every byte read from the master side so far
    // The terminal's settings before the clock started: read once it runs,
    // they may already be the clock's own.
    struct termios initial;

    enum Flags {
        NOT_CONTROLLING = 1, // the terminal is not the clock's controlling terminal
        IGNORE_HANGUP = 2,   // started with SIGHUP ignored, as nohup does
    };
    // program: the clock's binary, the build's tessavond when empty.
    ClockRun(int rows, int cols, const std::vector<std::string> &args,
             const std::vector<std::string> &prefix = {}, bool fake_time = true, int flags = 0,
             const std::string &program = "");
    ~ClockRun();
    // Reads the master side for about ms milliseconds; returns what came.
    std::string pump(int ms);
    void type(const std::string &bytes) { pty.type(bytes); }
    void resize(int rows, int cols);
    // Closes the master side: the terminal goes away under the clock.
    void hang_up();
    // Waits for the end, reading on; the exit status, or -1 on time-out.
    int wait(int timeout_ms);
    bool alive();
    std::string err();
};

// Cells of the terminal as the bytes leave them.
struct ScreenModel {
    int rows, cols;
    std::vector<std::string> text;
    std::vector<std::vector<int>> bg; // background colour, -1 the default
    std::vector<std::vector<bool>> line_drawing;
    int row = 0, col = 0, current_bg = -1;
    bool g1 = false, cursor_visible = true;

    ScreenModel(int r, int c);
    void feed(const std::string &bytes);
    void clear();
    // The first and last row and column of the cells with this background, or -1s.
    struct Box { int top = -1, left = -1, bottom = -1, right = -1; };
    Box cells_with_bg(int colour) const;
    std::string row_text(int r) const { return text[r]; }
    // The screen as plain text: coloured cells as blocks, line drawing as box characters.
    std::string render() const;
};

extern const char FAKE_START[]; // seconds since the epoch, as SHIM_TIME takes them
