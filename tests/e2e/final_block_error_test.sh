#!/usr/bin/env bash
# ASPI platform, the final block ends with an error after the drive took it: "ERROR  !!" over
# the panel, and the progress bar stops where it stood rather than filling up as if the update
# had succeeded. Download does nothing more (whether the drive programmed is unknown); the
# window's close box ends the run, with no completion message and no reboot.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 2500
$(flindor_zib_drive)
fault 63 aspi-error
CONF
flindor_start_download
e2e_dismiss_box WARNING 'ERROR  !!' --owner FLINDOR

# The bar ran while the drive was busy; from the error on it stands still.
sleep 0.5
e2e_screenshot stopped
flindor_read_strip
flindor_expect_progress 2 6
stopped=$FLINDOR_STEP
sleep 3
e2e_screenshot still
flindor_read_strip
flindor_expect_progress "$stopped" "$stopped"

e2e_menu FLINDOR 40003
e2e_expect_only_windows FLINDOR
e2e_close FLINDOR
e2e_expect_exit 0
flindor_expect_downloads $(seq 0 63)
e2e_pass
