#!/usr/bin/env bash
# The shipped program must start on a clean Windows: it may import system DLLs only (no C
# runtime, which a clean Windows 95 lacks), and it must be a GUI program of the expected width.
# It ships stripped and small: no symbol table, no debug sections, at most MAX_BYTES.
# check_imports.sh OBJDUMP EXE FORMAT MAX_BYTES
set -uo pipefail
objdump=$1 exe=$2 format=$3 max_bytes=$4
allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll user32.dll"

headers=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
status=0
grep -q "file format $format" <<<"$headers" || { echo "not $format"; status=1; }
grep -Eq "^Subsystem[[:space:]]+0*2[[:space:]]" <<<"$headers" || { echo "not a GUI program"; status=1; }
while read -r dll; do
  lower=${dll,,}
  [[ " $allowed " == *" $lower "* ]] || { echo "imports $dll, which a clean Windows lacks"; status=1; }
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")

"$objdump" -t "$exe" | grep -q "^no symbols" || { echo "carries a symbol table"; status=1; }
sections=$("$objdump" -h "$exe" | awk '$2 ~ /^\.debug/ {print $2}')
[[ -z $sections ]] || { echo "carries debug sections:" $sections; status=1; }
size=$(stat -c %s "$exe")
((size <= max_bytes)) || { echo "is $size bytes, more than $max_bytes"; status=1; }
exit $status
