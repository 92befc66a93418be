#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it as dpkg would install it and starts the
# installed program for a new user, in the X server the test runs in (xvfb-run):
#     test-install.sh <build dir> [cpack]
# The program must find its help page in share/rubrello/ and keep its data in the user's home.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.sh" "$1"
cpack=${2:-cpack}
app_id=org.example.Rubrello

"$cpack" -G DEB -B "$WORK/package" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 \
    || fail "cpack failed: $(cat "$WORK/cpack.log")"
debs=("$WORK"/package/rubrello_*.deb)
[[ ${#debs[@]} == 1 && -f "${debs[0]}" ]] || fail "no single package in: $(ls "$WORK/package")"
deb=${debs[0]}

# The dependencies come from the binaries, plus the plugin Qt loads for the store.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6sql6 libqt6svg6 libqt6serialport6 libqt6network6 libqt6sql6-sqlite; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] \
        || fail "Depends lacks $package: $depends"
done
[[ $(dpkg-deb -f "$deb" Package) == rubrello ]] || fail "package name: $(dpkg-deb -f "$deb" Package)"

root=$WORK/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
for file in usr/bin/rubrello usr/bin/rubrello-dialer usr/share/rubrello/Rubrello.html \
    "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"; do
    [[ -f "$root/$file" ]] || fail "the package lacks /$file"
done
for size in 48 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] || fail "icon $icon: $(file -b "$icon")"
done
for program in rubrello rubrello-dialer; do
    [[ $(file -b "$root/usr/bin/$program") == *", stripped"* ]] || fail "$program is not stripped"
    readelf -d "$root/usr/bin/$program" >"$WORK/dynamic"
    if grep -qE 'RPATH|RUNPATH' "$WORK/dynamic"; then
        fail "$program still points at the build tree: $(grep PATH "$WORK/dynamic")"
    fi
done
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "the installed menu entry is invalid"
appstreamcli validate-tree --no-net "$root" >"$WORK/appstream.log" 2>&1 \
    || fail "the installed tree fails AppStream: $(cat "$WORK/appstream.log")"

# A new user: an empty home, no XDG variables, the desktop's opener recording what it is asked for.
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$WORK/opener"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened"\n' "$WORK" >"$WORK/opener/xdg-open"
chmod +x "$WORK/opener/xdg-open"
export PATH="$WORK/opener:$PATH"
APP_DIR=$root/usr/bin

start_with_whole_agenda
store=$HOME/.local/share/Rubrello/rubrello/Rubrello.MDB
[[ -f "$store" ]] || fail "no store in the user's data directory; home holds: $(find "$HOME" -type f)"
[[ ! -e "$APP_DIR/Rubrello.MDB" ]] || fail "the store was put beside the installed program"

keys "$MAIN" F1
for _ in $(seq 1 50); do
    [[ -s "$WORK/opened" ]] && break
    sleep 0.1
done
[[ $(cat "$WORK/opened" 2>/dev/null) == "file://$root/usr/share/rubrello/Rubrello.html" ]] \
    || fail "F1 opened '$(cat "$WORK/opened" 2>/dev/null)'; program said: $(cat "$WORK/program.log")"

keys "$MAIN" alt+u
wait_exit || fail "the program ended with an error"
[[ $(sqlite3 "$store" "select count(*) from PhoneList") == 0 ]] || fail "the new store is not empty"
echo "package_install: passed ($(basename "$deb"))"
