"""The emulated boards' initramfs: busybox as init with an inittab for each
boot, the ARM builds, util-linux's setpriv, the display's and keyboard's
modules, the users, the font, the zones and the cases for check.sh. The
Debian 12 board carries the armhf libraries the builds load, taken from its
packages; the Debian 13 board a whole userland unpacked from Debian 13's
packages (SDL 2 and Mesa load most of theirs with dlopen)."""
import glob
import lzma
import os
import re
import shutil
import subprocess
import sys
import tempfile

from board_cases import SAVES, SCREEN, TERMINAL, ZONES, utc

HERE = os.path.dirname(os.path.abspath(__file__))
ARM_LIBS = ["lib/arm-linux-gnueabihf", "usr/lib/arm-linux-gnueabihf",
            "usr/lib/arm-linux-gnueabihf/pulseaudio"]


def font_path(build):
    """The font file the build's Tavlino reads (CLOCKS_FONT_PATH)."""
    with open(os.path.join(build, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith("CLOCKS_FONT_PATH:"):
                return line.strip().split("=", 1)[1]
    sys.exit("board: no CLOCKS_FONT_PATH in %s" % build)


def extract_debs(work):
    """The packages in WORK/debs unpacked into WORK/unpacked, anew when they
    are not the ones unpacked last; its kernel."""
    root = os.path.join(work, "unpacked")
    debs = sorted(glob.glob(os.path.join(work, "debs", "*.deb")))
    stamp = os.path.join(work, "unpacked.list")
    listed = "".join(os.path.basename(d) + "\n" for d in debs)
    if not os.path.isdir(root) or not os.path.exists(stamp) or open(stamp).read() != listed:
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(root)
        for deb in debs:
            subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        write(stamp, listed)
    return root, glob.glob(os.path.join(root, "boot", "vmlinuz-*"))[0]


def module_order(unpacked, names):
    """The kernel modules for names, each after those it depends on (read
    from the modules' own "depends=" field), as paths below lib/modules."""
    tree = glob.glob(os.path.join(unpacked, "usr/lib/modules/*")) or \
        glob.glob(os.path.join(unpacked, "lib/modules/*"))
    paths = {}
    for path in glob.glob(os.path.join(tree[0], "kernel", "**", "*.ko*"), recursive=True):
        paths[re.sub(r"\.ko(\.xz)?$", "", os.path.basename(path)).replace("-", "_")] = path
    order = []

    def visit(name):
        if paths[name] in order:
            return
        data = module_bytes(paths[name])
        found = re.search(rb"\0depends=([^\0]*)\0", data)
        for dep in (found.group(1).decode().split(",") if found else []):
            if dep:
                visit(dep.replace("-", "_"))
        order.append(paths[name])

    for name in names:
        visit(name)
    return order


def module_bytes(path):
    return lzma.open(path).read() if path.endswith(".xz") else open(path, "rb").read()


def needed(path):
    out = subprocess.run(["readelf", "-d", path], capture_output=True, text=True).stdout
    return [l.split("[")[1].split("]")[0] for l in out.splitlines() if "(NEEDED)" in l]


def library_closure(programs, unpacked):
    found, todo = {}, list(programs)
    dirs = [os.path.join(unpacked, d) for d in ARM_LIBS]
    while todo:
        for name in needed(todo.pop()):
            if name in found:
                continue
            for d in dirs:
                if os.path.exists(os.path.join(d, name)):
                    found[name] = os.path.realpath(os.path.join(d, name))
                    todo.append(found[name])
                    break
            else:
                sys.exit("board: no armhf library %s" % name)
    return found


# The kernel starts /init, which picks the boot's inittab from the kernel's
# command line (board.boot=NAME) and hands over to busybox's init.
INIT = """#!/bin/busybox sh
/bin/busybox --install -s
mount -t proc proc /proc
mount -t devtmpfs dev /dev
boot=device
for word in $(cat /proc/cmdline); do
  case $word in board.boot=*) boot=${word#board.boot=} ;; esac
done
echo $boot > /board/boot
cp /board/inittab.$boot /etc/inittab
exec /sbin/init
"""
# The device's users: Tavlino's own, in the video group (the framebuffer, the
# DRM device) and the input group (the keyboard's event device SDL 2 reads).
PASSWD = "root:x:0:0:root:/root:/bin/sh\ntavlino:x:1000:1000:Tavlino:/:/bin/false\n"
GROUP = "root:x:0:\nvideo:x:44:tavlino\ninput:x:101:tavlino\ntavlino:x:1000:\n"


def write(path, text, mode=0o644):
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, mode)


# What a whole userland from Debian's packages needs no copy of on the board.
UNUSED = ["boot", "usr/share/doc", "usr/share/man", "usr/share/locale", "usr/share/lintian",
          "usr/lib/modules", "lib/modules"]


def userland_tree(tree, unpacked):
    """The Debian 13 board's root: every unpacked package, with /usr merged."""
    for name in os.listdir(unpacked):
        source = os.path.join(unpacked, name)
        if os.path.isdir(source) and not os.path.islink(source):
            shutil.copytree(source, os.path.join(tree, name), symlinks=True,
                            ignore=lambda d, names: [n for n in names if os.path.relpath(
                                os.path.join(d, n), unpacked) in UNUSED])
    for name in ["bin", "sbin", "lib"]:
        if not os.path.exists(os.path.join(tree, name)):
            os.symlink("usr/" + name, os.path.join(tree, name))


def make_initramfs(work, target, unpacked, out, board):
    """The board's initramfs in out; returns the number of armhf libraries
    copied from its packages (none for a whole userland)."""
    tree = tempfile.mkdtemp(dir=work)
    os.chmod(tree, 0o755)  # the root folder, which Tavlino's user must get through
    if board.userland:
        userland_tree(tree, unpacked)
    for d in ["bin", "sbin", "usr/bin", "usr/sbin", "etc", "dev", "proc", "sys", "tmp", "root",
              "board", "lib/arm-linux-gnueabihf"]:
        os.makedirs(os.path.join(tree, d), exist_ok=True)
    if not board.userland:
        shutil.copy(os.path.join(unpacked, "bin", "busybox"), os.path.join(tree, "bin"))
    write(os.path.join(tree, "init"), INIT, 0o755)
    write(os.path.join(tree, "etc/passwd"), PASSWD)
    write(os.path.join(tree, "etc/group"), GROUP)
    for name, line in board.boots:
        write(os.path.join(tree, "board", "inittab." + name),
              "::sysinit:/board/sysinit.sh\n%s\n" % line)
    # The modules, uncompressed, in the order sysinit.sh loads them.
    loaded = []
    for path in module_order(unpacked, board.modules):
        dest = os.path.join("/board/modules", os.path.basename(path).replace(".xz", ""))
        os.makedirs(os.path.join(tree, "board/modules"), exist_ok=True)
        with open(tree + dest, "wb") as f:
            f.write(module_bytes(path))
        loaded.append(dest)
    write(os.path.join(tree, "board/modules.load"), "".join(m + "\n" for m in loaded))

    programs = [os.path.join(target, p) for p in
                ["tessavond", "tessavond-musl", "libsdl_shim.so", "libclock_shim.so",
                 "board_clock"]]
    for p in programs + [os.path.join(HERE, "check.sh"), os.path.join(HERE, "sysinit.sh")]:
        shutil.copy(p, os.path.join(tree, "board"))
        os.chmod(os.path.join(tree, "board", os.path.basename(p)), 0o755)
    shutil.copy(os.path.join(target, "Tavlino"), os.path.join(tree, "usr/bin/Tavlino"))
    libs = {}
    if not board.userland:
        setpriv = os.path.join(unpacked, "usr/bin/setpriv")
        shutil.copy(setpriv, os.path.join(tree, "usr/bin/setpriv"))
        libs = library_closure(programs + [os.path.join(target, "Tavlino"), setpriv], unpacked)
        for name, path in libs.items():
            shutil.copy(path, os.path.join(tree, "lib/arm-linux-gnueabihf", name))
        loader = "lib/arm-linux-gnueabihf/ld-linux-armhf.so.3"
        shutil.copy(os.path.join(unpacked, loader), os.path.join(tree, loader))
        os.symlink("/" + loader, os.path.join(tree, "lib/ld-linux-armhf.so.3"))
    font = font_path(target)
    os.makedirs(os.path.dirname(os.path.join(tree, font.lstrip("/"))), exist_ok=True)
    shutil.copy(os.path.realpath(font), os.path.join(tree, font.lstrip("/")))
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
        # A whole userland goes uncompressed: the emulated processor would
        # take longer to unpack it than the host to load it.
        f.write(archive if board.userland else
                subprocess.run(["gzip", "-1"], input=archive, capture_output=True,
                               check=True).stdout)
    shutil.rmtree(tree)
    return len(libs)
