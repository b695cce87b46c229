#!/usr/bin/env bash
# The Win32 ports against the real system calls: runs e2e_ports_check in a fresh prefix. With
# the simulated wnaspi32.dll built, installs it beside the check, as the program's tests will,
# and checks that Wine loads that one and not its own.
source "$E2E_LIB"
e2e_begin
check=("$E2E_PORTS_CHECK")
if [[ -n ${E2E_WNASPI32:-} ]]; then
  e2e_install PORTS "$E2E_PORTS_CHECK" "$E2E_WNASPI32"
  e2e_override_dll wnaspi32=n
  check=("$E2E_INSTALLED/$(basename "$E2E_PORTS_CHECK")" --local-wnaspi32)
fi
e2e_run "${check[@]}" || e2e_fail "$(printf 'port checks failed:\n%s' "$(grep -v '^ok' <<<"$E2E_OUT")")"
e2e_step "$(tail -n 1 <<<"$E2E_OUT")"
e2e_pass
