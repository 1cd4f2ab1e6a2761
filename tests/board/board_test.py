#!/usr/bin/env python3
"""The clocks on the emulated board (run by scripts/test-board).

Boots QEMU's vexpress-a9 board with Debian's armmp kernel, a device tree
with a 320x240 panel (panel_dtb.sh) and an initramfs of busybox and the
ARM builds, on a serial console with no display. check.sh runs inside:

- the graphical clock on the 16-bit framebuffer at a fixed time; its
  screen, taken with the monitor's screendump, must equal the frame the
  host's build draws headless for the same time;
- saves through the real system clock and the PL031 RTC (no clock shim,
  inside the guest only): the RTC must hold the saved instant in UTC, read
  back with the board's own 64-bit RTC_RD_TIME and with hwclock;
- the terminal clock on the serial console: the same bytes as on the host
  for the same time and size.

usage: board_test.py NATIVE_BUILD TARGET_BUILD WORK_DIR
WORK_DIR holds the kernel and busybox packages (apt-get download).
"""
import calendar
import fcntl
import glob
import os
import pty
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import termios
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ARM_LIBS = ["/lib/arm-linux-gnueabihf", "/usr/lib/arm-linux-gnueabihf",
            "/usr/lib/arm-linux-gnueabihf/pulseaudio"]
FONT = "/usr/local/share/fonts/mplus-2p-medium.ttf"
ZONES = ["UTC", "Asia/Tokyo", "America/New_York", "Europe/Berlin"]

RIGHT, UP, DOWN, ENTER = 275, 273, 274, 13


def utc(text):
    """Seconds since the epoch of a "YYYY-MM-DD HH:MM:SS" UTC time."""
    return calendar.timegm(time.strptime(text, "%Y-%m-%d %H:%M:%S"))


def edit_script(field, key, times):
    """Edit mode, move to the field (0 year .. 5 second), press key, save."""
    steps = ["t=0", "k=%d" % ENTER] + ["k=%d" % RIGHT] * field
    steps += ["k=%d" % key] * times + ["k=%d" % ENTER, ""]
    return " | ".join(steps) + " |"


# name, TZ, clock set to (UTC), SDL shim script, the RTC afterwards (UTC).
SAVES = [
    # 10:00 in Tokyo, three hours back: 07:00 there is 22:00 UTC the day before.
    ("UTC+9", "Asia/Tokyo", "2011-03-09 01:00:00", edit_script(3, DOWN, 3),
     "2011-03-08 22:00:00"),
    # 22:00 EST on the 10th, a day on across the change to EDT: 22:00 EDT on
    # the 11th, 23 hours later.
    ("UTC-5 with DST", "America/New_York", "2012-03-11 03:00:00", edit_script(2, UP, 1),
     "2012-03-12 02:00:00"),
    # A POSIX rule: 12:00 AEST on 5 October 2030, a day on into AEDT (UTC+11).
    ("POSIX TZ AEST-10AEDT,M10.1.0,M4.1.0/3", "AEST-10AEDT,M10.1.0,M4.1.0/3",
     "2030-10-05 02:00:00", edit_script(2, UP, 1), "2030-10-06 01:00:00"),
    # After 2038: midnight of 2038 in Tokyo, three years on.
    ("after 2038 (UTC+9)", "Asia/Tokyo", "2037-12-31 15:00:00", edit_script(0, UP, 3),
     "2040-12-31 15:00:00"),
]
# Seconds the clock may run on between the setting and the reading: the
# program's start-up under emulation and the reading itself.
SAVE_SLACK = 30

SCREEN = ("Europe/Berlin", utc("2012-02-29 14:27:35"), "t=0 | w=/tmp/go |")
# The terminal clock on the serial console: the glibc build at the clock
# shim's time, and the static musl build with the board's clock set.
TERMINAL = [("tessavond", "UTC", utc("2024-03-05 10:20:30"), 24, 80, "-s -b -c -d 999999999"),
            ("tessavond-musl", "UTC", utc("2024-03-05 10:20:30"), 24, 80, "-b -c -d 999999999")]

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)


