#!/usr/bin/env bash
# Runs a Windows test program with VEMKO_FULL_FOLDER naming a folder on a tiny file system of its own
# (a 256 KB tmpfs, seen through the prefix's Z: drive), so a save can run out of disk part-way.
# Mounting needs root and a system that allows it; elsewhere the run is skipped (exit code 77).
#   scripts/with-small-disk.sh program.exe [arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
shift

folder=$(mktemp -d /tmp/vemko-small-disk.XXXXXX)
if ! mount -t tmpfs -o size=256k tmpfs "$folder" 2>/dev/null; then
  rmdir "$folder"
  echo "with-small-disk: cannot mount a small file system here; skipped"
  exit 77
fi
trap 'umount "$folder"; rmdir "$folder"' EXIT
VEMKO_FULL_FOLDER="Z:${folder//\//\\}" "$here/wine-run.sh" "$program" "$@"
