#!/usr/bin/env bash
# Makes the Debian package from a finished build tree, unpacks it into a
# scratch folder and checks that it installs like a Linux desktop tool:
#   check-package.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || { echo "check-package: $tool is missing; run scripts/setup" >&2; exit 1; }
done

# A package of its own, so a stale one in the build tree cannot pass for it.
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; exit 1; }
debs=("$scratch"/out/kelvane_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "check-package: no single package made" >&2; exit 1; }
deb="${debs[0]}"
echo "package: $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
version="$(field Version)"
[ "$(field Package)" = kelvane ] || fail "package name is $(field Package)"
[ "$(field Section)" = electronics ] || fail "section is $(field Section)"
# Computed from the binaries, so it must name Qt's libraries as well as libc.
for lib in libc6 libqt6core6 libqt6widgets6 libqt6serialport6 qt6-translations-l10n; do
    field Depends | grep -qw "$lib" || fail "Depends lacks $lib: $(field Depends)"
done
[ "$(field Description | wc -l)" -ge 3 ] || fail "the description has no long part"

root="$scratch/root"
dpkg -x "$deb" "$root"
usr="$root/usr"
id=io.github.kelvane.Kelvane
expected=(
    bin/kelvane bin/kelvane-cli bin/ostrel-sim
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/kelvane.1.gz share/man/man1/kelvane-cli.1.gz share/man/man1/ostrel-sim.1.gz
    share/man/zh_CN/man1/kelvane.1.gz share/man/zh_CN/man1/kelvane-cli.1.gz
    share/doc/kelvane/copyright share/doc/kelvane/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -f "$usr/$file" ] || fail "missing /usr/$file"
done
for size in 16 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || continue
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the ${size}px icon is ${width}x${height}"
done
if find "$root" -path '*/udev/*' | grep -q .; then
    fail "the package ships udev rules"
fi

desktop="$usr/share/applications/$id.desktop"
metainfo="$usr/share/metainfo/$id.metainfo.xml"
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop entry"
    exec_program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
    [ -x "$usr/bin/$exec_program" ] || fail "Exec names $exec_program, which the package lacks"
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    [ -f "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
    grep -q '^GenericName\[zh_CN\]=' "$desktop" || fail "no Chinese generic name"
    grep -q '^Comment\[zh_CN\]=' "$desktop" || fail "no Chinese comment"
fi
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 ||
        { cat "$scratch/appstream.log" >&2; fail "appstreamcli refused the metainfo"; }
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"
    # A version bump without a release entry would show the old version in software centres.
    newest="$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)"
    [ "$newest" = "$version" ] || fail "the newest release in the metainfo is $newest, the package $version"
fi
if [ -f "$usr/share/doc/kelvane/changelog.gz" ]; then
    top="$(zcat "$usr/share/doc/kelvane/changelog.gz" | head -n1 | sed -n 's/^kelvane (\([^)]*\)).*/\1/p')"
    [ "$top" = "$version" ] || fail "the changelog's top entry is $top, the package $version"
fi

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME"
for program in kelvane kelvane-cli ostrel-sim; do
    [ -x "$usr/bin/$program" ] || continue
    # The window answers --version without a display.
    said="$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$program" --version 2>&1)" ||
        fail "$program --version failed"
    [ "$said" = "$program $version" ] || fail "$program --version says \"$said\", the package $version"

    page="$usr/share/man/man1/$program.1.gz"
    [ -f "$page" ] || continue
    MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$scratch/page.txt" 2>"$scratch/man.log" ||
        fail "man cannot show $program(1)"
    [ -s "$scratch/man.log" ] && { cat "$scratch/man.log" >&2; fail "$program(1) has formatting errors"; }
    grep -q '^EXIT STATUS' "$scratch/page.txt" || fail "$program(1) has no exit status"
    for option in $(env -u DISPLAY "$usr/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "$option" "$scratch/page.txt" || fail "$program(1) lacks $option"
    done
done
if [ -x "$usr/bin/kelvane" ]; then
    # Without a display the window says so in one line and exits 1 instead of aborting.
    status=0
    said="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/kelvane" 2>&1)" || status=$?
    [ "$status" -eq 1 ] || fail "kelvane without a display exits with $status, not 1"
    { [ "$(printf '%s\n' "$said" | wc -l)" -eq 1 ] && grep -q 'kelvane-cli' <<<"$said"; } ||
        fail "kelvane without a display says: $said"
fi
# Every page, the Chinese ones too, gives the usage line its own SYNOPSIS
# section instead of running it into the description.
for page in "$usr"/share/man/man1/*.1.gz "$usr"/share/man/zh_CN/man1/*.1.gz; do
    [ -f "$page" ] || continue
    zcat "$page" | grep -q '^\.SH SYNOPSIS$' || fail "$page has no synopsis"
    ! zcat "$page" | grep -q '^用法：' || fail "$page keeps the usage line in its text"
done
for page in "$usr/share/man/man1/kelvane-cli.1.gz" "$usr/share/man/zh_CN/man1/kelvane-cli.1.gz"; do
    [ -f "$page" ] || continue
    MANWIDTH=80 man -E UTF-8 -l "$page" >"$scratch/table.txt" 2>/dev/null
    grep -A2 'SerialBaudrate:' "$scratch/table.txt" | grep -E '0 +600' >/dev/null ||
        fail "$page lacks the list keys' table"
done
if [ -x "$usr/bin/kelvane-cli" ]; then
    "$usr/bin/kelvane-cli" -d A defaults >"$scratch/defaults.json" || fail "kelvane-cli -d A defaults failed"
    grep -q '"DeviceType": 0' "$scratch/defaults.json" || fail "kelvane-cli -d A defaults printed no Ostrel-A document"
fi

lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail "lintian: $(grep -v 'root privileges' "$scratch/lintian.log")"
grep '^[EW]:' "$scratch/lintian.log" || true

[ "$failures" -eq 0 ] || { echo "check-package: $failures failure(s)" >&2; exit 1; }
echo "check-package: the package holds and runs what it should"
