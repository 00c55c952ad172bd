#!/usr/bin/env bash
# install_test.sh BUILD VERSION: the install the README documents, `cmake --install BUILD
# --prefix PREFIX`, into a temporary prefix: it must finish, and leave the program, its man page,
# its bash completion and the watcher's user unit where a shell, man and systemd find them.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
build=$1
version=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kovra-install-test.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1
rc=$? out=$(cat "$prefix.log") err=""
rm -f "$prefix.log"
check "cmake --install finishes" is "$rc" 0
check "the program runs" is "$("$prefix/bin/kovra-cli" --version)" "$version"
check "the man page" gzip -t "$prefix/share/man/man1/kovra-cli.1.gz"
check "the man page is kovra-cli's" has "$(gzip -dc "$prefix/share/man/man1/kovra-cli.1.gz")" \
  ".TH KOVRA-CLI 1"
# A unit missing from the install, or one that starts a kovra-cli the install did not put there.
check "the card watcher's systemd user unit runs the installed program" grep -qx \
  "ExecStart=$prefix/bin/kovra-cli watch --set-clock --export %h/Videos/kovra" \
  "$prefix/lib/systemd/user/kovra-watch.service"
check "the bash completion" has "$(cat "$prefix/share/bash-completion/completions/kovra-cli")" \
  "complete -F"

finish
