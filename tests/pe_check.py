#!/usr/bin/env python3
"""Checks that a built deliverable is what its Windows host expects: PE kind,
subsystem, exports and imported DLLs, as read by the mingw objdump."""
import argparse
import re
import subprocess
import sys

# DLLs that every supported Windows version ships.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll",
    "gdiplus.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll",
    "windowscodecs.dll", "wininet.dll", "ws2_32.dll", "bcrypt.dll", "ntdll.dll",
}
COM_SERVER_EXPORTS = {
    "DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
    "DllUnregisterServer", "DllInstall",
}
MAGIC = {"pe32": "010b", "pe32+": "020b"}


def parse(dump):
    magic = re.search(r"^Magic\s+([0-9a-fA-F]+)", dump, re.M)
    subsystem = re.search(r"^Subsystem\s+[0-9a-fA-F]+\s+\((.*)\)", dump, re.M)
    imports = {m.lower() for m in re.findall(r"DLL Name:\s*(\S+)", dump)}
    exports = set()
    table = re.search(r"\[Ordinal/Name Pointer\] Table\n(.*?)(?:\n\s*\n|\Z)", dump, re.S)
    if table:
        exports = set(re.findall(r"\[\s*\d+\]\s+(\S+)", table.group(1)))
    return (magic.group(1).lower() if magic else None,
            subsystem.group(1) if subsystem else None, imports, exports)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--objdump", required=True)
    ap.add_argument("--format", choices=sorted(MAGIC), required=True)
    ap.add_argument("--gui", action="store_true")
    ap.add_argument("--com-server", action="store_true")
    ap.add_argument("file")
    args = ap.parse_args()

    dump = subprocess.run([args.objdump, "-p", args.file], check=True,
                          capture_output=True, text=True).stdout
    magic, subsystem, imports, exports = parse(dump)
    faults = []
    if magic != MAGIC[args.format]:
        faults.append(f"PE magic {magic}, expected {MAGIC[args.format]} ({args.format})")
    if args.gui and subsystem != "Windows GUI":
        faults.append(f"subsystem '{subsystem}', expected 'Windows GUI'")
    if args.com_server and exports != COM_SERVER_EXPORTS:
        faults.append(f"exports {sorted(exports)}, expected exactly {sorted(COM_SERVER_EXPORTS)}")
    foreign = sorted(imports - SYSTEM_DLLS)
    if foreign:
        faults.append(f"imports DLLs that Windows does not ship: {foreign}")
    if not imports:
        faults.append("no import table found")

    for fault in faults:
        print(f"{args.file}: {fault}")
    if not faults:
        print(f"{args.file}: {args.format}, imports {sorted(imports)}"
              + (f", exports {sorted(exports)}" if exports else ""))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
