#!/usr/bin/env bash
# make test's proof that the release files are what this source builds:
#  - the tree is copied into two folders whose paths differ in name and length, make dist runs
#    in each, one after the other, and every release file must be the same byte for byte; a
#    file that differs is named, with the members inside it that differ;
#  - the files are then checked as a user gets them: SHA256SUMS matches, the zip holds the two
#    programs, a CRLF README.txt and the CRLF .cmd that starts the watcher at log-in, the Debian
#    package passes lintian without errors, holds exactly its files, its systemd user unit
#    passes systemd-analyze verify, and the kovra-cli unpacked from it prints the project's
#    version;
#  - the Kovra.exe shipped is the one make test has checked (build/windows/Kovra.exe).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

version=$(sed -n 's/^project(Kovra VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
root=$PWD/build/reproducible
first=$root/a
second=$root/second-folder-of-another-length
rm -rf "$root"

# The tree as it stands, committed or not: what git tracks and what it would add.
copy_tree() {
  mkdir -p "$1"
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
    tar --null -T - -cf - | tar -xf - -C "$1"
}

# The second tree packs the Windows programs that make test built and tested in build/windows,
# in a folder of yet another name: built twice all the same, and the 32-bit build is not made a
# third time. Without that build, the second tree builds its own.
windows_build=""
[ -f build/windows/build.ninja ] && windows_build=$PWD/build/windows
for tree in "$first" "$second"; do
  copy_tree "$tree"
  packed=""
  [ "$tree" = "$second" ] && packed=$windows_build
  echo "---- make dist in $tree${packed:+ (the Windows programs of $packed)}"
  (cd "$tree" && KOVRA_DIST_WINDOWS_BUILD=$packed bash cmake/dist.sh >"$tree.log" 2>&1) ||
    { tail -n 30 "$tree.log"; echo "make dist failed in $tree (log: $tree.log)"; exit 1; }
done

failures=0
fail() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}

# unpack FILE FOLDER: the members of a zip or Debian package, to compare one by one.
unpack() {
  mkdir -p "$2"
  case $1 in
    *.zip) python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
      "$1" "$2" ;;
    *.deb) dpkg-deb -R "$1" "$2" ;;
  esac
}
# listing FILE: each member with its time, mode and owner, which unpacking loses.
listing() {
  case $1 in
    *.zip) python3 -c 'import sys, zipfile
for m in zipfile.ZipFile(sys.argv[1]).infolist():
    print(m.filename, m.date_time, m.create_system, hex(m.external_attr), m.CRC, m.compress_size)' \
      "$1" ;;
    *.deb) dpkg-deb --contents "$1" ;;
  esac
}
# explain NAME: which members of the two builds' NAME differ, in content or in what is listed.
explain() {
  local name=$1 diff=$root/diff
  unpack "$a/$name" "$diff/a" && unpack "$b/$name" "$diff/b"
  (cd "$diff" && diff -rq a b) | sed 's/^/        /' || true
  diff <(listing "$a/$name") <(listing "$b/$name") | grep '^[<>]' | sed 's/^/        /' || true
  rm -rf "$diff"
}

echo "---- the two builds, file by file"
a=$first/build/dist
b=$second/build/dist
names=$( (ls "$a"; ls "$b") | sort -u)
for name in $names; do
  if [ ! -f "$a/$name" ] || [ ! -f "$b/$name" ]; then
    fail "$name: made by one build only"
  elif cmp -s "$a/$name" "$b/$name"; then
    echo "same  $name  $(sha256sum <"$a/$name" | cut -d' ' -f1)"
  else
    fail "$name differs between the two builds"
    case $name in
      *.zip | *.deb) explain "$name" ;;
      *) cmp "$a/$name" "$b/$name" | sed 's/^/        /' || true ;;
    esac
  fi
done

echo "---- the release files as a user gets them"
zip=kovra-$version-windows-x86.zip
deb=kovra-cli_${version}_$(dpkg --print-architecture).deb
(cd "$a" && sha256sum --quiet -c SHA256SUMS) && echo "ok    SHA256SUMS matches the files" ||
  fail "SHA256SUMS does not match the files"

