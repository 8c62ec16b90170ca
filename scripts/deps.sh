#!/usr/bin/env bash
# Installs the Debian 12 packages a build needs, once. Usage: deps.sh run|test|bench
# A second run finds everything in place and does no apt work.
set -euo pipefail

role=${1:-run}

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
       qt6-charts-dev qt6-l10n-tools qt6-tools-dev libqt6opengl6-dev libqt6sql6-sqlite libqt6sql6-psql libqrencode-dev
       libgl-dev libglx-dev libcups2-dev fonts-liberation librsvg2-bin)
testing=(clang libclang-rt-14-dev locales xvfb xauth openbox x11-utils
         cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
         dbus dbus-x11 at-spi2-core python3-pyatspi
         desktop-file-utils appstream dpkg-dev file fakeroot lintian zbar-tools
         postgresql-15 sqlite3)
bench=(libbenchmark-dev hyperfine printer-driver-cups-pdf postgresql-15)

case "$role" in
    run) wanted=("${build[@]}") ;;
    test) wanted=("${build[@]}" "${testing[@]}") ;;
    bench) wanted=("${build[@]}" "${bench[@]}" xvfb xauth openbox) ;;
    *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$pkg")
done

if [ ${#missing[@]} -gt 0 ]; then
    line="apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Estrivo needs these Debian packages. As root, run:" >&2
        echo "  apt-get update && $line" >&2
        exit 1
    fi
    echo "== Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The number tests also run under a comma-decimal locale.
if [ "$role" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "The tests need the de_DE.UTF-8 locale. As root, run:" >&2
        echo "  localedef -i de_DE -f UTF-8 de_DE.UTF-8" >&2
        exit 1
    fi
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
