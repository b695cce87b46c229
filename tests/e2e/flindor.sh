# FLINDOR's own steps for the end-to-end tests, on top of lib.sh: installing the program with the
# simulated drive, choosing the platform, making image files.
#
# Given by CMakeLists.txt: FLINDOR_EXE, FLINDOR_SIM_DLL.

source "$E2E_LIB"

# Installs flindor.exe in C:\FLINDOR. On the ASPI platform (the default) the simulated
# wnaspi32.dll goes beside it, described by the sim configuration on standard input.
# flindor_install aspi|nt|aspi-without-manager < sim-config
flindor_install() {
  local platform=${1:-aspi}
  FLINDOR_CONFIG=$E2E_RUN/sim.conf
  cat >"$FLINDOR_CONFIG"
  FLINDOR_TRANSCRIPT=$E2E_RUN/transcript.log
  FLINDOR_FLASHED=$E2E_RUN/flashed.bin
  printf 'transcript %s\nflash-output %s\n' "$FLINDOR_TRANSCRIPT" "$FLINDOR_FLASHED" \
    >>"$FLINDOR_CONFIG"
  export FLINDOR_SIM_CONFIG=$FLINDOR_CONFIG
  case $platform in
    aspi)
      e2e_install FLINDOR "$FLINDOR_EXE" "$FLINDOR_SIM_DLL"
      e2e_override_dll wnaspi32=n
      e2e_reg_add 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProductName 'Windows 98'
      ;;
    aspi-without-manager)
      e2e_install FLINDOR "$FLINDOR_EXE"
      e2e_override_dll wnaspi32=d
      e2e_reg_add 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProductName 'Windows 98'
      ;;
    nt)
      e2e_install FLINDOR "$FLINDOR_EXE"
      ;;
  esac
  FLINDOR_INSTALLED=$E2E_INSTALLED/$(basename "$FLINDOR_EXE")
}

flindor_start() { e2e_start "$FLINDOR_INSTALLED"; }

# An image file in C:\IMAGES: flindor_image NAME HEADER [SIZE]; its bytes past the header are a
# pattern of their offset. Prints the file's Windows path.
flindor_image() {
  local name=$1 header=$2 size=${3:-131080}
  mkdir -p "$(e2e_c_drive)/IMAGES"
  python3 - "$(e2e_c_drive)/IMAGES/$name" "$header" "$size" <<'PY'
import sys
path, header, size = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
data = bytearray((i * 7 + (i >> 8) * 13 + (i >> 16)) & 0xFF for i in range(size))
data[:len(header)] = header[:size]
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
