#!/usr/bin/env bash
# The whole update on the pass-through platform, through Wine's own pass-through code: blocks 0
# to 62 go out, then the caution message (no owner) holds back the final block until it is
# closed; while the drive programs its flash the window stays alive and the progress bar grows;
# the completion message, the reboot request and the end. The drive got the 64 blocks once
# each, in order, with their lengths, CRCs and time-outs, through one handle opened for the run
# (and one for discovery's INQUIRY), and flashed the image's data.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install nt <<CONF
programming-delay-ms 5000
$(flindor_zib_drive E)
CONF
flindor_start_download
flindor_expect_caution
flindor_expect_downloads $(seq 0 62)
e2e_answer_box
flindor_wait_programming
flindor_expect_bar_grows

flindor_expect_completion
flindor_expect_full_bar_and_reboot
flindor_expect_downloads $(seq 0 63)
flindor_expect_descriptors 2
flindor_expect_flashed NEW.BIN
# Wine has neither control on the volume: the run went on, and the log says so.
flindor_expect_log \
  "media-change polling of drive E: not turned off: IOCTL_STORAGE_MCN_CONTROL failed with error 50" \
  "exclusive access to drive E: not available: IOCTL_CDROM_EXCLUSIVE_ACCESS failed with error 50"
e2e_pass
