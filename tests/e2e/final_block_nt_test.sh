#!/usr/bin/env bash
# Pass-through platform, the final block, each outcome in turn, each Download sending it again
# after the caution message: refused by the system five times, with each of the errors that mean
# the drive never got it (Wine's 87, 5, 6, 50, 1): each a failure, with no completion. Then the
# drive takes it and the host's wait runs out while it programs; Linux reports that in
# host_status only, which Wine passes over, so the update is done: completion and the image's
# data in the flash. (A final block the drive itself answers with an error may have begun to
# program: final_block_error shows that, on ASPI.)
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install nt <<CONF
programming-delay-ms 1500
$(flindor_zib_drive E)
fault 63 ioctl-refused 5
fault 63 time-out
CONF
flindor_start_download
for refusal in EINVAL EACCES EBADF ENOTTY EISDIR; do
  e2e_step "the final block, refused: $refusal"
  flindor_expect_caution
  e2e_answer_box
  e2e_dismiss_box WARNING 'FAIL TO Write Download FILE' --no-owner
  e2e_expect_only_windows FLINDOR
  e2e_menu FLINDOR 40003
done
flindor_expect_caution
e2e_answer_box
flindor_expect_completion
e2e_answer_box
e2e_expect_exit 0

flindor_expect_downloads $(seq 0 63)
refused=$(grep -o 'refused by the system ([A-Z]*)' "$FLINDOR_TRANSCRIPT" | tr -d '()' |
  cut -d' ' -f5 | paste -sd' ')
[[ $refused == 'EINVAL EACCES EBADF ENOTTY EISDIR' ]] ||
  e2e_fail "$(printf 'the system refused the final block with:\n%s' "$refused")"
grep -q 'block=63 .* -> GOOD, then time-out after 200000 ms$' "$FLINDOR_TRANSCRIPT" ||
  e2e_fail "the drive did not take the final block and time out"
flindor_expect_flashed NEW.BIN
e2e_pass
