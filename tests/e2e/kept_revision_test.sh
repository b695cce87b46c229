#!/usr/bin/env bash
# ASPI platform, a drive that keeps its old revision until its power has been off (a restart does
# not do that): after the update and the restart FLINDOR says so and what to do; the record stays.
# A log of more than 256 KiB there at the start is put aside.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 500
$(flindor_zib_drive)
programming after-power-cycle
CONF
head -c 262145 /dev/zero >"$E2E_INSTALLED/FLINDOR.LOG" && echo old >"$E2E_INSTALLED/FLINDOR.OLD"
flindor_start_download
flindor_expect_completion
e2e_answer_box
flindor_expect_verdict 'The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 still reports DA12, not DA13: the download completed.\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again. If the drive then still reports DA12, download the image again.'
flindor_expect_record completed 64
[[ $(stat -c %s "$E2E_INSTALLED/FLINDOR.OLD") == 262145 ]] || e2e_fail "the big log was not put aside"
flindor_expect_log 'started: ASPI platform' 'update complete' 'started: ASPI platform'
e2e_pass
