#!/usr/bin/env bash
# Makes the emulation that runs the i686 (32-bit) build on a 64-bit-only machine, as root:
#   qemu user-mode i386 (8.x or newer, from the mirror's backports suite), Wine's 32-bit side
#   unpacked into a private root, and a binfmt_misc handler of our own for i386 ELF programs.
# The system's dpkg architectures, apt sources and installed packages stay as they are: apt runs
# with private state and only downloads; everything lands in one folder.
#   scripts/setup-i686.sh           make it (a second run checks and returns in seconds)
#   scripts/setup-i686.sh --check   exit 0 when it is ready, otherwise say why and exit 1
# VEMKO_I686_HOME overrides the folder (default /var/cache/vemko-i686).
set -euo pipefail

home=${VEMKO_I686_HOME:-/var/cache/vemko-i686}
root=$home/root
qemu=$home/qemu-i386
handler=vemko-i386
binfmt=/proc/sys/fs/binfmt_misc
wine_version=$(dpkg-query -W -f '${Version}' wine64 2>/dev/null || true)
# The i386 ELF header of an executable or a shared object (e_type 2 or 3), as binfmt_misc matches it.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "setup-i686: $*" >&2; }

# Ready means: the root matches the installed wine64 and the handler runs our qemu.
problem() {
  [ -n "$wine_version" ] || { echo "wine64 is not installed (scripts/install-deps.sh installs it)"; return; }
  [ -x "$qemu" ] || { echo "$qemu is missing"; return; }
  [ "$(cat "$home/ready" 2>/dev/null)" = "$wine_version" ] \
    || { echo "no complete Wine 32-bit root for wine $wine_version in $root"; return; }
  [ -f "$binfmt/$handler" ] || { echo "the binfmt_misc handler $handler is not registered"; return; }
  grep -qx enabled "$binfmt/$handler" && grep -qx "interpreter $qemu" "$binfmt/$handler" \
    && grep -qx 'flags: F' "$binfmt/$handler" \
    || { echo "the binfmt_misc handler $handler is not ours or is disabled"; return; }
  # The handler keeps the qemu it opened at registration: a newer file needs a new registration.
  [ "$(cat "$home/registered" 2>/dev/null)" = "$(stat -c %Y:%i "$qemu")" ] \
    || { echo "the binfmt_misc handler $handler holds an older qemu"; return; }
}

if [ "${1:-}" = --check ]; then
  why=$(problem)
  if [ -n "$why" ]; then
    echo "the i686 emulation is not set up: $why (run scripts/setup-i686.sh as root)" >&2
    exit 1
  fi
  exit 0
fi

[ -z "$(problem)" ] && exit 0
[ "$(id -u)" = 0 ] || { say "must run as root"; exit 1; }
[ -n "$wine_version" ] || { say "wine64 is not installed"; exit 1; }
mkdir -p "$home"
exec 9>"$home/lock"
flock 9

# Private apt state: the system's own sources (for Wine's i386 side, the same version as wine64)
# plus the backports suite of the same mirror (for qemu).
apt_dir=$home/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/etc/preferences.d" \
  "$apt_dir/etc/sources.list.d" "$apt_dir/debs"
