# FLINDOR's own steps for the end-to-end tests, on top of lib.sh: installing the program with the
# simulated drive, choosing the platform, making image files.
#
# Given by CMakeLists.txt: FLINDOR_EXE, FLINDOR_SIM_DLL, FLINDOR_SG_PRELOAD (the simulated drive
# behind SG_IO, with the loader's literal $LIB in its path).

source "$E2E_LIB"

# Installs flindor.exe in C:\FLINDOR. On the ASPI platform (the default) the simulated
# wnaspi32.dll goes beside it, described by the sim configuration on standard input. On the
# pass-through platform (nt) each device with a `letter` answers behind that drive letter:
# Wine's IOCTL_SCSI_PASS_THROUGH_DIRECT becomes SG_IO on the file behind the letter, which the
# preloaded simulated drive answers (see flindor_start).
# flindor_install aspi|nt|aspi-without-manager < sim-config
# A test may install again in the same prefix to try another platform: each install starts
# from the base DLL overrides and leaves no simulated manager behind where none belongs. The
# platform choice lives in the registry, so the pass-through platform comes before any ASPI one.
flindor_install() {
  local platform=${1:-aspi}
  flindor_configure
  WINEDLLOVERRIDES=$E2E_BASE_OVERRIDES
  rm -f "$(e2e_c_drive)/FLINDOR/$(basename "$FLINDOR_SIM_DLL")"
  case $platform in
    aspi)
      e2e_install FLINDOR "$FLINDOR_EXE" "$FLINDOR_SIM_DLL"
      e2e_override_dll wnaspi32=n
      flindor_windows_98
      ;;
    aspi-without-manager)
      e2e_install FLINDOR "$FLINDOR_EXE"
      # Disabled: Wine would otherwise load its own manager, which has no adapters.
      e2e_override_dll wnaspi32=
      flindor_windows_98
      ;;
    nt)
      e2e_install FLINDOR "$FLINDOR_EXE"
      ;;
  esac
  FLINDOR_PLATFORM=$platform
  FLINDOR_INSTALLED=$E2E_INSTALLED/$(basename "$FLINDOR_EXE")
}

# The product name that makes the program take the ASPI platform; added once per prefix.
flindor_windows_98() {
  [[ ${FLINDOR_WINDOWS_98:-0} == 1 ]] && return
  e2e_reg_add 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProductName 'Windows 98'
  FLINDOR_WINDOWS_98=1
}

# Describes the simulated bus anew (sim configuration on stdin) for the next start of the
# program; the simulated manager reads it when the program loads it. The transcript, the flashed
# data and the drives' revisions (kept across the program's runs) start afresh.
flindor_configure() {
  FLINDOR_CONFIG=$E2E_RUN/sim.conf
  FLINDOR_TRANSCRIPT=$E2E_RUN/transcript.log
  FLINDOR_FLASHED=$E2E_RUN/flashed.bin
  rm -f "$FLINDOR_TRANSCRIPT" "$FLINDOR_FLASHED" "$E2E_RUN/drive.state"
  cat >"$FLINDOR_CONFIG"
  printf 'transcript %s\nflash-output %s\nstate %s\n' "$FLINDOR_TRANSCRIPT" "$FLINDOR_FLASHED" \
    "$E2E_RUN/drive.state" >>"$FLINDOR_CONFIG"
  export FLINDOR_SIM_CONFIG=$FLINDOR_CONFIG
}

# Starts the installed program, with the arguments given. On the pass-through platform the
# simulated drive is preloaded into this one process (not the wineserver, nor the test driver),
# and the letters of the devices the sim configuration describes are mapped anew.
flindor_start() {
  if [[ $FLINDOR_PLATFORM != nt ]]; then
    e2e_start "$FLINDOR_INSTALLED" "$@"
    return
  fi
  [[ -n ${FLINDOR_SG_PRELOAD:-} ]] || e2e_fail "no simulated SG_IO drive was built (host g++)"
  _flindor_map_letters
  LD_PRELOAD=$FLINDOR_SG_PRELOAD e2e_start "$FLINDOR_INSTALLED" "$@"
}

