#!/usr/bin/env python3
"""Fails on an #include that goes up the ladder of layers, so that dependence runs one way only.

Each rung may include its own folder and any lower rung, never a rung above nor a sibling on its own
rung (siblings talk through what lies below them, or through messages and callbacks the shell gives
them). A subsystem's Win32 part may include its own portable part; portable code never includes a
Win32 part. The shell (app/) and the command-line tool sit at the top: nothing includes them.

Tests stand above the product: a test may include any product header and tests/support, but the
product never includes tests, and the portable tests (built natively) never include a Win32 header
of the product or tests/support/win.

Usage: check-include-ladder.py [SOURCE_DIR]
"""
import pathlib
import re
import sys

# Lowest first.
LADDER = [
    ["resources"],  # resource ids, shared with the .rc scripts; no code
    ["base"],
    ["encoding"],
    ["control"],
    ["document"],
    ["tools", "appearance"],
    ["base/win"],
    ["control/win"],
    ["document/win"],
    ["tools/win", "appearance/win"],
    ["app", "app/win", "cli"],
]
RUNG = {folder: level for level, folders in enumerate(LADDER) for folder in folders}
TOP = {"app", "app/win", "cli"}

# Made by the configure step into the build folder.
GENERATED = {"base/version.h"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCES = (".cpp", ".h", ".rc")


def is_win(folder):
    return folder == "win" or folder.endswith("/win") or "/win/" in folder


def product_rule(folder, target):
    """None when a product file in folder may include the project file target, else the reason."""
    target_folder = str(pathlib.PurePosixPath(target).parent)
    if target_folder == folder:
        return None
    if target_folder.startswith("tests"):
        return "the product never includes tests"
    if target_folder not in RUNG:
        return f"{target_folder} is on no rung of the ladder"
    if not is_win(folder) and is_win(target_folder):
        return "portable code includes a Win32 part"
    if is_win(folder) and target_folder == folder[: -len("/win")]:
        return None
    if target_folder in TOP:
        return f"nothing includes the top ({target_folder})"
    if RUNG[target_folder] == RUNG[folder]:
        return f"{folder} and {target_folder} are siblings on one rung"
    if RUNG[target_folder] > RUNG[folder]:
        return f"{target_folder} is above {folder}"
    return None


def test_rule(folder, target):
    target_folder = str(pathlib.PurePosixPath(target).parent)
    if is_win(folder) or folder.startswith("bench/win"):
        return None
    if is_win(target_folder):
        return "a portable test includes a Win32 header"
    return None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    known = {path.name for path in root.iterdir() if path.is_dir()}
    faults = []
    checked = 0
    tops = sorted({folder.split("/")[0] for folder in RUNG} | {"tests", "bench"})
    for path in sorted(p for top in tops for p in (root / top).rglob("*")):
        relative = path.relative_to(root)
        if path.suffix not in SOURCES:
            continue
        folder = str(relative.parent.as_posix())
        text = path.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            include = match.group(1)
            if "/" not in include:
                include = f"{folder}/{include}" if folder != "." else include
            if include.split("/")[0] not in known:
                continue  # a system or library header
            line = text.count("\n", 0, match.start()) + 1
            checked += 1
            exists = (root / include).exists() or (root / "tests" / include).exists() or include in GENERATED
            if not exists:
                faults.append(f"{relative}:{line}: {include} does not exist")
                continue
            if relative.parts[0] in ("tests", "bench"):
                if relative.parts[0] == "tests" and include.startswith("support/"):
                    include = "tests/" + include
                reason = test_rule(folder, include)
            else:
                reason = product_rule(folder, include)
            if reason:
                faults.append(f"{relative}:{line}: #include \"{match.group(1)}\": {reason}")
    for fault in faults:
        print(fault)
    print(f"{checked} includes checked, {len(faults)} against the ladder")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
