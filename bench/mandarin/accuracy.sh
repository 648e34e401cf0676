#!/usr/bin/env bash
# How many sentences of tests/unit/mandarin/sentences.tsv each reader says entirely
# right, judged on espeak-ng's phonemes. See README.md beside this script.
#
#   bench/mandarin/accuracy.sh [--rows abcd] [--mismatches DIR]
#
# LENVORO_SAY names the lenvoro-say to test (default build/bin/lenvoro-say).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

for tool in espeak-ng node cc; do
  command -v "$tool" >/dev/null || { echo "accuracy: $tool is missing" >&2; exit 2; }
done
[ -f /usr/include/espeak-ng/speak_lib.h ] || { echo "accuracy: install libespeak-ng-dev" >&2; exit 2; }
[ -d "$root/tools/node_modules/pinyin-pro" ] || { echo "accuracy: run 'npm ci' in tools/ first (row c needs pinyin-pro)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cc -O2 -o "$work/phonemes" "$here/phonemes.c" -lespeak-ng

node "$here/accuracy.js" --phonemes "$work/phonemes" \
  --say "${LENVORO_SAY:-$root/build/bin/lenvoro-say}" "$@"
