#!/usr/bin/env bash
# Pass-through platform: the ZIB drive at D: and, at E:, a device that answers INQUIRY with GOOD
# status and no data (Linux reports a residual of the whole length). Only the drive at D: is
# listed, and the whole update goes to it; the device at E: gets nothing.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install nt <<CONF
programming-delay-ms 200
$(flindor_zib_drive D)
device
letter E
vendor ZIB
product DVD-ROM KMX4820T
revision DC30
inquiry-bytes 0
CONF
image=$(flindor_image NEW.BIN DA13X)
flindor_start
e2e_wait_window FLINDOR
e2e_expect_combo FLINDOR 101 'ZIB     DVD-ROM KMX4820T'
e2e_expect_text FLINDOR 1008 DA12
flindor_open "$image"
flindor_confirm_download
flindor_expect_caution
e2e_answer_box
flindor_expect_completion
e2e_answer_box
e2e_expect_exit 0

flindor_expect_downloads $(seq 0 63)
grep -qx 'sg E: INQUIRY alloc=96 len=2048 timeout=200000 -> GOOD (sent 0 bytes)' "$FLINDOR_TRANSCRIPT" ||
  e2e_fail "$(printf 'the device at E: did not answer short:\n%s' "$(<"$FLINDOR_TRANSCRIPT")")"
[[ $(grep -c '^sg D: DOWNLOAD' "$FLINDOR_TRANSCRIPT") == 64 ]] ||
  e2e_fail "$(printf 'not every block went to D:\n%s' "$(<"$FLINDOR_TRANSCRIPT")")"
flindor_expect_flashed NEW.BIN
e2e_pass
