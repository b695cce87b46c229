#!/usr/bin/env bash
# ASPI platform, one supported drive, before anything is sent: the product name in its framed
# strip, a second copy of the program refused, and a download declined twice in the confirmation
# dialog (once by its No button, once by Esc) with nothing sent to the drive, and neither a
# shutdown nor AutoPlay refused; then Exit.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install aspi <<CONF
$(flindor_zib_drive 3)
CONF
image=$(flindor_image NEW.BIN DA13X)

flindor_start
e2e_wait_window FLINDOR
e2e_expect_text FLINDOR 1008 DA12
e2e_screenshot strip
flindor_read_strip
flindor_expect_frame
flindor_expect_product_name

e2e_start_another second "$FLINDOR_INSTALLED"
e2e_dismiss_box Info ' It is already loaded in System Tray !' --no-owner
e2e_expect_exit_of second 0
e2e_expect_running
e2e_expect_only_windows FLINDOR

flindor_open "$image"

question='The system will be rebooted after upgrading ROM-drive F/W.\n do you wish to continue?'
e2e_menu FLINDOR 40003
e2e_wait_window 'Continue ?'
e2e_expect_text 'Continue ?' 1023 "$question"
e2e_screenshot confirm
e2e_press 'Continue ?' No
e2e_wait_gone 'Continue ?'
# Declined: the dialog comes again, and Esc declines as No does.
e2e_toolbar FLINDOR 40003
e2e_wait_window 'Continue ?'
e2e_key Escape
e2e_wait_gone 'Continue ?'
e2e_expect_only_windows FLINDOR
flindor_expect_downloads
# No run: the session may end, and AutoPlay may act.
e2e_query_session_end FLINDOR
[[ $E2E_END_SESSION == 1 && $E2E_AUTOPLAY_CANCELLED == 0 ]] ||
  e2e_fail "refused with no run: $E2E_END_SESSION, $E2E_AUTOPLAY_CANCELLED"

e2e_menu FLINDOR 40002
e2e_expect_exit 0
e2e_pass
