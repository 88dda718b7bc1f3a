#!/usr/bin/env bash
# The small disk of the transfer tests: "mount DIR" mounts a fresh 1 MB tmpfs on DIR, "unmount DIR" takes it
# away. Programs under Wine cannot mount, so CTest runs this on the Linux side before and after the tests that
# use it (they find DIR in ZOR_SMALL_DISK). Mounting needs root: without it, or where the system refuses,
# nothing is mounted, this says why, and those tests skip themselves. Only a disk that cannot be taken away
# again fails the run.
set -u
action=${1:-}
dir=${2:-}
if [ -z "$dir" ] || { [ "$action" != mount ] && [ "$action" != unmount ]; }; then
  echo "usage: $0 mount|unmount DIR" >&2
  exit 2
fi

# A test that hung may still hold files open on the disk when it is killed: then the disk is detached lazily,
# so nothing stays mounted either way.
take_away() {
  mountpoint -q "$dir" || return 0
  umount "$dir" 2>/dev/null || umount -l "$dir"
}

if [ "$action" = unmount ]; then
  take_away || { echo "could not unmount $dir" >&2; exit 1; }
  rmdir "$dir" 2>/dev/null
  exit 0
fi

# One left mounted by a run that was killed is replaced by a fresh one.
take_away || { echo "could not unmount the old disk on $dir" >&2; exit 1; }
mkdir -p "$dir"
if [ "$(id -u)" -ne 0 ]; then
  echo "not root: no small disk mounted on $dir; the tests that need one skip themselves"
  exit 0
fi
if ! mount -t tmpfs -o size=1m,mode=0777 zor-small-disk "$dir"; then
  echo "mounting was refused: no small disk on $dir; the tests that need one skip themselves"
  exit 0
fi
echo "a 1 MB disk is mounted on $dir"
