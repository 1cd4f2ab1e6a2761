#!/bin/sh
# panel_dtb.sh STOCK_DTB OUT_DTB: the board's device tree with a 320x240 panel.
# The stock tree wires both display controllers to a DVI transmitter whose
# driver the kernel lacks, so neither makes a framebuffer. Here the core
# tile's controller drives a panel-dpi node instead, and the motherboard's is
# switched off. The display driver picks the largest depth the controller's
# max-memory-bandwidth allows at the panel's pixel clock (bytes per second
# over Hz, rounded down to a power of two): 25 MB/s at 10 MHz gives 16 bits.
set -eu
stock=$1 out=$2
cp "$stock" "$out"
clcd=/clcd@10020000
panel=/panel
# The motherboard's controller sits beside its first I2C bus.
board_clcd=$(fdtget "$out" /aliases i2c0 | sed 's#/i2c@16000$#/clcd@1f000#')

clcd_endpoint=$(fdtget -t u "$out" $clcd/port/endpoint phandle)
panel_endpoint=65000 # a phandle the stock tree does not use

fdtput -c "$out" $panel $panel/port $panel/port/endpoint $panel/panel-timing
fdtput -t s "$out" $panel compatible panel-dpi
fdtput -t u "$out" $panel/port/endpoint phandle $panel_endpoint
fdtput -t u "$out" $panel/port/endpoint remote-endpoint "$clcd_endpoint"
t=$panel/panel-timing
fdtput -t u "$out" $t clock-frequency 10000000
fdtput -t u "$out" $t hactive 320
fdtput -t u "$out" $t vactive 240
fdtput -t u "$out" $t hfront-porch 20
fdtput -t u "$out" $t hback-porch 20
fdtput -t u "$out" $t hsync-len 10
fdtput -t u "$out" $t vfront-porch 5
fdtput -t u "$out" $t vback-porch 5
fdtput -t u "$out" $t vsync-len 2

fdtput -t u "$out" $clcd/port/endpoint remote-endpoint $panel_endpoint
fdtput -t u "$out" $clcd max-memory-bandwidth 25000000
fdtput -t s "$out" "$board_clcd" status disabled
