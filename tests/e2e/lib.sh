# End-to-end test library: drives a Windows program under Wine from outside, as a person would.
# A test script sources it and reads like the session it checks:
#
#   source "$E2E_LIB"
#   e2e_begin                                   # fresh Wine prefix, display, deadline
#   e2e_start "$FLINDOR_EXE"                    # the program, in the background
#   e2e_dismiss_box "WARNING" "FLASH FILE NOT OPEN!!" --owner FLINDOR
#   e2e_expect_exit 0
#   e2e_pass
#
# Every step waits at most E2E_WAIT seconds and fails the test with a clear message; on failure
# the windows on screen, a screenshot and the program's output are kept in the test's artifacts.
# Texts are compared in the driver's one-line form: line breaks written \n, tabs \t.
#
# Given by tests/e2e/CMakeLists.txt: E2E_NAME, E2E_ROOT (work area), E2E_DRIVER, E2E_MACHINE
# (i386 or x86-64: every program a test starts or installs must be of this machine type).
# Optional: E2E_WAIT (seconds per step, default 15), E2E_DEADLINE (whole test, default 240),
# E2E_KEEP=1 (keep the run's Wine prefix), E2E_FULL_BOOT=1 (boot each prefix from scratch
# instead of cloning the booted template).

set -uo pipefail

E2E_WAIT=${E2E_WAIT:-15}
E2E_DEADLINE=${E2E_DEADLINE:-240}
# Wine would offer to install Mono and Gecko in a dialog nobody answers.
E2E_BASE_OVERRIDES="mscoree,mshtml="
# Programs run in a Wine desktop of the screen's size: with no window manager on the virtual
# display, that is what draws their title bars and frames, in the screenshots too.
E2E_DESKTOP=1024x768
# Wine's own fonts (Marlett draws the caption buttons; Tahoma, MS Sans Serif and the system
# fonts the rest). Debian's fonts-wine puts them where Debian's Wine never looks (it searches
# its data folder's ../fonts, i.e. /usr/share/fonts, without descending), so each prefix gets
# them in C:\windows\Fonts, where Windows keeps its own.
E2E_WINE_FONTS=/usr/share/wine/fonts
# Faces the resources name that Korean Windows has and Wine lacks, drawn with installed faces
# of the same metrics, so that texts fit their controls as they do there. Dialog units follow
# the font: the main window's client area (404 x 158 pixels) holds the 231 x 115 unit control
# panel exactly when the face's base units are 7 x 11 pixels at 8 points, as Baekmuk Gulim's
# are (Baekmuk Dotum's 6 leaves a grey band and cuts the combo box; Nanum faces, at 13 pixels
# high, push the fields onto the strip below them).
E2E_FONT_REPLACEMENTS=(
  "돋움=Baekmuk Gulim"               # Dotum: the control panel
  "새굴림=Baekmuk Gulim"             # New Gulim: the About box
  "Times New Roman=Liberation Serif"  # the confirmation dialog; Liberation keeps its metrics
)

# ---- life of a test ------------------------------------------------------------------------

# Sets up a fresh prefix and everything else the test needs; call first.
e2e_begin() {
  : "${E2E_NAME:?set by ctest}" "${E2E_ROOT:?set by ctest}" "${E2E_DRIVER:?set by ctest}"
  E2E_STARTED=$SECONDS
  E2E_SHOTS=0
  E2E_PASSED=0
  E2E_FAILING=0
  E2E_OTHER_PIDS=()
  E2E_ARTIFACTS=$E2E_ROOT/artifacts/$E2E_NAME
  rm -rf "$E2E_ARTIFACTS"
  mkdir -p "$E2E_ARTIFACTS" "$E2E_ROOT/runs"
  E2E_RUN=$(mktemp -d "$E2E_ROOT/runs/$E2E_NAME.XXXXXX")
  export WINEPREFIX=$E2E_RUN/prefix
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=$E2E_BASE_OVERRIDES
  trap _e2e_finish EXIT
  trap 'exit 130' INT
  trap 'e2e_fail "the test ran past its deadline of ${E2E_DEADLINE} s"' TERM
  _e2e_ensure_display
  _e2e_start_watchdog
  [[ ${E2E_MACHINE:-} != i386 ]] || _e2e_wine_runs_i386 ||
    e2e_fail "this Wine cannot run 32-bit programs: scripts/install-deps installs wine32:i386"
  _e2e_make_prefix
  _e2e_start_wine
  e2e_step "ready in $((SECONDS - E2E_STARTED)) s"
}

# Ends the test as passed.
e2e_pass() {
  E2E_PASSED=1
  exit 0
}

