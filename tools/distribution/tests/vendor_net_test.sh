#!/usr/bin/env bash
# The vendor's server for tests, end to end: the sample site behind
# vendor-net.sh, asked with curl inside the namespace under the vendor's
# host names, over HTTPS (test CA) and HTTP, with every fault kind as a
# client sees it; then the runner itself (exit codes, closed ports, signals,
# nothing left running, the machine's trust store untouched).
#
#   vendor_net_test.sh ZELTA_DIST FAULT_SERVER WORKDIR
#
# Needs root. Each run works in a folder of its own below WORKDIR (runs of
# one build may overlap), removed when every check passed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
vendor=$(cd "$here/.." && pwd)
net=$vendor/vendor-net.sh

# Waits until COMMAND succeeds, looking every 0.1 s; fails after SECONDS.
# What a server or another process does is waited for, never guessed with
# a fixed pause.
wait_for() {  # SECONDS COMMAND [ARGS...]
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
export -f wait_for

# A client that sends a request (none for PATH "-"), shuts its own end of
# the connection and waits SECONDS: prints the bytes it got and whether the
# server then closed ("eof") or kept the connection ("open").
#   half_close HOST PORT PATH SECONDS
half_close() {
  perl -MIO::Socket::INET -e '
    my ($host, $port, $path, $wait) = @ARGV;
    my $s = IO::Socket::INET->new(PeerAddr => $host, PeerPort => $port, Timeout => 5) or die "connect: $!\n";
    print $s "GET $path HTTP/1.1\r\nHost: $host\r\n\r\n" if $path ne "-";
    shutdown($s, 1);
    my ($got, $end, $buf) = (0, "open");
    my $rin = "";
    vec($rin, fileno($s), 1) = 1;
    my $deadline = time + $wait;
    while ((my $left = $deadline - time) > 0) {
      last unless select(my $rout = $rin, undef, undef, $left);
      my $n = sysread($s, $buf, 65536);
      if (!$n) { $end = "eof"; last; }
      $got += $n;
    }
    print "$got $end\n";' "$@"
}
export -f half_close

# --- inside the namespace: the client's view -------------------------------
if [ "${1:-}" = --inside ]; then
  expect=$2
  dist=$3
  failures=0
  count=0
  W=https://www.zeltasoft.example/Download/UpDate-V9.20
  D=http://download.zeltasoft.example/UpDate-V9.20
  WS=$ZELTA_SITE/web/Download/UpDate-V9.20
  DS=$ZELTA_SITE/download/UpDate-V9.20
  WF=$ZELTA_SITE/faults/web/Download/UpDate-V9.20
  DF=$ZELTA_SITE/faults/download/UpDate-V9.20
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT

  check() {  # NAME EXPECTED ACTUAL
    count=$((count + 1))
    if [ "$2" = "$3" ]; then
      echo "ok   $1"
    else
      echo "FAIL $1: expected [$2], got [$3]"
      failures=$((failures + 1))
    fi
  }

  # GET URL [curl options...]: sets code, size, rc, ms; headers in $tmp/h, body in $tmp/b.
  get() {
    local url=$1 start out
    shift
    start=$(date +%s%N)
    rc=0
    rm -f "$tmp/b"  # curl makes no file for an answer without a body
    out=$(curl -sS --max-time 30 "$@" -D "$tmp/h" -o "$tmp/b" -w '%{http_code} %{size_download}' \
      "$url" 2>"$tmp/err") || rc=$?
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    code=${out% *}
    size=${out#* }
  }
  header() {  # NAME: the value of a response header, or "-"
    local v
    v=$(tr -d '\r' < "$tmp/h" | awk -v n="$(echo "$1" | tr '[:upper:]' '[:lower:]')" -F': ' \
      'tolower($1) == n { print $2; exit }')
    echo "${v:--}"
  }
  same_file() {  # FILE: "same" when the body equals FILE
    if cmp -s "$tmp/b" "$1"; then echo same; else echo different; fi
  }
  fault() {  # FILE LINE...: a fault file as a Windows test would write it (CR LF)
    mkdir -p "$(dirname "$1")"
    printf '%s\r\n' "${@:2}" > "$1"
  }

  echo "== hosts, names and trust"
  case $ZELTA_SITE in /*) where=absolute ;; *) where=relative ;; esac
  check "ZELTA_SITE is absolute" absolute "$where"
  get "$W/Update.ini"
  check "probe over HTTPS (test CA trusted by the system bundle)" "200 0 same" "$code $rc $(same_file "$WS/Update.ini")"
  check "probe Content-Length" "$(stat -c %s "$WS/Update.ini")" "$(header Content-Length)"
  check "probe first marker line" 1 "$(grep -c $'^ZeltaCAD WEB update system: V9.21.*\r$' "$tmp/b")"
  check "probe later marker line ends with CR LF" 1 \
    "$(awk '/^ZeltaCAD WEB update system: V9.21/ { seen = 1; next } seen && /^ZeltaSoft Ltd\. 1992-2019\..*\r$/ { n++ } END { print n + 0 }' "$tmp/b")"
  get "$D/Update.ini"
  check "probe over HTTP on the download host" "200 0 same" "$code $rc $(same_file "$DS/Update.ini")"
  get "https://localhost/Download/UpDate-V9.20/Update.ini"
  check "HTTPS under localhost" "200 0" "$code $rc"
  get "https://127.0.0.1/Download/UpDate-V9.20/Update.ini"
  check "HTTPS under a bare address fails (names only in the certificate)" 60 "$rc"
  # Another CA of the system bundle only.
  awk '{ print } /END CERTIFICATE/ { exit }' /etc/ssl/certs/ca-certificates.crt > "$tmp/other-ca.pem"
  get "$W/Update.ini" --cacert "$tmp/other-ca.pem" --capath /nonexistent
  check "HTTPS without the test CA is not trusted" 60 "$rc"
  get "https://download.zeltasoft.example:80/UpDate-V9.20/Update.ini"
  check "the HTTP port speaks no TLS" 35 "$rc"
  out=$(curl -sS --max-time 10 -o /dev/null -o /dev/null -w '%{http_code}:%{num_connects} ' \
    "$W/Update.ini" "$W/VarnelDemo/Disc_01/Install.ini")
  check "keep-alive: two requests, one connection" "200:1 200:0 " "$out"
  get "$W/VarnelDemo/Disc_01/Nothing.ini"
  check "missing file" 404 "$code"

  echo "== every file of the sample, on both hosts"
  n=0
  while IFS=$'\t' read -r disc _ source _ real stored _; do
    folder=VarnelDemo/Disc_$(printf '%02d' "$disc")
    rel=${source#\\}
    for pair in "$W|$WS" "$D|$DS"; do
      url=${pair%%|*}
      dir=${pair#*|}
      get "$url/$folder/$rel"
      n=$((n + 1))
      check "$url/$folder/$rel" "200 $stored $stored same" \
        "$code $(header Content-Length) $size $(same_file "$dir/$folder/${rel//\\//}")"
    done
    if [ "$real" != "$stored" ]; then
      check "stored twice as long: $rel" "$((2 * real))" "$stored"
    fi
  done < "$expect/listing"
  check "files asked for" 28 "$n"  # 14 files, both hosts
  # The odd bytes of a stored ex_ file are the real file.
  get "$D/VarnelDemo/Disc_02/Datas\\ex_anyag.dat"
  od -An -v -tu1 -w1 "$tmp/b" | awk 'NR % 2 == 0' > "$tmp/odd"
  od -An -v -tu1 -w1 "$expect/files/download/Disc_02/Datas/ex_anyag.dat" > "$tmp/real"
  cmp -s "$tmp/odd" "$tmp/real" && deinterleaved=same || deinterleaved=different
  check "served ex_ file, de-interleaved, is the expected real file" "200 40000 same" \
    "$code $size $deinterleaved"
  for f in Install.ini Fajls_1.ini; do
    get "$W/VarnelDemo/Disc_01/$f"
    check "catalogue files: $f" "200 same" "$code $(same_file "$WS/VarnelDemo/Disc_01/$f")"
  done

  echo "== backslashes in the path"
  exe=$WS/VarnelDemo/Disc_01/Systems/bin/zelta.exe
  get "$W/VarnelDemo/Disc_01\\Systems\\bin\\zelta.exe"
  check "raw backslashes over HTTPS" "200 1300000 same" "$code $(header Content-Length) $(same_file "$exe")"
  get "$D/VarnelDemo/Disc_01/Systems%5Cbin%5czelta.exe"
  check "%5C over HTTP" "200 same" "$code $(same_file "$DS/VarnelDemo/Disc_01/Systems/bin/zelta.exe")"
  grep -q 'Disc_01\\x5CSystems\\x5Cbin\\x5Czelta.exe HTTP/1.1" 200' "$ZELTA_VENDOR_STATE/nginx-access.log" &&
    raw=yes || raw=no
  check "the raw backslash reached nginx as it was" yes "$raw"

  echo "== faults (web host over HTTPS unless said)"
  cat=$WS/VarnelDemo/Disc_01/Install.ini
  catf=$WF/VarnelDemo/Disc_01/Install.ini
  catlen=$(stat -c %s "$cat")
  caturl=$W/VarnelDemo/Disc_01/Install.ini

  for status in 404 403 500 503; do
    fault "$catf" "status $status"
    get "$caturl"
    check "status $status" "$status text/html $size" "$code $(header Content-Type) $(header Content-Length)"
  done

  fault "$catf" "redirect $W/Update.ini"
  get "$caturl"
  check "redirect" "302 $W/Update.ini" "$code $(header Location)"
  get "$caturl" -L
  check "redirect followed" "200 same" "$code $(same_file "$WS/Update.ini")"

  fault "$catf" "no-length"
  get "$caturl"
  check "no-length: whole body, no length, no chunks, closed" "200 0 - - close same" \
    "$code $rc $(header Content-Length) $(header Transfer-Encoding) $(header Connection) $(same_file "$cat")"

  fault "$catf" "chunked"
  get "$caturl"
  check "chunked" "200 0 - chunked same" \
    "$code $rc $(header Content-Length) $(header Transfer-Encoding) $(same_file "$cat")"

  fault "$catf" "zero-length"
  get "$caturl"
  check "zero-length" "200 0 0 0" "$code $rc $(header Content-Length) $size"

  fault "$catf" "short 100"
  get "$caturl"
  check "short: announced whole, 100 bytes, closed early (curl 18)" "200 $catlen 100 18" \
    "$code $(header Content-Length) $size $rc"
  head -c 100 "$cat" > "$tmp/first100"
  check "short: the bytes are the file's first" same "$(same_file "$tmp/first100")"

  fault "$catf" "drop 300"
  get "$caturl"
  # nginx ends the client's connection normally after the upstream's reset:
  # the client sees a short body (curl 18), not a reset.
  check "drop: announced whole, 300 bytes, cut off" "200 $catlen 300 18" "$code $(header Content-Length) $size $rc"

  dat=$WS/VarnelDemo/Disc_02/Datas/ex_anyag.dat
  datf=$WF/VarnelDemo/Disc_02/Datas/ex_anyag.dat
  fault "$datf" "slow 100"
  get "$W/VarnelDemo/Disc_02/Datas/ex_anyag.dat"
  # 40000 bytes in 4 KiB pieces: nine pauses of 100 ms.
  check "slow: whole file with its length" "200 0 40000 same" "$code $rc $(header Content-Length) $(same_file "$dat")"
  [ "$ms" -ge 850 ] && [ "$ms" -lt 10000 ] && took=paced || took="${ms}ms"
  check "slow: paced, and done" paced "$took"

  fault "$catf" "html"
  get "$caturl"
  grep -qi '<html' "$tmp/b" && page=html || page=other
  check "html portal page" "200 text/html $size html" "$code $(header Content-Type) $(header Content-Length) $page"

  fault "$catf" "nonsense here"
  get "$caturl"
  check "a broken fault file shows as 501" 501 "$code"
  grep -q "ERROR web /Download/UpDate-V9.20/VarnelDemo/Disc_01/Install.ini: unknown fault" \
    "$ZELTA_VENDOR_STATE/fault-server.log" && logged=yes || logged=no
  check "and is logged" yes "$logged"

  rm -f "$catf"
  get "$caturl"
  check "fault file removed: the file again" "200 $catlen same" "$code $(header Content-Length) $(same_file "$cat")"

  fault "$WF/VarnelDemo/Disc_01/Systems/bin/zelta.exe" "status 410"
  get "$W/VarnelDemo/Disc_01\\Systems\\bin\\zelta.exe"
  check "fault on a backslash path (raw)" 410 "$code"
  get "$W/VarnelDemo/Disc_01%5CSystems%5Cbin%5Czelta.exe"
  check "fault on a backslash path (%5C)" 410 "$code"
  rm -f "$WF/VarnelDemo/Disc_01/Systems/bin/zelta.exe"

  fault "$DF/Update.ini" "status 500"
  get "$D/Update.ini"
  check "fault on the download host" 500 "$code"
  get "$W/Update.ini"
  check "the web host is not affected" 200 "$code"
  fault "$DF/Update.ini" "short 10"
  get "$D/Update.ini"
  check "short over plain HTTP" "200 10 18" "$code $size $rc"
  fault "$DF/Update.ini" "no-length"
  get "$D/Update.ini" --http1.1
  check "no-length over plain HTTP" "200 - - same" \
    "$code $(header Content-Length) $(header Transfer-Encoding) $(same_file "$DS/Update.ini")"
  rm -f "$DF/Update.ini"

  fault "$WF/VarnelDemo/Disc_09/Gone.ini" "short 5"
  get "$W/VarnelDemo/Disc_09/Gone.ini"
  check "a fault for a missing file answers 404" 404 "$code"

  echo "== validators, conditional requests and ranges (nginx, then none)"
  rm -f "$datf"
  daturl=$W/VarnelDemo/Disc_02/Datas/ex_anyag.dat
  tail -c +1001 "$dat" > "$tmp/tail"
  body_is() {  # whole, tail (from byte 1000), empty or other
    if cmp -s "$tmp/b" "$dat"; then echo whole
    elif cmp -s "$tmp/b" "$tmp/tail"; then echo tail
    elif [ ! -s "$tmp/b" ]; then echo empty
    else echo other; fi
  }
  get "$daturl"
  etag=$(header ETag)
  lm=$(header Last-Modified)
  [[ $etag =~ ^\"[0-9a-f]+-9c40\"$ ]] && tagged=yes || tagged=no
  check "nginx: a strong tag, the file's time, ranges" \
    "200 yes $(LC_ALL=C date -u -r "$dat" '+%a, %d %b %Y %H:%M:%S GMT') bytes" "$code $tagged $lm $(header Accept-Ranges)"
  for who in nginx none; do
    if [ $who = none ]; then
      fault "$datf" none
      get "$daturl"
      check "none: nginx's validators" "200 $etag $lm bytes whole" \
        "$code $(header ETag) $(header Last-Modified) $(header Accept-Ranges) $(body_is)"
    fi
    # NAME|HEADER|HEADER|code Content-Range body
    while IFS='|' read -r name h1 h2 want; do
      opts=()
      [ -z "$h1" ] || opts+=(-H "$h1")
      [ -z "$h2" ] || opts+=(-H "$h2")
      get "$daturl" "${opts[@]}"
      check "$who: $name" "$want" "$code $(header Content-Range) $(body_is)"
    done <<EOF
range, If-Range the tag|Range: bytes=1000-|If-Range: $etag|206 bytes 1000-39999/40000 tail
range, If-Range the date|Range: bytes=1000-|If-Range: $lm|206 bytes 1000-39999/40000 tail
range, If-Range another tag|Range: bytes=1000-|If-Range: "0-9c40"|200 - whole
range past the end|Range: bytes=40000-||416 bytes */40000 other
If-None-Match the tag|If-None-Match: $etag||304 - empty
If-None-Match another tag|If-None-Match: "0-9c40"||200 - whole
If-Modified-Since the date|If-Modified-Since: $lm||304 - empty
EOF
  done

  echo "== one fault line per attempt"
  log=$ZELTA_VENDOR_STATE/fault-server.log
  fault "$datf" "drop 300" "none"
  seen=""
  for _ in 1 2 3; do
    get "$daturl"
    seen+="$code $size $rc $(body_is); "
  done
  check "drop 300, then none, then none again" "200 300 18 other; 200 40000 0 whole; 200 40000 0 whole; " "$seen"
  grep -q "ex_anyag.dat fault=drop 300 attempt=1 " "$log" && grep -q "ex_anyag.dat fault=none attempt=3 " "$log" &&
    logged=yes || logged=no
  check "the log counts the attempts" yes "$logged"
  fault "$datf" "drop 300" "none"
  get "$daturl"
  check "the same file written again starts over" "200 300 18" "$code $size $rc"

  fault "$datf" "status 503" "" "none"
  get "$daturl"
  first=$code
  get "$daturl"
  check "status 503, a blank line (no attempt), then none" "503 200 whole" "$first $code $(body_is)"

  fault "$datf" "stall"
  get "$daturl" --max-time 3
  check "stall: nothing, then the client's time-out (28)" "000 0 28" "$code $size $rc"
  # The client gave up: nginx closes, and the held connection ends with it.
  stalled="ex_anyag.dat fault=stall attempt=1 status=0 sent=0 end=peer-closed"
  wait_for 30 grep -q "$stalled" "$log" && ended=yes || ended=no
  check "stall: ends when the client gives up" yes "$ended"

  fault "$datf" "stall-after 1000"
  get "$daturl" --max-time 3
  head -c 1000 "$dat" > "$tmp/first1000"
  check "stall-after 1000: its length, 1000 bytes, time-out" "200 40000 1000 28 same" \
    "$code $(header Content-Length) $size $rc $(same_file "$tmp/first1000")"

  # Dark answers end only when the server stops: whatever the client does,
  # nothing comes back, not even a close.
  fault "$datf" "dark"
  get "$daturl" --max-time 2
  check "dark: nothing, then the client's time-out (28)" "000 0 28" "$code $size $rc"
  grep -q "ex_anyag.dat fault=dark attempt=1 status=0 sent=0 end=dark" "$log" && logged=yes || logged=no
  check "dark: logged as it goes dark" yes "$logged"
  fault "$datf" "dark-after 1000"
  get "$daturl" --max-time 2
  check "dark-after 1000: its length, 1000 bytes, time-out" "200 40000 1000 28 same" \
    "$code $(header Content-Length) $size $rc $(same_file "$tmp/first1000")"
  plainpath=/UpDate-V9.20/VarnelDemo/Disc_02/Datas/ex_anyag.dat
  dplain=$DF/VarnelDemo/Disc_02/Datas/ex_anyag.dat
  fault "$dplain" "stall"
  check "stall: a client that shuts its end is closed on" "0 eof" \
    "$(half_close download.zeltasoft.example 80 "$plainpath" 3)"
  fault "$dplain" "dark"
  check "dark: a client that shuts its end is not" "0 open" \
    "$(half_close download.zeltasoft.example 80 "$plainpath" 2)"
  fault "$dplain" "dark-after 1000"
  read -r got end < <(half_close download.zeltasoft.example 80 "$plainpath" 2)
  check "dark-after 1000: the head and 1000 bytes, then the connection stays" "yes open" \
    "$([ "$got" -gt 1000 ] && [ "$got" -lt 1500 ] && echo yes || echo no) $end"
  grep -q "ex_anyag.dat fault=dark.* dark for" "$log" && ended=yes || ended=no
  check "dark: no dark answer has ended while the server runs" no "$ended"
  rm -f "$dplain"

  fault "$datf" "ignore-range"
  get "$daturl" -H "Range: bytes=1000-" -H "If-Range: $etag"
  check "ignore-range: 200 and the whole file despite Range" "200 - $etag whole" \
    "$code $(header Content-Range) $(header ETag) $(body_is)"

  fault "$datf" "old-drop 500" "none"
  get "$daturl"
  old_etag=$(header ETag)
  age=$(( $(LC_ALL=C date -d "$lm" +%s) - $(LC_ALL=C date -d "$(header Last-Modified)" +%s) ))
  od -An -v -tu1 -w1 "$tmp/b" | awk '{ print $1 }' > "$tmp/got"
  head -c 500 "$dat" | od -An -v -tu1 -w1 | awk '{ print 255 - $1 }' > "$tmp/inverted"
  cmp -s "$tmp/got" "$tmp/inverted" && inverted=yes || inverted=no
  [ "$old_etag" != "$etag" ] && [ "$old_etag" != - ] && own=yes || own=no
  check "old-drop 500: 500 inverted bytes, its own tag, a day older, cut" "200 40000 500 18 yes yes 86400" \
    "$code $(header Content-Length) $size $rc $inverted $own $age"
  get "$daturl" -H "Range: bytes=500-" -H "If-Range: $old_etag"
  check "then none: the old tag fails If-Range, the whole new file" "200 $etag whole" \
    "$code $(header ETag) $(body_is)"
  rm -f "$datf"

  # One bit of byte 1000 changed on the way, whole or in a part from 500.
  fault "$datf" "flip 1000"
  get "$daturl"
  flipped=$(cmp -l "$dat" "$tmp/b" 2>/dev/null | awk '{ printf "%s ", $1 }') || true
  check "flip 1000: the whole length, its validators, byte 1000 changed" "200 40000 $etag 1001 " \
    "$code $(header Content-Length) $(header ETag) $flipped"
  get "$daturl" -H "Range: bytes=500-" -H "If-Range: $etag"
  flipped=$(tail -c +501 "$dat" | cmp -l - "$tmp/b" 2>/dev/null | awk '{ printf "%s ", $1 }') || true
  check "flip 1000: in a part from byte 500, its byte 500" "206 501 " "$code $flipped"
  rm -f "$datf"

  echo "== the site changes while the server runs"
  mkdir -p "$WS/VarnelDemo/Disc_03"
  printf 'late\r\n' > "$WS/VarnelDemo/Disc_03/Fajls_3.ini"
  get "$W/VarnelDemo/Disc_03/Fajls_3.ini"
  check "a file made now is served" "200 6" "$code $(header Content-Length)"
  rm -rf "$WS/VarnelDemo/Disc_03"
  get "$W/VarnelDemo/Disc_03/Fajls_3.ini"
  check "a file removed now is gone" 404 "$code"

  echo "== the fault server itself (behind nginx)"
  curl -sS --max-time 10 -o /dev/null -H 'X-Zelta-Host: web' \
    http://127.0.0.1:8470/Download/UpDate-V9.20/Update.ini 2>/dev/null && direct=0 || direct=$?
  check "without a fault file it serves the file" 0 "$direct"
  fault "$catf" "drop 300"
  rc=0
  curl -sS --max-time 10 -o "$tmp/b" -H 'X-Zelta-Host: web' \
    http://127.0.0.1:8470/Download/UpDate-V9.20/VarnelDemo/Disc_01/Install.ini 2>/dev/null || rc=$?
  check "drop is a real reset (curl 56) where no proxy stands between" "56 300" "$rc $(stat -c %s "$tmp/b")"
  rm -f "$catf"
  code=$(curl -sS --max-time 10 -o /dev/null -w '%{http_code}' http://127.0.0.1:8470/Update.ini)
  check "a request without the host header is refused" 400 "$code"

  echo "== zelta-dist check-server: the installer's questions, asked of both hosts"
  # CHECK-SERVER ARGS...: sets rc, its stdout in $tmp/cs and the problem
  # lines' "HOST FILE" pairs in $named (one line each, sorted).
  check_server() {
    rc=0
    "$dist" check-server "$@" > "$tmp/cs" 2> "$tmp/cs-err" || rc=$?
    named=$(grep -E '^(www|download)\.zeltasoft\.example [^ ]+: ' "$tmp/cs" | sed 's/: .*//' | sort -u) || true
  }
  # 14 files, the catalogue, two file lists, two checksum lists and the probe.
  for args in "" "$ZELTA_SITE"; do
    check_server $args
    check "check-server${args:+ SITE}: the sample site is all well, quietly off a terminal" \
      "0 summary: 20 files on 2 hosts, all well|" "$rc $(tail -n 1 "$tmp/cs")|$(cat "$tmp/cs-err")"
    row='VarnelDemo/Disc_02/Datas/ex_anyag.dat +200 +40000 +yes +etag\+date +ok$'
    check "check-server${args:+ SITE}: both tables, the range honoured" 2 "$(grep -cE "^$row" "$tmp/cs")"
  done
  script -qec "'$dist' check-server --jobs 16 > /dev/null" /dev/null > "$tmp/cs-tty" || true
  grep -q 'check-server: [0-9]*/[0-9]* requests' "$tmp/cs-tty" && shown=yes || shown=no
  check "check-server: progress on a terminal" yes "$shown"

  # NAME|FAULT FILE|FAULT|CHECK-SERVER ARGUMENT|the one "HOST FILE" named
  while IFS='|' read -r name file words arg want; do
    fault "$file" "$words"
    check_server $arg
    rm -f "$file"
    check "check-server finds $name" "1|$want" "$rc|$named"
  done <<EOF
a 404|$WF/VarnelDemo/Disc_02/Blocks/ajto.zbl|status 404||www.zeltasoft.example VarnelDemo/Disc_02/Blocks/ajto.zbl
a body cut short|$DF/VarnelDemo/Disc_02/Blocks/ajto.zbl|short 100|$ZELTA_SITE|download.zeltasoft.example VarnelDemo/Disc_02/Blocks/ajto.zbl
a chunked answer|$WF/VarnelDemo/Disc_02/Drawings/minta1.zdw|chunked||www.zeltasoft.example VarnelDemo/Disc_02/Drawings/minta1.zdw
ranges ignored (a warning: counted with --strict)|$DF/VarnelDemo/Disc_02/Drawings/minta1.zdw|ignore-range|--strict|download.zeltasoft.example VarnelDemo/Disc_02/Drawings/minta1.zdw
a checksum list refused|$WF/VarnelDemo/Disc_02/Fajls_2.sha256|status 403||www.zeltasoft.example VarnelDemo/Disc_02/Fajls_2.sha256
one byte changed in transit, length kept|$DF/VarnelDemo/Disc_01/Systems/bin/zelta.exe|flip 700000||download.zeltasoft.example VarnelDemo/Disc_01/Systems/bin/zelta.exe
a redirect to plain http|$WF/VarnelDemo/Disc_02/Help/olvass.txt|redirect $D/VarnelDemo/Disc_02/Help/olvass.txt||www.zeltasoft.example VarnelDemo/Disc_02/Help/olvass.txt
a probe without markers|$WF/Update.ini|html|$ZELTA_SITE|www.zeltasoft.example Update.ini
EOF
  grep -q 'www.zeltasoft.example Update.ini: the two marker lines are missing' "$tmp/cs" && said=yes || said=no
  check "check-server: and says what is wrong" yes "$said"

  # The download host's copy changed, then put back as it was. NAME|FILE|
  # EDIT (append, or one byte at offset 10)|CHECK-SERVER ARGUMENTS|named
  while IFS='|' read -r name rel edit args want; do
    f=$DS/VarnelDemo/$rel
    cp -p "$f" "$tmp/kept"
    if [ "$edit" = append ]; then
      printf 'more' >> "$f"
    else
      b=$(od -An -tu1 -j10 -N1 "$f" | tr -d ' ')
      printf "\\x$(printf %02x $(( (b + 1) % 256 )))" | dd of="$f" bs=1 seek=10 conv=notrunc status=none
    fi
    check_server $args
    cp -p "$tmp/kept" "$f"
    check "check-server finds $name" "1|download.zeltasoft.example VarnelDemo/$want" "$rc|$named"
  done <<EOF
a longer copy (the hosts disagree)|Disc_02/Blocks/ajto.zbl|append||Disc_02/Blocks/ajto.zbl
a longer copy (not the site's length)|Disc_02/Blocks/ajto.zbl|append|$ZELTA_SITE|Disc_02/Blocks/ajto.zbl
one byte changed in a large file|Disc_01/Systems/bin/zelta.exe|byte||Disc_01/Systems/bin/zelta.exe
one byte changed, every file compared|Disc_02/Help/olvass.txt|byte|--full $ZELTA_SITE|Disc_02/Help/olvass.txt
EOF

  # A warning alone passes, unless --strict: no checksum list for disc 2.
  for f in "$WS" "$DS"; do mv "$f/VarnelDemo/Disc_02/Fajls_2.sha256" "$f/VarnelDemo/Disc_02/Fajls_2.sha256.kept"; done
  check_server
  rc_plain=$rc
  check_server --strict
  for f in "$WS" "$DS"; do mv "$f/VarnelDemo/Disc_02/Fajls_2.sha256.kept" "$f/VarnelDemo/Disc_02/Fajls_2.sha256"; done
  grep -q '^www.zeltasoft.example VarnelDemo/Disc_02/Fajls_2.sha256: warning: no checksum list' "$tmp/cs" &&
    said=yes || said=no
  check "check-server: a missing checksum list is a warning, an error only with --strict" "0 1 yes" "$rc_plain $rc $said"

  # Both hosts publish a checksum list that does not fit a file: its length
  # (seen in every answer's Content-Length), its digest (seen where the
  # bytes are read: the largest files, or all with --full).
  # NAME|DISC|FILE below the disc|sed EDIT of the list|CHECK-SERVER ARGUMENTS
  while IFS='|' read -r name disc rel edit args; do
    sums=VarnelDemo/Disc_0$disc/Fajls_$disc.sha256
    cp -p "$WS/$sums" "$tmp/sums"
    sed -i "$edit" "$WS/$sums" "$DS/$sums"
    check_server $args
    cp -p "$tmp/sums" "$WS/$sums"
    cp -p "$tmp/sums" "$DS/$sums"
    want=$(printf '%s\n' "download.zeltasoft.example VarnelDemo/Disc_0$disc/$rel" \
      "www.zeltasoft.example VarnelDemo/Disc_0$disc/$rel")
    check "check-server finds $name" "1|$want" "$rc|$named"
  done <<'SUMS'
a checksum list of another length|2|Blocks/ajto.zbl|s/ 5000 / 5001 /|
a checksum list of other bytes|1|Systems/bin/zelta.exe|s/^[0-9a-f]\{8\}\([0-9a-f]\{56\} 1300000 \)/00000000\1/|
a checksum list of other bytes, every file read|2|Help/olvass.txt|s/^[0-9a-f]\{8\}\([0-9a-f]\{56\} 75 \)/00000000\1/|--full
SUMS
  grep -q "the checksum list's 00000000" "$tmp/cs" && said=yes || said=no
  check "check-server: and says the checksum list's digest" yes "$said"

  # A staging server's CA, trusted for one run (--cacert): here the system's
  # bundle is emptied for the run, so the test CA is trusted only that way.
  : > "$tmp/no-cas.crt"
  results=
  for args in "" "--cacert $ZELTA_VENDOR_STATE/ca/ca.crt"; do
    rc=0
    unshare -m bash -c 'mount --bind "$1" /etc/ssl/certs/ca-certificates.crt && shift && exec "$@"' _ \
      "$tmp/no-cas.crt" "$dist" check-server $args > "$tmp/cs" 2>&1 || rc=$?
    grep -q '^www.zeltasoft.example Update.ini: no answer: .*certificate' "$tmp/cs" && said=yes || said=no
    results="$results$rc $said;"
  done
  check "check-server: an untrusted CA fails, --cacert trusts it" "1 yes;0 no;" "$results"

  check_server --web https://127.0.0.1/Download/UpDate-V9.20
  grep -q '^127.0.0.1 Update.ini: no answer: .*certificate' "$tmp/cs" && said=yes || said=no
  check "check-server: a certificate not for the host name, in curl's words" "1 yes" "$rc $said"
  while IFS='|' read -r name args; do
    check_server $args
    check "check-server: $name is a bad command line" 2 "$rc"
  done <<EOF
no jobs|--jobs 0
too many jobs|--jobs 17
an unknown option|--frobnicate
a URL that is not http|--web ftp://x.example/y
a second SITE|$ZELTA_SITE $ZELTA_SITE
a SITE without its web folder|$tmp
a CA file that is not there|--cacert $tmp/none.crt
EOF

  echo "$count checks, $failures failed (inside)"
  [ "$failures" = 0 ]
  exit
fi

# --- outside: build the site, run the server, check the runner -------------
dist=${1:?usage: vendor_net_test.sh ZELTA_DIST FAULT_SERVER WORKDIR}
fault_server=${2:?fault server}
work=${3:?work folder}
[ "$(id -u)" = 0 ] || { echo "vendor_net_test: needs root" >&2; exit 1; }
export ZELTA_FAULT_SERVER=$fault_server

mkdir -p "$work"
work=$(mktemp -d "$(cd "$work" && pwd)/run.XXXXXX")
site=$work/site
state=$work/state
# The sample's two files from outside: any readable files serve here.
sample_defines=(--define "PRODUCT=$dist" --define "FONT=$vendor/sample.dist")
"$dist" "${sample_defines[@]}" site "$vendor/sample.dist" "$site"
mkdir -p "$work/expect"
"$dist" "${sample_defines[@]}" list "$vendor/sample.dist" > "$work/expect/listing"
"$dist" "${sample_defines[@]}" expect "$vendor/sample.dist" "$work/expect/files"

failures=0
count=0
marker=zelta-leftover-${work##*/}
check() {
  count=$((count + 1))
  if [ "$2" = "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

# Processes of this test's server still running anywhere on the machine.
server_processes() {
  local p cmd n=0
  for p in /proc/[0-9]*; do
    cmd=$(tr '\0' ' ' 2>/dev/null < "$p/cmdline") || continue
    case $cmd in
      *"$state/nginx.conf"*|*"--site $site "*|*"$marker"*) n=$((n + 1)) ;;
    esac
  done
  echo "$n"
}

bundle=/etc/ssl/certs/ca-certificates.crt
bundle_sum=$(sha256sum "$bundle" | cut -d' ' -f1)
hosts_sum=$(sha256sum /etc/hosts | cut -d' ' -f1)

echo "== the server, seen from inside"
rc=0
out=$(timeout 120 "$net" --site "$site" --state "$state" -- bash "$0" --inside "$work/expect" "$dist" 2>&1) || rc=$?
echo "$out"
check "inside checks passed" 0 "$rc"
check "nothing left running" 0 "$(server_processes)"
check "the machine's CA bundle is untouched" "$bundle_sum" "$(sha256sum "$bundle" | cut -d' ' -f1)"
check "the machine's hosts file is untouched" "$hosts_sum" "$(sha256sum /etc/hosts | cut -d' ' -f1)"
grep -qF "$(sed -n 2p "$state/ca/ca.crt")" "$bundle" && leaked=yes || leaked=no
check "the test CA is not in the machine's bundle" no "$leaked"

echo "== zelta-dist on the command line"
mkdir -p "$work/cli"
printf 'copied\r\n' > "$work/cli/payload.bin"
cat > "$work/cli/good.dist" <<'EOF2'
[system]
RootDirectory = R
CadSystem = C
SubSystem = S
Version = V
[disc 1]
Name = One
[file Systems \Systems\bin\real.exe]
Target = \Bin\real.exe
Copy = @{PAYLOAD}
EOF2
"$dist" --define PAYLOAD="$work/cli/payload.bin" site "$work/cli/good.dist" "$work/cli/site" && rc=0 || rc=$?
cmp -s "$work/cli/payload.bin" "$work/cli/site/web/Download/UpDate-V9.20/VarnelDemo/Disc_01/Systems/bin/real.exe" &&
  copied=same || copied=different
check "--define fills @{NAME} in Copy" "0 same" "$rc $copied"
rc=0
"$dist" site "$work/cli/good.dist" "$work/cli/site2" 2> "$work/cli/err" || rc=$?
check "an undefined @{NAME} fails with its line" "1 $work/cli/good.dist:10: @{PAYLOAD} is not defined (give --define PAYLOAD=PATH)" \
  "$rc $(cat "$work/cli/err")"
rc=0
"$dist" "${sample_defines[@]}" expect "$vendor/sample.dist" "$work/expect/files" 2> "$work/cli/err" || rc=$?
check "expect refuses to write over an earlier result" 1 "$rc"
rc=0
"$dist" frobnicate 2>/dev/null || rc=$?
check "an unknown command is a usage error" 2 "$rc"

echo "== the runner"
out=$(timeout 60 "$net" --site "$site" --state "$state" -- bash -c 'echo "[$ZELTA_SITE]"; exit 7' 2>&1) && rc=0 || rc=$?
check "COMMAND's exit code" 7 "$rc"
check "ZELTA_SITE is the absolute site" "[$site]" "$out"

out=$(timeout 60 "$net" --site "$site" --state "$state" --no-https -- bash -c '
  curl -sS --max-time 10 -o /dev/null https://www.zeltasoft.example/Download/UpDate-V9.20/Update.ini 2>/dev/null; echo -n "$? "
  curl -sS --max-time 10 -o /dev/null -w "%{http_code}" http://download.zeltasoft.example/UpDate-V9.20/Update.ini' 2>&1) || true
check "--no-https: 443 refused (curl 7), 80 served" "7 200" "$out"

out=$(timeout 60 "$net" --site "$site" --state "$state" --no-http -- bash -c '
  curl -sS --max-time 10 -o /dev/null http://download.zeltasoft.example/UpDate-V9.20/Update.ini 2>/dev/null; echo -n "$? "
  curl -sS --max-time 10 -o /dev/null -w "%{http_code}" https://www.zeltasoft.example/Download/UpDate-V9.20/Update.ini' 2>&1) || true
check "--no-http: 80 refused (curl 7), 443 served" "7 200" "$out"

# A dark 443: the TLS handshake never comes, and nothing a client does ends
# the connection. One client gives up, one shuts its end and finds the
# connection still open; both are held until the server stops, promptly.
start=$(date +%s)
out=$(timeout 60 "$net" --site "$site" --state "$state" --dark-https -- bash -c '
  curl -sS --max-time 2 -o /dev/null https://www.zeltasoft.example/ 2>/dev/null; echo -n "$? "
  curl -sS --max-time 10 -o /dev/null -w "%{http_code} " http://download.zeltasoft.example/UpDate-V9.20/Update.ini
  half_close www.zeltasoft.example 443 - 2' 2>/dev/null) || true
check "--dark-https: 443 never answers (curl 28), 80 served, a shut end changes nothing" "28 200 0 open" "$out"
check "--dark-https: done promptly" yes "$([ $(( $(date +%s) - start )) -lt 15 ] && echo yes || echo no)"
check "--dark-https: nothing left running" 0 "$(server_processes)"
accepted=$(grep -c 'dark 443 accepted' "$state/fault-server.log")
held=$(grep -c 'dark 443 dark for [0-9]* ms (server-stopped)' "$state/fault-server.log")
check "--dark-https: both connections held until the server stopped" "2 2 stopped" \
  "$accepted $held $(tail -n 1 "$state/fault-server.log" | cut -d' ' -f3-)"

# A dropped 443: no answer to the first packet, so the connect itself
# hangs (curl 28, where a closed port is refused at once, curl 7).
out=$(timeout 60 "$net" --site "$site" --state "$state" --dropped-https -- bash -c '
  echo -n "[${ZELTA_NO_PACKET_FILTER:-}] ${ZELTA_DROPPED_PORTS:-} "
  curl -sS --connect-timeout 2 -o /dev/null https://www.zeltasoft.example/ 2>/dev/null; echo -n "$? "
  curl -sS --max-time 10 -o /dev/null -w "%{http_code}" http://download.zeltasoft.example/UpDate-V9.20/Update.ini' \
  2>/dev/null) || true
if [[ $out == "[]"* ]]; then
  check "--dropped-https: the connect hangs (curl 28), 80 served" "[] 443 28 200" "$out"
else
  echo "skip --dropped-https: ${out%%]*}]"
fi
command -v nft >/dev/null && nft list table inet zelta_dropped >/dev/null 2>&1 && leaked=yes || leaked=no
check "--dropped-https: the machine's packet filter is untouched" no "$leaked"

out=$(timeout 60 "$net" --site "$site" --state "$state" -- \
  bash -c '(exec -a "$0" sleep 60) & echo started' "$marker" 2>&1) || true
check "a process COMMAND leaves behind is ended" "0" "$(server_processes)"
echo "$out" | grep -q "ending leftover process" && told=yes || told=no
check "and named" yes "$told"

# A signal to the runner ends COMMAND, nginx and the fault server.
start=$(date +%s)
rm -f "$state/running"
"$net" --site "$site" --state "$state" -- \
  bash -c 'touch "$ZELTA_VENDOR_STATE/running"; sleep 50' > "$work/signal.out" 2>&1 &
runner=$!
wait_for 30 test -e "$state/running" || true
check "the command started" yes "$([ -e "$state/running" ] && echo yes || echo no)"
kill -TERM "$runner"
rc=0
wait "$runner" || rc=$?
check "SIGTERM: the runner ends with 143" 143 "$rc"
check "SIGTERM: promptly" yes "$([ $(( $(date +%s) - start )) -lt 20 ] && echo yes || echo no)"
check "SIGTERM: nothing left running" 0 "$(server_processes)"

out=$(timeout 60 "$net" --site "$work/empty" --state "$state" -- bash -c '
  ls "$ZELTA_SITE" "$ZELTA_SITE/faults" | tr "\n" " "
  curl -sS --max-time 10 -o /dev/null -w "%{http_code}" https://www.zeltasoft.example/Download/UpDate-V9.20/Update.ini' 2>&1) || true
check "a missing site is made, empty" "$work/empty: download faults web  $work/empty/faults: download web 404" "$out"

rc=0
"$net" --site "$site" --state "$state" --web-host "bad name" -- true 2>/dev/null || rc=$?
check "a bad host name is refused" 2 "$rc"

echo "== zelta-dist serve: the site for try-outs, outside any namespace"
rc=0
# As a user who may well not reach this checkout (a clone in a private
# folder): the script alone, from a folder anyone can read.
plain=$(mktemp -d)
chmod 755 "$plain"
cp "$vendor/zelta-serve.sh" "$plain/"
runuser -u nobody -- bash "$plain/zelta-serve.sh" "$site" > /dev/null 2> "$work/serve.err" || rc=$?
rm -rf "$plain"
grep -q 'port 443 is below 1024 and needs root' "$work/serve.err" && told=yes || told=no
check "serve: port 443 refused when not root, and why" "2 yes" "$rc $told"
rc=0
"$dist" serve "$work/cli" --port-https 18443 --port-http 18080 > /dev/null 2>&1 || rc=$?
check "serve: a SITE without web/ and download/ is refused" 2 "$rc"

free_port() {  # OTHER: a port nothing listens on, not OTHER
  local p
  for _ in $(seq 1 100); do
    p=$((20000 + RANDOM % 10000))  # below the ephemeral ports
    [ "$p" != "$1" ] && [ -z "$(ss -Htln "sport = :$p")" ] && { echo "$p"; return; }
  done
  return 1
}
hp=$(free_port 0)
dp=$(free_port "$hp")
serve_state=$work/xdg/zelta-serve
# Job control, so that SIGINT is not ignored as in a background job.
# Should this test die first, the server gets the same SIGINT.
set -m
XDG_STATE_HOME=$work/xdg setpriv --pdeathsig INT -- "$dist" serve "$site" --port-https "$hp" --port-http "$dp" \
  > "$work/serve.out" 2> "$work/serve.err" &
serve_pid=$!
set +m
trap 'kill -TERM -- -$serve_pid 2>/dev/null || true' EXIT
serve_ready() {  # ready, or ended before it was
  grep -q 'Ctrl-C stops the server' "$work/serve.out" || ! kill -0 "$serve_pid" 2>/dev/null
}
wait_for 30 serve_ready || true
cat "$work/serve.out" "$work/serve.err"
ca=$(sed -n 's/^CA certificate: //p' "$work/serve.out")
check "serve: the CA printed, in the default state folder" "$serve_state/ca/ca.crt" "$ca"
grep -qx "  127.0.0.1 www.zeltasoft.example download.zeltasoft.example" "$work/serve.out" && told=yes || told=no
check "serve: the hosts line printed" yes "$told"

W=www.zeltasoft.example:$hp
D=download.zeltasoft.example:$dp
fetch() {  # URL [curl options...]: "CODE SIZE", the body in $work/serve.body
  local url=$1
  shift
  curl -sS --max-time 10 --cacert "$ca" --resolve "$W:127.0.0.1" --resolve "$D:127.0.0.1" "$@" \
    -o "$work/serve.body" -w '%{http_code} %{size_download}' "$url" 2>&1 || true
}
same() { cmp -s "$work/serve.body" "$1" && echo same || echo different; }
probe=Download/UpDate-V9.20/Update.ini
out=$(fetch "https://$W/$probe")
check "serve: probe over HTTPS, trusted with the printed CA" "200 $(stat -c %s "$site/web/$probe") same" \
  "$out $(same "$site/web/$probe")"
out=$(fetch "http://$D/UpDate-V9.20/Update.ini")
check "serve: probe over HTTP" "200 same" "${out% *} $(same "$site/download/UpDate-V9.20/Update.ini")"
out=$(fetch "https://$W/Download/UpDate-V9.20/VarnelDemo/Disc_02/Datas/ex_anyag.dat" -H 'Range: bytes=1000-')
check "serve: a range is answered 206, the rest of the file" "206 39000" "$out"
out=$(fetch "https://$W/Download/UpDate-V9.20/VarnelDemo/Disc_01\\Systems\\bin\\zelta.exe")
check "serve: backslashes separate folders" "200 1300000" "$out"

nginx_master=$(cat "$serve_state/nginx.pid" 2>/dev/null || echo none)
want="127.0.0.1:$dp 127.0.0.1:$hp"
grep -q '^0\{31\}1 .* lo$' /proc/net/if_inet6 2>/dev/null && want="$want [::1]:$dp [::1]:$hp"
check "serve: nginx listens on loopback only" "$(echo "$want" | tr ' ' '\n' | sort | xargs)" \
  "$(ss -Htlnp | awk -v p="pid=$nginx_master," 'index($0, p) { print $4 }' | sort | xargs)"

reg=$serve_state/zelta-test-ca.reg
openssl x509 -in "$ca" -outform DER > "$work/ca.der" || true
thumb=$(sha1sum < "$work/ca.der" | cut -c1-40 | tr a-f A-F)
check "serve: the .reg file, its header and its key (the SHA-1 of the DER)" \
  "Windows Registry Editor Version 5.00|[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumb]" \
  "$(tr -d '\r' < "$reg" | sed -n '1p;3p' | paste -sd'|' || true)"
{ tr -d '\r' < "$reg" | sed -n '/^"Blob"=hex:/,$p' | sed 's/^"Blob"=hex://; s/[ ,\\]//g' | tr -d '\n' |
  xxd -r -p > "$work/blob"; } || true
tail -c +13 "$work/blob" | cmp -s - "$work/ca.der" && blob=der || blob=other
check "serve: Blob is property 0x20, 1, the length, the DER" "32 1 $(stat -c %s "$work/ca.der") der" \
  "$(head -c 12 "$work/blob" | od -An -tu4 --endian=little | xargs) $blob"

kill -INT "$serve_pid" 2>/dev/null || true
serve_gone() { ! kill -0 "$serve_pid" 2>/dev/null; }
wait_for 30 serve_gone || true
kill -0 "$serve_pid" 2>/dev/null && ended=no || ended=yes
rc=0
[ $ended = no ] || wait "$serve_pid" || rc=$?
trap - EXIT
check "serve: Ctrl-C ends it, with 130" "yes 130" "$ended $rc"
# nginx's master names its state in its title; workers hold the ports.
left=0
for p in /proc/[0-9]*; do
  cmd=$(tr '\0' ' ' 2>/dev/null < "$p/cmdline") || continue
  case $cmd in *"$serve_state"*) left=$((left + 1)) ;; esac
done
[ -e "$serve_state/nginx.pid" ] && pidfile=kept || pidfile=removed
check "serve: nothing left running, the ports closed, the pid file removed" "0 0 removed" \
  "$left $(ss -Htln "( sport = :$hp or sport = :$dp )" | wc -l) $pidfile"
check "serve: the machine's CA bundle is untouched" "$bundle_sum" "$(sha256sum "$bundle" | cut -d' ' -f1)"
check "serve: the machine's hosts file is untouched" "$hosts_sum" "$(sha256sum /etc/hosts | cut -d' ' -f1)"

echo "$count checks, $failures failed (outside)"
if [ "$failures" = 0 ]; then
  rm -rf "$work"
else
  echo "kept for a look: $work"
  exit 1
fi
