#!/usr/bin/env bash
# The whole update on the pass-through platform, through Wine's own pass-through code: blocks 0
# to 62 go out, then the caution message (no owner) holds back the final block until it is
# closed; while the drive programs its flash the window stays alive and the progress bar grows;
# the completion message, the reboot request and the end. The drive got the 64 blocks once
# each, in order, with their lengths, CRCs and time-outs, and flashed the image's data.
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
flindor_expect_flashed NEW.BIN
e2e_pass
