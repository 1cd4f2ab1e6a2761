#!/bin/sh
# The board's side of scripts/test-board, started by sysinit.sh on the serial
# console while init starts Tavlino on tty1 from the device guide's inittab line.
# Every line for the host starts with "@@"; "@@ NAME ready" asks the host to
# act (take the screen, press keys) and waits for its answer.
#   /board/boot: the boot, "device" or "no-cap"
#   /board/cases: "name|TZ|start seconds|SDL shim script" per save to check
#   /board/screen: "TZ|seconds|script" for the frame compared with the host's
#   /board/terminal: "program|TZ|seconds|rows|cols|arguments" per run of the
#                    terminal clock on this console
set -u
export PATH=/bin:/sbin:/usr/bin:/usr/sbin LD_LIBRARY_PATH=/lib/arm-linux-gnueabihf
# The environment the device guide's line gives Tavlino, for the runs here too.
# shellcheck disable=SC2046 # its words are NAME=VALUE, one each
export $(sed -n 's|^tty1::[a-z]*:/usr/bin/env \(.*\) /usr/bin/setpriv .*|\1|p' /etc/inittab)
b=/board

ask() {
  echo "@@ $1 ready"
  read -r answer
}

# The system clock and the RTC, each less the seconds since boot: a save
# moves these, time passing does not.
clocks() {
  up=$(cut -d. -f1 /proc/uptime)
  set -- $($b/board_clock show)
  system=${1#system=} rtc=${2#rtc=}
  echo "system-up=$((system - up)) rtc-up=$((rtc - up))"
}

# Who shows the DRM display's picture: "Tavlino", "[fbcon]" (the console),
# or nothing where the display is a framebuffer alone.
display_owner() {
  sed -n 's/.*allocated by = //p' /sys/kernel/debug/dri/0/state 2>/dev/null | head -n 1
}

# Hundredths of a second since boot.
uptime_cs() {
  awk '{ printf "%d", $1 * 100 }' /proc/uptime
}

# Tavlino from inittab has its display: classic SDL has taken the terminal
# into graphics mode, SDL 2 has put its own picture on the DRM display.
# With "cost", what it costs once it runs, the same way on every board: its
# processor time (user and system, all its threads, in the kernel's 10 ms
# ticks) over 20 s of the clock running, from 5 s after that first frame
# (SDL 2's OpenGL renderer is still compiling its shaders for a second or
# two after it), and its memory.
wait_for_tavlino() {
  i=0
  while [ "$($b/board_clock vt-mode /dev/tty1)" != graphics ] && [ "$(display_owner)" != Tavlino ] &&
        [ $i -lt 1200 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  shown=$(uptime_cs)
  pid=$(pidof Tavlino)
  echo "@@ tavlino $pid on tty1 as $(grep -E '^(Uid|CapEff)' /proc/$pid/status | tr -s '\t\n' '  ')"
  [ "${1:-}" = cost ] || return 0
  sleep 5
  from=$(uptime_cs)
  set -- $(cut -d' ' -f14,15 /proc/$pid/stat)
  ticks=$(($1 + $2))
  sleep 20
  set -- $(cut -d' ' -f14,15 /proc/$pid/stat)
  echo "@@ cost shown-at-cs=$shown cpu-ms=$((($1 + $2 - ticks) * 10)) over-ms=$((($(uptime_cs) - from) * 10))" \
    "rss-kb=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' /proc/$pid/status)"
}

if [ "$(cat $b/boot)" = no-cap ]; then
  wait_for_tavlino
  before=$(clocks)
  ask notice # the host presses the keys of a save and waits for the notice
  echo "@@ notice clocks|$before|$(clocks)"
  echo "@@ all done"
  poweroff -f
fi

# Tavlino as init started it: real keys save an hour on, then Escape quits.
wait_for_tavlino cost
before=$(clocks)
ask keys-save
i=0
while [ $i -lt 300 ]; do
  set -- $(clocks) $before
  [ $((${1#system-up=} - ${3#system-up=})) -gt 1800 ] && break
  sleep 0.1
  i=$((i + 1))
done
echo "@@ keys saved|$before|$(clocks)|$($b/board_clock show)|$(hwclock -r -u 2>&1)"
# No respawn after the quit: init reads its table again, the line now once.
sed -i 's/^tty1::respawn:/tty1::once:/' /etc/inittab
kill -HUP 1
ask keys-quit
i=0
while pidof Tavlino > /dev/null && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
echo "@@ keys quit|running=$(pidof Tavlino)|tty1=$($b/board_clock vt-mode /dev/tty1)$(
  [ -e /dev/dri/card0 ] && echo "|display=$(display_owner)")"

# The screen: the clock at a fixed time (clock shim), held by the SDL shim
# until the host has taken the screen.
IFS='|' read -r tz seconds script < $b/screen
mkdir -p /tmp/frames
TZ=$tz SHIM_TIME=$seconds SHIM_FRAMES=/tmp/frames SHIM_SCRIPT="$script" \
  LD_PRELOAD="$b/libsdl_shim.so $b/libclock_shim.so" Tavlino > /tmp/tavlino.out 2>&1 &
tavlino=$!
i=0
while [ ! -e /tmp/go.waiting ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
echo "@@ display fb0=$(cat /sys/class/graphics/fb0/virtual_size)/$(cat /sys/class/graphics/fb0/bits_per_pixel)$(
  [ -e /dev/dri/card0 ] && echo " drm=$(head -n 1 /sys/class/drm/card0-*/modes)")"
ask screen
touch /tmp/go
wait $tavlino
echo "@@ screen done status=$? $(cat /tmp/tavlino.out)"

# Saves through the real system clock and /dev/rtc0: no clock shim here.
while IFS='|' read -r name tz seconds script; do
  $b/board_clock set "$seconds" || echo "@@ save $name: the clock could not be set"
  TZ=$tz SHIM_SCRIPT="$script" LD_PRELOAD=$b/libsdl_shim.so Tavlino > /tmp/tavlino.out 2>&1
  status=$?
  echo "@@ save $name|status=$status|$($b/board_clock show)|$(hwclock -r -u 2>&1)|$(cat /tmp/tavlino.out)"
done < $b/cases

# The terminal clock on this serial console at a fixed time: through the
# clock shim, or, for the static musl build that no preload reaches, with the
# board's clock set to that time just before (no seconds shown, so the
# minute stays as it was set).
while IFS='|' read -r program tz seconds rows cols args; do
  preload=$b/libclock_shim.so
  if [ "$program" = tessavond-musl ]; then
    preload=
    $b/board_clock set "$seconds"
  fi
  stty -F /dev/ttyAMA0 rows "$rows" cols "$cols"
  echo "@@ terminal $program begin"
  TZ=$tz SHIM_TIME=$seconds LD_PRELOAD=$preload \
    setsid -c $b/$program $args < /dev/ttyAMA0 > /dev/ttyAMA0 2> /tmp/tessavond.err &
  clock=$!
  sleep 3
  kill -TERM $clock
  wait $clock
  status=$?
  echo
  echo "@@ terminal $program end status=$status $(cat /tmp/tessavond.err)"
done < $b/terminal
echo "@@ all done"
poweroff -f
