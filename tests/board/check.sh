#!/bin/sh
# The board's side of scripts/test-board, run by the emulated machine's init.
# Every line for the host starts with "@@"; the host answers on the console
# where it must act first (the screen is taken through QEMU's monitor).
#   /board/cases: "name|TZ|start seconds|SDL shim script" per save to check
#   /board/screen: "TZ|seconds|script" for the frame compared with the host's
#   /board/terminal: "program|TZ|seconds|rows|cols|arguments" per run of the
#                    terminal clock on this console
set -u
export PATH=/bin LD_LIBRARY_PATH=/lib/arm-linux-gnueabihf
export SDL_VIDEODRIVER=fbcon SDL_FBDEV=/dev/fb0 SDL_NOMOUSE=1
b=/board

# The screen: the clock at a fixed time (clock shim), held by the SDL shim
# until the host has taken the screen.
IFS='|' read -r tz seconds script < $b/screen
mkdir -p /tmp/frames
TZ=$tz SHIM_TIME=$seconds SHIM_FRAMES=/tmp/frames SHIM_SCRIPT="$script" \
  LD_PRELOAD="$b/libsdl_shim.so $b/libclock_shim.so" $b/Tavlino > /tmp/tavlino.out 2>&1 &
tavlino=$!
i=0
while [ ! -e /tmp/go.waiting ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
echo "@@ screen ready $(cat /sys/class/graphics/fb0/virtual_size) $(cat /sys/class/graphics/fb0/bits_per_pixel)"
read -r answer
touch /tmp/go
wait $tavlino
echo "@@ screen done status=$? $(cat /tmp/tavlino.out)"

# Saves through the real system clock and /dev/rtc0: no clock shim here.
while IFS='|' read -r name tz seconds script; do
  $b/board_clock set "$seconds" || echo "@@ save $name: the clock could not be set"
  TZ=$tz SHIM_SCRIPT="$script" LD_PRELOAD=$b/libsdl_shim.so $b/Tavlino > /tmp/tavlino.out 2>&1
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
