#!/usr/bin/python3
"""BackupTarvel.exe as Windows and Explorer see the file: a 64-bit (amd64) or
32-bit (x86) GUI program that needs no DLL Windows does not ship and no
function Windows 7 SP1 lacks, with its version record, its icon (the
window's, from assets/) and its manifest.

    program_file_test.py BackupTarvel.exe assets/backuptarvel.ico VERSION amd64|x86 windows7_imports.txt
Needs Debian's python3-pefile (run with /usr/bin/python3)."""
import struct
import sys

import pefile

# Every one of them is part of Windows itself.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll",
               "msvcrt.dll", "shell32.dll", "ole32.dll", "shlwapi.dll", "version.dll"}

program, icon_file, version, architecture, imports_file = sys.argv[1:6]
MACHINES = {"amd64": "IMAGE_FILE_MACHINE_AMD64", "x86": "IMAGE_FILE_MACHINE_I386"}
pe = pefile.PE(program)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def resource(type_id):
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id == type_id:
            data = entry.directory.entries[0].directory.entries[0].data.struct
            return pe.get_data(data.OffsetToData, data.Size)
    return None


check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE[MACHINES[architecture]], f"not an {architecture} program")
check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"], "not a GUI program")
imports = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
check(imports <= SYSTEM_DLLS, f"imports DLLs Windows does not ship: {sorted(imports - SYSTEM_DLLS)}")

# Every function imported is one Windows 7 SP1 exports (the reviewed list).
reviewed = set()
for line in open(imports_file, encoding="utf-8"):
    line = line.split("#", 1)[0].split()
    if line:
        reviewed.add((line[0].lower(), line[1]))
functions = {(entry.dll.decode().lower(), (item.name or b"#%d" % item.ordinal).decode())
             for entry in pe.DIRECTORY_ENTRY_IMPORT for item in entry.imports}
for dll, name in sorted(functions - reviewed):
    failures.append(f"imports {dll} {name}, which is not on the list of functions Windows 7 SP1 has")

strings = {}
for info in getattr(pe, "FileInfo", [[]])[0]:
    if info.Key == b"StringFileInfo":
        for table in info.StringTable:
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
for key, expected in {"ProductName": "BackupTarvel", "InternalName": "BackupTarvel",
                      "FileVersion": version, "ProductVersion": version}.items():
    check(strings.get(key) == expected, f"{key} is {strings.get(key)!r}, not {expected!r}")
fixed = pe.VS_FIXEDFILEINFO[0]
major, minor = (int(part) for part in version.split("."))
check((fixed.FileVersionMS, fixed.FileVersionLS) == (major << 16 | minor, 0),
      f"FILEVERSION is not {major},{minor},0,0")

ico = open(icon_file, "rb").read()
# The first (only) image of the .ico: its size and place after the header.
size, offset = struct.unpack_from("<II", ico, 6 + 8)
check(resource(3) == ico[offset:offset + size], "the program's icon is not assets' icon")
manifest = (resource(24) or b"").decode()
for needed in ("Microsoft.Windows.Common-Controls", 'version="6.0.0.0"', "PerMonitorV2", "asInvoker",
               f'processorArchitecture="{architecture}"'):
    check(needed in manifest, f"the manifest lacks {needed}")

for failure in failures:
    print(f"{program}: {failure}")
sys.exit(1 if failures else 0)
