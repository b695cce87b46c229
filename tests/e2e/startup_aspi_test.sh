#!/usr/bin/env bash
# ASPI platform, a supported drive and another CD/DVD drive: the window, its fields, Open with a
# good, a wrong-model and a wrong-size image, About, a change of drive, Exit.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<'CONF'
adapters 1
device
adapter 0
target 1
vendor ZIB
product DVD-ROM KMX4820T
revision DB10
device
adapter 0
target 4
vendor OTHER
product CD-ROM X
revision 1.05
device
adapter 0
target 6
type 0
vendor DISK
product HARD
revision 0001
CONF
good=$(flindor_image NEW.BIN DA13X)
wrong=$(flindor_image WRONG.BIN XA13)
long=$(flindor_image LONG.BIN DC13 131081)

flindor_start
e2e_wait_window FLINDOR
e2e_expect_text FLINDOR 1002 'NOT OPEN'  # an ES_UPPERCASE field
e2e_expect_text FLINDOR 1009 'Not Open'
# The supported drive is the default target, though the other drive was found after it.
e2e_expect_text FLINDOR 1008 'DB10'
e2e_expect_combo FLINDOR 101 'ZIB     DVD-ROM KMX4820T' 'OTHER   CD-ROM X        '
e2e_screenshot started

flindor_open "$good"
e2e_expect_text FLINDOR 1002 'NEW.BIN'
# The new version is shown with the selected drive's model letter.
e2e_expect_text FLINDOR 1009 'DB13X'

e2e_toolbar FLINDOR 40005
e2e_choose_file "$wrong"
e2e_dismiss_box WARNING "!!! MODEL IS DIFFERENT !!!\n\n!!! IT'S NOT ZIB BIN FILE !!!" --owner FLINDOR
e2e_expect_text FLINDOR 1002 'NEW.BIN'

flindor_open "$long" --size-warning  # sent as its first 131080 bytes
e2e_expect_text FLINDOR 1002 'LONG.BIN'

e2e_menu FLINDOR 40004
e2e_wait_window 'About FLINDOR'
e2e_screenshot about
e2e_press 'About FLINDOR' OK
e2e_wait_gone 'About FLINDOR'

# A change of drive closes the image: its version text depends on the drive.
e2e_select_combo FLINDOR 101 1
e2e_expect_text FLINDOR 1002 'NOT OPEN'  # an ES_UPPERCASE field
e2e_expect_text FLINDOR 1008 '1.05'
e2e_expect_text FLINDOR 1009 'Not Open'
e2e_select_combo FLINDOR 101 0
e2e_expect_text FLINDOR 1008 'DB10'
e2e_toolbar FLINDOR 40003
e2e_dismiss_box WARNING 'FLASH FILE NOT OPEN!!' --owner FLINDOR

e2e_menu FLINDOR 40002
e2e_expect_exit 0
e2e_pass
