#!/usr/bin/env bash
# ASPI platform, an image one byte short: Open warns of its size, cannot read it whole and does
# not accept it. A Download then finds no image, nothing is sent, and Exit ends the program.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
$(flindor_zib_drive)
CONF
short=$(flindor_image SHORT.BIN DA13X 131079)

flindor_start
e2e_wait_window FLINDOR
e2e_menu FLINDOR 40005
e2e_choose_file "$short"
e2e_dismiss_box WARNING 'FILE SIZE IS DIFFERENT!!' --owner FLINDOR
e2e_dismiss_box WARNING 'FAIL TO READ FILE' --owner FLINDOR
e2e_expect_text FLINDOR 1002 'NOT OPEN'  # an ES_UPPERCASE field
e2e_expect_text FLINDOR 1009 'Not Open'
e2e_menu FLINDOR 40003
e2e_dismiss_box WARNING 'FLASH FILE NOT OPEN!!' --owner FLINDOR
e2e_expect_no_box 2
flindor_expect_downloads
[[ ! -f $FLINDOR_FLASHED ]] || e2e_fail "the drive programmed its flash"

e2e_menu FLINDOR 40002
e2e_expect_exit 0
e2e_pass
