"""What the host shows for the same time: the graphical clock's headless
frame and the terminal clock's bytes in a pseudo-terminal, from the native
build with the tests' shims."""
import fcntl
import os
import pty
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import termios
import time

from board_cases import SCREEN

NOTICE_TOP = 225  # the help line's first row


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b"P6" and fields[3] == b"255", path
    w, h = int(fields[1]), int(fields[2])
    return w, h, data[pos + 1:pos + 1 + 3 * w * h]


def host_frame(native, work, tz, seconds, script, env=()):
    """The last frame the native build draws headless for this script."""
    frames = tempfile.mkdtemp(dir=work)
    environment = dict(os.environ, SDL_VIDEODRIVER="dummy", TZ=tz, SHIM_TIME=str(seconds),
                       SHIM_FRAMES=frames, SHIM_SCRIPT=script,
                       LD_PRELOAD="%s/libsdl_shim.so %s/libclock_shim.so" % (native, native))
    environment.update(env)
    # No privilege to set this machine's clock, whatever the program does.
    subprocess.run(["setpriv", "--bounding-set", "-sys_time", "--inh-caps", "-sys_time",
         os.path.join(native, "Tavlino")], env=environment, timeout=60, capture_output=True,
                   check=True)
    last = sorted(f for f in os.listdir(frames) if f.startswith("frame-"))[-1]
    frame = read_ppm(os.path.join(frames, last))
    shutil.rmtree(frames)
    return frame


def host_screen(native, work):
    """The frame the board shows while its second pass waits: the first
    pass's (frame 0 is the cleared screen of the start-up)."""
    tz, seconds, _ = SCREEN
    return host_frame(native, work, tz, seconds, "t=0 | |")


def host_notice(native, work):
    """The help line's rows after a save the system refused for want of the
    right to set the clock: the notice alone, whatever the time."""
    w, h, pixels = host_frame(native, work, "UTC", 0, "t=0 | k=13 | k=13 | |",
                              {"SHIM_SETTIME": "refuse"})
    return pixels[NOTICE_TOP * w * 3:h * w * 3]


def host_terminal(native, case):
    """The terminal clock's bytes on the host (the glibc build, at the clock
    shim's time): start-up with the first iteration, one later iteration,
    and what it writes on SIGTERM."""
    _, tz, seconds, rows, cols, args = case
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
    env = dict(os.environ, TZ=tz, SHIM_TIME=str(seconds),
               LD_PRELOAD=os.path.join(native, "libclock_shim.so"))

    def controlling():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    clock = subprocess.Popen([os.path.join(native, "tessavond")] + args.split(), env=env,
                             stdin=slave, stdout=slave, stderr=subprocess.DEVNULL,
                             preexec_fn=controlling)
    os.close(slave)

    def read_for(seconds_):
        got, end = b"", time.monotonic() + seconds_
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return got
            if select.select([master], [], [], left)[0]:
                try:
                    chunk = os.read(master, 65536)
                except OSError:
                    return got
                if not chunk:
                    return got
                got += chunk

    first = read_for(0.5)
    later = read_for(1.0)
    clock.send_signal(signal.SIGTERM)
    end = read_for(1.0)
    clock.wait(10)
    os.close(master)
    return first, later, end
