#!/usr/bin/env bash
# Builds the .deb from the release tree and checks it the way apt, lintian and a desktop would
# see it: its dependencies, its files, both programs' desktop entries, metadata and manual
# pages, the licence, the binaries' hardening, and a clean install/remove into a scratch root.
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

for program in app/estrivo records/estrivo-records; do
    if [ ! -x "$build/$program" ]; then
        echo "FAIL: no $program in the release build at $build (scripts/test.sh builds it first)"
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/estrivo_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || { echo "FAIL: no .deb produced"; exit 1; }
echo "package: $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
# The SQL drivers are plugins the binaries never link: named by hand, they must be there.
for lib in libqt6widgets6 libqt6serialport6 libqt6printsupport6 libqt6gui6 libc6 \
           fonts-liberation libqt6sql6-sqlite libqt6sql6-psql libqt6charts6 libqrencode4; do
    check "depends on $lib" grep -q "$lib" <<<"$depends"
done
check "no sanitizer runtime in the dependencies" bash -c "! grep -qE 'libasan|libubsan' <<<'$depends'"
check "architecture is set" test -n "$(dpkg-deb -f "$deb" Architecture)"

contents=$(dpkg-deb -c "$deb")
for program in estrivo estrivo-records; do
    for file in ./usr/bin/$program ./usr/share/applications/$program.desktop \
                ./usr/share/metainfo/$program.metainfo.xml \
                ./usr/share/icons/hicolor/48x48/apps/$program.png \
                ./usr/share/icons/hicolor/scalable/apps/$program.svg \
                ./usr/share/man/man1/$program.1.gz; do
        check "package holds $file" grep -qF " $file" <<<"$contents"
    done
done
# Printing support is a module the program loads at its first print, found beside it.
module=./usr/lib/estrivo/modules/libestrivo_print_backend.so
for file in ./usr/share/doc/estrivo/copyright ./usr/share/doc/estrivo/changelog.gz $module; do
    check "package holds $file" grep -qF " $file" <<<"$contents"
done
# Nothing to do at install or removal: no ldconfig for a module opened by its path, nothing else.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -vxE 'control|md5sums|')
check "no maintainer scripts or triggers" test -z "$scripts"
[ -z "$scripts" ] || echo "in the control archive: $(echo $scripts)"
check "no licence text of its own beside the common one" \
    bash -c "! grep -qE 'LICENSE|COPYING' <<<'$contents'"

tree="$work/tree"
dpkg-deb -x "$deb" "$tree"
# The sheet window prints through the module; its place is built into the program relative to
# the program's own (as UTF-16 text, like every QStringLiteral).
finds_module() {
    local relative
    relative=$(strings -a -el "$tree/usr/bin/estrivo" | grep "^[^/].*/${module##*/}\$") || return 1
    relative=${relative%%$'\n'*}
    [ "$(realpath -m "$tree/usr/bin/$relative")" = "$(realpath -m "$tree/$module")" ]
}
check "estrivo finds the packaged print module from /usr/bin" finds_module
for program in estrivo estrivo-records; do
    entry="$tree/usr/share/applications/$program.desktop"
    check "$program: desktop entry validates" desktop-file-validate "$entry"
    check "$program: desktop entry starts it" grep -qx "Exec=$program" "$entry"
    check "$program: desktop entry names its icon" grep -qx "Icon=$program" "$entry"
    metainfo="$tree/usr/share/metainfo/$program.metainfo.xml"
    check "$program: metadata validates" appstreamcli validate --no-net "$metainfo"
    check "$program: metadata launches its entry" \
        grep -qF "<launchable type=\"desktop-id\">$program.desktop</launchable>" "$metainfo"
    check "$program: metadata gives the licence" \
        grep -qF '<project_license>GPL-3.0-or-later</project_license>' "$metainfo"
    check "$program: icon is 48x48" \
        bash -c "file '$tree/usr/share/icons/hicolor/48x48/apps/$program.png' | grep -q '48 x 48'"
    check "$program: binary is stripped" \
        bash -c "file '$tree/usr/bin/$program' | grep -q 'stripped' && ! file '$tree/usr/bin/$program' | grep -q 'not stripped'"
    check "$program: packaged binary answers --version" \
        bash -c "'$tree/usr/bin/$program' --version | grep -q '^$program '"
    page="$tree/usr/share/man/man1/$program.1.gz"
    check "$program: manual page is in section 1" \
        bash -c "zcat '$page' | head -n1 | grep -q '^\.TH [^ ]* 1 '"
    check "$program: manual page formats without a warning" \
        bash -c "[ -z \"\$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l '$page' 2>&1 >/dev/null)\" ]"