# A run without a person ended with CODE: Wine hands the shell only the exit code's low 8 bits,
# so those are checked there (unless --recorded: the run was not started here), and the whole
# code where the program says it: the record's value Result, and the last "exit code" line of its
# log (FLINDOR_LOG, by default FLINDOR.LOG beside the program).
flindor_expect_result() {
  local got
  [[ ${2:-} == --recorded ]] || e2e_expect_exit $(($1 & 255))
  got=$(timeout -k 5 60 wine reg query 'HKLM\Software\FLINDOR' /v Result \
    /reg:$([[ $E2E_MACHINE == i386 ]] && echo 32 || echo 64) </dev/null 2>&1 | tr -d '\r')
  [[ $got == *"REG_SZ    $1" ]] || e2e_fail "the record's Result is not $1: $got"
  got=$(grep -a 'exit code ' "${FLINDOR_LOG:-$E2E_INSTALLED/FLINDOR.LOG}" | tail -n 1 | tr -d '\r')
  [[ $got == *"exit code $1" ]] || e2e_fail "the log's last exit code line is \"$got\", expected $1"
  e2e_step "the run's result: $1"
}

# A letter with a device is a folder (X:) and an empty file behind it (X::), the file Wine
# opens for \\.\X: and runs SG_IO on. Letters of an earlier configuration are taken away.
_flindor_map_letters() {
  local dosdevices=$WINEPREFIX/dosdevices letters=$E2E_RUN/letters letter
  for letter in "$letters"/*; do
    [[ -d $letter ]] && rm -f "$dosdevices/${letter##*/}:" "$dosdevices/${letter##*/}::"
  done
  rm -rf "$letters"
  for letter in $(sed -n 's/^[[:space:]]*letter[[:space:]]\+\([A-Za-z]\)[[:space:]]*$/\1/p' "$FLINDOR_CONFIG" |
    tr 'A-Z' 'a-z'); do
    mkdir -p "$letters/$letter" && : >"$letters/$letter.device" &&
      ln -sfn "$letters/$letter" "$dosdevices/$letter:" &&
      ln -sfn "$letters/$letter.device" "$dosdevices/$letter::" ||
      e2e_fail "could not map drive letter $letter:"
  done
}

# The sim configuration of one ZIB KMX4820T: flindor_zib_drive [TARGET|LETTER] [REVISION], by
# default on adapter 0 at target 1 with revision DA12, or behind a drive letter (A to Z) for the
# pass-through platform; for an unquoted here-document, e.g.
#   flindor_install aspi <<CONF
#   $(flindor_zib_drive 3)
#   CONF
flindor_zib_drive() {
  local at="adapter 0\ntarget ${1:-1}"
  [[ ${1:-} =~ ^[A-Z]$ ]] && at="letter $1"
  printf "device\n$at\nvendor ZIB\nproduct DVD-ROM KMX4820T\nrevision %s\n" "${2:-DA12}"
}

# Opens an image as a person does and takes the acceptance message:
# flindor_open PATH [--toolbar] [--size-warning] (the image draws the size warning first).
flindor_open() {
  local path=$1 via=e2e_menu warned=0 arg
  for arg in "${@:2}"; do
    case $arg in
      --toolbar) via=e2e_toolbar ;;
      --size-warning) warned=1 ;;
      *) e2e_fail "flindor_open: unknown option $arg" ;;
    esac
  done
  $via FLINDOR 40005
  e2e_choose_file "$path"
  ((warned)) && e2e_dismiss_box WARNING 'FILE SIZE IS DIFFERENT!!' --owner FLINDOR
  e2e_dismiss_box Confirm ' !!! FLASH FILE OPEN !!!' --owner FLINDOR
}

