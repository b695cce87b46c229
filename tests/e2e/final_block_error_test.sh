#!/usr/bin/env bash
# ASPI platform, the drive answers the final block with CHECK CONDITION: it may have begun to
# program its flash, so "ERROR  !!" over the panel, and for its programming allowance the bar goes
# on, the session may not end and the close box asks; Download does nothing more. Yes ends the
# run, with no completion message and no reboot; the next start does not call the update
# complete, as the drive still reports its old revision.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 1500
$(flindor_zib_drive)
fault 63 check-condition
CONF
flindor_start_download
e2e_dismiss_box WARNING 'ERROR  !!' --owner FLINDOR
flindor_expect_bar_grows

e2e_menu FLINDOR 40003
e2e_expect_only_windows FLINDOR
e2e_query_session_end FLINDOR
[[ $E2E_END_SESSION == 0 && $E2E_SUSPEND == 0x424D5144 ]] ||
  e2e_fail "the session may end while the drive may program: $E2E_END_SESSION, $E2E_SUSPEND"
flindor_close_while_programming Yes
e2e_expect_exit 0
flindor_expect_downloads $(seq 0 63)

flindor_start
e2e_wait_window FLINDOR
e2e_dismiss_box WARNING 'The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 still reports DA12, not DA13: the download stopped at block 63.\n\nSwitch the PC off, wait ten seconds, switch it on and start FLINDOR again. If the drive then still reports DA12, download the image again.' --owner FLINDOR
flindor_expect_record started 63
e2e_close FLINDOR
e2e_expect_exit 0
e2e_pass
