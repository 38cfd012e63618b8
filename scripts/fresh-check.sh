#!/usr/bin/env bash
# Checks what a new user meets on a fresh Debian 12 (bookworm) machine, in a
# chroot made with mmdebstrap (minbase: what a container starts from). Needs
# root and Debian's package registry; slow, so no test runs it.
#
#   scripts/fresh-check.sh [--deb FILE] [--keep] [package] [run]
#
#   package  (the default) builds the package with scripts/package.sh, which
#            also checks it with lintian, desktop-file-validate and
#            appstreamcli, unless --deb names one; then in the chroot:
#            installs it with apt, checks tarnix-cli --version and where,
#            man -w, tarnix --help without a display, that no desktop is
#            pulled in, a reinstall, an upgrade over an older package, and
#            that remove and purge leave no file of it under /usr.
#   run      a fresh clone of this repository's HEAD in the chroot, then
#            times scripts/run.sh there as a new user would, and counts the
#            packages it installed and the build steps it ran; it fails when
#            a test-only package is installed or a test target is built.
#
# The chroot lives below ${TARNIX_CHROOT_DIR:-/tmp} and is removed at the
# end (--keep leaves it and says where). Logs go to build/fresh-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
deb="" keep=0 stages=()
while [ $# -gt 0 ]; do
  case "$1" in
    --deb) deb=$(realpath "$2"); shift ;;
    --keep) keep=1 ;;
    package|run) stages+=("$1") ;;
    *) echo "usage: scripts/fresh-check.sh [--deb FILE] [--keep] [package] [run]" >&2; exit 2 ;;
  esac
  shift
