#!/usr/bin/env bash
# ASPI platform, an image one byte short: Open warns of its size and accepts it, but once the
# download is confirmed nothing is sent: the read failure is reported, no completion follows,
# and the run is no longer committed, so Exit ends the program.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
$(flindor_zib_drive)
CONF
short=$(flindor_image SHORT.BIN DA13X 131079)

flindor_start
e2e_wait_window FLINDOR
flindor_open "$short" --size-warning
flindor_confirm_download
e2e_dismiss_box WARNING 'FAIL TO READ FILE' --owner FLINDOR
e2e_expect_text FLINDOR 1002 'NOT OPEN'  # an ES_UPPERCASE field
e2e_expect_text FLINDOR 1009 'Not Open'
e2e_expect_no_box 2
flindor_expect_downloads
[[ ! -f $FLINDOR_FLASHED ]] || e2e_fail "the drive programmed its flash"

e2e_menu FLINDOR 40002
e2e_expect_exit 0
e2e_pass
