#!/usr/bin/env bash
# FLINDOR in a window of its own, for a person to use; ends when the program ends.
E2E_DEADLINE=${E2E_DEADLINE:-86400}
source "$(dirname "$0")/demo-setup.sh"
demo_setup
echo
echo "FLINDOR is starting under Wine. Open C:\\FLINDOR\\SAMPLE.BIN (File > Open), then"
echo "Code > Download. The simulated drive takes 8 seconds to program its flash."
[[ $FLINDOR_PLATFORM == nt ]] &&
  echo "On the pass-through platform a caution comes before the final block: OK sends it."
flindor_start
until [[ -f $E2E_RUN/exit-code ]]; do sleep 0.5; done
echo "FLINDOR ended with exit code $(<"$E2E_RUN/exit-code")."
# After an update Wine's restart starts FLINDOR again from RunOnce, as Windows would after the
# restart, to check the drive; the driver runs once that copy has ended.
e2e_drive wait-gone FLINDOR 86400
demo_report
e2e_pass