if [ -f "$a/$zip" ]; then
  members=$(python3 -c 'import sys, zipfile; print(" ".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
    "$a/$zip")
  [ "$members" = "Kovra.exe README.txt kovra-cli.exe kovra-player.cmd watch-at-log-in.cmd" ] && echo "ok    $zip holds $members" ||
    fail "$zip holds $members"
  python3 - "$a/$zip" <<'EOF' && echo "ok    README.txt and the .cmd files end their lines in CRLF" || fail "README.txt or a .cmd"
import sys, zipfile
for name in ("README.txt", "watch-at-log-in.cmd", "kovra-player.cmd"):
    text = zipfile.ZipFile(sys.argv[1]).read(name)
    lines, crlf = text.count(b"\n"), text.count(b"\r\n")
    if lines == 0 or crlf != lines:
        sys.exit(f"{name}: {lines - crlf} of {lines} lines end in LF alone")
EOF
  unpack "$a/$zip" "$root/zip"
  if [ ! -f build/windows/Kovra.exe ]; then
    echo "not checked: no build/windows/Kovra.exe to compare the zip's with (make test builds it)"
  elif cmp -s "$root/zip/Kovra.exe" build/windows/Kovra.exe; then
    echo "ok    the zip's Kovra.exe is build/windows/Kovra.exe, which make test checked"
  else
    fail "the zip's Kovra.exe is not build/windows/Kovra.exe, which make test checked"
  fi
else
  fail "no $zip"
fi

if [ -f "$a/$deb" ]; then
  status=0
  report=$(lintian --fail-on error "$a/$deb" 2>&1) || status=$?
  grep -v 'running with root privileges' <<<"$report" | sed 's/^/        /' || true
  [ $status -eq 0 ] && echo "ok    lintian finds no error" || fail "lintian finds errors in $deb"
  expected="./usr/bin/kovra-cli
./usr/lib/systemd/user/kovra-watch.service
./usr/share/bash-completion/completions/kovra-cli
./usr/share/doc/kovra-cli/changelog.gz
./usr/share/doc/kovra-cli/copyright
./usr/share/doc/kovra-cli/json.md
./usr/share/man/man1/kovra-cli.1.gz"
  files=$(dpkg-deb --contents "$a/$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
  [ "$files" = "$expected" ] && echo "ok    $deb holds exactly its seven files" ||
    fail "$deb holds: $(echo $files)"
  owners=$(dpkg-deb --contents "$a/$deb" | awk '{ print $2 }' | sort -u)
  [ "$owners" = root/root ] && echo "ok    every file belongs to root" || fail "owners: $owners"
  dpkg-deb -x "$a/$deb" "$root/deb"
  unit=usr/lib/systemd/user/kovra-watch.service
  grep -qx 'ExecStart=/usr/bin/kovra-cli watch --set-clock --export %h/Videos/kovra' \
    "$root/deb/$unit" && echo "ok    the unit runs /usr/bin/kovra-cli watch" ||
    fail "the unit's ExecStart: $(grep ExecStart "$root/deb/$unit")"
  # verify wants the program the unit names to be there and a user manager's runtime folder:
  # a copy of the unit names the unpacked program, and runs with a folder of its own. Unknown
  # keys are only warned of, so anything it says fails too.
  mkdir -m 700 "$root/runtime"
  sed "s|/usr/bin/kovra-cli|$root/deb/usr/bin/kovra-cli|" "$root/deb/$unit" >"$root/kovra-watch.service"
  verified=$(XDG_RUNTIME_DIR=$root/runtime systemd-analyze --user --man=no verify \
    "$root/kovra-watch.service" 2>&1) && [ -z "$verified" ] &&
    echo "ok    systemd-analyze verify accepts the unit" || fail "systemd-analyze verify: $verified"
  shown=$("$root/deb/usr/bin/kovra-cli" --version 2>&1) || true
  [ "$shown" = "$version" ] && echo "ok    the unpacked kovra-cli --version prints $shown" ||
    fail "the unpacked kovra-cli --version prints '$shown', not $version"
else
  fail "no $deb"
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) of the release files failed (the builds: $first, $second)"
  exit 1
fi
rm -rf "$root"
echo "the release files are reproducible and as they should be"
