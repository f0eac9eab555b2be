#!/usr/bin/env bash
# Fails unless every program given is marked large-address-aware (IMAGE_FILE_LARGE_ADDRESS_AWARE,
# 0x20 in the PE file header's characteristics): the 32-bit product gets 4 GB of address space on
# 64-bit Windows only with that mark, 2 GB without it.
#   scripts/check-large-address-aware.sh objdump program.exe...
set -euo pipefail
objdump=$1
shift
status=0
for program in "$@"; do
  characteristics=$("$objdump" -p "$program" | sed -n 's/^Characteristics 0x\([0-9a-fA-F]*\)$/\1/p' | head -n1)
  if [ -z "$characteristics" ]; then
    echo "$program: no PE file header characteristics found" >&2
    status=1
  elif (( 0x$characteristics & 0x20 )); then
    echo "$program: large-address-aware (characteristics 0x$characteristics)"
  else
    echo "$program: NOT large-address-aware (characteristics 0x$characteristics)" >&2
    status=1
  fi
done
exit $status
