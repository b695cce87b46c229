#!/usr/bin/env bash
# ASPI platform, the drive's answer to block 10 lost once: the error message over the panel,
# nothing more sent; a second Download goes on from block 10 without asking again, and the
# update completes with the image's data in the flash. After the restart FLINDOR says that the
# drive reports the new revision and clears the record; FLINDOR.LOG holds both runs.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 1000
$(flindor_zib_drive)
fault 10 aspi-error
CONF
image=$(flindor_image NEW.BIN DA13X)

flindor_start
e2e_wait_window FLINDOR
flindor_open "$image" --toolbar
flindor_confirm_download
# Shown by the control panel, so its owner is the window that holds the panel.
e2e_dismiss_box WARNING 'ERROR  !!' --owner FLINDOR
flindor_expect_downloads $(seq 0 10)
[[ ! -f $FLINDOR_FLASHED ]] || e2e_fail "the drive programmed its flash after a failed block"
flindor_expect_record started 10

e2e_menu FLINDOR 40003
e2e_expect_no_window 'Continue ?'
flindor_expect_completion
e2e_answer_box
flindor_expect_verdict 'The drive now reports DA13.\n\nThe firmware update is complete.'
flindor_expect_record absent

flindor_expect_downloads $(seq 0 10) $(seq 10 63)
flindor_expect_flashed NEW.BIN
flindor_expect_log 'started: ASPI' 'block 10 failed: ASPI status 0x04, host status 0x09' \
  'resumed at block 10' 'restart of the PC requested' 'started: ASPI' 'update check: The drive now reports DA13.  The firmware update is complete. (record cleared)'
e2e_pass
