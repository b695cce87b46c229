#!/usr/bin/env bash
# ASPI platform, the ZIB drive at target 1 and another maker's CD/DVD drive found after it at
# target 3, whose revision begins with the model letters too: the ZIB drive is the default
# target, and the whole update goes to it. Picked by hand, the other drive is refused before
# anything is sent.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 1000
$(flindor_zib_drive)
device
adapter 0
target 3
vendor OTHER
product CD-ROM X
revision DA01
CONF
image=$(flindor_image NEW.BIN DA13X)

flindor_start
e2e_wait_window FLINDOR
e2e_expect_text FLINDOR 1008 'DA12'

e2e_select_combo FLINDOR 101 1
flindor_open "$image"
e2e_menu FLINDOR 40003
e2e_dismiss_box WARNING "!!! MODEL IS DIFFERENT !!!\n\n!!! IT'S NOT ZIB DVD-ROM DRIVE !!!" --owner FLINDOR
e2e_expect_no_window 'Continue ?'

e2e_select_combo FLINDOR 101 0
e2e_expect_text FLINDOR 1008 'DA12'
flindor_open "$image"
flindor_confirm_download --toolbar
flindor_expect_completion
e2e_answer_box
e2e_expect_exit 0

flindor_expect_downloads $(seq 0 63)
grep -q 'aspi 0:3 DOWNLOAD' "$FLINDOR_TRANSCRIPT" && e2e_fail "a block went to the other drive"
[[ $(grep -c 'aspi 0:1 DOWNLOAD' "$FLINDOR_TRANSCRIPT") == 64 ]] ||
  e2e_fail "the ZIB drive did not get all 64 blocks"
flindor_expect_flashed NEW.BIN
e2e_pass
