#!/usr/bin/env bash
# Times `tarnix-cli errmsg access --set 7` (the Win32 codes and the whole
# HRESULT warning/error range, over two billion codes) with the message
# tables of a Wine PE folder as the system tables, and checks that the
# search over the table codes prints what the walk over every code prints
# on ranges small enough to walk: set 0 and the facility-7 HRESULTs.
#   bench/errmsg_set7.sh [WINE_PE_FOLDER] [RUNS]
# WINE_PE_FOLDER defaults to /work/corpus/x86_64-windows (it must hold
# kernelbase.dll); it is presented to the program as a Windows folder's
# System32 through a symbolic link.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
pe=${1:-/work/corpus/x86_64-windows}
runs=${2:-5}
[ -f "$pe/kernelbase.dll" ] || { echo "no kernelbase.dll in $pe" >&2; exit 1; }
cli=$top/build/release/src/tarnix-cli
[ -x "$cli" ] || (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release --target tarnix-cli)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Windows"
ln -s "$(cd "$pe" && pwd)" "$work/Windows/System32"
export TARNIX_WINDOWS_ROOT=$work/Windows
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_STATE_HOME=$work/home/.state

ms() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
body() { grep -v '^Search finished' "$1"; }  # the finish line holds the time

"$cli" errmsg access --set 7 > "$work/set7.out"  # warm the cache
: > "$work/t"
for _ in $(seq "$runs"); do
  t0=$(ms); "$cli" errmsg access --set 7 > "$work/set7.out"; t1=$(ms)
  echo $(( (t1 - t0) / 1000000 )) >> "$work/t"
done
echo "errmsg access --set 7: median $(median < "$work/t") ms of $runs runs (limit 5000 ms)," \
     "$(grep -c $'\t= ' "$work/set7.out") result lines"

check() {  # label, then the arguments of both runs
  local label=$1; shift
  t0=$(ms); "$cli" errmsg "$@" > "$work/fast.out"; t1=$(ms)
  "$cli" errmsg "$@" --every-code > "$work/every.out"; t2=$(ms)
  if cmp -s <(body "$work/fast.out") <(body "$work/every.out"); then
    echo "$label: same $(grep -c $'\t= ' "$work/fast.out") result lines;" \
         "table codes $(( (t1 - t0) / 1000000 )) ms, every code $(( (t2 - t1) / 1000000 )) ms"
  else
    echo "$label: DIFFERENT output" >&2
    diff <(body "$work/fast.out") <(body "$work/every.out") >&2 || true
    exit 1
  fi
}
check "set 0, access" access --set 0
check "set 0, regex 'file||path'" 'file||path' --regex --set 0
printf '2147942400|2148007935|256||Win32 Facility Errors\n' > "$work/f7.txt"
check "facility 7, 0x8007000E" 0x8007000E --ranges "$work/f7.txt"
check "facility 7, access" access --ranges "$work/f7.txt"
