#!/usr/bin/env bash
# Builds the .deb from the release tree and checks it the way apt and a desktop would see it:
# its dependencies, its files, the desktop entry and metadata, and a clean install/remove
# into a scratch root.
# Usage: test_package.sh <release build dir>
set -uo pipefail

build=${1:?release build dir}
passed=0
failed=0
check() { # check <description> <command...>
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $what"
    fi
}

if [ ! -x "$build/app/estrivo" ]; then
    echo "FAIL: no release build at $build (scripts/test.sh builds it first)"
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/estrivo_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || { echo "FAIL: no .deb produced"; exit 1; }
echo "package: $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for lib in libqt6widgets6 libqt6serialport6 libqt6printsupport6 libqt6gui6 libc6 \
           fonts-liberation; do
    check "depends on $lib" grep -q "$lib" <<<"$depends"
done
check "no sanitizer runtime in the dependencies" bash -c "! grep -qE 'libasan|libubsan' <<<'$depends'"
check "architecture is set" test -n "$(dpkg-deb -f "$deb" Architecture)"

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/estrivo ./usr/share/applications/estrivo.desktop \
            ./usr/share/metainfo/estrivo.metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/estrivo.png \
            ./usr/share/icons/hicolor/scalable/apps/estrivo.svg; do
    check "package holds $file" grep -qF " $file" <<<"$contents"
done

tree="$work/tree"
dpkg-deb -x "$deb" "$tree"
check "desktop entry validates" desktop-file-validate "$tree/usr/share/applications/estrivo.desktop"
check "desktop entry starts estrivo" grep -qx 'Exec=estrivo' "$tree/usr/share/applications/estrivo.desktop"
check "desktop entry names its icon" grep -qx 'Icon=estrivo' "$tree/usr/share/applications/estrivo.desktop"
check "metadata validates" appstreamcli validate --no-net "$tree/usr/share/metainfo/estrivo.metainfo.xml"
check "icon is 48x48" bash -c "file '$tree/usr/share/icons/hicolor/48x48/apps/estrivo.png' | grep -q '48 x 48'"
check "binary is stripped" bash -c "file '$tree/usr/bin/estrivo' | grep -q 'stripped' && ! file '$tree/usr/bin/estrivo' | grep -q 'not stripped'"
check "packaged binary answers --version" bash -c "'$tree/usr/bin/estrivo' --version | grep -q '^estrivo '"

# Install and remove in a scratch root with its own dpkg database.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkgr() { dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless "$@"; }
check "installs into a scratch root" dpkgr -i "$deb"
check "installed binary in place" test -x "$root/usr/bin/estrivo"
check "dpkg lists it installed" bash -c "dpkg --root='$root' -s estrivo | grep -q 'install ok installed'"
check "removes cleanly" dpkgr --purge estrivo
left=$(find "$root/usr" -type f 2>/dev/null | head -n5)
check "nothing left behind after removal" test -z "$left"
[ -z "$left" ] || echo "left behind: $left"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
