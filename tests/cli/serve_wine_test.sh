#!/usr/bin/env bash
# serve_wine_test.sh win32|win64 BUILD PROGRAM: kovra-cli.exe serve --no-browser under Wine, in
# a prefix of its own, asked from the Linux side: Windows' sockets under Boost.Asio answer the
# listing, and a foreign Host is refused there too.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
mode=$1
build=$2
program=$3
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/cmake/wine.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-serve-wine.XXXXXX")
prefix=$(realpath -m "$build")/wine-serve
server=""
cleanup() {
  [ -n "$server" ] && kill -KILL "$server" 2>/dev/null
  stop_prefix "$prefix"
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/card/DCIM"
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=15 -t 1 -c:v mjpeg \
  "$work/card/DCIM/A.AVI"
# The prefix made, its session stopped.
ready_prefix "$mode" "$prefix" "$program" || { echo "FAIL  the prefix not made"; exit 1; }

export WINEPREFIX=$prefix WINEARCH=$mode
"$(wine_loader "$mode")" "$program" serve --no-browser --from "Z:${work//\//\\}\\card" \
  --save "Z:${work//\//\\}\\save" >"$work/serve.out" 2>"$work/serve.err" &
server=$!
for _ in $(seq 600); do
  grep -q "Kovra serves" "$work/serve.out" 2>/dev/null && break
  sleep 0.1
done
line=$(tr -d '\r' <"$work/serve.out")
err=$(tr -d '\r' <"$work/serve.err")
check "the one line with the link" test -n "$(grep -E '^Kovra serves the card at http://127\.0\.0\.1:[0-9]+/\?token=[0-9a-f]{64}$' <<<"$line")"
port=$(sed -n 's|.*127\.0\.0\.1:\([0-9]*\)/.*|\1|p' <<<"$line")
token=${line##*=}
# status and body of a GET, the Host given.
ask() {
  python3 - "$port" "$1" "$2" "$token" <<'PY'
import http.client, sys
port, target, host, token = sys.argv[1:]
c = http.client.HTTPConnection("127.0.0.1", int(port), timeout=60)
c.putrequest("GET", target, skip_host=True)
c.putheader("Host", host)
c.putheader("Authorization", "Bearer " + token)
c.endheaders()
r = c.getresponse()
print(r.status, r.read().decode())
PY
}
listing=$(ask /api/videos "127.0.0.1:$port")
check "the listing answers, its one video id 0" is \
  "$(python3 -c 'import json,sys; s,b=sys.stdin.read().split(" ",1); v=json.loads(b)["videos"]; print(s, [(x["id"], x["path"], x["state"]) for x in v])' <<<"$listing")" \
  "200 [(0, 'DCIM/A.AVI', 'ok')]"
check "a foreign Host refused" is "$(ask /api/videos "evil.example:$port" | cut -d' ' -f1)" 421
kill -TERM "$server" 2>/dev/null
server=""
finish