# Ends the test as failed, keeping what helps to see why.
e2e_fail() {
  echo "E2E FAIL [$E2E_NAME]: $*" >&2
  if [[ $E2E_FAILING == 0 ]]; then
    E2E_FAILING=1
    _e2e_diagnose
  fi
  exit 1
}

e2e_step() { echo "[$E2E_NAME +$((SECONDS - E2E_STARTED))s] $*"; }

# ---- the program under test ----------------------------------------------------------------

# Lets Wine load a DLL of the test's own, e.g. e2e_override_dll wnaspi32=n for the simulated
# ASPI manager beside the exe. Call before e2e_start.
e2e_override_dll() { WINEDLLOVERRIDES+=";$1"; }

# Adds a string value to the prefix's registry, e.g.
# e2e_reg_add 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProductName 'Windows 98'
# A prefix that runs 32-bit programs has a 32-bit and a 64-bit view of HKLM\Software, and a
# program reads the view of its own width, so the value goes into both.
e2e_reg_add() {
  e2e_step "registry: $1 $2 = \"$3\""
  _e2e_reg_add "$@" || e2e_fail "could not add registry value $1\\$2"
}

_e2e_reg_add() {
  local view
  for view in 32 64; do
    timeout -k 5 60 wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f /reg:$view \
      </dev/null >>"$E2E_ARTIFACTS/wine.log" 2>&1 || return 1
  done
}

# Starts a Windows program in the background, from its own folder; its exit code is kept.
e2e_start() {
  _e2e_launch exit-code "$@"
  E2E_PROGRAM_PID=$!
}

# Starts one more program (or another copy) beside the one e2e_start started, under a name of
# the test's choosing: e2e_start_another NAME EXE [ARGS]; e2e_expect_exit_of NAME CODE checks
# how it ended.
e2e_start_another() {
  [[ $1 =~ ^[A-Za-z0-9_-]+$ ]] || e2e_fail "e2e_start_another: not a name: $1"
  _e2e_launch "exit-code.$1" "${@:2}"
  E2E_OTHER_PIDS+=("$!")
}

_e2e_launch() {
  local code=$E2E_RUN/$1 exe
  exe=$(realpath "$2")
  shift 2
  [[ -f $exe ]] || e2e_fail "no program $exe"
  _e2e_expect_machine "$exe"
  e2e_step "start $(basename "$exe") ($E2E_PE) $*"
  rm -f "$code"
  (
    cd "$(dirname "$exe")" || exit
    wine "$exe" "$@"
    echo $? >"$code.new"
    mv "$code.new" "$code"
  ) </dev/null >>"$E2E_ARTIFACTS/program.log" 2>&1 &
}

# Runs a Windows program to its end (console programs, checkers); its output, without the CRs
# of its line ends, is in E2E_OUT and its exit code is returned. Time-boxed: E2E_RUN_LIMIT
# seconds, default 120.
e2e_run() {
  _e2e_expect_machine "$1"
  e2e_step "run $(basename "$1") ($E2E_PE) ${*:2}"
  timeout -k 5 "${E2E_RUN_LIMIT:-120}" wine "$@" </dev/null >"$E2E_RUN/run.out" \
    2>>"$E2E_ARTIFACTS/wine.log"
  local rc=$?
  tr -d '\r' <"$E2E_RUN/run.out" >"$E2E_ARTIFACTS/$(basename "$1").out"
  E2E_OUT=$(<"$E2E_ARTIFACTS/$(basename "$1").out")
  return $rc
}

# Waits for the program to end and checks its exit code.
e2e_expect_exit() { _e2e_expect_exit exit-code "the program" "$@"; }

# The same for a program started by e2e_start_another: e2e_expect_exit_of NAME CODE [seconds].
e2e_expect_exit_of() { _e2e_expect_exit "exit-code.$1" "program \"$1\"" "${@:2}"; }

_e2e_expect_exit() {
  local file=$E2E_RUN/$1 who=$2 want=$3 seconds=${4:-$E2E_WAIT}
  local end=$((SECONDS + seconds))
  until [[ -f $file ]]; do
    ((SECONDS < end)) || e2e_fail "$who still runs ${seconds} s later (expected it to end with $want)"
    sleep 0.2
  done
  local got
  got=$(<"$file")
  [[ $got == "$want" ]] || e2e_fail "$who ended with exit code $got, expected $want"
  e2e_step "$who ended with $got"
}

