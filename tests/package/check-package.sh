#!/usr/bin/env bash
# check-package.sh BUILD-DIR VERSION APP-ID: makes the Debian package of BUILD-DIR with CPack, unpacks it
# into a temporary root with dpkg -x, and checks what an installation holds: every file in its standard
# place and nothing else, a desktop entry and a catalogue entry that the validators accept without a
# remark, dependencies computed from the binaries, and an installed program that tells its version.
set -euo pipefail
build=$1 version=$2 appid=$3

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is missing (scripts/setup.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if ! (cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
  cat "$work/cpack.log"
  exit 1
fi
debs=("$work"/out/qxlogging_"$version"_*.deb)
[ -f "${debs[0]}" ] || { ls -l "$work/out"; fail "no package qxlogging_${version}_*.deb"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"
root="$work/root"
dpkg -x "$deb" "$root"

expected=(
  usr/bin/qxlogging
  usr/bin/qxmeter-sim
  "usr/share/applications/$appid.desktop"
  "usr/share/metainfo/$appid.metainfo.xml"
  usr/share/icons/hicolor/scalable/apps/qxlogging.svg
  usr/lib/systemd/user/qxlogging-station.service
  usr/share/man/man1/qxlogging.1.gz
  usr/share/man/man1/qxmeter-sim.1.gz
  usr/share/doc/qxlogging/copyright
  usr/share/doc/qxlogging/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/qxlogging.png")
done
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "the package's files differ from the expected layout:"
  diff <(echo "$wanted") <(echo "$actual") || true
fi

# Each icon is a picture of the size its folder names.
for size in 16 22 24 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/qxlogging.png"
  [ -f "$icon" ] || continue
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "$(file "$icon")"
done

desktop="$root/usr/share/applications/$appid.desktop"
if [ -f "$desktop" ]; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$root/usr/bin/$exec_name" ] || fail "the desktop entry starts '$exec_name', which is not installed"
  icon_name=$(sed -n 's/^Icon=//p' "$desktop")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "no icon named '$icon_name'"
fi

metainfo="$root/usr/share/metainfo/$appid.metainfo.xml"
if [ -f "$metainfo" ]; then
  out=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1) || fail "appstreamcli: $out"
  if echo "$out" | grep -Eq '^[EWIP]: '; then
    fail "appstreamcli has remarks: $out"
  fi
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the catalogue entry does not name release $version"
  grep -q "<launchable type=\"desktop-id\">$appid.desktop</launchable>" "$metainfo" ||
    fail "the catalogue entry does not launch $appid.desktop"
fi

unit="$root/usr/lib/systemd/user/qxlogging-station.service"
if [ -f "$unit" ]; then
  exec_line=$(sed -n 's/^ExecStart=//p' "$unit")
  [ "$exec_line" = "/usr/bin/qxlogging --headless" ] || fail "the station unit starts '$exec_line'"
  grep -q '^WantedBy=default.target$' "$unit" || fail "the station unit is not wanted by the user's default target"
fi

# The distribution's own package checker: no error and no warning.
# Its tags go to standard output; standard error only matters when it could not check.
if ! lintian_out=$(lintian --fail-on error,warning "$deb" 2>"$work/lintian.err"); then
  fail "lintian: $lintian_out $(cat "$work/lintian.err")"
fi
echo "lintian: ${lintian_out:-no remarks}"
for page in qxlogging qxmeter-sim; do
  man_out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) ||
    fail "man $page: $man_out"
  [ -z "$man_out" ] || fail "man $page warns: $man_out"
done

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6serialport6 libc6 qt6-qpa-plugins; do
  echo "$depends" | grep -q "$dep" || fail "Depends lacks $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"

printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/qxlogging" --version)
[ "$printed" = "QX-Logging $version" ] || fail "the installed program printed '$printed'"
"$root/usr/bin/qxmeter-sim" serial --help >/dev/null || fail "the installed simulator does not start"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package layout, validators, dependencies and version: all checked"