def run(argv, **kw):
    return subprocess.run(argv, check=True, **kw)


# --- building the machine -------------------------------------------------

def extract_debs(work):
    root = os.path.join(work, "unpacked")
    if not os.path.isdir(root):
        os.makedirs(root)
        for deb in glob.glob(os.path.join(work, "debs", "*.deb")):
            run(["dpkg-deb", "-x", deb, root])
    kernel = glob.glob(os.path.join(root, "boot", "vmlinuz-*"))[0]
    dtb = glob.glob(os.path.join(root, "usr", "lib", "linux-image-*", "vexpress-v2p-ca9.dtb"))[0]
    return root, kernel, dtb


def needed(path):
    out = subprocess.run(["readelf", "-d", path], capture_output=True, text=True).stdout
    return [l.split("[")[1].split("]")[0] for l in out.splitlines() if "(NEEDED)" in l]


def library_closure(programs):
    found, todo = {}, list(programs)
    while todo:
        for name in needed(todo.pop()):
            if name in found:
                continue
            for d in ARM_LIBS:
                if os.path.exists(os.path.join(d, name)):
                    found[name] = os.path.realpath(os.path.join(d, name))
                    todo.append(found[name])
                    break
            else:
                sys.exit("board: no armhf library %s" % name)
    return found


def make_initramfs(work, target, unpacked, out):
    tree = tempfile.mkdtemp(dir=work)
    for d in ["bin", "dev", "proc", "sys", "tmp", "board", "lib/arm-linux-gnueabihf",
              "usr/local/share/fonts"]:
        os.makedirs(os.path.join(tree, d), exist_ok=True)
    shutil.copy(os.path.join(unpacked, "bin", "busybox"), os.path.join(tree, "bin"))
    with open(os.path.join(tree, "init"), "w") as f:
        f.write("#!/bin/busybox sh\n/bin/busybox --install -s /bin\n"
                "mount -t proc proc /proc\nmount -t sysfs sys /sys\n"
                "mount -t devtmpfs dev /dev\nmount -t tmpfs tmp /tmp\n"
                "sh /board/check.sh\npoweroff -f\n")
    os.chmod(os.path.join(tree, "init"), 0o755)

    programs = [os.path.join(target, p) for p in
                ["Tavlino", "tessavond", "tessavond-musl", "libsdl_shim.so", "libclock_shim.so",
                 "board_clock"]]
    for p in programs + [os.path.join(HERE, "check.sh")]:
        shutil.copy(p, os.path.join(tree, "board"))
    libs = library_closure(programs)
    for name, path in libs.items():
        shutil.copy(path, os.path.join(tree, "lib/arm-linux-gnueabihf", name))
    loader = "lib/arm-linux-gnueabihf/ld-linux-armhf.so.3"
    shutil.copy(os.path.realpath("/" + loader), os.path.join(tree, loader))
    os.symlink("/" + loader, os.path.join(tree, "lib/ld-linux-armhf.so.3"))
    shutil.copy(os.path.realpath(FONT), os.path.join(tree, FONT.lstrip("/")))
    for zone in ZONES:
        dest = os.path.join(tree, "usr/share/zoneinfo", zone)
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        shutil.copy(os.path.join("/usr/share/zoneinfo", zone), dest)

    with open(os.path.join(tree, "board/cases"), "w") as f:
        for name, tz, start, script, _ in SAVES:
            f.write("%s|%s|%d|%s\n" % (name, tz, utc(start), script))
    with open(os.path.join(tree, "board/screen"), "w") as f:
        f.write("%s|%d|%s\n" % SCREEN)
    with open(os.path.join(tree, "board/terminal"), "w") as f:
        for case in TERMINAL:
            f.write("%s|%s|%d|%d|%d|%s\n" % case)

    files = subprocess.run(["find", "."], cwd=tree, capture_output=True, check=True).stdout
    archive = subprocess.run(["cpio", "-o", "-H", "newc", "--quiet"], cwd=tree, input=files,
                             capture_output=True, check=True).stdout
    with open(out, "wb") as f:
        f.write(subprocess.run(["gzip", "-1"], input=archive, capture_output=True,
                               check=True).stdout)
    shutil.rmtree(tree)
    return len(libs)