# The wall clock in milliseconds, for steps timed against each other within a test.
e2e_clock_ms() {
  local now=${EPOCHREALTIME/[.,]/}
  echo $((10#$now / 1000))
}

# Sleeps until e2e_clock_ms reads at least MS.
e2e_sleep_until_ms() {
  local left=$(($1 - $(e2e_clock_ms)))
  ((left > 0)) && sleep "$((left / 1000)).$(printf '%03d' $((left % 1000)))"
  return 0
}

# Checks that the program has not ended.
e2e_expect_running() {
  [[ ! -f $E2E_RUN/exit-code ]] || e2e_fail "the program ended (exit code $(<"$E2E_RUN/exit-code"))"
}

# Copies files into a folder of the prefix's C: drive, as an installation would, e.g.
# e2e_install FLINDOR "$FLINDOR_EXE" "$SIM_DLL"; the folder's Linux path is left in E2E_INSTALLED.
e2e_install() {
  local file
  for file in "${@:2}"; do
    [[ $file == *.[eE][xX][eE] || $file == *.[dD][lL][lL] ]] && _e2e_expect_machine "$file"
  done
  E2E_INSTALLED=$WINEPREFIX/drive_c/$1
  mkdir -p "$E2E_INSTALLED" && cp "${@:2}" "$E2E_INSTALLED/" || e2e_fail "could not install ${*:2}"
}

# The prefix's C: drive as a Linux path, for placing files the program opens as C:\...
e2e_c_drive() { echo "$WINEPREFIX/drive_c"; }

# A Linux path as the program sees it (drive Z: is the root).
e2e_windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# ---- what a person does --------------------------------------------------------------------

# Runs one driver subcommand; its output is in E2E_OUT, its complaint in E2E_ERR.
e2e_drive() {
  local rc attempt
  # Now and then, under load, Wine fails to start the driver at all (seen with the 64-bit one:
  # "ShellExecuteEx failed"); nothing was done then, so it is safe to start it again.
  for attempt in 1 2 3; do
    timeout -k 5 $((E2E_WAIT + 30)) wine "$E2E_DRIVER" --wait "$E2E_WAIT" "$@" \
      </dev/null >"$E2E_RUN/driver.out" 2>"$E2E_RUN/driver.err"
    rc=$?
    grep -q '^ShellExecuteEx failed' "$E2E_RUN/driver.out" "$E2E_RUN/driver.err" || break
    echo "\$ e2e_driver $*  -> Wine could not start the driver (try $attempt)" >>"$E2E_ARTIFACTS/driver.log"
  done
  E2E_OUT=$(<"$E2E_RUN/driver.out")
  E2E_ERR=$(grep '^e2e_driver' "$E2E_RUN/driver.err")
  { echo "\$ e2e_driver $*  -> $rc"; cat "$E2E_RUN/driver.out" "$E2E_RUN/driver.err"; } \
    >>"$E2E_ARTIFACTS/driver.log"
  [[ $rc == 124 || $rc == 137 ]] && E2E_ERR="the driver itself hung and was stopped"
  return $rc
}

# The value of `key=` in the last driver output (the first, if there are several).
e2e_field() {
  local line
  while IFS= read -r line; do
    if [[ $line == "$1="* ]]; then
      printf '%s' "${line#"$1="}"
      return 0
    fi
  done <<<"$E2E_OUT"
  return 1
}

# Every value of `key=` in the last driver output, one a line.
e2e_fields() {
  local line
  while IFS= read -r line; do
    [[ $line == "$1="* ]] && printf '%s\n' "${line#"$1="}"
  done <<<"$E2E_OUT"
}

# Waits for a top-level window with this exact title; its handle is left in E2E_WINDOW.
e2e_wait_window() {
  e2e_drive wait-window "$1" "${2:-$E2E_WAIT}" || e2e_fail "no window \"$1\" within ${2:-$E2E_WAIT} s. $E2E_ERR"
  E2E_WINDOW=$E2E_OUT
}

e2e_wait_gone() {
  e2e_drive wait-gone "$1" "${2:-$E2E_WAIT}" || e2e_fail "window \"$1\" did not close. $E2E_ERR"
}

# Waits for a message box and checks it: e2e_expect_box CAPTION TEXT [--owner TITLE |
# --no-owner] [--buttons OK|...]. Only OK is expected unless --buttons says otherwise. The box
# stays open; its handle is in E2E_BOX.
e2e_expect_box() {
  local caption=$1 text=$2 owner="" buttons="OK"
  shift 2
  while (($#)); do
    case $1 in
      --owner) owner="yes:$2"; shift 2 ;;
      --no-owner) owner="no"; shift ;;
      --buttons) buttons=$2; shift 2 ;;
      *) e2e_fail "e2e_expect_box: unknown option $1" ;;
    esac
  done
  e2e_drive read-box "$E2E_WAIT" ||
    e2e_fail "no message box within $E2E_WAIT s; expected \"$caption\": \"$text\". $E2E_ERR"
  E2E_BOX=$(e2e_field hwnd)
  local got_caption got_text
  got_caption=$(e2e_field caption)
  got_text=$(e2e_field text)
  if [[ $got_caption != "$caption" || $got_text != "$text" ]]; then
    e2e_fail "$(printf 'message box differs\n  expected: caption "%s" text "%s"\n  shown:    caption "%s" text "%s"' \
      "$caption" "$text" "$got_caption" "$got_text")"
  fi
  [[ $(e2e_field buttons) == "$buttons" ]] ||
    e2e_fail "message box \"$caption\" has the buttons \"$(e2e_field buttons)\", expected \"$buttons\""
  case $owner in
    no) [[ $(e2e_field owned) == no ]] ||
      e2e_fail "message box \"$caption\" is owned by \"$(e2e_field owner)\", expected no owner" ;;
    yes:*) [[ $(e2e_field owned) == yes && $(e2e_field owner) == "${owner#yes:}" ]] ||
      e2e_fail "message box \"$caption\" is owned by \"$(e2e_field owner)\" (owned: $(e2e_field owned)), expected \"${owner#yes:}\"" ;;
  esac
  e2e_step "box \"$caption\": \"$text\""
}

