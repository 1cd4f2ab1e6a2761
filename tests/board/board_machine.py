"""Booting an emulated board on a serial console, no display; the monitor on
a socket, for the screen and the keyboard."""
import os
import select
import signal
import socket
import subprocess
import time


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


class Board:
    """What a handler may do to the running board."""

    def __init__(self, sock_path):
        self.sock_path = sock_path

    def screendump(self, path):
        if os.path.exists(path):
            os.remove(path)
        monitor_command(self.sock_path, "screendump " + path)

    def press(self, keys):
        """Real key presses on the board's keyboard."""
        for key in keys:
            monitor_command(self.sock_path, "sendkey " + key)
            time.sleep(0.3)


def boot(work, machine, kernel, initramfs, boot_name, handlers, timeout, log_path):
    """Boots the board and reads its console to the end, kept as it comes in
    log_path. Each complete line "@@ NAME ready" runs handlers[NAME](board),
    then the board is answered. Returns the console's bytes."""
    sock_path = os.path.join(work, "monitor.sock")
    if os.path.exists(sock_path):
        os.remove(sock_path)
    argv = ["qemu-system-arm"] + machine + ["-m", "1024M", "-kernel", kernel,
            "-initrd", initramfs,
            "-append", "console=ttyAMA0 quiet loglevel=0 rdinit=/init panic=-1 board.boot="
            + boot_name,
            "-display", "none", "-serial", "stdio", "-monitor",
            "unix:%s,server,nowait" % sock_path, "-no-reboot"]
    qemu = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, env=dict(os.environ, QEMU_AUDIO_DRV="none"),
                            start_new_session=True)
    board = Board(sock_path)
    out, seen, end = b"", 0, time.monotonic() + timeout
    log = open(log_path, "wb")
    try:
        while time.monotonic() < end:
            if not select.select([qemu.stdout], [], [], 1)[0]:
                continue
            chunk = os.read(qemu.stdout.fileno(), 65536)
            if not chunk:
                break
            out += chunk
            log.write(chunk)
            log.flush()
            # Only complete lines are acted on.
            while b"\n" in out[seen:]:
                line_end = out.index(b"\n", seen)
                line = out[seen:line_end].decode("utf-8", "replace").strip()
                seen = line_end + 1
                if line.startswith("@@ ") and line.endswith(" ready"):
                    handlers[line[3:-6]](board)
                    qemu.stdin.write(b"go\n")
                    qemu.stdin.flush()
        else:
            print("board: not finished within %d s" % timeout)
    finally:
        log.close()
        if qemu.poll() is None:
            os.killpg(qemu.pid, signal.SIGKILL)
        qemu.wait()
    return out
