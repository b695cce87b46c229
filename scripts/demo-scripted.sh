#!/usr/bin/env bash
# Without a display: the whole update, carried out as a person would, on a virtual display, and
# the verdict after the restart. The README's two pictures are cut from its screenshots.
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
programming=$E2E_SHOT
E2E_WAIT=30 e2e_expect_box SUCCESS '\n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!      ' --owner FLINDOR
e2e_screenshot complete
e2e_answer_box
flindor_expect_verdict 'The drive now reports DB13.\n\nThe firmware update is complete.'
demo_report
# The window, where the desktop centres it, in few colours.
for picture in "$programming" "$E2E_SHOT"; do
  convert "$picture" -crop 410x210+307+285 +repage -dither None -colors 32 \
    "PNG8:$E2E_ARTIFACTS/readme-$(basename "$picture" .png | sed 's/^[0-9]*-//').png"
done
echo
echo "Screenshots of the run: $E2E_ARTIFACTS/"
ls "$E2E_ARTIFACTS"/*.png | sed 's/^/  /'
e2e_pass