# Presses a button of the box last read (OK unless named) and waits until the box has closed.
# A box after which the program ends the session (the reboot request ends every other process
# of the prefix, the driver's too) counts as closed once the program has ended.
e2e_answer_box() {
  e2e_drive press "$E2E_BOX" "${1:-OK}" || e2e_fail "could not press ${1:-OK} in the box. $E2E_ERR"
  e2e_drive wait-gone "$E2E_BOX" "$E2E_WAIT" && return
  local end=$((SECONDS + E2E_WAIT))
  until [[ -f $E2E_RUN/exit-code ]]; do
    ((SECONDS < end)) || e2e_fail "the message box did not close. $E2E_ERR"
    sleep 0.2
  done
}

# e2e_expect_box, then OK.
e2e_dismiss_box() {
  e2e_expect_box "$@"
  e2e_answer_box
}

# Checks that no message box appears within the given seconds (default 2).
e2e_expect_no_box() {
  e2e_drive read-box "${1:-2}"
  case $? in
    0) e2e_fail "unexpected message box: caption \"$(e2e_field caption)\" text \"$(e2e_field text)\"" ;;
    1) ;;
    *) e2e_fail "could not look for message boxes. $E2E_ERR" ;;
  esac
}

# Checks that no visible top-level window has this title within the given seconds (default 1).
e2e_expect_no_window() {
  e2e_drive wait-window "$1" "${2:-1}"
  case $? in
    0) e2e_fail "unexpected window \"$1\"" ;;
    1) ;;
    *) e2e_fail "could not look for windows. $E2E_ERR" ;;
  esac
}

