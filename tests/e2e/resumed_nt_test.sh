#!/usr/bin/env bash
# Pass-through platform, two blocks that fail and are resumed: block 10 refused by the drive
# with CHECK CONDITION (no message of the transport, then the sequencer's), block 20 taken by
# the drive but its answer lost (Wine's error for EIO: the write error with the block number).
# Each Download goes on from the failed block without asking again, and the update completes
# with the image's data in the flash. After the reboot request FLINDOR comes back, as after a
# restart of the PC, finds the drive reporting the new revision (through the same pass-through
# route: the restarted copy inherits the simulated drive) and says so; the record of the update
# is cleared, and FLINDOR.LOG holds both runs with the raw answers of the failed blocks.
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
e2e_answer_box
flindor_expect_verdict 'The drive now reports DA13.\n\nThe firmware update is complete.'
flindor_expect_record absent
flindor_expect_downloads $(seq 0 10) $(seq 10 20) $(seq 20 63)
flindor_expect_flashed NEW.BIN
flindor_expect_log 'FLINDOR 1.3.0.1 started: pass-through platform' \
  'block 10 failed: error 0, SCSI status 0x02, sense 70 00 03 00 00 00 00 0A 00 00 00 00 0C' \
  'resumed at block 10' 'block 20 failed: error 21, SCSI status 0x00' 'resumed at block 20' \
  'update complete' 'FLINDOR 1.3.0.1 started' 'drive found: ZIB DVD-ROM KMX4820T, revision DA13' \
  'update check: The drive now reports DA13.  The firmware update is complete. (record cleared)'
e2e_pass
