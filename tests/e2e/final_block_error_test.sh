#!/usr/bin/env bash
# ASPI platform, the final block ends with an error after the drive took it: "ERROR  !!" over
# the panel. Whether the drive programs its flash is unknown, so for its programming allowance
# the bar goes on, the session may not end and the close box asks; Download does nothing more.
# Yes ends the run, with no completion message and no reboot.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 1500
$(flindor_zib_drive)
fault 63 aspi-error
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
e2e_pass
