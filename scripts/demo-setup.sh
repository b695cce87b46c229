# The demo's machine: a fresh Wine prefix with FLINDOR, the simulated drive and a sample image,
# on the platform FLINDOR_PLATFORM names (aspi or nt). The ZIB drive is found last, so it is the
# one FLINDOR takes as its target; on the pass-through platform the other drive is not listed.
# Sourced by demo-interactive.sh and demo-scripted.sh (through scripts/run).

source "$E2E_ROOT/../../tests/e2e/flindor.sh"

demo_setup() {
  e2e_begin
  flindor_install "${FLINDOR_PLATFORM:-aspi}" <<'CONF'
adapters 1
programming-delay-ms 8000
device
adapter 0
target 0
letter D
vendor OTHER
product CD-RW
revision 1.20
device
adapter 0
target 1
letter E
vendor ZIB
product DVD-ROM KMX4820T
revision DB10
CONF
  DEMO_IMAGE=$(flindor_image SAMPLE.BIN DA13)
  cp "$(e2e_c_drive)/IMAGES/SAMPLE.BIN" "$E2E_INSTALLED/SAMPLE.BIN"
  DEMO_IMAGE='C:\FLINDOR\SAMPLE.BIN'
}

# What the drive saw, and whether it holds the image now.
demo_report() {
  cp "$FLINDOR_TRANSCRIPT" "$E2E_ARTIFACTS/transcript.log" 2>/dev/null
  local blocks
  blocks=$(grep -c DOWNLOAD "$FLINDOR_TRANSCRIPT" 2>/dev/null)
  echo
  echo "The simulated drive received ${blocks:-0} DownloadCommands; its transcript:"
  echo "  $E2E_ARTIFACTS/transcript.log"
  if [[ -f $FLINDOR_FLASHED ]] &&
    cmp -s <(tail -c +5 "$E2E_INSTALLED/SAMPLE.BIN") "$FLINDOR_FLASHED"; then
    echo "Its flash now holds the sample image's data, byte for byte."
  elif [[ -f $FLINDOR_FLASHED ]]; then
    echo "Its flash holds data that differs from the sample image."
  else
    echo "Its flash was not programmed."
  fi
}
