#!/usr/bin/env python3
"""check-manifest.py PROGRAM.exe [vemkoconv.exe]: the manifests are in the built executables.

The resource compiler stores a manifest as its UTF-8 bytes, so the keys are looked for in the file
as they are written. The program must ask for the common controls of version 6, declare per-monitor
DPI awareness (version 2, with the older forms beside it), name the systems from Windows 7 to 10/11
and not change its code page; the converter names the same systems."""
import sys

SYSTEMS = [b"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", b"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
           b"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]
PROGRAM = [b"Microsoft.Windows.Common-Controls", b'version="6.0.0.0"', b"PerMonitorV2",
           b"<dpiAware", b"true/pm"] + SYSTEMS


def check(path, wanted):
    data = open(path, "rb").read()
    if b"<assembly" not in data:
        return [f"{path}: no manifest"]
    faults = [f"{path}: no {key.decode()}" for key in wanted if key not in data]
    if b"activeCodePage" in data:
        faults.append(f"{path}: the manifest changes the program's code page")
    return faults


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    faults = check(sys.argv[1], PROGRAM)
    for converter in sys.argv[2:]:
        faults += check(converter, SYSTEMS)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