# Checks that the visible top-level windows are exactly these, by title, in any order: nothing
# else opened (no dialog, no message box).
e2e_expect_only_windows() {
  e2e_drive list-windows || e2e_fail "could not list the windows. $E2E_ERR"
  local shown want line
  shown=$(while IFS= read -r line; do
    [[ $line =~ ^0x[0-9a-fA-F]+\ class=\"[^\"]*\"\ title=\"(.*)\"\ owner= ]] && printf '%s\n' "${BASH_REMATCH[1]}"
  done <<<"$E2E_OUT" | sort)
  want=$(printf '%s\n' "$@" | sort)
  [[ $shown == "$want" ]] ||
    e2e_fail "$(printf 'the windows on screen are:\n%s\nexpected only:\n%s' "$shown" "$want")"
}

e2e_press() {
  e2e_step "press \"$2\" in \"$1\""
  e2e_drive press "$1" "$2" || e2e_fail "could not press \"$2\" in \"$1\". $E2E_ERR"
}

e2e_menu() {
  e2e_step "menu command $2 in \"$1\""
  e2e_drive menu "$1" "$2" || e2e_fail "could not choose menu command $2 in \"$1\". $E2E_ERR"
}

e2e_toolbar() {
  e2e_step "toolbar command $2 in \"$1\""
  e2e_drive toolbar "$1" "$2" || e2e_fail "could not click toolbar command $2 in \"$1\". $E2E_ERR"
}

# Closes a window as its close box does.
e2e_close() {
  e2e_step "close \"$1\""
  e2e_drive close "$1" || e2e_fail "could not close \"$1\". $E2E_ERR"
}

# Asks the window as Windows does before a shutdown, before a suspend and before AutoPlay acts;
# sets E2E_END_SESSION, E2E_SUSPEND and E2E_AUTOPLAY_CANCELLED to its answers (0 refuses a
# shutdown, 0x424D5144 refuses a suspend, 1 cancels AutoPlay).
e2e_query_session_end() {
  e2e_step "ask \"$1\" whether the session may end"
  e2e_drive query-session-end "$1" || e2e_fail "could not ask \"$1\". $E2E_ERR"
  E2E_END_SESSION=$(sed -n 's/^end-session=//p' <<<"$E2E_OUT")
  E2E_SUSPEND=$(sed -n 's/^suspend=//p' <<<"$E2E_OUT")
  E2E_AUTOPLAY_CANCELLED=$(sed -n 's/^autoplay-cancelled=//p' <<<"$E2E_OUT")
}

# Prints the text of a control (searched through nested panels too).
e2e_control_text() {
  e2e_drive control-text "$1" "$2" || e2e_fail "could not read control $2 of \"$1\". $E2E_ERR"
  printf '%s' "$E2E_OUT"
}

e2e_expect_text() {
  local got
  got=$(e2e_control_text "$1" "$2") || exit 1
  [[ $got == "$3" ]] || e2e_fail "control $2 of \"$1\" shows \"$got\", expected \"$3\""
}

# e2e_expect_combo TITLE ID ITEM... : the combo box holds exactly these items, in this order.
e2e_expect_combo() {
  local title=$1 id=$2
  shift 2
  e2e_drive combo-items "$title" "$id" || e2e_fail "could not read combo box $id of \"$title\". $E2E_ERR"
  local want
  want=$(printf '%s\n' "$@")
  (($#)) || want=""
  [[ $E2E_OUT == "$want" ]] ||
    e2e_fail "$(printf 'combo box %s of "%s" holds:\n%s\nexpected:\n%s' "$id" "$title" "$E2E_OUT" "$want")"
}

# Picks item INDEX of a combo box as a person would.
e2e_select_combo() {
  e2e_step "pick item $3 of combo box $2 in \"$1\""
  e2e_drive select-combo "$1" "$2" "$3" || e2e_fail "could not pick item $3 of combo box $2. $E2E_ERR"
}

# Answers the file-open dialog with a Windows path. The dialog's title, filter labels and
# initial name stay readable: e2e_field title, e2e_fields filter, e2e_field name.
e2e_choose_file() {
  e2e_step "file dialog: $1"
  e2e_drive file-dialog "$1" "$E2E_WAIT" || e2e_fail "could not choose the file $1. $E2E_ERR"
}

e2e_cancel_file() {
  e2e_step "file dialog: cancel"
  e2e_drive file-dialog --cancel "$E2E_WAIT" || e2e_fail "could not cancel the file dialog. $E2E_ERR"
}

# Types keys into the focused window, e.g. e2e_key Return, e2e_key alt+slash.
e2e_key() {
  e2e_step "keys $*"
  xdotool key "$@" >>"$E2E_ARTIFACTS/wine.log" 2>&1 || e2e_fail "xdotool could not type $*"
}

# Saves the screen as the next numbered picture in the artifacts; its path is left in E2E_SHOT.
e2e_screenshot() {
  E2E_SHOTS=$((E2E_SHOTS + 1))
  local file
  file=$E2E_ARTIFACTS/$(printf '%02d' "$E2E_SHOTS")-${1:-screen}.png
  timeout 30 import -window root "$file" 2>>"$E2E_ARTIFACTS/wine.log" ||
    e2e_fail "could not take a screenshot"
  E2E_SHOT=$file
  e2e_step "screenshot $(basename "$file")"
}

# ---- what is on the screen -----------------------------------------------------------------

# Where the client area of a window, or of its control ID, begins in the screenshots:
# e2e_client_origin TITLE [ID] sets E2E_CLIENT_X and E2E_CLIENT_Y. Screenshots are of the X
# screen, on which the Wine desktop need not begin at (0, 0).
e2e_client_origin() {
  e2e_drive client-origin "$@" || e2e_fail "could not place the client area of \"$1\". $E2E_ERR"
  local x y
  x=$(e2e_field x) && y=$(e2e_field y) || e2e_fail "client-origin said: $E2E_OUT"
  _e2e_desktop_origin
  E2E_CLIENT_X=$((x + E2E_DESKTOP_X))
  E2E_CLIENT_Y=$((y + E2E_DESKTOP_Y))
}

_e2e_desktop_origin() {
  [[ -n ${E2E_DESKTOP_X:-} ]] && return
  local line
  E2E_DESKTOP_X="" E2E_DESKTOP_Y=""
  while IFS= read -r line; do
    case $line in
      X=*) E2E_DESKTOP_X=${line#X=} ;;
      Y=*) E2E_DESKTOP_Y=${line#Y=} ;;
    esac
  done < <(xdotool search --limit 1 --name ' - Wine desktop$' getwindowgeometry --shell 2>/dev/null)
  [[ $E2E_DESKTOP_X =~ ^-?[0-9]+$ && $E2E_DESKTOP_Y =~ ^-?[0-9]+$ ]] ||
    e2e_fail "could not find the Wine desktop on the X screen"
}

# Reads the pixels of a screenshot within LEFT TOP RIGHT BOTTOM (right and bottom excluded) of
# the client area last placed by e2e_client_origin: e2e_read_pixels FILE LEFT TOP RIGHT BOTTOM
# fills E2E_PIXELS, keyed "x,y" in that client area's coordinates, with "r,g,b" values.
e2e_read_pixels() {
  local file=$1 left=$2 top=$3 right=$4 bottom=$5
  local width=$((right - left)) height=$((bottom - top)) x=$left y=$top r g b
  declare -gA E2E_PIXELS=()
  while read -r r g b; do
    E2E_PIXELS[$x,$y]=$r,$g,$b
    if ((++x == right)); then
      x=$left
      ((++y))
    fi
  done < <(convert "$file" -crop "${width}x${height}+$((E2E_CLIENT_X + left))+$((E2E_CLIENT_Y + top))" \
    +repage -depth 8 rgb:- | od -An -v -tu1 -w3)
  ((y == bottom)) || e2e_fail "could not read the pixels of $(basename "$file")"
}

# ---- machinery ------------------------------------------------------------------------------

# The machine type in a PE file's header, "i386" or "x86-64" (anything else by its number), in
# E2E_PE with the file's format: "PE32 i386", "PE32+ x86-64".
_e2e_pe_type() {
  local at machine
  [[ $(head -c 2 "$1" 2>/dev/null) == MZ ]] || return 1
  at=$(od -An -tu4 -j 60 -N 4 "$1") || return 1
  [[ $(od -An -tx1 -j "$at" -N 4 "$1") == " 50 45 00 00" ]] || return 1
  machine=$(od -An -tx2 -j $((at + 4)) -N 2 "$1")
  case ${machine// /} in
    014c) E2E_PE="PE32 i386" ;;
    8664) E2E_PE="PE32+ x86-64" ;;
    *) E2E_PE="PE machine 0x${machine// /}" ;;
  esac
}

# A test of one width must not run the other width's files: checks FILE against E2E_MACHINE.
_e2e_expect_machine() {
  _e2e_pe_type "$1" || e2e_fail "$1 is not a Windows program"
  [[ -z ${E2E_MACHINE:-} || ${E2E_PE#* } == "$E2E_MACHINE" ]] ||
    e2e_fail "$(basename "$1") is $E2E_PE, but this build's tests run $E2E_MACHINE files"
}

# Ends a test that runs past its deadline, so a hung program cannot hang CI: the test shell gets
# TERM (its handler reports and cleans up) and whatever it waits for in the foreground is ended,
# since the shell runs its handler only once that has returned.
_e2e_start_watchdog() {
  local main=$$
  (
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    sleep "$E2E_DEADLINE" &
    sleeper=$!
    wait "$sleeper" || exit 0
    kill -TERM "$main"
    local child
    for child in $(ps -o pid= --ppid "$main"); do
      [[ $child != "$BASHPID" && $child != "${E2E_XVFB_PID:-}" ]] && kill -TERM "$child"
    done
  ) </dev/null >/dev/null 2>&1 &
  E2E_WATCHDOG=$!
}

# Tests run on the display they are given; without one they bring their own.
_e2e_ensure_display() {
  [[ -n ${DISPLAY:-} ]] && return
  command -v Xvfb >/dev/null || e2e_fail "no DISPLAY and no Xvfb"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$E2E_RUN/display" \
    </dev/null >"$E2E_ARTIFACTS/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local end=$((SECONDS + 20))
  until [[ -s $E2E_RUN/display ]]; do
    ((SECONDS < end)) || e2e_fail "Xvfb did not start"
    sleep 0.1
  done
  export DISPLAY=:$(<"$E2E_RUN/display")
}

# The booted prefix that every test copies, made once per build tree (wineboot takes seconds;
# a copy takes a fraction of one). Files are hard links: Wine never rewrites its DLLs in place
# once a prefix is booted. The registry, which it does rewrite, is copied for real.
_e2e_make_prefix() {
  if [[ ${E2E_FULL_BOOT:-0} == 1 ]]; then
    _e2e_boot "$WINEPREFIX" || e2e_fail "wineboot failed; see $E2E_ARTIFACTS/wine.log"
    return
  fi
  local template=$E2E_ROOT/prefix-template stamp
  stamp=$(_e2e_template_stamp)
  (
    flock -w 300 9 || exit 1
    if [[ ! -f $template/.e2e-stamp || $(<"$template/.e2e-stamp") != "$stamp" ]]; then
      rm -rf "$template" "$template.new"
      # Once, booting a fresh prefix failed at once ("could not load kernel32.dll") and the
      # next boot worked: a second try costs nothing when the first one succeeds.
      _e2e_boot "$template.new" || { rm -rf "$template.new" && _e2e_boot "$template.new"; } || exit 1
      echo "$stamp" >"$template.new/.e2e-stamp"
      mv "$template.new" "$template"
    fi
  ) 9>"$template.lock" || e2e_fail "could not make the Wine prefix template; see $E2E_ARTIFACTS/wine.log"
  cp -al "$template" "$WINEPREFIX" || e2e_fail "could not copy the Wine prefix template"
  local f
  for f in system.reg user.reg userdef.reg .update-timestamp; do
    cp --remove-destination "$template/$f" "$WINEPREFIX/$f"
  done
  rm -f "$WINEPREFIX/.e2e-stamp" "$WINEPREFIX/wineserver"
}

# Whether 32-bit Wine is installed: its Unix side lives in an i386-unix folder, and Debian's
# 32-bit loader (from wine32:i386) in /usr/lib/wine; Wine's own builds keep both in one tree.
_e2e_wine_runs_i386() {
  if [[ -d /usr/lib/wine ]]; then
    [[ -x /usr/lib/wine/wine ]] && compgen -G '/usr/lib/*/wine/i386-unix' >/dev/null
  else
    compgen -G "$(dirname "$(command -v wine)")/../lib*/wine/i386-unix" >/dev/null
  fi
}

# What a booted prefix depends on, so that a template is rebuilt whenever one of them changes:
# Wine's version, the architectures it is installed for (a prefix booted before 32-bit Wine was
# added cannot start programs afterwards) and what _e2e_boot writes into it.
_e2e_template_stamp() {
  local loaders=() file
  for file in /usr/lib/wine/wine /usr/lib/wine/wine64 \
    "$(dirname "$(command -v wine)")"/wine{,64}{,-preloader} /usr/lib/*/wine/*-unix; do
    [[ -e $file ]] && loaders+=("$(stat -L -c '%n:%s:%Y' "$file")")
  done
  printf '%s\n' "$(wine --version 2>/dev/null)" "${loaders[*]}" "$E2E_BASE_OVERRIDES" \
    "$E2E_DESKTOP" "${E2E_FONT_REPLACEMENTS[*]}" "$(ls "$E2E_WINE_FONTS" 2>/dev/null)"
}

# Wine's fonts into the prefix's C:\windows\Fonts, and the replacements of missing faces.
_e2e_install_fonts() {
  local fonts=$1/drive_c/windows/Fonts file pair reg=$1/fonts.reg
  mkdir -p "$fonts" || return 1
  for file in "$E2E_WINE_FONTS"/*.ttf "$E2E_WINE_FONTS"/*.fon; do
    [[ -f $file ]] && ln -sf "$file" "$fonts/"
  done
  # A .reg file, in UTF-16 as regedit writes them: the face names are not all ASCII, and
  # command-line arguments would reach Wine in the locale's character set.
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for pair in "${E2E_FONT_REPLACEMENTS[@]}"; do
      printf '"%s"="%s"\r\n' "${pair%%=*}" "${pair#*=}"
    done
  } | iconv -f UTF-8 -t UTF-16 >"$reg" || return 1
  WINEPREFIX=$1 timeout -k 5 60 wine reg import "$(e2e_windows_path "$reg")" \
    </dev/null >>"$E2E_ARTIFACTS/wine.log" 2>&1
  local rc=$?
  rm -f "$reg"
  return $rc
}

_e2e_boot() {
  e2e_step "booting a Wine prefix (once per build tree)"
  local log=$E2E_ARTIFACTS/wine.log
  WINEPREFIX=$1 timeout -k 5 180 wineboot -i </dev/null >>"$log" 2>&1 &&
    WINEPREFIX=$1 timeout -k 5 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop \
      /d Default /f </dev/null >>"$log" 2>&1 &&
    WINEPREFIX=$1 timeout -k 5 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' \
      /v Default /d "$E2E_DESKTOP" /f </dev/null >>"$log" 2>&1 &&
    _e2e_install_fonts "$1" &&
    WINEPREFIX=$1 timeout -k 5 60 wineserver -w
  local rc=$?
  _e2e_remove_server_dir "$1"
  return $rc
}

# A server that lives until the test ends, and the desktop started under it now, with their
# output going to a file: a helper process started later by the driver would otherwise hold on
# to the pipe that the driver's output is read from.
_e2e_start_wine() {
  wineserver -p </dev/null >>"$E2E_ARTIFACTS/wine.log" 2>&1
  timeout -k 5 60 wine "$E2E_DRIVER" list-windows </dev/null >>"$E2E_ARTIFACTS/wine.log" 2>&1 ||
    e2e_fail "Wine did not start in the prefix; see $E2E_ARTIFACTS/wine.log"
}

# Debian's Wine keeps its server socket in a temporary folder that it names in the prefix.
_e2e_remove_server_dir() {
  local name
  [[ -f $1/wineserver ]] || return 0
  name=$(<"$1/wineserver")
  [[ $name =~ ^wine-[A-Za-z0-9]+$ ]] && rm -rf "${TMPDIR:-/tmp}/$name"
  return 0
}

_e2e_diagnose() {
  [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-/nonexistent} ]] || return
  if e2e_drive list-windows; then
    printf '%s\n' "$E2E_OUT" >"$E2E_ARTIFACTS/windows.txt"
    echo "windows on screen:" >&2
    sed 's/^/  /' "$E2E_ARTIFACTS/windows.txt" >&2
  fi
  timeout 30 import -window root "$E2E_ARTIFACTS/failure.png" 2>/dev/null
  if [[ -s $E2E_ARTIFACTS/program.log ]]; then
    echo "program output (last lines):" >&2
    tail -n 20 "$E2E_ARTIFACTS/program.log" | sed 's/^/  /' >&2
  fi
  echo "artifacts: $E2E_ARTIFACTS" >&2
}

# The processes that run in this test's prefix, by their environment: a Wine process that a
# restart started while the server was going down (services.exe, seen) outlives `wineserver -k`.
_e2e_prefix_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [[ $pid == "$$" || $pid == "$BASHPID" || $pid == "$PPID" ]] && continue
    grep -qzx "WINEPREFIX=$WINEPREFIX" "$environ" 2>/dev/null && echo "$pid"
  done
}

# Ends every process of the prefix and waits until none is left (at most 30 s): the server
# first, which ends its own, then any left over, then the server again, in case one of them
# started another.
_e2e_end_prefix() {
  local round left
  for round in 1 2 3; do
    wineserver -k >/dev/null 2>&1
    timeout 10 wineserver -w >/dev/null 2>&1
    left=$(_e2e_prefix_processes)
    [[ -z $left ]] && return 0
    kill -KILL $left 2>/dev/null
    sleep 0.5
  done
  left=$(_e2e_prefix_processes)
  [[ -z $left ]] || echo "E2E [$E2E_NAME]: processes of the prefix still running: $left" >&2
}

# Leaves nothing running: every process of the prefix, the watchdog, an own display.
_e2e_finish() {
  local rc=$?
  trap - TERM
  if [[ $rc == 0 && $E2E_PASSED != 1 ]]; then
    echo "E2E FAIL [$E2E_NAME]: the test script ended without e2e_pass" >&2
    rc=1
  fi
  [[ -n ${E2E_WATCHDOG:-} ]] && kill "$E2E_WATCHDOG" 2>/dev/null
  if [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]]; then
    _e2e_end_prefix
    [[ -n ${E2E_PROGRAM_PID:-} ]] && wait "$E2E_PROGRAM_PID" 2>/dev/null
    local other
    for other in "${E2E_OTHER_PIDS[@]}"; do wait "$other" 2>/dev/null; done
    _e2e_remove_server_dir "$WINEPREFIX"
  fi
  [[ -n ${E2E_XVFB_PID:-} ]] && kill "$E2E_XVFB_PID" 2>/dev/null
  if [[ ${E2E_KEEP:-0} == 1 ]]; then
    echo "kept: $E2E_RUN" >&2
  elif [[ -n ${E2E_RUN:-} ]]; then
    rm -rf "$E2E_RUN"
  fi
  [[ $rc == 0 ]] && echo "E2E PASS [$E2E_NAME] in $((SECONDS - E2E_STARTED)) s"
  exit "$rc"
}
