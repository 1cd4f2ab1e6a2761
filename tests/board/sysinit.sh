#!/bin/sh
# The board's start-up, as a device's would be (busybox init runs it first):
# the keyboard's driver, the devices made over to Tavlino's user and group,
# and then the check, on the serial console, beside what init starts.
export PATH=/bin:/sbin:/usr/bin:/usr/sbin
mount -t sysfs sys /sys
mount -t tmpfs tmp /tmp
insmod /lib/modules/$(uname -r)/kernel/drivers/input/serio/ambakmi.ko
chgrp video /dev/fb0 && chmod 660 /dev/fb0
chgrp tavlino /dev/rtc0 && chmod 660 /dev/rtc0
chown tavlino:tavlino /dev/tty1
# The host's answers are not echoed into the board's lines.
stty -F /dev/console -echo
setsid /board/check.sh < /dev/console > /dev/console 2>&1 &
