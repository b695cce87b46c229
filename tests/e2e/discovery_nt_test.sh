#!/usr/bin/env bash
# Pass-through platform, discovery through Wine's own IOCTL_SCSI_PASS_THROUGH_DIRECT: the letters
# A: to H: are asked in order, each drive once with the 96-byte INQUIRY (2048-byte buffer, 200 s);
# the ZIB drive at E: is listed with its revision, another maker's drive at F: is not recorded
# (else it would be the default). With only another maker's drive the NT message comes and the
# program ends.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install nt <<CONF
$(flindor_zib_drive E DB10)
device
letter F
vendor OTHER
product CD-ROM X
revision 1.05
CONF
flindor_start
e2e_wait_window FLINDOR
e2e_expect_text FLINDOR 1008 DB10
e2e_expect_combo FLINDOR 101 'ZIB     DVD-ROM KMX4820T'
e2e_screenshot discovered
e2e_close FLINDOR
e2e_expect_exit 0
inquiries=$(grep INQUIRY "$FLINDOR_TRANSCRIPT")
[[ $inquiries == "$(printf 'sg %s: INQUIRY alloc=96 len=2048 timeout=200000 -> GOOD\n' E F)" ]] ||
  e2e_fail "$(printf 'the drives were asked:\n%s' "$(<"$FLINDOR_TRANSCRIPT")")"

flindor_configure <<'CONF'
device
letter D
vendor OTHER
product CD-ROM X
revision 1.05
CONF
flindor_start
e2e_dismiss_box 'No VADADE' ' There is NO DVD-ROM Drive KMX4820T  Attached. ' --no-owner
e2e_expect_exit 0
[[ $(grep -v ': descriptor ' "$FLINDOR_TRANSCRIPT") == 'sg D: INQUIRY alloc=96 len=2048 timeout=200000 -> GOOD' ]] ||
  e2e_fail "$(printf 'the drives were asked:\n%s' "$(<"$FLINDOR_TRANSCRIPT")")"
e2e_pass
