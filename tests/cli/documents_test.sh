#!/usr/bin/env bash
# documents_test.sh PROGRAM: the man page and the bash completion keep up with the program.
# For each command, the options its --help lists are exactly those the completion offers
# (besides --card, which every command takes), and each is in the man page; the values the
# completion offers for an option are ones the program takes.
set -uo pipefail
program=$1
cli=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cli" && pwd)
failures=0

# What the completion offers for the words given, the last one being typed.
offered() {
  bash -c 'source "$1/kovra-cli.bash-completion"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _kovra_cli
    printf "%s\n" "${COMPREPLY[@]}"' _ "$cli" "$@" | sort -u
}
# The long options a command's --help lists.
listed() { "$program" "$@" --help | grep -o -- '--[a-z][a-z-]*' | sort -u; }

# The commands as --help lists them, and those under them: "config show" and so on.
subcommands() { "$program" "$@" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\+\) .*/\1/p'; }
commands() {
  local sub found=0
  for sub in $(subcommands "$@"); do
    found=1
    commands "$@" "$sub"
  done
  [ $found -eq 1 ] || echo "$*"
}

# Each command guards against an option added, renamed or dropped in one place but not in the
# others; each group of commands, against a command missing from the completion.
for group in "" config clock; do
  # shellcheck disable=SC2086 # the group's words
  [ "$(offered kovra-cli $group "" | tr '\n' ' ')" = "$(subcommands $group | sort | tr '\n' ' ')" ] ||
    { echo "FAIL  kovra-cli $group: the completion offers other commands"; failures=$((failures + 1)); }
done
mapfile -t every < <(echo; commands)
[ ${#every[@]} -gt 8 ] || { echo "FAIL  only ${#every[@]} commands found"; failures=$((failures + 1)); }
for command in "${every[@]}"; do
  # shellcheck disable=SC2086 # the command's words
  expected=$( (listed $command; [ -z "$command" ] || echo --card) | sort -u)
  # shellcheck disable=SC2086
  actual=$(offered kovra-cli $command -)
  if [ "$actual" != "$expected" ]; then
    echo "FAIL  kovra-cli $command: the completion offers $(echo $actual), --help lists" \
      "$(echo $expected)"
    failures=$((failures + 1))
  fi
  [ -z "$command" ] || grep -q -- "fB${command// / }" "$cli/kovra-cli.1.in" ||
    { echo "FAIL  kovra-cli $command is not in the man page"; failures=$((failures + 1)); }
  # A command that prints JSON has its document described where the man page points.
  [[ -z "$command" || $'\n'"$expected"$'\n' != *$'\n'--json$'\n'* ]] ||
    grep -qF -- "$command --json\`" "$cli/../docs/json.md" ||
    { echo "FAIL  kovra-cli $command --json is not in docs/json.md"; failures=$((failures + 1)); }
  for option in $expected; do
    grep -q -- "${option//-/\\\\-}" "$cli/kovra-cli.1.in" ||
      { echo "FAIL  kovra-cli $command: $option is not in the man page"; failures=$((failures + 1)); }
  done
done

# The values the completion offers for an option, each of which the program must take.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for option in --trigger-resolution --frame-rate --loop-resolution --overwrite; do
  values=$(offered kovra-cli config set "$option" "")
  [ -n "$values" ] || { echo "FAIL  $option: no value offered"; failures=$((failures + 1)); }
  for value in $values; do
    "$program" config set --defaults "$option" "$value" --output "$work/CONFIG.SYS" --force \
      >/dev/null 2>&1 ||
      { echo "FAIL  $option $value is offered but refused"; failures=$((failures + 1)); }
  done
done

echo "documents: $failures failed"
[ $failures -eq 0 ]
