#!/usr/bin/env bash
# Pass-through platform, two blocks that fail and are resumed: block 10 refused by the drive
# with CHECK CONDITION (no message of the transport, then the sequencer's), block 20 taken by
# the drive but its answer lost (Wine's error for EIO: the write error with the block number).
# Each Download goes on from the failed block without asking again, through a handle of its
# own opened and closed once (each stretch of blocks has one), and the update completes
# with the image's data in the flash. After the restart FLINDOR says that the drive reports the
# new revision and clears the record; FLINDOR.LOG holds both runs.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install nt <<CONF
programming-delay-ms 1000
$(flindor_zib_drive E)
fault 10 check-condition
fault 20 ioctl-fails
CONF
flindor_start_download
e2e_dismiss_box WARNING 'FAIL TO Write Download FILE' --no-owner
flindor_expect_downloads $(seq 0 10)
grep -q 'block=10 .* -> CHECK CONDITION (fault check-condition)$' "$FLINDOR_TRANSCRIPT" ||
  e2e_fail "the drive did not refuse block 10"

e2e_menu FLINDOR 40003
e2e_dismiss_box Info ' Download File Write Error : 20' --no-owner
e2e_dismiss_box WARNING 'FAIL TO Write Download FILE' --no-owner
flindor_expect_downloads $(seq 0 10) $(seq 10 20)

e2e_menu FLINDOR 40003
e2e_expect_no_window 'Continue ?'
flindor_expect_caution
e2e_answer_box
flindor_expect_completion
flindor_expect_descriptors 4  # discovery's, and one for each stretch of blocks
e2e_answer_box
flindor_expect_verdict 'The drive now reports DA13.\n\nThe firmware update is complete.'
flindor_expect_record absent
flindor_expect_downloads $(seq 0 10) $(seq 10 20) $(seq 20 63)
flindor_expect_flashed NEW.BIN
flindor_expect_log 'started: pass-through' 'block 10 failed: error 0, SCSI status 0x02, sense 70 00 03' \
  'block 20 failed: error 21' 'restart of the PC requested' 'started: pass-through' 'update check: The drive now reports DA13.  The firmware update is complete. (record cleared)'
e2e_pass
