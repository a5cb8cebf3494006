#!/bin/bash
# A power cut in the middle of a recording: the recording goes to a small
# ext4 file system on a loop device, the recorder is killed, and the file
# system's image is copied at once, before the system writes back its cache
# (it holds dirty data 30 s): the copy holds what the recorder synced, what a
# disk would hold after the cut. Each video form must play from the copy up
# to about a second before what the killed run had written.
# Usage: power_cut_test.sh ZINTAVEL PRESENTATION_DIR. Exit 77: skipped.
set -u
program=$1 show=$2
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "a loop device needs root"
for tool in losetup mkfs.ext4 e2fsck debugfs ffprobe; do
  command -v "$tool" >/dev/null || skip "no $tool"
done
work=$(mktemp -d)
loop=
cleanup() {
  mountpoint -q "$work/mnt" && umount "$work/mnt"
  [ -n "$loop" ] && losetup -d "$loop"
  rm -rf "$work"
}
trap cleanup EXIT
truncate -s 1G "$work/disk.img"
mkfs.ext4 -q -F "$work/disk.img" || skip "mkfs.ext4 failed"
loop=$(losetup -f --show "$work/disk.img" 2>/dev/null) || skip "no loop device here"
mkdir "$work/mnt"
mount "$loop" "$work/mnt" 2>/dev/null || skip "cannot mount $loop"

frames() { ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1" 2>/dev/null; }
failed=0
fps=30
for name in cut.mkv cut.mp4; do
  "$program" --dir "$show" --record "$work/mnt/$name" --fps $fps --scale 1 2>"$work/log" &
  pid=$!
  sleep 6
  if ! kill -KILL $pid 2>/dev/null; then
    echo "$name: the recording ended before the kill: $(tail -1 "$work/log")"
    failed=1
  fi
  wait $pid 2>/dev/null
  cp "$work/disk.img" "$work/copy.img"
  written=$(frames "$work/mnt/$name")
  e2fsck -fy "$work/copy.img" >/dev/null 2>&1
  debugfs -R "dump /$name $work/$name" "$work/copy.img" >/dev/null 2>&1
  kept=$(frames "$work/$name")
  echo "$name: $written frames written before the kill, ${kept:-none} play after the cut"
  if [ -z "$written" ] || [ "$written" -lt $((3 * fps)) ]; then
    echo "$name: the run wrote too little to tell: $(tail -1 "$work/log")"
    failed=1
  elif [ -z "$kept" ] || [ "$kept" -lt $((written - 3 * fps / 2)) ]; then
    echo "$name: more than about a second lost"
    failed=1
  fi
  rm -f "$work/mnt/$name" "$work/$name" "$work/copy.img"
done
exit $failed
