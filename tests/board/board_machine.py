"""Booting the emulated board: QEMU's vexpress-a9 on a serial console, no
display; the monitor on a socket, for the screen."""
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
            print("board: not finished within %d s" % timeout)
    finally:
        if qemu.poll() is None:
            os.killpg(qemu.pid, signal.SIGKILL)
        qemu.wait()
    return out
