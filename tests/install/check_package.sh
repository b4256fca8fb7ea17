#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks its control fields, contents and lintian's verdict,
# installs it with dpkg, starts the installed program, removes it and checks that nothing of it is left.
# Whatever step fails, the package is removed again before the test ends, so the machine is left as found.
# Usage: check_package.sh <build dir> <scratch folder>. Exit 77 (skipped) where the tools or rights are missing.
set -euo pipefail
build=$1
scratch=$2
package=qinghe-renamer

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null ||
        skip "$tool is missing (Debian packages dpkg-dev lintian appstream desktop-file-utils; tools/prepare.sh installs them)"
done
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
else
    skip "installing a package with dpkg needs root or sudo without a password"
fi
# Package tests of other build trees on this machine would install and remove the same package: one at a time.
exec 9>"${TMPDIR:-/tmp}/$package-package-test.lock"
flock -w 200 9 || skip "another package test has held this machine for over 3 minutes"
status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    skip "$package is already on this machine ($status); this test does not replace or remove it"
fi

installed=0
cleanup() {
    if ((installed)); then
        "${as_root[@]}" dpkg --purge "$package" >/dev/null 2>&1 || echo "could not remove $package: dpkg --purge $package" >&2
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM # so that the cleanup runs on these too

# dpkg refuses to start while another package tool holds its lock; wait for it a while.
dpkg_as_root() {
    local out
    for _ in $(seq 60); do
        if out=$("${as_root[@]}" dpkg "$@" 2>&1); then
            return 0
        fi
        grep -qi "lock" <<<"$out" || { echo "$out" >&2; return 1; }
        sleep 2
    done
    echo "$out" >&2
    return 1
}

rm -rf "$scratch"
mkdir -p "$scratch"
echo "== building the package"
cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack"; }
debs=("$scratch"/${package}_*.deb)
[ -f "${debs[0]}" ] || fail "no package was written to $scratch"
deb=${debs[0]}
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    [ "$(field "$1")" = "$2" ] || fail "$1 is '$(field "$1")', expected '$2'"
}
expect_field Package "$package"
expect_field Version 1.0
expect_field Architecture "$(dpkg --print-architecture)"
expect_field Section utils
expect_field Priority optional
expect_field Maintainer "Qinghe Renamer developers <dev@qinghe.example.org>"
depends=$(field Depends)
echo "Depends: $depends"
# What the program links, as dpkg-shlibdeps found it, with versions.
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libcurl4; do
    [[ ", $depends" == *", $library (>= "* ]] || fail "Depends lacks a versioned $library: $depends"
done
description=$(field Description)
grep -q "^batch file renamer" <<<"$description" || fail "the description's first line: $description"
grep -q "青禾更名器" <<<"$description" || fail "the description has no Chinese part"

echo "== contents"
expected_files=(
    ./usr/bin/qinghe-renamer
    ./usr/share/applications/io.github.qinghe.Renamer.desktop
    ./usr/share/doc/qinghe-renamer/changelog.gz
    ./usr/share/doc/qinghe-renamer/copyright
    ./usr/share/icons/hicolor/scalable/apps/qinghe-renamer.svg
    ./usr/share/man/man1/qinghe-renamer.1.gz
    ./usr/share/man/zh_CN/man1/qinghe-renamer.1.gz
    ./usr/share/metainfo/io.github.qinghe.Renamer.metainfo.xml
)
for size in 16 22 24 32 48 64 128 256; do
    expected_files+=("./usr/share/icons/hicolor/${size}x${size}/apps/qinghe-renamer.png")
done
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
wanted=$(printf '%s\n' "${expected_files[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "the package holds other files than expected:
$(diff <(echo "$wanted") <(echo "$actual") || true)"
dpkg-deb -x "$deb" "$scratch/root"
for size in 16 22 24 32 48 64 128 256; do
    icon="$scratch/root/usr/share/icons/hicolor/${size}x${size}/apps/qinghe-renamer.png"
    # PNG width and height are big-endian words at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done
desktop-file-validate "$scratch/root/usr/share/applications/io.github.qinghe.Renamer.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/io.github.qinghe.Renamer.metainfo.xml" ||
    fail "appstreamcli validate"

echo "== lintian"
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

echo "== dpkg -i"
installed=1
dpkg_as_root -i "$deb" || fail "dpkg -i"
[ "$(dpkg-query -W -f='${db:Status-Status}' "$package")" = installed ] || fail "not installed after dpkg -i"
for file in "${expected_files[@]}"; do
    [ -e "${file#.}" ] || fail "${file#.} is missing after dpkg -i"
done
version=$(/usr/bin/qinghe-renamer --version) || fail "qinghe-renamer --version"
[ "$version" = "qinghe-renamer 1.0" ] || fail "qinghe-renamer --version printed: $version"
echo "$version"

echo "== dpkg -r"
dpkg_as_root -r "$package" || fail "dpkg -r"
installed=0
status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after dpkg -r the package is still '$status'"
for file in "${expected_files[@]}"; do
    [ ! -e "${file#.}" ] || fail "${file#.} is left after dpkg -r"
done
[ ! -e /usr/share/doc/$package ] || fail "/usr/share/doc/$package is left after dpkg -r"
if [ -f /usr/share/applications/mimeinfo.cache ]; then
    ! grep -q io.github.qinghe.Renamer /usr/share/applications/mimeinfo.cache ||
        fail "the desktop's MIME cache still names the program after dpkg -r"
fi
echo "package: 1 passed, 0 failed"