# The start of most updates: FLINDOR started, an image NEW.BIN of version DA13X opened, and a
# Download confirmed.
flindor_start_download() {
  flindor_start
  e2e_wait_window FLINDOR
  flindor_download_new_image
}

# In the running program: File > Open of a DA13X image, Download, and Yes in the confirmation.
flindor_download_new_image() {
  local image
  image=$(flindor_image NEW.BIN DA13X)
  flindor_open "$image"
  flindor_confirm_download
}

# Download, and Yes in the confirmation: flindor_confirm_download [--toolbar].
flindor_confirm_download() {
  if [[ ${1:-} == --toolbar ]]; then e2e_toolbar FLINDOR 40003; else e2e_menu FLINDOR 40003; fi
  e2e_wait_window 'Continue ?'
  e2e_press 'Continue ?' Yes
}

# The close box while a block is out or the drive programs: the question, answered $1 (Yes|No).
flindor_close_while_programming() {
  e2e_close FLINDOR
  e2e_expect_box WARNING \
    'The drive is being updated.\n\nClosing FLINDOR now may leave the drive unusable.\n\nClose anyway?' \
    --owner FLINDOR --buttons '&Yes|&No'
  e2e_answer_box "$1"
}

# Waits for the completion message; it stays open (e2e_answer_box takes it).
flindor_expect_completion() {
  e2e_expect_box SUCCESS '\n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!      ' \
    --owner FLINDOR
}

# Under the completion message: a full bar in its frame; then OK, the reboot request, and the end.
# Under Wine the reboot request ends every other process of the session, the driver's too; the
# program itself then ends as after any reboot request.
flindor_expect_full_bar_and_reboot() {
  sleep 0.5  # the bar was filled before the message; its paint may still be on the way
  e2e_screenshot complete
  flindor_read_strip
  flindor_expect_frame --progress
  flindor_expect_progress 34 34
  e2e_answer_box
  e2e_expect_exit 0
}

# Waits for the pass-through back end's caution before the final block; it stays open.
flindor_expect_caution() {
  e2e_expect_box WARNING "\n  Cautions :\n  After Press Any Key, \n  Do Not operate anything for about 30 seconds.\n  It will be displayed next message of Upgrading Drive's F/W is finished" \
    --no-owner
}

# An image file in C:\IMAGES: flindor_image NAME HEADER [SIZE]; its bytes past the header are a
# pattern of their offset but for the last four, the header's version, where the simulated
# firmware names it. Prints the file's Windows path.
flindor_image() {
  local name=$1 header=$2 size=${3:-131080}
  mkdir -p "$(e2e_c_drive)/IMAGES"
  python3 - "$(e2e_c_drive)/IMAGES/$name" "$header" "$size" <<'PY'
import sys
path, header, size = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
data = bytearray((i * 7 + (i >> 8) * 13 + (i >> 16)) & 0xFF for i in range(size))
data[:len(header)] = header[:size]
data[size - 4:] = header[:4]
open(path, "wb").write(bytes(data[:size]))
PY
  echo "C:\\IMAGES\\$name"
}

# The flashed data must be the image's bytes after its 4-byte header.
flindor_expect_flashed() {
  local image=$(e2e_c_drive)/IMAGES/$1
  [[ -f $FLINDOR_FLASHED ]] || e2e_fail "the drive flashed nothing"
  cmp -s <(tail -c +5 "$image") "$FLINDOR_FLASHED" ||
    e2e_fail "the flashed data differs from the image's data"
  e2e_step "flashed data equals the image"
}

