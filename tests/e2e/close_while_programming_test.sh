#!/usr/bin/env bash
# Closing while the drive programs its flash, and answering Yes: the program ends at once with
# exit code 0 and no crash, although the ASPI manager still holds the final block's request.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 8000
$(flindor_zib_drive)
CONF
flindor_start_download
flindor_wait_programming
flindor_close_while_programming Yes
e2e_expect_exit 0 3  # at once, while the drive still programs
flindor_expect_flashed NEW.BIN  # written as the drive began to program
e2e_pass