done
[ ${#stages[@]} -gt 0 ] || stages=(package)
[ "$(id -u)" -eq 0 ] || { echo "fresh-check: needs root (chroot and mounts)" >&2; exit 2; }
scripts/setup.sh chroot
logs=$src/build/fresh-check
mkdir -p "$logs"
work=$(mktemp -d "${TARNIX_CHROOT_DIR:-/tmp}/tarnix-fresh.XXXXXX")
roots=()
cleanup() {
  local r m
  for r in "${roots[@]}"; do
    for m in sys dev/pts dev proc; do
      mountpoint -q "$r/$m" && umount -l "$r/$m"
    done
  done
  if [ "$keep" = 1 ]; then echo "fresh-check: chroots kept in $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
say() { echo "== $*" >&2; }

# One bookworm base, unpacked afresh for every stage.
base=$work/bookworm.tar
say "making a bookworm base system (mmdebstrap, minbase)"
mmdebstrap --quiet --variant=minbase bookworm "$base" \
  "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main"
# new_root NAME: unpacks the base into $work/NAME and mounts what apt and
# the programs need; sets $root.
new_root() {
  local r=$work/$1
  mkdir -p "$r"
  tar -C "$r" -xf "$base"
  cp /etc/resolv.conf "$r/etc/resolv.conf"
  mount --bind /proc "$r/proc"
  mount --bind /dev "$r/dev"
  mount --bind /dev/pts "$r/dev/pts"
  mount --bind /sys "$r/sys"
  roots+=("$r")
  root=$r
}
# A command in the chroot with a clean environment: no display, no
# compiler cache, no settings of this shell.
in_root() {
  local r=$1; shift
  chroot "$r" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$*"
}
packages_of() { in_root "$1" "dpkg-query -W -f='\${Package}\n'" | sort; }
usr_files() { in_root "$1" "find /usr -xdev ! -type d" | sort; }

stage_package() {
  if [ -z "$deb" ]; then
    say "building the package (scripts/package.sh)"
    scripts/package.sh || fail "scripts/package.sh: the package or its checks failed"
    deb=$(ls "$src"/build/package/tarnix_*.deb)
  fi
  local r version depends rc
  new_root package; r=$root
  version=$(dpkg-deb -f "$deb" Version)
  depends=$(dpkg-deb -f "$deb" Depends)
  say "Depends: $depends"
  say "Recommends: $(dpkg-deb -f "$deb" Recommends)"
  cp "$deb" "$r/tmp/tarnix.deb"
  # An older package to upgrade from: the same files as an earlier version,
  # plus one that the newer version no longer has.
  local old=$work/old
  dpkg-deb -R "$deb" "$old"
  sed -i 's/^Version: .*/Version: 0.9.0/' "$old/DEBIAN/control"
  echo "from an older version" > "$old/usr/share/doc/tarnix/OLDER"
  (cd "$old" && find usr -type f -exec md5sum {} + > DEBIAN/md5sums)
  dpkg-deb -Zgzip --root-owner-group -b "$old" "$r/tmp/tarnix-old.deb" >/dev/null

  in_root "$r" "apt-get update -qq" || fail "apt-get update"
  # man -w needs man-db, which a container lacks and a desktop install has.
  in_root "$r" "apt-get install -y -qq --no-install-recommends man-db >/dev/null"
  local before_pkgs=$logs/package-pkgs-before.txt before_usr=$logs/package-usr-before.txt
  packages_of "$r" > "$before_pkgs"
  usr_files "$r" > "$before_usr"

  say "apt would install $(in_root "$r" "apt-get install -s /tmp/tarnix.deb" | grep -c '^Inst') packages," \
      "$(in_root "$r" "apt-get install -s --no-install-recommends /tmp/tarnix.deb" | grep -c '^Inst') without recommends"
  say "apt install ./tarnix_${version}_*.deb"
  in_root "$r" "apt-get install -y -qq /tmp/tarnix.deb" > "$logs/package-install.log" 2>&1 ||
    { cat "$logs/package-install.log" >&2; fail "apt install of the package"; return; }
  packages_of "$r" > "$logs/package-pkgs-installed.txt"
  local added
  added=$(comm -13 "$before_pkgs" "$logs/package-pkgs-installed.txt")
  say "apt installed $(echo "$added" | wc -l) packages (with recommends; list in $logs/package-pkgs-installed.txt)"
  # A server must not get a display server or a desktop with the package.
  local desktop
  desktop=$(echo "$added" | grep -E '^(xserver-xorg.*|xwayland|xvfb|task-.*|gnome-.*|kde-.*|plasma-.*|xfce4.*|lxqt.*|gdm3|lightdm|sddm|x11-xserver-utils)$' || true)
  [ -z "$desktop" ] || fail "the package pulls a desktop: $(echo $desktop)"

  local got
  got=$(in_root "$r" "tarnix-cli --version") || fail "tarnix-cli --version"
  say "tarnix-cli --version: $got"
  echo "$got" | grep -q "${version%%-*}" || fail "tarnix-cli --version does not say $version"
  # A fresh machine has no Windows folder: where says so and how to name one
  # (exit 1); named, it lists it.
  in_root "$r" "tarnix-cli where" > "$logs/package-where.txt" 2>&1 && rc=0 || rc=$?
  [ "$rc" = 1 ] && grep -q TARNIX_WINDOWS_ROOT "$logs/package-where.txt" || fail "tarnix-cli where without Windows folders: exit $rc"
  in_root "$r" "mkdir -p /tmp/win/System32 && TARNIX_WINDOWS_ROOT=/tmp/win tarnix-cli where" > "$logs/package-where-root.txt" 2>&1 &&
    grep -q '^System32 ([0-9]*-bit): */tmp/win/System32$' "$logs/package-where-root.txt" || fail "tarnix-cli where with a Windows root"
  got=$(in_root "$r" "man -w tarnix-cli && man -w tarnix") || fail "man -w"
  say "man -w: $(echo $got)"
  in_root "$r" "QT_QPA_PLATFORM=offscreen tarnix --help" > "$logs/package-gui-help.txt" 2>&1 ||
    fail "QT_QPA_PLATFORM=offscreen tarnix --help"
  # Without any display the window says so and stops; it must not crash.
  rc=0
  in_root "$r" "tarnix" > "$logs/package-gui-nodisplay.txt" 2>&1 || rc=$?
  [ "$rc" -lt 128 ] || fail "tarnix without a display ended by signal $((rc - 128))"
  in_root "$r" "test -s /usr/share/bash-completion/completions/tarnix-cli" || fail "no completion"

  local files=$logs/package-files.txt
  in_root "$r" "dpkg -L tarnix" | sort > "$files"
  in_root "$r" "apt-get install -y -qq --reinstall /tmp/tarnix.deb" >/dev/null 2>&1 || fail "reinstall over itself"
  in_root "$r" "dpkg -V tarnix" || fail "files changed after the reinstall"

  # Removal: nothing of the package stays below /usr, then the same for purge.
  check_gone() {
    local what=$1 left
    left=$(in_root "$r" "while read -r f; do [ -d \"\$f\" ] || [ ! -e \"\$f\" ] || echo \"\$f\"; done" < "$files")
    left+=$(in_root "$r" "find /usr -xdev -name 'tarnix*' -o -path '*io.github.tarnix*'")
    [ -z "$left" ] || fail "after $what: $(echo $left)"
    in_root "$r" "dpkg-query -W -f='\${Status}' tarnix 2>/dev/null" | grep -q 'install ok installed' &&
      fail "after $what: the package is still installed"
    return 0
  }
  in_root "$r" "apt-get remove -y -qq tarnix" >/dev/null 2>&1 || fail "apt remove"
  usr_files "$r" > "$logs/package-usr-removed.txt"
  check_gone "apt remove"
  in_root "$r" "apt-get install -y -qq /tmp/tarnix.deb && apt-get purge -y -qq tarnix" >/dev/null 2>&1 || fail "apt purge"
  check_gone "apt purge"
  # And with its dependencies gone too, /usr is as it was before.
  in_root "$r" "apt-get autoremove --purge -y -qq" >/dev/null 2>&1
  usr_files "$r" > "$logs/package-usr-after.txt"
  say "files below /usr: $(wc -l < "$before_usr") before, $(wc -l < "$logs/package-usr-removed.txt") after apt remove," \
      "$(wc -l < "$logs/package-usr-after.txt") after purge and autoremove"
  diff "$before_usr" "$logs/package-usr-after.txt" > "$logs/package-usr-diff.txt" ||
    say "what purge and autoremove left below /usr that was not there before: $logs/package-usr-diff.txt"

  # Upgrade: the older package, then this one over it.
  in_root "$r" "apt-get install -y -qq /tmp/tarnix-old.deb" >/dev/null 2>&1 || fail "installing the older package"
  in_root "$r" "apt-get install -y -qq /tmp/tarnix.deb" >/dev/null 2>&1 || fail "upgrading over the older package"
  got=$(in_root "$r" "dpkg-query -W -f='\${Version}' tarnix")
  [ "$got" = "$version" ] || fail "after the upgrade the version is $got"
  in_root "$r" "test ! -e /usr/share/doc/tarnix/OLDER" || fail "the upgrade left a file only the older package had"
  in_root "$r" "dpkg -V tarnix && tarnix-cli --version >/dev/null" || fail "tarnix after the upgrade"
}

stage_run() {
  local r
  new_root run; r=$root
  # A fresh clone, as a new user makes it (with git on the host: the chroot
  # starts without git).
  git clone -q "$src" "$r/root/tarnix"
  git -C "$r/root/tarnix" checkout -q "$(git -C "$src" rev-parse HEAD)"
  packages_of "$r" > "$logs/run-pkgs-before.txt"
  ( while sleep 30; do echo "$(date +%T) $(uptime)"; done ) > "$logs/run-load.txt" &
  local loadpid=$! start end rc=0
  say "scripts/run.sh in a fresh clone (log: $logs/run.log)"
  start=$(date +%s)
  in_root "$r" "cd /root/tarnix && scripts/run.sh" > "$logs/run.log" 2>&1 || rc=$?
  end=$(date +%s)
  kill "$loadpid"
  [ "$rc" = 0 ] || { tail -n 20 "$logs/run.log" >&2; fail "scripts/run.sh exited $rc"; }
  packages_of "$r" > "$logs/run-pkgs-after.txt"
  local added steps targets
  added=$(comm -13 "$logs/run-pkgs-before.txt" "$logs/run-pkgs-after.txt")
  steps=$(grep -oE '^\[[0-9]+/[0-9]+\]' "$logs/run.log" | tail -n 1 | tr -d '[]')
  say "scripts/run.sh: $((end - start)) s wall; apt installed $(echo "$added" | wc -l) packages; ninja ran ${steps:-?} build steps"
  say "load while it ran (uptime every 30 s): $logs/run-load.txt"
  local testonly
  testonly=$(echo "$added" | grep -E '^(clang.*|llvm.*|lld.*|libclang.*|googletest|libgtest-dev|libgmock-dev|libbenchmark-dev|xvfb|xauth|openbox|python3-dogtail|python3-pyatspi|xdotool|imagemagick|tidy|mingw-w64.*|lintian|appstream|desktop-file-utils|fuse3)$' || true)
  [ -z "$testonly" ] || fail "scripts/run.sh installed test-only packages: $(echo $testonly)"
  # The programs built: the two and the sample image maker, nothing else.
  targets=$(in_root "$r" "cd /root/tarnix/build/release && find . -path ./CMakeFiles -prune -o -type f -executable ! -name '*.so*' -print" |
            grep -vxE '\./src/tarnix-cli|\./src/gui/tarnix|\./tests/tarnix-make-samples' || true)
  [ -z "$targets" ] || fail "scripts/run.sh built more than the two programs: $(echo $targets)"
}

for stage in "${stages[@]}"; do "stage_$stage"; done
[ "$failed" = 0 ] && echo "fresh-check: passed" >&2 || echo "fresh-check: FAILED" >&2
exit $failed
