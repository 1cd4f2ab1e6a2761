#!/usr/bin/env python3
"""Measures both clocks side by side with the least their mandated work costs
(the limit programs) and with peer clocks, in one run, and prints Markdown.

CPU is scheduler time from /proc/PID/task/*/schedstat over a window, wake-ups
are the scheduler's time slices over it; system calls come from a separate
pass under strace -c -f. Every figure is the median of interleaved rounds.
The terminal clocks run in a pseudo-terminal (80x24 unless named) whose master side is read
all the time; the graphical ones under Xvfb and under SDL's dummy driver.

  measure.py BUILD_DIR [--clocks DIR] [--rounds N] [--window SECONDS] [--quick]

BUILD_DIR holds the limit programs (bench/); the clocks come from it too, or
from --clocks DIR (to measure an earlier build beside the same references).
"""
import argparse
import fcntl
import os
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

FONT = "/usr/local/share/fonts/mplus-2p-medium.ttf"
ERRORS = os.path.join(tempfile.gettempdir(), "bench-errors.log")  # what the programs said


class Program:
    def __init__(self, name, argv, kind, limit=None, peer=None, env=None, binary=None,
                 size=(24, 80)):
        self.name, self.argv, self.kind = name, argv, kind
        self.size = size  # a terminal program's rows and columns
        self.limit, self.peer = limit, peer  # names of the rows to compare with
        self.env = env or {}
        self.binary = binary  # what the stripped size is taken of
        self.samples = {}

    def add(self, key, value):
        if value is not None:
            self.samples.setdefault(key, []).append(value)

    def median(self, key):
        values = self.samples.get(key)
        return statistics.median(values) if values else None


class Terminal:
    """A pseudo-terminal whose master side a thread reads all the time."""

    def __init__(self, rows=24, cols=80):
        self.master, self.slave = os.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
        self.bytes = 0
        self.first_byte = None
        self.data = bytearray()
        self.keep = 0
        self.stop = False
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        while not self.stop:
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            if self.first_byte is None:
                self.first_byte = time.monotonic()
            self.bytes += len(chunk)
            if len(self.data) < self.keep:
                self.data += chunk

    def close(self):
        self.stop = True
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass


def start(program, terminal=None, extra_env=None):
    env = dict(os.environ, TZ="UTC", **program.env, **(extra_env or {}))
    io = {}
    if terminal is not None:
        io = dict(stdin=terminal.slave, stdout=terminal.slave, stderr=subprocess.DEVNULL)
    else:
        io = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                  stderr=open(ERRORS, "ab"))
    return subprocess.Popen(program.argv, env=env, start_new_session=True, **io)


def stop(process):
    for sig, wait in ((signal.SIGTERM, 2), (signal.SIGKILL, 5)):
        if process.poll() is not None:
            return
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(wait)
        except subprocess.TimeoutExpired:
            pass


def schedstat(pid):
    """CPU nanoseconds and time slices of all the process's threads."""
    cpu = slices = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                run, _wait, count = (int(x) for x in f.read().split())
        except (OSError, ValueError):
            continue
        cpu += run
        slices += count
    return cpu, slices


def peak_rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return None


def start_running(program, terminal, warmup):
    """Starts the program and lets it warm up; a start that fails (an X server
    busy with the clients just ended, say) is tried again."""
    for attempt in range(3):
        process = start(program, terminal)
        time.sleep(warmup)
        if process.poll() is None:
            return process
        time.sleep(0.5)
    with open(ERRORS, errors="replace") as f:
        said = f.read()[-2000:]
    raise RuntimeError(f"{program.name} ended early with {process.returncode}:\n{said}")


def measure(program, window, warmup):
    terminal = Terminal(*program.size) if program.kind == "terminal" else None
    process = start_running(program, terminal, warmup)
    try:
        cpu0, slices0 = schedstat(process.pid)
        bytes0 = terminal.bytes if terminal else 0
        t0 = time.monotonic()
        time.sleep(window)
        cpu1, slices1 = schedstat(process.pid)
        elapsed = time.monotonic() - t0
        program.add("cpu", (cpu1 - cpu0) / elapsed / 1e9 * 100)
        program.add("wakeups", (slices1 - slices0) / elapsed)
        if terminal:
            program.add("bytes", (terminal.bytes - bytes0) / elapsed)
        program.add("rss", peak_rss_kb(process.pid))
    finally:
        stop(process)
        if terminal:
            terminal.close()


SUMMARY = re.compile(r"^\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?(\w+)\s*$")


