# Sourced by the benchmarks: mounts $corpus behind slow_fs.c at $work/slow,
# every read of file data waiting SLOW_US microseconds (default 1000), and
# sets $mounted and $slowUs (the caller's cleanup unmounts $mounted). Exits
# the benchmark with a note when this machine cannot mount it.
slowUs=${SLOW_US:-1000}
if ! [ -e /dev/fuse ] || ! command -v fusermount3 >/dev/null || ! pkg-config --exists fuse3 2>/dev/null; then
  echo "slow reads: skipped (needs /dev/fuse, fuse3 and libfuse3-dev; scripts/setup.sh installs the packages)"
  exit 0
fi
cc -O2 -o "$work/slow_fs" "$here/slow_fs.c" $(pkg-config --cflags --libs fuse3)
mkdir -p "$work/slow"
if ! "$work/slow_fs" "$corpus" "$work/slow" "$slowUs" 2> "$work/mount.err"; then
  echo "slow reads: skipped (FUSE mount refused: $(head -1 "$work/mount.err"))"
  exit 0
fi
mounted=$work/slow
