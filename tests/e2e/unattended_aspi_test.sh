#!/usr/bin/env bash
# ASPI platform, nobody at the PC: started with a command line, the program shows no dialog and
# asks nothing, and ends by itself with the run's result as its exit code. An unknown switch does
# nothing (2); /check finds the drive and finds the image newer (0); an older image sends nothing
# (5); /update /noreboot shows its window while it sends the whole image and ends with 3010.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 3000
$(flindor_zib_drive)
CONF
new=$(flindor_image NEW.BIN DA13X)
old=$(flindor_image OLD.BIN DA11X)

flindor_start /bogus
flindor_expect_result 2
flindor_start /check "$new"
flindor_expect_result 0
flindor_start -UPDATE "$old"
flindor_expect_result 5
flindor_expect_downloads

flindor_start /update "$new" /noreboot
e2e_wait_window FLINDOR
flindor_expect_result 3010
flindor_expect_downloads $(seq 0 63)
flindor_expect_flashed NEW.BIN
flindor_expect_record completed 64
flindor_expect_log 'command line: /update C:\IMAGES\NEW.BIN /noreboot' 'message (SUCCESS): '
e2e_pass
