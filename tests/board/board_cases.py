"""What the board check runs and expects: the boots, the saves, the screen
and the terminal clock's runs (the board reads them from files in its
initramfs)."""
import calendar
import collections
import os
import time

# The zones whose files the board carries.
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

# The boots. The board's init starts Tavlino with the line the device guide gives
# device builders, word for word; the second boot takes the right to set the
# clock away from it.
GUIDE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "device.md")
CAPS = "--inh-caps=-all,+sys_time --ambient-caps=+sys_time --bounding-set=-all,+sys_time"
NO_CAPS = "--inh-caps=-all --bounding-set=-all"


def inittab_line():
    """The device guide's busybox inittab line for Tavlino."""
    with open(GUIDE) as f:
        lines = [l.strip() for l in f if l.strip().startswith("tty1::respawn:")]
    assert len(lines) == 1 and CAPS in lines[0], "docs/device.md: one inittab line with %s" % CAPS
    return lines[0]


BOOTS = [("device", inittab_line()), ("no-cap", inittab_line().replace(CAPS, NO_CAPS))]

# The boards. Each: its name; its boots; the kernel modules sysinit.sh loads;
# whether its userland is the whole of Debian's packages (else the
# libraries the builds load); QEMU's machine; what its display must be.
BoardKind = collections.namedtuple("BoardKind", "name boots modules userland machine display")
BOARDS = {board.name: board for board in [
    # Debian 12, classic SDL on the PL111's framebuffer (a device tree with a
    # 320x240 panel, panel_dtb.sh), the keyboard on a PL050.
    BoardKind("vexpress", BOOTS, ["ambakmi"], False,
              ["-M", "vexpress-a9", "-dtb", "{dtb}"], "fb0=320,240/16"),
    # Debian 13, sdl12-compat on SDL 2's KMSDRM: a virtio GPU whose one
    # output offers 320x240 first, a virtio keyboard, the PL031.
    BoardKind("virt", BOOTS[:1], ["virtio_mmio", "virtio_gpu", "virtio_input", "evdev"], True,
              ["-M", "virt,highmem=off", "-cpu", "cortex-a15",
               "-global", "virtio-mmio.force-legacy=false",
               "-device", "virtio-gpu-device,xres=320,yres=240",
               "-device", "virtio-keyboard-device", "-nic", "none"], "drm=320x240"),
]}

# The most the DRM board's Tavlino may cost in processor time, as a multiple
# of the fbdev board's in the same run. SDL 2 draws every frame on DRM
# through OpenGL in software, whatever its renderer: with the device guide's
# settings that is 2.4 to 4 times the fbdev board's, run to run; with SDL
# 2's OpenGL renderer 3.6 to 6.6 times, with Mesa's softpipe about ten
# (docs/performance.md).
DRM_CPU_LIMIT = 6

# Real key presses (QEMU monitor sendkey): edit, the hour field, one up, save.
SAVE_KEYS = ["ret", "right", "right", "right", "up", "ret"]
SAVE_STEP = 3600
QUIT_KEYS = ["esc"]
