#!/usr/bin/python3
"""update_screen_test.py BUILD_DIR: tessavond's update mode (-u) shows what
the default mode shows. Both run the same scripted minute with seconds on
(the clock shim's time, a step of the loop at a time, 40 ms each): keys for
the box, the centre, moves, colours, the 12-hour mode and the seconds,
resizes, and a Ctrl-Z with fg. Their output goes through a terminal emulator
(pyte) and the screens are compared after every step of the loop: cells,
renditions and the cursor. Then -u must have written far fewer bytes."""
import fcntl
import os
import pty
import select
import signal
import struct
import sys
import termios

import pyte

BUILD = sys.argv[1]
MARK = b"\033]step\007"  # the clock shim's, after each step's output
START = 1325289590       # 2011-12-30 23:59:50 UTC: the date line turns over too
STEPS = 1500             # 60 s of 40 ms steps

# Step: what the test does before the program takes that step.
SCRIPT = {
    50: b"b", 120: b"c", 180: ("size", 30, 100), 260: b"c", 300: b"l", 301: b"l",
    302: b"j", 340: b"4", 400: b"t", 470: ("size", 24, 80), 520: b"s", 560: b"s",
    610: "suspend", 700: b"h", 701: b"k", 760: ("size", 20, 60), 800: b"7", 860: b"b",
    900: ("size", 24, 80), 950: b"c", 1020: b"\033[B", 1100: b"2", 1200: b"t",
    1320: "suspend", 1400: b"c",
}


def fail(what):
    print("FAIL: " + what)
    sys.exit(1)


def set_size(fd, rows, cols):
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))


def read_to_mark(master, buffered):
    """The program's bytes up to the next mark, and what came after it."""
    while MARK not in buffered:
        ready, _, _ = select.select([master], [], [], 30)
        if not ready:
            fail("no step in 30 s")
        buffered += os.read(master, 65536)
    at = buffered.index(MARK)
    return buffered[:at], buffered[at + len(MARK):]


def keys_arrived(slave, count):
    """Waits until the terminal's input queue holds the keys just written."""
    for _ in range(10000):
        if struct.unpack("i", fcntl.ioctl(slave, termios.FIONREAD, b"\0\0\0\0"))[0] >= count:
            return
        select.select([], [], [], 0.001)
    fail("keys did not arrive")


def run(args):
    """The program's output, one piece a step, and the sizes it ran at."""
    master, slave = pty.openpty()
    set_size(slave, 24, 80)
    go_read, go_write = os.pipe()
    os.set_inheritable(go_read, True)
    env = dict(os.environ, TZ="UTC", TERM="xterm", SHIM_TIME=str(START),
               SHIM_STEPS=str(go_read), LD_PRELOAD=os.path.join(BUILD, "libclock_shim.so"))
    pid = os.fork()
    if pid == 0:
        # A process group of its own in this session, so that a stop is not
        # discarded as for an orphaned group; the terminal is not its
        # controlling one, so the test sends the size change's signal itself.
        os.setpgid(0, 0)
        for fd in (0, 1):
            os.dup2(slave, fd)
        os.dup2(os.open(os.devnull, os.O_WRONLY), 2)
        os.execve(os.path.join(BUILD, "tessavond"), ["tessavond"] + args, env)
    os.close(go_read)
    pieces, sizes, rest, step = [], [], b"", 0
    size = (24, 80)
    while True:
        piece, rest = read_to_mark(master, rest)
        pieces.append(piece)
        sizes.append(size)
        action = SCRIPT.get(step, b"q" if step == STEPS else None)
        if isinstance(action, bytes):
            os.write(master, action)
            keys_arrived(slave, len(action))
        elif isinstance(action, tuple):
            size = action[1:]
            set_size(master, *size)
            os.kill(pid, signal.SIGWINCH)
        elif action == "suspend":
            os.kill(pid, signal.SIGTSTP)
        os.write(go_write, b"g")
        if step == STEPS:
            break
        if action == "suspend":
            _, status = os.waitpid(pid, os.WUNTRACED)
            if not os.WIFSTOPPED(status):
                fail("Ctrl-Z did not stop the clock")
            os.kill(pid, signal.SIGCONT)
        step += 1
        if step > STEPS + 50:
            fail("the clock did not quit")
    # q: the clock gives the terminal back and ends; what it wrote is there.
    _, status = os.waitpid(pid, 0)
    os.set_blocking(master, False)
    try:
        while True:
            chunk = os.read(master, 65536)
            if not chunk:
                break
            rest += chunk
    except (BlockingIOError, OSError):
        pass
    pieces.append(rest)
    sizes.append(size)
    os.close(master)
    os.close(slave)
    os.close(go_write)
    if status != 0:
        fail("tessavond %s ended with status %d" % (args, status))
    return pieces, sizes


def screen_after(screen, stream, piece, size):
    if (screen.lines, screen.columns) != size:
        screen.resize(*size)
    stream.feed(piece)
    cursor = screen.cursor
    cells = [[(c.data, c.fg, c.bg, c.bold, c.underscore, c.reverse)
              for c in (screen.buffer[y][x] for x in range(screen.columns))]
             for y in range(screen.lines)]
    return cells, cursor.hidden, None if cursor.hidden else (cursor.y, cursor.x)


def main():
    plain, plain_sizes = run(["-s"])
    update, update_sizes = run(["-s", "-u"])
    if len(plain) != len(update) or plain_sizes != update_sizes:
        fail("%d steps without -u, %d with it" % (len(plain), len(update)))
    a, b = pyte.Screen(80, 24), pyte.Screen(80, 24)
    feed_a, feed_b = pyte.ByteStream(a), pyte.ByteStream(b)
    for step, (p, u, size) in enumerate(zip(plain, update, plain_sizes)):
        want = screen_after(a, feed_a, p, size)
        got = screen_after(b, feed_b, u, size)
        if want != got:
            rows = [y for y in range(len(want[0])) if want[0][y] != got[0][y]]
            fail("step %d: the screens differ (rows %s, cursor %s against %s)"
                 % (step, rows[:5], got[1:], want[1:]))
    lit = sum(1 for row in want[0] for cell in row if cell[2] != "default")
    if lit == 0:
        fail("the last screen shows no clock")
    sent = sum(map(len, plain)), sum(map(len, update))
    print("%d steps, the same screen after each; %d bytes without -u, %d with it"
          % (len(plain), sent[0], sent[1]))
    if sent[1] * 10 > sent[0]:
        fail("-u wrote more than a tenth of the default's bytes")
    print("update mode: ok")


main()
