#!/usr/bin/env bash
# Proves the harness on the stand-in program: reads a message box exactly (blanks and line
# breaks included) and its owner, answers it from the keyboard and by its button, clicks a
# toolbar button and menu items, reads fields nested in a panel, picks from a combo box, answers
# and cancels the file-open dialog through the real adapter, and checks the exit code.
source "$E2E_LIB"
e2e_begin

mkdir -p "$(e2e_c_drive)/fw"
printf 'DA13x' >"$(e2e_c_drive)/fw/NEW.BIN"

e2e_start "$E2E_SAMPLE"
e2e_expect_box "Sample Notice" ' Hello from the sample!\n\n  second line  ' --no-owner
e2e_screenshot greeting
e2e_key Return
e2e_wait_gone "$E2E_BOX"

e2e_wait_window "E2E Sample"
e2e_expect_text "E2E Sample" 1002 "NOT OPEN"
e2e_expect_text "E2E Sample" 1008 "????"

e2e_toolbar "E2E Sample" 40004
e2e_expect_box "Sample About" 'Owned\nbox' --owner "E2E Sample"
e2e_answer_box

e2e_expect_combo "E2E Sample" 101 Alpha Beta Gamma
e2e_select_combo "E2E Sample" 101 1
e2e_expect_text "E2E Sample" 1008 "Beta"
e2e_expect_no_box 1

e2e_menu "E2E Sample" 40005
e2e_choose_file 'C:\fw\NEW.BIN'
[[ $(e2e_fields filter) == $'SAMPLE FILES (*.BIN) \nALL FILES (*.*) ' ]] ||
  e2e_fail "the file dialog's filters read: $(e2e_fields filter)"
[[ $(e2e_field name) == "*.BIN" ]] || e2e_fail "the file dialog's name field began as $(e2e_field name)"
e2e_expect_text "E2E Sample" 1002 'C:\FW\NEW.BIN'
e2e_expect_text "E2E Sample" 1009 "file=6 extension=10"

e2e_menu "E2E Sample" 40005
e2e_cancel_file
e2e_expect_text "E2E Sample" 1002 "CANCELLED"

e2e_screenshot window
e2e_expect_running
e2e_press "E2E Sample" "Done"
e2e_expect_exit 7
e2e_pass