def measure_syscalls(program, window, warmup):
    """System calls per second and per pass of the loop (a pass sleeps once),
    counted by strace attached to every thread after the warm-up."""
    out = tempfile.mktemp(prefix="bench-strace-")
    terminal = Terminal(*program.size) if program.kind == "terminal" else None
    process = start_running(program, terminal, warmup)
    try:
        attach = []
        for task in os.listdir(f"/proc/{process.pid}/task"):
            attach += ["-p", task]
        tracer = subprocess.Popen(["strace", "-f", "-c", "-o", out] + attach,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.2)  # attached
        t0 = time.monotonic()
        time.sleep(window)
        tracer.send_signal(signal.SIGINT)
        elapsed = time.monotonic() - t0
        try:
            tracer.wait(10)
        except subprocess.TimeoutExpired:
            stop(process)  # a tracee stuck in a long call: strace ends with it
            tracer.wait(10)
    finally:
        stop(process)
        if terminal:
            terminal.close()
    calls, sleeps = 0, 0
    try:
        with open(out) as f:
            for line in f:
                m = SUMMARY.match(line)
                if m and m.group(2) != "total":
                    calls += int(m.group(1))
                    if m.group(2) in ("nanosleep", "clock_nanosleep", "clock_nanosleep_time64"):
                        sleeps += int(m.group(1))
        os.unlink(out)
    except OSError:
        return
    program.add("syscalls", calls / elapsed)
    if sleeps:
        program.add("per_pass", calls / sleeps)


def measure_startup(program, build):
    """Milliseconds from the start to the first byte on the terminal, or the
    first flipped frame of an SDL program."""
    if program.kind == "terminal":
        terminal = Terminal()
        t0 = time.monotonic()
        process = start(program, terminal)
        deadline = t0 + 5
        while terminal.first_byte is None and time.monotonic() < deadline:
            time.sleep(0.001)
        if terminal.first_byte is not None:
            program.add("startup", (terminal.first_byte - t0) * 1000)
        stop(process)
        terminal.close()
    elif program.kind == "sdl":
        stamp = tempfile.mktemp(prefix="bench-flip-")
        t0 = time.monotonic_ns()
        process = start(program, extra_env={
            "LD_PRELOAD": os.path.join(build, "bench", "libflip_stamp.so"), "FLIP_STAMP": stamp})
        deadline = time.monotonic() + 10
        while not os.path.exists(stamp) and time.monotonic() < deadline:
            time.sleep(0.001)
        time.sleep(0.01)
        stop(process)
        try:
            with open(stamp) as f:
                program.add("startup", (int(f.read()) - t0) / 1e6)
            os.unlink(stamp)
        except (OSError, ValueError):
            pass


def stripped_size(path):
    if not path or not os.path.exists(path):
        return None
    copy = tempfile.mktemp(prefix="bench-strip-")
    subprocess.run(["strip", "-o", copy, path], check=True)
    size = os.path.getsize(copy)
    os.unlink(copy)
    return size


def capture_iteration(build, args, directory):
    """The bytes of one iteration of the terminal clock with these options:
    what it writes between two drawings of its date line."""
    terminal = Terminal()
    terminal.keep = 1 << 20
    clock = Program("capture", [os.path.join(build, "tessavond")] + args, "terminal")
    process = start(clock, terminal)
    time.sleep(1.0)
    stop(process)
    terminal.close()
    data = bytes(terminal.data)
    marks = [m.start() for m in re.finditer(rb"\x1b\[0;32m\x1b\[\d+;\d+H \d{4}-\d\d-\d\d ", data)]
    if len(marks) < 3:
        raise RuntimeError("could not capture an iteration of the terminal clock")
    path = os.path.join(directory, "iteration-" + ("-".join(a.strip("-") for a in args) or "defaults"))
    with open(path, "wb") as f:
        f.write(data[marks[-3]:marks[-2]])
    return path


def start_xvfb():
    read_end, write_end = os.pipe()
    # -noreset: the server would reset (and refuse clients for a moment) each
    # time its last client leaves, which here is after every measurement.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0", "640x480x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    # The server writes the number and its newline separately, and dies if
    # the pipe is closed in between: read up to the newline.
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    time.sleep(0.2)
    if xvfb.poll() is not None:
        sys.exit(f"measure: Xvfb ended at start with {xvfb.returncode}")
    return xvfb, ":" + number.decode().strip()