done
manual() { # manual <program>: the page as a reader sees it
    LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$tree/usr/share/man/man1/$1.1.gz" 2>/dev/null
}
for word in "estrivo - " --demo --journal --help --version; do
    check "estrivo manual page explains $word" grep -qF -- "$word" <<<"$(manual estrivo)"
done
for word in "estrivo-records - " export labels --stallion --since --until --output --count \
            --printer --label-size --journal --help --version "EXIT STATUS"; do
    check "estrivo-records manual page explains $word" \
        grep -qF -- "$word" <<<"$(manual estrivo-records)"
done
copyright="$tree/usr/share/doc/estrivo/copyright"
check "copyright says GPL-3.0-or-later" grep -qx 'License: GPL-3.0-or-later' "$copyright"
check "copyright points at the common licence text" \
    grep -qF '/usr/share/common-licenses/GPL-3' "$copyright"
# The records program from the package reads a journal as a script would; it makes none where
# there is none.
check "packaged estrivo-records refuses a journal that is not there" \
    bash -c "! '$tree/usr/bin/estrivo-records' export --journal '$work/journal.sqlite' 2>'$work/none.err' && grep -q 'No journal at' '$work/none.err' && test ! -e '$work/journal.sqlite'"
: >"$work/journal.sqlite" # an empty file, as a station might set one up
check "packaged estrivo-records exports a journal" \
    bash -c "'$tree/usr/bin/estrivo-records' export --journal '$work/journal.sqlite' | head -n1 | grep -q '^id,saved_at,stallion,'"

# The binaries as Debian hardens them: relocations made read-only once resolved, all of them at
# start, programs position independent, the stack protector's and fortify's checks called.
for file in usr/bin/estrivo usr/bin/estrivo-records ${module#./}; do
    name=${file##*/}
    readelf -dW "$tree/$file" >"$work/dynamic" 2>&1
    readelf -lW "$tree/$file" >"$work/headers" 2>&1
    readelf --dyn-syms -W "$tree/$file" >"$work/symbols" 2>&1
    check "$name: read-only relocations (GNU_RELRO)" grep -qw GNU_RELRO "$work/headers"
    check "$name: bound at start (BIND_NOW)" \
        grep -qE '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*[[:space:]]NOW' "$work/dynamic"
    check "$name: stack protector" grep -qE '[[:space:]]__stack_chk_fail(@|$)' "$work/symbols"
    # The module is no executable, and it calls none of the functions fortify checks.
    [ "$file" != "${module#./}" ] || continue
    check "$name: position independent executable" \
        bash -c "grep -q 'Elf file type is DYN' '$work/headers' \
                 && grep -qE '\(FLAGS_1\).*[[:space:]]PIE' '$work/dynamic'"
    check "$name: fortified calls (__*_chk)" \
        grep -qE '[[:space:]]__[a-z0-9_]+_chk(@|$)' "$work/symbols"
done

# Errors and warnings fail the test; of the notes, those on hardening do too.
lintian_log="$work/lintian.log"
lintian --display-info --tag-display-limit 0 --fail-on error,warning "$deb" >"$lintian_log" 2>&1
lintian_status=$?
check "lintian ran and passed the package" test "$lintian_status" -eq 0
check "lintian reports no errors or warnings" bash -c "! grep -qE '^(E|W): ' '$lintian_log'"
check "lintian notes nothing on hardening" bash -c "! grep -qE '^I: .* hardening-' '$lintian_log'"
grep -E '^(E|W): |^I: .* hardening-' "$lintian_log" | sed 's/^/lintian: /'
# It exits with 2 for what --fail-on names (shown above), with 1 when it could not check at all.
[ "$lintian_status" -ne 1 ] || sed 's/^/lintian: /' "$lintian_log"

# Install and remove in a scratch root with its own dpkg database.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkgr() { dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless "$@"; }
check "installs into a scratch root" dpkgr -i "$deb"
for program in estrivo estrivo-records; do
    check "installed $program in place" test -x "$root/usr/bin/$program"
done
check "dpkg lists it installed" bash -c "dpkg --root='$root' -s estrivo | grep -q 'install ok installed'"
check "removes cleanly" dpkgr --purge estrivo
left=$(find "$root/usr" -type f 2>/dev/null | head -n5)
check "nothing left behind after removal" test -z "$left"
[ -z "$left" ] || echo "left behind: $left"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
