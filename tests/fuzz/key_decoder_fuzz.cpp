// libFuzzer target over the key decoder as the clock reads it: the bytes come
// on standard input (a non-blocking pipe), cut into pieces that arrive while
// the decoder waits for the rest of a sequence. Every key must lie in 0..255,
// and every read must come back.
//
// Input: byte 0 says where the stream is cut (after stream byte i when bit
// i % 8 is set); the rest is the stream.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <stdio_ext.h>
#include <stdlib.h>
#include <unistd.h>

#include "termscreen.h"

namespace {

struct Feed {
    const uint8_t *stream = nullptr;
    size_t size = 0, sent = 0;
    uint8_t cuts = 0;
    int writer = -1; // the pipe's write end, -1 once the input has ended
    bool active = false;
};
Feed feed;

// Sends the next piece; at the end closes the pipe. False when nothing was left.
bool deliver_next()
{
    if (feed.writer < 0)
        return false;
    if (feed.sent == feed.size) {
        close(feed.writer);
        feed.writer = -1;
        return true;
    }
    size_t end = feed.sent;
    while (end < feed.size) {
        end++;
        if (feed.cuts & (1u << ((end - 1) % 8)))
            break;
    }
    if (write(feed.writer, feed.stream + feed.sent, end - feed.sent) != (ssize_t)(end - feed.sent))
        abort();
    feed.sent = end;
    return true;
}

} // namespace

// The decoder waits on standard input for the rest of a sequence: let the next
// piece arrive then, at once, instead of waiting out the real time.
extern "C" int poll(struct pollfd *fds, nfds_t n, int timeout)
{
    using PollFn = int (*)(struct pollfd *, nfds_t, int);
    static PollFn real_poll = reinterpret_cast<PollFn>(dlsym(RTLD_NEXT, "poll"));
    if (feed.active && n == 1 && fds[0].fd == 0) {
        deliver_next();
        timeout = 0;
    }
    return real_poll(fds, n, timeout);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    int fds[2];
    if (pipe(fds) != 0)
        abort();
    dup2(fds[0], 0);
    close(fds[0]);
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK); // as the clock reads keys
    __fpurge(stdin);
    clearerr(stdin);

    feed = Feed{data + 1, size - 1, 0, data[0], fds[1], true};
    deliver_next();
    // Each read takes at least one byte, or finds none; with the input ended,
    // size + 1 reads are more than enough to take everything.
    size_t reads_after_end = 0;
    while (reads_after_end <= size) {
        int key = key_read();
        if (key < 0 || key > 255)
            abort();
        if (key == KEY_NONE && !deliver_next())
            reads_after_end++;
    }
    feed.active = false;
    if (feed.writer >= 0)
        close(feed.writer);
    return 0;
}
