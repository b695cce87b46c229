#!/usr/bin/env bash
# Every way the program finds no drive to update, one after the other in one prefix; each run
# shows its message exactly and ends with exit code 0:
# - pass-through platform: no drive can answer under Wine, so no drive letter has one;
# - ASPI platform without an ASPI manager, and with one that reports no host adapters;
# - ASPI, devices present but none a CD/DVD drive (a hard disk, a device of another qualifier);
# - ASPI, CD/DVD drives present, none of the supported model (even one whose vendor is ZIB but
#   whose revision has the wrong model letters), on a second host adapter.
source "$(dirname "$0")/flindor.sh"
e2e_begin

# Before any ASPI run: the platform is chosen from the registry, which they change.
flindor_install nt </dev/null
flindor_start
e2e_dismiss_box 'No VADADE' ' There is NO DVD-ROM Drive KMX4820T  Attached. ' --no-owner
# Nothing more to answer: the program ends on the quit request that came with the message.
e2e_expect_exit 0

flindor_install aspi-without-manager </dev/null
flindor_start
e2e_dismiss_box 'No Drive' ' There is no ASPI manager (wnaspi32.dll) in your PC.  ' --no-owner
e2e_expect_exit 0

flindor_install aspi <<'CONF'
adapters 0
device
adapter 0
target 1
vendor ZIB
product DVD-ROM KMX4820T
revision DB10
CONF
flindor_start
e2e_dismiss_box 'No Drive' ' There is no ROM-Drive in your PC.  ' --no-owner
e2e_expect_exit 0
[[ ! -s $FLINDOR_TRANSCRIPT ]] || e2e_fail "the drive was asked, with no adapter to reach it"

flindor_configure <<'CONF'
device
adapter 0
target 0
type 0
vendor DISK
product HARD
revision 0001
device
adapter 0
target 5
type 0x25
vendor ZIB
product DVD-ROM KMX4820T
revision DB10
CONF
flindor_start
e2e_dismiss_box 'No ROM Drive' ' No DVD-ROM Drive Attached.' --owner FLINDOR
e2e_expect_exit 0
# Every target of the one adapter was asked, once.
[[ $(grep -c '^aspi 0:[0-7] ' "$FLINDOR_TRANSCRIPT") == 8 && $(wc -l <"$FLINDOR_TRANSCRIPT") == 8 ]] ||
  e2e_fail "$(printf 'the scan asked:\n%s' "$(<"$FLINDOR_TRANSCRIPT")")"

flindor_configure <<'CONF'
adapters 2
device
adapter 0
target 2
vendor ZIB
product DVD-ROM KMX4820T
revision DD10
device
adapter 1
target 7
vendor OTHER
product CD-ROM X
revision 1.05
CONF
flindor_start
e2e_dismiss_box 'No VADADE' ' There is NO ZIB DVD-ROM Drive KMX4820T  Attached. ' --owner FLINDOR
e2e_expect_exit 0
[[ $(wc -l <"$FLINDOR_TRANSCRIPT") == 16 ]] ||
  e2e_fail "$(printf 'the scan of two adapters asked:\n%s' "$(<"$FLINDOR_TRANSCRIPT")")"
e2e_pass
