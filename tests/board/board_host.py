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


def host_frame(native, work):
    tz, seconds, _ = SCREEN
    frames = tempfile.mkdtemp(dir=work)
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", TZ=tz, SHIM_TIME=str(seconds),
               SHIM_FRAMES=frames, SHIM_SCRIPT="t=0 | |",
               LD_PRELOAD="%s/libsdl_shim.so %s/libclock_shim.so" % (native, native))
    # No privilege to set this machine's clock, whatever the program does.
    subprocess.run(["setpriv", "--bounding-set", "-sys_time", "--inh-caps", "-sys_time",
         os.path.join(native, "Tavlino")], env=env, timeout=60, capture_output=True,
                   check=True)
    # Frame 0 is the cleared screen of the start-up; frame 1 is the first
    # pass's, the one the board shows while its second pass waits.
    frame = read_ppm(os.path.join(frames, "frame-001.ppm"))
    shutil.rmtree(frames)
    return frame


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