# The drive's commands in the transcript: flindor_expect_downloads BLOCK... checks that the
# DownloadCommands came for exactly these blocks, in this order, each with its framed length
# (2052 bytes, 2056 for the final block) and a good CRC; through SG_IO also with its time-out
# (2 s, 200 s for the final block).
flindor_expect_downloads() {
  local got=() line block len
  # Discovery asks the drive first, so a missing transcript means the drive was never reached.
  [[ -s $FLINDOR_TRANSCRIPT ]] || e2e_fail "the simulated drive kept no transcript"
  cp "$FLINDOR_TRANSCRIPT" "$E2E_ARTIFACTS/transcript.log"
  while IFS= read -r line; do
    [[ $line =~ DOWNLOAD\ block=([0-9]+)\ len=([0-9]+)\ crc=([a-z-]+) ]] || continue
    block=${BASH_REMATCH[1]} len=${BASH_REMATCH[2]}
    [[ ${BASH_REMATCH[3]} == ok ]] || e2e_fail "block $block went with a bad CRC: $line"
    ((len == (block == 63 ? 2056 : 2052))) || e2e_fail "block $block went with $len bytes: $line"
    [[ ! $line =~ timeout=([0-9]+) ]] || ((BASH_REMATCH[1] == (block == 63 ? 200000 : 2000))) ||
      e2e_fail "block $block went with a time-out of ${BASH_REMATCH[1]} ms: $line"
    got+=("$block")
  done <"$FLINDOR_TRANSCRIPT"
  [[ ${got[*]} == "$*" ]] ||
    e2e_fail "$(printf 'the drive got the blocks:\n  %s\nexpected:\n  %s' "${got[*]:-none}" "${*:-none}")"
  e2e_step "the drive got blocks ${1:-none}${2:+ ... ${!#}} ($# commands)"
}

# Through SG_IO: how often the program opened the drive, as the descriptors of the file behind
# its letter show (each from its first command to its close): flindor_expect_descriptors N.
flindor_expect_descriptors() {
  local opened closed
  opened=$(grep -c '^sg [A-Z]: descriptor opened$' "$FLINDOR_TRANSCRIPT")
  closed=$(grep -c '^sg [A-Z]: descriptor closed$' "$FLINDOR_TRANSCRIPT")
  ((opened == $1 && closed == $1)) ||
    e2e_fail "the drive's file was opened $opened times and closed $closed times, expected $1"
  e2e_step "the drive's file opened and closed $1 times"
}

# Just after the drive began to program: the bar shows from the first tick of a timer of 1 s,
# at step 2, and grows by a step a tick. Both pictures first, read later: the time between them
# is what counts.
flindor_expect_bar_grows() {
  local started first later step
  started=$(e2e_clock_ms)
  e2e_sleep_until_ms $((started + 1600))
  e2e_screenshot programming
  first=$E2E_SHOT
  e2e_sleep_until_ms $(($(e2e_clock_ms) + 2000))
  e2e_screenshot later
  later=$E2E_SHOT
  flindor_read_strip "$first"
  flindor_expect_frame --progress
  flindor_expect_progress 2 20
  step=$FLINDOR_STEP
  flindor_read_strip "$later"
  flindor_expect_progress $((step + 1)) 33
}

# Waits until the drive has answered block $1 (its transcript line is written with the answer).
flindor_wait_block() {
  local end=$((SECONDS + E2E_WAIT))
  until grep -q "DOWNLOAD block=$1 .* -> " "$FLINDOR_TRANSCRIPT" 2>/dev/null; do
    ((SECONDS < end)) || e2e_fail "the drive did not answer block $1 within $E2E_WAIT s"
    sleep 0.1
  done
  e2e_step "the drive answered block $1"
}