# --- what the host shows for the same time ---------------------------------

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
    run(["setpriv", "--bounding-set", "-sys_time", "--inh-caps", "-sys_time",
         os.path.join(native, "Tavlino")], env=env, timeout=60, capture_output=True)
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


# --- the machine -------------------------------------------------------------

def monitor_command(sock_path, command):
    s = socket.socket(socket.AF_UNIX)
    s.connect(sock_path)
    s.settimeout(30)
    got = b""
    while not got.endswith(b"(qemu) "):
        got += s.recv(4096)
    s.sendall(command.encode() + b"\n")
    got = b""
    while not got.endswith(b"(qemu) "):
        got += s.recv(4096)
    s.close()


def boot(work, kernel, dtb, initramfs, screen_path, timeout):
    sock_path = os.path.join(work, "monitor.sock")
    if os.path.exists(sock_path):
        os.remove(sock_path)
    argv = ["qemu-system-arm", "-M", "vexpress-a9", "-m", "1024M", "-kernel", kernel,
            "-dtb", dtb, "-initrd", initramfs,
            "-append", "console=ttyAMA0 quiet loglevel=0 rdinit=/init panic=-1",
            "-display", "none", "-serial", "stdio", "-monitor",
            "unix:%s,server,nowait" % sock_path, "-no-reboot"]
    qemu = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, env=dict(os.environ, QEMU_AUDIO_DRV="none"),
                            start_new_session=True)
    out, end = b"", time.monotonic() + timeout
    try:
        while time.monotonic() < end:
            if not select.select([qemu.stdout], [], [], 1)[0]:
                continue
            chunk = os.read(qemu.stdout.fileno(), 65536)
            if not chunk:
                break
            out += chunk
            if b"@@ screen ready" in out and not os.path.exists(screen_path):
                monitor_command(sock_path, "screendump " + screen_path)
                qemu.stdin.write(b"go\n")
                qemu.stdin.flush()
        else:
            failures.append("the board did not finish within %d s" % timeout)
    finally:
        if qemu.poll() is None:
            os.killpg(qemu.pid, signal.SIGKILL)
        qemu.wait()
    return out


# --- checks ----------------------------------------------------------------------

def board_lines(out, prefix):
    return [l[len(prefix):] for l in out.decode("utf-8", "replace").replace("\r", "").split("\n")
            if l.startswith(prefix)]


def check_screen(out, screen_path, host):
    ready = board_lines(out, "@@ screen ready ")
    check(ready == ["320,240 16"], "framebuffer: %s (320,240 at 16 bits wanted)" % ready)
    done = board_lines(out, "@@ screen done ")
    check(done[:1] == ["status=0 "], "Tavlino on the framebuffer ended: %s" % done)
    if not os.path.exists(screen_path):
        check(False, "no screendump taken")
        return
    w, h, board = read_ppm(screen_path)
    hw, hh, host_pixels = host
    # The framebuffer holds 5-6-5 bits a pixel: compare those bits.
    differ = 0
    for i in range(0, min(len(board), len(host_pixels)), 3):
        if (board[i] >> 3 != host_pixels[i] >> 3 or board[i + 1] >> 2 != host_pixels[i + 1] >> 2
                or board[i + 2] >> 3 != host_pixels[i + 2] >> 3):
            differ += 1
    check((w, h) == (hw, hh) and differ == 0,
          "screendump %dx%d against the headless frame %dx%d: %d pixels differ"
          % (w, h, hw, hh, differ))


