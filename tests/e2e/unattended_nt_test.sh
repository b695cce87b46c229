#!/usr/bin/env bash
# Pass-through platform, nobody at the PC: /update with a log of its own sends the whole image,
# asks for the restart, and Wine's restart starts FLINDOR from RunOnce with /verdict and the same
# log, which checks the drive with no box: the verdict in the log and the record's Result 0.
source "$(dirname "$0")/flindor.sh"
e2e_begin
flindor_install nt <<CONF
programming-delay-ms 1000
$(flindor_zib_drive E)
CONF
new=$(flindor_image NEW.BIN DA13X)
FLINDOR_LOG=$E2E_INSTALLED/UNATTENDED.LOG
flindor_start /update "$new" /log 'C:\FLINDOR\UNATTENDED.LOG'

# Should Wine start the RunOnce copy while this one still runs, that copy finds it and ends (10):
# the harness then starts the verdict itself.
end=$((SECONDS + E2E_WAIT)) by=RunOnce
until grep -aq 'exit code 0' <(sed -n '/command line: \/verdict/,$p' "$FLINDOR_LOG" 2>/dev/null); do
  if ((SECONDS >= end)) && [[ $by == RunOnce ]]; then
    by=harness end=$((SECONDS + E2E_WAIT))
    flindor_start /verdict /log 'C:\FLINDOR\UNATTENDED.LOG'
  fi
  ((SECONDS < end)) || e2e_fail "no verdict ending with 0 after the reboot request"
  sleep 0.3
done
e2e_step "verdict, started by $by"
flindor_expect_downloads $(seq 0 63)
flindor_expect_flashed NEW.BIN
flindor_expect_result 0 --recorded
flindor_expect_record absent
grep -aq 'update check: The drive now reports DA13.  The firmware update is complete. (record cleared)' \
  "$FLINDOR_LOG" || e2e_fail "the verdict is not in the log"
grep -aq 'message (' <(sed -n '/command line: \/verdict/,$p' "$FLINDOR_LOG") &&
  e2e_fail "the verdict's run logged a box"
[[ ! -f $E2E_INSTALLED/FLINDOR.LOG ]] || e2e_fail "a log beside the program, where /log named another"
e2e_pass
