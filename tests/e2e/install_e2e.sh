#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed game:
# it must find its pictures in share/tukomi and paint its window.
# usage: install_e2e.sh BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb
build=$1
trap e2e_stop EXIT
E2E_DIR=$(mktemp -d)
prefix=$E2E_DIR/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null || e2e_fail "cmake --install failed"
for f in bin/tukomi share/applications/org.mibaro.Tukomi.desktop \
         share/metainfo/org.mibaro.Tukomi.metainfo.xml share/tukomi/pictext.ini share/tukomi/999/1/1.gif; do
    [ -e "$prefix/$f" ] || e2e_fail "not installed: $f"
done

e2e_start_display
timeout 30 "$prefix/bin/tukomi" --quit-after-first-frame 2>"$E2E_DIR/stderr" ||
    e2e_fail "the installed game did not start and paint: $(cat "$E2E_DIR/stderr")"
echo "PASS: installed to $prefix and started"
