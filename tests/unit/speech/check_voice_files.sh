#!/bin/sh
# Speaks the test sentence in every voice and checks with sox that each file
# is a 22.05 kHz mono 16-bit wave of a plausible length.
set -eu
program=$1 sox=$2 folder=$3
rm -rf "$folder" && mkdir -p "$folder"
"$program" "$folder" > "$folder/list.txt"
count=$(wc -l < "$folder/list.txt")
[ "$count" -eq 5 ] || { echo "expected 5 voices, got $count"; cat "$folder/list.txt"; exit 1; }
while IFS="$(printf '\t')" read -r file name; do
    rate=$("$sox" --i -r "$file")
    channels=$("$sox" --i -c "$file")
    bits=$("$sox" --i -b "$file")
    seconds=$("$sox" --i -D "$file")
    echo "$name: $rate Hz, $channels channel(s), $bits bits, $seconds s"
    [ "$rate" = 22050 ] && [ "$channels" = 1 ] && [ "$bits" = 16 ] || exit 1
    awk -v s="$seconds" 'BEGIN { exit !(s > 1.5 && s < 8) }' || { echo "implausible length"; exit 1; }
done < "$folder/list.txt"