sources=$apt_dir/etc/sources.list.d/system.sources
cat /etc/apt/sources.list.d/*.sources >"$sources" 2>/dev/null || : >"$sources"
mirror=$(sed -n 's/^URIs:[[:space:]]*//p' "$sources" | grep -v security | head -n1)
mirror=${mirror:-http://deb.debian.org/debian}
legacy=$apt_dir/etc/sources.list
{ cat /etc/apt/sources.list 2>/dev/null || true
  echo "deb $mirror bookworm-backports main"; } >"$legacy"
apt_opts=(-o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o "Dir::Etc::sourcelist=$legacy" -o "Dir::Etc::sourceparts=$apt_dir/etc/sources.list.d"
          -o "Dir::Etc::preferencesparts=$apt_dir/etc/preferences.d"
          -o APT::Architectures::=amd64 -o APT::Architectures::=i386
          -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
download() {  # package=version ... into an emptied debs folder
  rm -f "$apt_dir"/debs/*.deb
  (cd "$apt_dir/debs" && apt-get "${apt_opts[@]}" -q download "$@" >/dev/null)
}

if [ ! -f "$apt_dir/updated" ] || [ -n "$(find "$apt_dir/updated" -mtime +7)" ]; then
  say "reading the package lists (private apt state in $apt_dir)"
  # A mirror in the middle of a sync fails one suite's index (often the security one, which Wine's
  # packages do not come from): try again a little later, then go on with the lists that did come;
  # a package still missing is said below.
  tries=0
  until apt-get "${apt_opts[@]}" -qq update; do
    tries=$((tries + 1))
    if [ $tries -ge 3 ]; then
      say "some package lists could not be read; going on with those that were"
      break
    fi
    sleep 20
  done
  [ $tries -ge 3 ] || touch "$apt_dir/updated"
fi

if [ ! -x "$qemu" ]; then
  # Debian 12's own qemu 7.2 ignores MAP_FIXED_NOREPLACE, and Wine 8 fails to start under it.
  version=$(apt-cache "${apt_opts[@]}" madison qemu-user | awk -F'|' '/bookworm-backports/ {gsub(/ /,"",$2); print $2; exit}')
  [ -n "$version" ] || { say "no qemu-user in bookworm-backports at $mirror"; exit 1; }
  say "qemu-user $version from bookworm-backports"
  download "qemu-user:amd64=$version"
  rm -rf "$home/qemu.tmp"
  dpkg-deb -x "$apt_dir"/debs/qemu-user_*_amd64.deb "$home/qemu.tmp"
  "$home/qemu.tmp/usr/bin/qemu-i386" --version | head -n1 >&2
  install -m 755 "$home/qemu.tmp/usr/bin/qemu-i386" "$qemu.new"
  mv "$qemu.new" "$qemu"
  rm -rf "$home/qemu.tmp"
fi

if [ "$(cat "$home/ready" 2>/dev/null)" != "$wine_version" ]; then
  say "Wine $wine_version, 32-bit side, into $root"
  rm -f "$home/ready"
  # What installing wine32:i386 would add to this system, taken from a simulation only.
  mapfile -t packages < <(apt-get "${apt_opts[@]}" install -s --no-install-recommends "wine32:i386=$wine_version" \
    | awk '$1 == "Inst" && $2 ~ /:i386$/ { v = $3; gsub(/[()]/, "", v); print $2 "=" v }')
  [ ${#packages[@]} -gt 0 ] || { say "apt found no i386 packages for wine32:i386=$wine_version"; exit 1; }
  say "${#packages[@]} i386 packages"
  download "${packages[@]}"
  rm -rf "$root.tmp"
  mkdir -p "$root.tmp"
  debs=("$apt_dir"/debs/*.deb)
  [ ${#debs[@]} = ${#packages[@]} ] || { say "${#debs[@]} packages downloaded of ${#packages[@]}"; exit 1; }
  for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$root.tmp"; done
  # The emulated loader reads the root's own cache; with the host's, FreeType is not found and a
  # new prefix stores a broken menu height (every window a white rectangle).
  mkdir -p "$root.tmp/etc"
  printf '%s\n' /lib/i386-linux-gnu /usr/lib/i386-linux-gnu /usr/lib/i386-linux-gnu/wine \
    'include /etc/ld.so.conf.d/*.conf' >"$root.tmp/etc/ld.so.conf"
  ldconfig -r "$root.tmp"
  # Debian's 32-bit user32.dll imports zlib1.dll, which the i386 packages do not ship. Wine loads
  # a DLL from its own folder only with its builtin mark at offset 0x40.
  zlib=/usr/i686-w64-mingw32/lib/zlib1.dll
  if [ ! -f "$zlib" ]; then
    download libz-mingw-w64
    rm -rf "$home/zlib.tmp"
    dpkg-deb -x "$apt_dir"/debs/libz-mingw-w64_*_all.deb "$home/zlib.tmp"
    zlib=$home/zlib.tmp$zlib
  fi
  dlls=$root.tmp/usr/lib/i386-linux-gnu/wine/i386-windows
  [ -d "$dlls" ] || { say "no $dlls in the unpacked packages"; exit 1; }
  cp "$zlib" "$dlls/zlib1.dll"
  printf 'Wine builtin DLL' | dd of="$dlls/zlib1.dll" bs=1 seek=64 conv=notrunc status=none
  rm -rf "$home/zlib.tmp"
  [ -x "$root.tmp/usr/lib/wine/wine" ] || { say "no 32-bit Wine loader in the unpacked packages"; exit 1; }
  rm -rf "$root"
  mv "$root.tmp" "$root"
  echo "$wine_version" >"$home/ready"
  # The packages are unpacked; keep the download folder small for the next run.
  rm -f "$apt_dir"/debs/*.deb
fi

if [ ! -f "$binfmt/status" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt" || { say "cannot mount binfmt_misc on $binfmt"; exit 1; }
fi
[ "$(cat "$binfmt/status")" = enabled ] || { say "binfmt_misc is disabled on this system"; exit 1; }
[ -f "$binfmt/$handler" ] && echo -1 >"$binfmt/$handler"
# F: the interpreter is opened now, so the handler works in every mount namespace and chroot.
echo ":$handler:M::$magic:$mask:$qemu:F" >"$binfmt/register"
stat -c %Y:%i "$qemu" >"$home/registered"

why=$(problem)
[ -z "$why" ] || { say "$why"; exit 1; }
say "ready: i386 programs run through $qemu, Wine's 32-bit loader is $root/usr/lib/wine/wine"
