#!/usr/bin/env bash
# Fails unless the program imports nothing but DLLs that every Windows system has.
set -euo pipefail
objdump=$1 program=$2
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|winspool\.drv|imm32|msvcrt|shlwapi|version|ws2_32|api-ms-win-[a-z0-9-]+)(\.dll)?$'
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "$program imports:" $imports
bad=$(echo "$imports" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "not a system DLL: $bad" >&2; exit 1; fi
