#!/bin/sh
# The board's start-up, as a device's would be (busybox init runs it first):
# the display's and keyboard's drivers, the devices made over to Tavlino's
# user and groups, and then the check, on the serial console, beside what
# init starts.
export PATH=/bin:/sbin:/usr/bin:/usr/sbin
mount -t sysfs sys /sys
mount -t tmpfs tmp /tmp
mount -t debugfs debug /sys/kernel/debug
for module in $(cat /board/modules.load); do insmod "$module"; done
for device in /dev/fb0 /dev/dri/card*; do
  [ -e "$device" ] && chgrp video "$device" && chmod 660 "$device"
done
for device in /dev/input/event*; do
  [ -e "$device" ] && chgrp input "$device" && chmod 660 "$device"
done
chgrp tavlino /dev/rtc0 && chmod 660 /dev/rtc0
chown tavlino:tavlino /dev/tty1
# The host's answers are not echoed into the board's lines.
stty -F /dev/console -echo
setsid /board/check.sh < /dev/console > /dev/console 2>&1 &
