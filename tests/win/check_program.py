"""The shipped program starts on every Windows from 95 and NT 4.0 on, with no runtime beside it.

check_program.py EXE IMPORT_LIST LINK_MAP ENTRY_SYMBOL
EXE imports by name only, from the system DLLs only, only names listed (with their source) in
IMPORT_LIST, none of them a wide-character (W) function; its PE header asks for Windows 4.0;
it has no TLS directory; it starts at ENTRY_SYMBOL (its own, per LINK_MAP), and no object
brought anything to the constructor or destructor lists, which nothing would run.
"""
import re
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comctl32.dll",
               "comdlg32.dll"}


def listed_imports(path):
    listed = set()
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            if line.strip() and not line.startswith("#"):
                dll, name, source = (line.split(None, 2) + ["", ""])[:3]
                if not source.strip():
                    raise SystemExit(f"{path}: {name} has no source")
                listed.add((dll.lower(), name))
    return listed


def import_faults(pe, listed):
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode().lower()
        if dll not in SYSTEM_DLLS:
            yield f"imports {dll}, which is not a system DLL of Windows 95 and NT 4.0"
        for symbol in entry.imports:
            if symbol.name is None:
                yield f"imports ordinal {symbol.ordinal} of {dll}: by name only"
                continue
            name = symbol.name.decode()
            if name.endswith("W"):
                yield f"imports {name} from {dll}: a wide-character function"
            if (dll, name) not in listed:
                yield f"imports {name} from {dll}, not in the import list with its source"


def header_faults(pe):
    header = pe.OPTIONAL_HEADER
    for what, major, minor in (
            ("subsystem", header.MajorSubsystemVersion, header.MinorSubsystemVersion),
            ("OS", header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion)):
        if (major, minor) != (4, 0):
            yield f"{what} version {major}.{minor}, not 4.0"
    if hasattr(pe, "DIRECTORY_ENTRY_TLS"):
        yield "has a TLS directory"


def link_faults(pe, link_map, entry_symbol):
    text = open(link_map, encoding="utf-8", errors="replace").read()
    entry = re.search(r"^\s+0x([0-9a-f]+)\s+" + re.escape(entry_symbol) + r"$", text, re.M)
    address = pe.OPTIONAL_HEADER.ImageBase + pe.OPTIONAL_HEADER.AddressOfEntryPoint
    if entry is None or int(entry.group(1), 16) != address:
        yield f"does not start at {entry_symbol}"
    # An input section line: name, address, size, object. The lists' own markers are LONGs.
    for found in re.finditer(r"^ (\.(?:ctors|dtors|init_array|fini_array|tls)\S*)\s+"
                             r"0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)", text, re.M):
        if int(found.group(2), 16) != 0:
            yield f"{found.group(3)} brings {found.group(1)}, which nothing runs"
    for startup in ("crt2.o", "crtbegin.o", "libmingw32.a", "libmsvcrt.a", "libstdc++.a",
                    "libgcc.a", "libgcc_eh.a"):
        if startup in text:
            yield f"links {startup}"


def main(exe, import_list, link_map, entry_symbol):
    pe = pefile.PE(exe)
    faults = [*import_faults(pe, listed_imports(import_list)), *header_faults(pe),
              *link_faults(pe, link_map, entry_symbol)]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
