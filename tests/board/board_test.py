#!/usr/bin/env python3
"""The clocks on an emulated board (run by scripts/test-board), one of two:

- vexpress: QEMU's vexpress-a9 board with Debian 12's armmp kernel, a device
  tree with a 320x240 panel (panel_dtb.sh) and an initramfs of busybox and
  the ARM builds with Debian 12's armhf libraries: classic SDL on the
  framebuffer; booted twice;
- virt: QEMU's virt board with Debian 13's armmp kernel, a virtio GPU that
  the kernel drives through DRM, a virtio keyboard, and Debian 13's armhf
  userland (busybox, sdl12-compat, SDL 2, Mesa): SDL 2's KMSDRM; booted
  once, with the first boot's checks.

Each runs on a serial console with no display. Busybox's init
starts Tavlino on tty1 with the device guide's inittab line (as its own user,
holding only CAP_SYS_TIME), and check.sh runs on the console:

- real key presses on the board's keyboard (QEMU's sendkey) save an hour
  on through that Tavlino: the system clock and the RTC move by an hour;
  Escape ends it and gives tty1 back in text mode;
- what that Tavlino costs, the same way on every board: processor time a
  second over 20 s of the clock running, and resident memory; the DRM
  board's processor time is held to a multiple of the fbdev board's;
- the second boot's line holds no right to set the clock: after the same
  keys the screen says the time was not saved, and neither clock moved;
- the graphical clock on the 16-bit framebuffer at a fixed time; its
  screen, taken with the monitor's screendump, must equal the frame the
  host's build draws headless for the same time;
- saves through the real system clock and the PL031 RTC (no clock shim,
  inside the guest only): the RTC must hold the saved instant in UTC, read
  back with the board's own 64-bit RTC_RD_TIME and with hwclock;
- the terminal clock on the serial console, the glibc build and the static
  musl build: the same bytes as on the host for the same time and size.

What is checked is in board_cases.py; board_image.py makes the initramfs,
board_host.py the host's references and board_machine.py boots the board.

usage: board_test.py NATIVE_BUILD TARGET_BUILD WORK_DIR BOARD [AGAINST_DIR]
WORK_DIR/debs holds the board's packages (scripts/fetch.sh); BOARD is a
name in board_cases.BOARDS. Tavlino's cost is kept in WORK_DIR/cost; with
AGAINST_DIR, the work folder of a board checked before in the same run, its
processor time a second may be at most board_cases.DRM_CPU_LIMIT times that
board's.
"""
import calendar
import glob
import os
import subprocess
import sys
import time

from board_cases import BOARDS, DRM_CPU_LIMIT, QUIT_KEYS, SAVE_KEYS, SAVE_STEP, SAVES, SAVE_SLACK, TERMINAL, utc
from board_host import NOTICE_TOP, host_notice, host_screen, host_terminal, read_ppm
from board_image import extract_debs, make_initramfs, write
from board_machine import boot

HERE = os.path.dirname(os.path.abspath(__file__))
WAYLAND_NOTICE = "error: XDG_RUNTIME_DIR is invalid or not set in the environment."
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)


def board_lines(out, prefix):
    return [l[len(prefix):] for l in out.decode("utf-8", "replace").replace("\r", "").split("\n")
            if l.startswith(prefix)]


def same_565(board, host):
    """The pixels (RGB bytes) that differ in the framebuffer's 5-6-5 bits."""
    differ = 0
    for i in range(0, min(len(board), len(host)), 3):
        if (board[i] >> 3 != host[i] >> 3 or board[i + 1] >> 2 != host[i + 1] >> 2
                or board[i + 2] >> 3 != host[i + 2] >> 3):
            differ += 1
    return differ


def offsets(field):
    """{"system-up": S, "rtc-up": R} from "system-up=S rtc-up=R"."""
    return {k: int(v) for k, v in (kv.split("=") for kv in field.split())}


def check_tavlino_user(out, caps):
    line = board_lines(out, "@@ tavlino ")
    words = line[0].split() if line else []
    uid = words[words.index("Uid:") + 1] if "Uid:" in words else "?"
    eff = words[words.index("CapEff:") + 1] if "CapEff:" in words else "?"
    check(uid == "1000" and int(eff, 16) == caps,
          "init started Tavlino on tty1 as uid %s with capabilities %s (1000 and %#x wanted)"
          % (uid, eff, caps))


