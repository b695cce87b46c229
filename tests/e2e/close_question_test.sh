#!/usr/bin/env bash
# ASPI platform, the close box clicked while block 62 is out, the question left open until the
# drive has answered it: nothing moves behind the question. Yes: block 63 never reaches the drive
# and the program ends with exit code 0 (the next start says the update did not complete). No
# (a second run): the update goes on from where it stood and completes, with the image's data in
# the flash.
source "$(dirname "$0")/flindor.sh"
e2e_begin
sim_conf() {
  printf 'slow-block-ms 3000\n%s\nfault 62 slow\n' "$(flindor_zib_drive)"
}
flindor_install aspi < <(sim_conf)

for answer in Yes No; do
  e2e_step "close while block 62 is out, then $answer"
  flindor_start
  e2e_wait_window FLINDOR
  if [[ $answer == No ]]; then  # the run closed before: the next start says so first
    e2e_dismiss_box WARNING "The firmware update of the drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 did not complete: the download stopped at block 62, before the drive programmed its flash, so it keeps its firmware DA12.\n\nOpen the image and download it again." --owner FLINDOR
  fi
  flindor_download_new_image
  flindor_wait_block 61
  e2e_close FLINDOR
  e2e_expect_box WARNING \
    'The drive is being updated.\n\nClosing FLINDOR now may leave the drive unusable.\n\nClose anyway?' \
    --owner FLINDOR --buttons '&Yes|&No'
  flindor_wait_block 62
  sleep 0.5  # a chaining message that got through would send block 63 now
  e2e_answer_box $answer
  if [[ $answer == Yes ]]; then
    e2e_expect_exit 0
    flindor_expect_downloads $(seq 0 62)
    flindor_configure < <(sim_conf)
  else
    flindor_expect_completion
    e2e_answer_box
    e2e_expect_exit 0
    flindor_expect_downloads $(seq 0 63)
    flindor_expect_flashed NEW.BIN
  fi
done
e2e_pass
