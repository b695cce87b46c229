#!/usr/bin/env bash
# Pass-through platform, two blocks that fail and are resumed: block 10 refused by the drive
# with CHECK CONDITION (no message of the transport, then the sequencer's), block 20 taken by
# the drive but its answer lost (Wine's error for EIO: the write error with the block number).
# Each Download goes on from the failed block without asking again, and the update completes
# with the image's data in the flash.
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
e2e_expect_exit 0
flindor_expect_downloads $(seq 0 10) $(seq 10 20) $(seq 20 63)
flindor_expect_flashed NEW.BIN
e2e_pass