def programs(build, clocks, directory, with_peers):
    clock, limit_t = os.path.join(clocks, "tessavond"), os.path.join(build, "bench", "limit_terminal")
    tavlino, limit_g = os.path.join(clocks, "Tavlino"), os.path.join(build, "bench", "limit_graphical")
    defaults = capture_iteration(clocks, [], directory)
    full = capture_iteration(clocks, ["-s", "-b", "-c"], directory)
    rows = [
        Program("limit, terminal (defaults)", [limit_t, defaults, "40000000"], "terminal"),
        Program("tessavond (defaults)", [clock], "terminal", limit="limit, terminal (defaults)",
                peer="binclock -l", binary=clock),
        Program("limit, terminal (-s -b -c)", [limit_t, full, "40000000"], "terminal"),
        Program("tessavond -s -b -c", [clock, "-s", "-b", "-c"], "terminal",
                limit="limit, terminal (-s -b -c)", peer="binclock -l", binary=clock),
        # Only what changed (-u), as over a serial line, against the default.
        Program("tessavond -s, 80x24", [clock, "-s"], "terminal"),
        Program("tessavond -s -u, 80x24", [clock, "-s", "-u"], "terminal"),
        Program("tessavond -s, 200x60", [clock, "-s"], "terminal", size=(60, 200)),
        Program("tessavond -s -u, 200x60", [clock, "-s", "-u"], "terminal", size=(60, 200)),
        Program("limit, SDL (Xvfb)", [limit_g], "sdl", env={"DISPLAY": "X"}),
        Program("Tavlino (Xvfb)", [tavlino], "sdl", limit="limit, SDL (Xvfb)",
                peer="xclock -update 1", env={"DISPLAY": "X"}, binary=tavlino),
        Program("limit, SDL (dummy)", [limit_g], "sdl", env={"SDL_VIDEODRIVER": "dummy"}),
        Program("Tavlino (dummy)", [tavlino], "sdl", limit="limit, SDL (dummy)",
                env={"SDL_VIDEODRIVER": "dummy"}, binary=tavlino),
    ]
    if with_peers and shutil.which("binclock"):
        rows.append(Program("binclock -l", ["binclock", "-l"], "terminal"))
    if with_peers and shutil.which("xclock"):
        rows.append(Program("xclock -update 1", ["xclock", "-update", "1"], "x11",
                            env={"DISPLAY": "X"}))
    return rows


def fmt(value, digits=0):
    if value is None:
        return "-"
    return f"{value:,.{digits}f}"


def ratio(rows, program, other_name):
    other = next((r for r in rows if r.name == other_name), None)
    mine, theirs = program.median("cpu"), other.median("cpu") if other else None
    if not other or mine is None or not theirs:
        return "-"
    return f"{mine / theirs:.2f}"


def report(rows, args):
    print("| program | CPU % of a core | system calls/s | calls/pass | bytes/s | wake-ups/s "
          "| peak RSS (KB) | stripped (bytes) | start-up (ms) | CPU / limit | CPU / peer |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for p in rows:
        print(f"| {p.name} | {fmt(p.median('cpu'), 3)} | {fmt(p.median('syscalls'))} "
              f"| {fmt(p.median('per_pass'), 1)} | {fmt(p.median('bytes'))} "
              f"| {fmt(p.median('wakeups'), 1)} | {fmt(p.median('rss'))} "
              f"| {fmt(stripped_size(p.binary))} | {fmt(p.median('startup'), 1)} "
              f"| {ratio(rows, p, p.limit) if p.limit else '-'} "
              f"| {ratio(rows, p, p.peer) if p.peer else '-'} |")
    print()
    print(f"Medians of {args.rounds} interleaved rounds; CPU, wake-ups and bytes over "
          f"{args.window:g} s windows after {args.warmup:g} s of warm-up; system calls from a "
          f"separate pass of the same length, `strace -c -f` attached after the warm-up; "
          f"a pass of a loop is counted by its sleep.")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--clocks")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--window", type=float, default=5)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--no-peers", action="store_true")
    args = parser.parse_args()
    if args.quick:
        args.rounds, args.window = 1, 1
    args.warmup = 0.5 if args.quick else 1.0
    if not os.path.exists(FONT):
        sys.exit(f"measure: no font at {FONT} (scripts/setup links one)")
    directory = tempfile.mkdtemp(prefix="bench-")
    xvfb, display = start_xvfb()
    try:
        rows = programs(args.build, args.clocks or args.build, directory, not args.no_peers)
        for p in rows:
            if p.env.get("DISPLAY") == "X":
                p.env["DISPLAY"] = display
        for _ in range(args.rounds):
            for p in rows:
                measure(p, args.window, args.warmup)
                measure_syscalls(p, args.window, args.warmup)
                measure_startup(p, args.build)
        report(rows, args)
    finally:
        stop(xvfb)
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    main()
