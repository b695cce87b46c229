#!/usr/bin/env bash
# The whole update on the ASPI platform: open an image, Download from the toolbar, Yes in the
# confirmation dialog; while the drive programs its flash the progress bar fills step by step,
# and Exit, Open, About and Download change nothing, the session may not end and closing asks
# first (No keeps the window); the completion message over a full bar, the reboot request and the
# end. The drive got the 64 blocks once each, in order, and flashed the
# image's data.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
programming-delay-ms 16000
$(flindor_zib_drive)
CONF
image=$(flindor_image NEW.BIN DA13X)

flindor_start
e2e_wait_window FLINDOR
flindor_open "$image"
e2e_expect_text FLINDOR 1002 NEW.BIN

e2e_toolbar FLINDOR 40003
e2e_wait_window 'Continue ?'
e2e_expect_text 'Continue ?' 1023 \
  'The system will be rebooted after upgrading ROM-drive F/W.\n do you wish to continue?'
e2e_press 'Continue ?' Yes
flindor_wait_programming
flindor_expect_bar_grows

# Committed: Exit, Open and About are refused without a word, and a Download sends nothing
# more. Reading a field waits until the program has handled them; an Open or About that acted
# would have its dialog up by then, or a moment later.
e2e_menu FLINDOR 40002
e2e_menu FLINDOR 40005
e2e_toolbar FLINDOR 40004
e2e_menu FLINDOR 40003
e2e_expect_text FLINDOR 1002 NEW.BIN
e2e_expect_only_windows FLINDOR
sleep 1
e2e_expect_only_windows FLINDOR
e2e_expect_running

# While the drive programs, neither a shutdown nor a suspend is agreed to, and the close box asks.
e2e_query_session_end FLINDOR
[[ $E2E_END_SESSION == 0 && $E2E_SUSPEND == 0x424D5144 && $E2E_AUTOPLAY_CANCELLED == 1 ]] ||
  e2e_fail "the session may end, or AutoPlay act, while the drive programs: $E2E_END_SESSION," \
    "$E2E_SUSPEND, $E2E_AUTOPLAY_CANCELLED"
flindor_close_while_programming No
e2e_expect_running

flindor_expect_completion
flindor_expect_full_bar_and_reboot

flindor_expect_downloads $(seq 0 63)
flindor_expect_flashed NEW.BIN
e2e_pass
