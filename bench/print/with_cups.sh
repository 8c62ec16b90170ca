#!/usr/bin/env bash
# Runs a benchmark with a private CUPS scheduler and a default queue like a desktop's, with a
# driver description, so the spooler figure covers a real hand-over and the start-up figure
# what the program would ask of the print system; the queue is stopped, so jobs wait in the
# spool instead of running filters beside the figures. cupsd needs root.
# Usage: bench/print/with_cups.sh build/release/bench/print/bench_print [benchmark flags]
#        bench/print/with_cups.sh <any command> [arguments]
set -euo pipefail

bench=$(command -v "${1:?usage: $0 path/to/bench_print [benchmark flags]}")
bench=$(realpath "$bench")
shift

dir=$(mktemp -d /tmp/estrivo-bench-cups-XXXXXX)
chmod 755 "$dir"
mkdir -p "$dir/root/ppd" "$dir/spool" "$dir/tmp" "$dir/cache" "$dir/state" "$dir/log" \
         "$dir/home"
chmod 1777 "$dir/tmp"

daemon=
cleanup() {
    if [ -n "$daemon" ]; then
        kill "$daemon" 2>/dev/null || true
        wait "$daemon" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT

cat > "$dir/root/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat > "$dir/root/cups-files.conf" <<CONF
ServerRoot $dir/root
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup root
FileDevice Yes
CONF

/usr/sbin/cupsd -f -c "$dir/root/cupsd.conf" -s "$dir/root/cups-files.conf" &
daemon=$!

export CUPS_SERVER="$dir/cups.sock" CUPS_SERVERROOT="$dir/root" HOME="$dir/home"
unset LPDEST PRINTER
# lpstat -r exits with 0 either way; only its answer tells.
ready=
for _ in $(seq 100); do
    if LC_ALL=C lpstat -r 2>/dev/null | grep -qx "scheduler is running"; then
        ready=yes
        break
    fi
    sleep 0.1
done
[ -n "$ready" ] || { echo "with_cups.sh: cupsd did not start; see $dir/log/error_log" >&2; exit 1; }
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
if [ -r "$ppd" ]; then
    # Says that drivers are deprecated, on every call; shown only when it fails.
    if ! said=$(lpadmin -p Bench -E -v file:///dev/null -P "$ppd" 2>&1); then
        echo "$said" >&2
        exit 1
    fi
else
    echo "with_cups.sh: no $ppd (printer-driver-cups-pdf), so the queue has no driver" >&2
    lpadmin -p Bench -E -v file:///dev/null
fi
cupsdisable Bench
lpadmin -d Bench

"$bench" "$@"