def check_device(out, board):
    """The device guide's line: real keys save an hour on, Escape gives tty1 back."""
    check_tavlino_user(out, 1 << 25)  # CAP_SYS_TIME alone
    saved = board_lines(out, "@@ keys saved|")
    fields = saved[0].split("|") if saved else []
    if len(fields) < 4 or "=" not in fields[0]:
        check(False, "no save through real keys: %s" % saved)
        return
    before, after = offsets(fields[0]), offsets(fields[1])
    values = dict(kv.split("=", 1) for kv in fields[2].split(" ", 2))
    moved = after["system-up"] - before["system-up"]
    print("      read back in UTC: RTC_RD_TIME %s, hwclock -r --utc: %s; system clock %s"
          % (values.get("rtc_utc"), fields[3].strip(),
             time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(int(values.get("system", 0))))))
    check(abs(moved - SAVE_STEP) <= 3,
          "keys Enter, Right x3, Up, Enter moved the system clock by %d s (%d wanted)"
          % (moved, SAVE_STEP))
    check(abs(after["rtc-up"] - after["system-up"]) <= 2,
          "the RTC followed: %d s from the system clock" % (after["rtc-up"] - after["system-up"]))
    if int(values.get("rtc", 0)) < 2 ** 31:  # the board's busybox has a 32-bit time_t
        check_hwclock("keys", fields[3], int(values.get("rtc", 0)))
    quit_line = board_lines(out, "@@ keys quit|")
    # On a DRM display the console's own picture must be back too.
    wanted = "running=|tty1=text" + ("|display=[fbcon]" if "drm=" in board.display else "")
    check(quit_line == [wanted], "Escape ended it and tty1 is in text mode again: %s (%s wanted)"
          % (quit_line, wanted))


def check_cost(out, board, work, against):
    """What Tavlino from inittab cost on this board, printed as
    "cost BOARD cpu_ms_per_s=N rss_kb=N" and kept in WORK/cost; with
    against, the work folder of the board measured before it in this run,
    its processor time may be at most DRM_CPU_LIMIT times that board's."""
    lines = board_lines(out, "@@ cost ")
    cost = dict(kv.split("=", 1) for kv in lines[0].split()) if lines else {}
    if not (len(cost) == 4 and all(cost.get(k, "").isdigit() for k in
                                   ["shown-at-cs", "cpu-ms", "over-ms", "rss-kb"])
            and int(cost["over-ms"]) >= 20000):
        check(False, "no cost over 20 s of the clock running: %s" % lines)
        return
    cpu = int(cost["cpu-ms"]) * 1000 // int(cost["over-ms"])
    line = "cost %s cpu_ms_per_s=%d rss_kb=%s" % (board.name, cpu, cost["rss-kb"])
    print(line)
    print("      first frame at %.2f s from power-on, over %.2f s" % (
        int(cost["shown-at-cs"]) / 100, int(cost["over-ms"]) / 1000))
    write(os.path.join(work, "cost"), line + "\n")
    if against:
        path = os.path.join(against, "cost")
        other = open(path).read().split() if os.path.exists(path) else []
        if len(other) != 4:
            check(False, "no cost of the first board in this run in %s" % path)
            return
        limit = int(other[2].split("=")[1]) * DRM_CPU_LIMIT
        check(cpu <= limit, "%s: %d ms of processor a second, at most %d times %s's %s (%d)"
              % (board.name, cpu, DRM_CPU_LIMIT, other[1], other[2], limit))


def check_no_cap(out, notice_seen):
    """Without CAP_SYS_TIME: the notice on the screen, neither clock moved."""
    check_tavlino_user(out, 0)
    check(notice_seen, "the screen says the time was not saved (the help line's rows equal "
          "the host's notice)")
    clocks = board_lines(out, "@@ notice clocks|")
    fields = clocks[0].split("|") if clocks else []
    if len(fields) < 2:
        check(False, "no clocks after the refused save: %s" % clocks)
        return
    before, after = offsets(fields[0]), offsets(fields[1])
    check(all(abs(after[k] - before[k]) <= 2 for k in before),
          "neither clock moved: %s, then %s" % (fields[0], fields[1]))


