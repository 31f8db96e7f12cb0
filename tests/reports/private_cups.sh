#!/usr/bin/env bash
# Runs the CUPS tests against a CUPS server of their own: a cupsd started for
# this run only, in a temporary folder, reached through its own socket, with
# two PDF printers that write each job to a file. It needs no root and leaves
# the machine's printers and the user's default printer alone (HOME points
# into the temporary folder too). Exits 77 (skipped) where CUPS is not installed.
#   private_cups.sh TEST-BINARY [gtest arguments]
set -u
binary=$1
shift

cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)
lpstat=$(command -v lpstat || echo /usr/bin/lpstat)
ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
for need in "$cupsd" "$lpadmin" "$lpstat" "$ppd" /usr/lib/cups/filter/pdftopdf; do
  if [ ! -e "$need" ]; then
    echo "skipped: $need is not installed"
    exit 77
  fi
done

pid=""
dir=""
stop() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  [ -n "$dir" ] && rm -rf "$dir"
}
trap stop EXIT
trap 'exit 143' INT TERM HUP

dir=$(mktemp -d /tmp/rida-cups.XXXXXX) || exit 1
chmod 755 "$dir"
mkdir -p "$dir"/{spool/tmp,cache,state,log,run,out,home}
cat >"$dir/cupsd.conf" <<EOF
Listen $dir/run/cups.sock
LogLevel info
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$dir/cups-files.conf" <<EOF
FileDevice Yes
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
EOF
# cupsd as root gives files to this user and group.
if [ "$(id -u)" -eq 0 ]; then
  chmod 777 "$dir/out"
fi

"$cupsd" -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" &
pid=$!
export CUPS_SERVER="$dir/run/cups.sock"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  [ -S "$CUPS_SERVER" ] && "$lpstat" -r >/dev/null 2>&1 && break
  sleep 0.1
done
if ! "$lpstat" -r >/dev/null 2>&1; then
  echo "the private CUPS server did not start:"
  cat "$dir/log/error_log" 2>/dev/null
  exit 1
fi
for q in RidaPdfA RidaPdfB; do
  if ! "$lpadmin" -p "$q" -E -v "file://$dir/out/$q.pdf" -P "$ppd" 2>"$dir/log/lpadmin"; then
    cat "$dir/log/lpadmin"
    exit 1
  fi
done

export HOME="$dir/home"
export RIDA_CUPS_REQUIRED=1
unset PRINTER LPDEST # they would come before the default the tests set
timeout --kill-after=10 150 "$binary" "$@"
rc=$?
if [ "$rc" -ne 0 ]; then
  echo "--- CUPS error log"
  tail -n 40 "$dir/log/error_log"
fi
exit "$rc"