def check_saves(out):
    lines = board_lines(out, "@@ save ")
    check(len(lines) == len(SAVES), "%d saves reported (%d wanted)" % (len(lines), len(SAVES)))
    for (name, tz, start, _, expected), line in zip(SAVES, lines):
        fields = line.split("|")
        values = dict(kv.split("=", 1) for kv in fields[2].split(" ", 2)) if len(fields) > 2 else {}
        rtc = int(values.get("rtc", "0"))
        system = int(values.get("system", "0"))
        late = rtc - utc(expected)
        print("      %s (TZ=%s): clock set to %s UTC, saved; RTC read back in UTC: %s "
              "(RTC_RD_TIME), hwclock -r --utc: %s; system clock %s"
              % (name, tz, start, values.get("rtc_utc"), fields[3].strip() if len(fields) > 3
                 else "?", time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(system))))
        check(fields[0] == name and fields[1] == "status=0" and 0 <= late <= SAVE_SLACK,
              "%s: RTC %s, saved %s UTC (+%d s of running)" % (name, values.get("rtc_utc"),
                                                               expected, late))
        check(abs(system - rtc) <= 2, "%s: system clock and RTC agree (%d s apart)"
              % (name, system - rtc))
        if utc(expected) < 2 ** 31:
            # "Tue Mar  8 22:00:01 2011  0.000000 seconds"
            shown = fields[3].strip().rsplit("  ", 1)[0] if len(fields) > 3 else ""
            try:
                hw = calendar.timegm(time.strptime(shown, "%a %b %d %H:%M:%S %Y"))
            except ValueError:
                hw = None
            check(hw is not None and abs(hw - rtc) <= 2,
                  "%s: hwclock -r --utc reads the same instant" % name)
        else:
            print("      %s: hwclock not compared: the board's busybox has a 32-bit time_t"
                  % name)


def check_terminal(out, case, host):
    program = case[0]
    begin = b"@@ terminal %s begin\r\n" % program.encode()
    end = b"\r\n@@ terminal %s end" % program.encode()
    if begin not in out or end not in out:
        check(False, "%s: no output markers" % program)
        return
    board = out[out.index(begin) + len(begin):out.rindex(end)]
    # The host's start-up, as many of its later iterations as the board's
    # longer run made, and the host's ending.
    first, later, ending = host
    middle = board[len(first):len(board) - len(ending)]
    repeats = len(middle) // len(later) if later else 0
    same = (len(board) >= len(first) + len(ending) and board.startswith(first)
            and board.endswith(ending) and middle == later * repeats)
    status = board_lines(out, "@@ terminal %s end " % program)
    check(same, "%s %s on the serial console: %d bytes, the host's start-up (%d), "
          "%d later iterations (%d each) and ending (%d)"
          % (program, case[5], len(board), len(first), repeats, len(later), len(ending)))
    check(status[:1] == ["status=0 "], "%s ended: %s" % (program, status))


def main():
    native, target, work = (os.path.abspath(a) for a in sys.argv[1:4])
    started = time.monotonic()
    unpacked, kernel, stock_dtb = extract_debs(work)
    dtb = os.path.join(work, "panel.dtb")
    run(["sh", os.path.join(HERE, "panel_dtb.sh"), stock_dtb, dtb])
    initramfs = os.path.join(work, "initramfs.gz")
    libraries = make_initramfs(work, target, unpacked, initramfs)
    print("board: %s, initramfs %d KB with %d armhf libraries"
          % (os.path.basename(kernel), os.path.getsize(initramfs) // 1024, libraries))

    frame = host_frame(native, work)
    terminal = [host_terminal(native, case) for case in TERMINAL]
    screen_path = os.path.join(work, "screendump.ppm")
    if os.path.exists(screen_path):
        os.remove(screen_path)
    out = boot(work, kernel, dtb, initramfs, screen_path, 600)
    with open(os.path.join(work, "console.log"), "wb") as f:
        f.write(out)
    check(b"@@ all done" in out, "the board ran every check (console in %s/console.log)" % work)
    check_screen(out, screen_path, frame)
    check_saves(out)
    for case, host in zip(TERMINAL, terminal):
        check_terminal(out, case, host)
    print("board: %d failures, %.0f s" % (len(failures), time.monotonic() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
