// The terminal's I/O state: the open file keys are read through, whether
// flushes must switch non-blocking mode off, and whether the terminal has gone.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "termscreen.h"
#include "termscreen_internal.h"

static int gone = 0; // the terminal has gone: end of file or an I/O error
// Whether term_flush must switch O_NONBLOCK off around its writes: standard
// output may share its open file with a non-blocking standard input.
static int flush_unblocks = 1;

int term_gone(void)
{
    return gone;
}

void term_note_error(int error)
{
    if (error != EAGAIN && error != EWOULDBLOCK && error != EINTR)
        gone = 1;
}

// Whether the two descriptors are the same terminal. Every master side of a
// pseudo-terminal is the one device /dev/ptmx, and opening it makes a new
// terminal: a master is never the same as a file opened by its name.
static int same_terminal(int fd, int other)
{
    struct stat a, b;
    if (fstat(fd, &a) != 0 || fstat(other, &b) != 0)
        return 0;
    unsigned number;
    return S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode) && a.st_rdev == b.st_rdev &&
           ioctl(fd, TIOCGPTN, &number) != 0;
}

// Non-blocking input is a flag of the open file, which standard input usually
// shares with standard output (and with the shell). Keys are read through a
// private open file of the same terminal instead: standard output stays
// blocking, so a flush needs no switching of flags and a busy terminal still
// gets every byte, and the shell's open file is never made non-blocking.
// Where the name does not lead back to the same terminal, standard input
// itself serves.
void term_open_input(int fd)
{
    char path[256];
    gone = 0;
    flush_unblocks = 1;
    if (ttyname_r(fd, path, sizeof path) != 0)
        return;
    // Opened without waiting: a serial line without CLOCAL would wait for its
    // modem's carrier. Then it takes standard input's flags.
    int own = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (own < 0)
        return;
    int flags = fcntl(fd, F_GETFL);
    if (!same_terminal(fd, own) || flags < 0 || fcntl(own, F_SETFL, flags) < 0) {
        close(own);
        return;
    }
    dup2(own, fd);
    close(own);
    int out = fcntl(fileno(stdout), F_GETFL);
    flush_unblocks = out < 0 || (out & O_NONBLOCK) != 0;
}

// A flush that fails for any reason but a passing one means the terminal is gone.
static int checked_flush(void)
{
    int result = fflush(stdout);
    if (result != 0)
        term_note_error(errno);
    return result;
}

int term_flush(void)
{
    term_image_write(); // in update mode, what changed since the last flush
    // Standard output may share its open file with non-blocking input, which
    // would make its writes non-blocking too, and the stream drops whatever a
    // busy terminal refuses. Then flush with the flag off. Keys are read
    // through an open file of their own where possible, so this is the
    // exception.
    if (!flush_unblocks)
        return checked_flush();
    int fd = fileno(stdout);
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || !(flags & O_NONBLOCK))
        return checked_flush();
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int result = checked_flush();
    fcntl(fd, F_SETFL, flags);
    return result;
}
