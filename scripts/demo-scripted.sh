#!/usr/bin/env bash
# Without a display: the whole update, carried out as a person would, on a virtual display.
source "$(dirname "$0")/demo-setup.sh"
demo_setup
flindor_start
e2e_wait_window FLINDOR 30
e2e_screenshot discovered
e2e_menu FLINDOR 40005
e2e_choose_file "$DEMO_IMAGE"
e2e_dismiss_box Confirm ' !!! FLASH FILE OPEN !!!' --owner FLINDOR
e2e_screenshot image-open
e2e_menu FLINDOR 40003
e2e_wait_window 'Continue ?'
e2e_screenshot confirm
e2e_press 'Continue ?' Yes
if [[ $FLINDOR_PLATFORM == nt ]]; then
  E2E_WAIT=30 flindor_expect_caution
  e2e_screenshot caution
  e2e_answer_box
fi
sleep 4
e2e_screenshot programming
E2E_WAIT=30 e2e_expect_box SUCCESS '\n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!      ' --owner FLINDOR
e2e_screenshot complete
e2e_answer_box
e2e_expect_exit 0
demo_report
echo
echo "Screenshots of the run: $E2E_ARTIFACTS/"
ls "$E2E_ARTIFACTS"/*.png | sed 's/^/  /'
e2e_pass
