#!/usr/bin/env bash
# ASPI platform, a drive that keeps its old revision until its power has been off, which a
# restart of the PC does not do: the whole update and the reboot request; after the restart
# FLINDOR finds the drive still reporting its old revision and says so, with what to do; the
# record of the update stays, for the next start to check again.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 500
$(flindor_zib_drive)
programming after-power-cycle
CONF
flindor_start_download
flindor_expect_completion
e2e_answer_box
flindor_expect_verdict 'The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 still reports DA12, not DA13: the download completed.\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again. If the drive then still reports DA12, download the image again.'
flindor_expect_record completed 64
flindor_expect_flashed NEW.BIN
e2e_pass