# After the reboot request Wine's restart starts FLINDOR from RunOnce, which gives its verdict:
# flindor_expect_verdict TEXT. Until that copy ends Wine holds every other program of the prefix
# at its start, the driver too (README): the verdict is read from the log, the keyboard answers
# it and closes the window. Should the copy start while the first still runs, Return answers its
# single-instance message and the harness starts FLINDOR itself.
flindor_expect_verdict() {
  local log=$E2E_INSTALLED/FLINDOR.LOG end=$((SECONDS + E2E_WAIT)) line
  FLINDOR_RESTARTED_BY=RunOnce
  until line=$(grep -a 'update check: ' "$log" 2>/dev/null | sed -n "$((${FLINDOR_VERDICTS:-0} + 1))p") &&
    [[ -n $line ]]; do
    if ((SECONDS >= end)) && [[ ! -f $E2E_RUN/exit-code && $FLINDOR_RESTARTED_BY == RunOnce ]]; then
      e2e_key Return
      e2e_expect_exit 0
      FLINDOR_RESTARTED_BY=harness
      flindor_start
      end=$((SECONDS + E2E_WAIT))
    fi
    ((SECONDS < end)) || e2e_fail "no verdict after the reboot request"
    sleep 0.3
  done
  FLINDOR_VERDICTS=$((${FLINDOR_VERDICTS:-0} + 1))
  line=${line#* update check: }
  [[ ${line%$'\r'} == "${1//\\n/ } (record "* ]] ||
    e2e_fail "$(printf 'the verdict differs\n  expected: %s\n  given:    %s' "$1" "$line")"
  e2e_step "verdict, started by $FLINDOR_RESTARTED_BY: \"$1\""
  sleep 1  # the box follows its line in the log
  e2e_screenshot verdict
  e2e_key Return
  e2e_key alt+F4
  e2e_expect_exit 0
  e2e_wait_gone FLINDOR 60
}

# The update record in the program's own registry view: flindor_expect_record absent|STATE BLOCK.
flindor_expect_record() {
  local view=64 values got
  [[ $E2E_MACHINE == i386 ]] && view=32
  values=$(timeout -k 5 60 wine reg query 'HKLM\Software\FLINDOR' /reg:$view </dev/null 2>&1)
  got=$(for name in State Block; do sed -n "s/^ *$name *REG_SZ *\([^\r]*\).*/\1/p" <<<"$values"; done | xargs)
  [[ $got == "${*/absent/}" ]] || e2e_fail "the update record holds \"$got\", expected \"$*\""
}

# FLINDOR.LOG beside the program has lines with these texts, in this order, among others.
flindor_expect_log() {
  local log=$E2E_ARTIFACTS/FLINDOR.LOG line rest
  cp "$E2E_INSTALLED/FLINDOR.LOG" "$log" && rest=$(<"$log") || e2e_fail "no FLINDOR.LOG"
  for line in "$@"; do
    [[ $rest == *"$line"* ]] || e2e_fail "FLINDOR.LOG lacks, in its place: $line"
    rest=${rest#*"$line"}
  done
}

# Waits until the drive programs its flash: the flashed data is written when that begins.
flindor_wait_programming() {
  local end=$((SECONDS + E2E_WAIT))
  until [[ -f $FLINDOR_FLASHED ]]; do
    ((SECONDS < end)) || e2e_fail "the drive did not start programming within $E2E_WAIT s"
    sleep 0.1
  done
  e2e_step "the drive programs its flash"
}

# ---- the strip under the value fields ------------------------------------------------------
# In the control panel's client area, which begins where the main window's does: a frame with
# its lines at x 35 and 341, y 131 and 148, grey at the top and left, white at the bottom and
# right; in it the product name, or the progress bar in steps of 9 pixels.

FLINDOR_GREY=130,130,130
FLINDOR_WHITE=255,255,255
FLINDOR_BLUE=6,46,148

# Reads the strip, with one pixel all round it, from a screenshot (the one just taken unless
# named) for the checks below.
flindor_read_strip() {
  E2E_SHOT=${1:-$E2E_SHOT}
  e2e_client_origin FLINDOR
  e2e_read_pixels "$E2E_SHOT" 34 130 343 150
}

_flindor_pixel_is() {
  local x=$1 y=$2 want=$3 what=$4
  [[ ${E2E_PIXELS[$x,$y]} == "$want" ]] ||
    e2e_fail "$(basename "$E2E_SHOT"): $what at ($x, $y) is (${E2E_PIXELS[$x,$y]}), expected ($want)"
}

# The frame is whole, and nothing right outside it is drawn in its colours or the bar's. With
# --progress the bar covers the left edge below its top pixel.
flindor_expect_frame() {
  local x y left_bottom=147 outside
  [[ ${1:-} == --progress ]] && left_bottom=131
  for ((x = 35; x <= 341; x++)); do _flindor_pixel_is $x 131 $FLINDOR_GREY "the frame's top"; done
  for ((y = 131; y <= left_bottom; y++)); do _flindor_pixel_is 35 $y $FLINDOR_GREY "the frame's left"; done
  for ((x = 35; x <= 340; x++)); do _flindor_pixel_is $x 148 $FLINDOR_WHITE "the frame's bottom"; done
  for ((y = 132; y <= 148; y++)); do _flindor_pixel_is 341 $y $FLINDOR_WHITE "the frame's right"; done
  for ((x = 34; x <= 342; x++)); do outside+=" $x,130 $x,149"; done
  for ((y = 130; y <= 149; y++)); do outside+=" 34,$y 342,$y"; done
  for x in $outside; do
    case ${E2E_PIXELS[$x]} in
      "$FLINDOR_GREY" | "$FLINDOR_WHITE" | "$FLINDOR_BLUE")
        e2e_fail "$(basename "$E2E_SHOT"): ($x), outside the frame, is (${E2E_PIXELS[$x]})" ;;
    esac
  done
  e2e_step "the strip's frame is in place"
}

# The product name is written in the frame, centred on x 188 (within the glyphs' bearings).
flindor_expect_product_name() {
  local x y first=999 last=0 r rest
  for ((y = 132; y <= 147; y++)); do
    for ((x = 36; x <= 340; x++)); do
      r=${E2E_PIXELS[$x,$y]%%,*}
      if ((r < 100)); then
        ((x < first)) && first=$x
        ((x > last)) && last=$x
      fi
    done
  done
  ((last > 0)) || e2e_fail "$(basename "$E2E_SHOT"): no text in the strip"
  rest=$(((first + last) - 2 * 188))
  ((rest >= -6 && rest <= 6)) ||
    e2e_fail "$(basename "$E2E_SHOT"): the text in the strip spans x $first to $last, not centred on 188"
  e2e_step "the product name is centred in the strip (x $first to $last)"
}

# The bar is filled from x 35 to a whole number of steps, from MIN to MAX, and not beyond:
# flindor_expect_progress MIN MAX; the step is left in FLINDOR_STEP.
flindor_expect_progress() {
  local min=$1 max=$2 end=35 x y
  while ((end < 341)) && [[ ${E2E_PIXELS[$end,140]} == "$FLINDOR_BLUE" ]]; do ((end++)); done
  (((end - 35) % 9 == 0)) ||
    e2e_fail "$(basename "$E2E_SHOT"): the bar ends at x $end, not on a step of 9 pixels from 35"
  FLINDOR_STEP=$(((end - 35) / 9))
  ((FLINDOR_STEP >= min && FLINDOR_STEP <= max)) ||
    e2e_fail "$(basename "$E2E_SHOT"): the bar stands at step $FLINDOR_STEP, expected $min to $max"
  for ((y = 132; y <= 147; y++)); do
    for ((x = 35; x < end; x++)); do _flindor_pixel_is $x $y $FLINDOR_BLUE "the bar"; done
    for ((x = end; x < 341; x++)); do
      [[ ${E2E_PIXELS[$x,$y]} != "$FLINDOR_BLUE" ]] ||
        e2e_fail "$(basename "$E2E_SHOT"): ($x, $y), past the bar's end at x $end, is filled"
    done
  done
  e2e_step "the progress bar stands at step $FLINDOR_STEP (x 35 to $end)"
}