def check_screen(out, screen_path, host, board):
    ready = board_lines(out, "@@ display ")
    check(len(ready) == 1 and board.display in ready[0].split(),
          "display: %s (%s wanted)" % (ready, board.display))
    # SDL 2 tries Wayland first, whose library says why it has no display.
    done = [l.replace(WAYLAND_NOTICE, "") for l in board_lines(out, "@@ screen done ")]
    check(done[:1] == ["status=0 "], "Tavlino on the display ended: %s" % done)
    if not os.path.exists(screen_path):
        check(False, "no screendump taken")
        return
    w, h, board = read_ppm(screen_path)
    hw, hh, host_pixels = host
    # Tavlino draws 5-6-5 bits a pixel: compare those bits. SDL 2 widens
    # them to its 8-8-8 picture and shows it unscaled, as the display's mode
    # is the window's size.
    differ = same_565(board, host_pixels)
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
            check_hwclock(name, fields[3] if len(fields) > 3 else "", rtc)
        else:
            print("      %s: hwclock not compared: the board's busybox has a 32-bit time_t"
                  % name)


def check_hwclock(name, shown, rtc):
    """hwclock -r --utc ("Tue Mar  8 22:00:01 2011  0.000000 seconds") reads
    the instant RTC_RD_TIME read."""
    try:
        hw = calendar.timegm(time.strptime(shown.strip().rsplit("  ", 1)[0],
                                           "%a %b %d %H:%M:%S %Y"))
    except ValueError:
        hw = None
    check(hw is not None and abs(hw - rtc) <= 2, "%s: hwclock -r --utc reads the same instant"
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
    board = BOARDS[sys.argv[4]]
    against = os.path.abspath(sys.argv[5]) if len(sys.argv) > 5 else None
    if os.path.exists(os.path.join(work, "cost")):
        os.remove(os.path.join(work, "cost"))
    started = time.monotonic()
    unpacked, kernel = extract_debs(work)
    machine = list(board.machine)
    if "{dtb}" in machine:
        stock = glob.glob(os.path.join(unpacked, "usr/lib/linux-image-*/vexpress-v2p-ca9.dtb"))[0]
        dtb = os.path.join(work, "panel.dtb")
        subprocess.run(["sh", os.path.join(HERE, "panel_dtb.sh"), stock, dtb], check=True)
        machine[machine.index("{dtb}")] = dtb
    initramfs = os.path.join(work, "initramfs")
    libraries = make_initramfs(work, target, unpacked, initramfs, board)
    print("board %s: %s, initramfs %d KB with %d armhf libraries from its packages"
          % (board.name, os.path.basename(kernel), os.path.getsize(initramfs) // 1024, libraries))

    frame = host_screen(native, work)
    notice = host_notice(native, work)
    terminal = [host_terminal(native, case) for case in TERMINAL]
    screen_path = os.path.join(work, "screendump.ppm")
    if os.path.exists(screen_path):
        os.remove(screen_path)
    seen = []

    def await_notice(board):
        """Presses the keys of a save, then takes the screen until its help
        line shows the notice (or a minute has passed)."""
        board.press(SAVE_KEYS)
        path = os.path.join(work, "notice.ppm")
        for _ in range(60):
            board.screendump(path)
            w, h, pixels = read_ppm(path)
            if same_565(pixels[NOTICE_TOP * w * 3:], notice) == 0:
                seen.append(True)
                return
            time.sleep(1)

    handlers = {
        "device": {"keys-save": lambda board: board.press(SAVE_KEYS),
                   "keys-quit": lambda board: board.press(QUIT_KEYS),
                   "screen": lambda board: board.screendump(screen_path)},
        "no-cap": {"notice": await_notice},
    }
    for name, _ in board.boots:
        begun = time.monotonic()
        out = boot(work, machine, kernel, initramfs, name, handlers[name], 600,
                   os.path.join(work, "console-%s.log" % name))
        print("      boot %s: %.0f s" % (name, time.monotonic() - begun))
        check(b"@@ all done" in out, "boot %s ran every check (console in %s/console-%s.log)"
              % (name, work, name))
        if name == "device":
            check_device(out, board)
            check_cost(out, board, work, against)
            check_screen(out, screen_path, frame, board)
            check_saves(out)
            for case, host in zip(TERMINAL, terminal):
                check_terminal(out, case, host)
        else:
            check_no_cap(out, bool(seen))
    print("board %s: %d failures, %.0f s" % (board.name, len(failures), time.monotonic() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
