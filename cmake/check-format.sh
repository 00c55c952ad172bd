#!/usr/bin/env bash
# Fails, naming them, when C++ files of the project are not formatted as .clang-format says.
# Checks what git tracks and what it would add (new files too), or every file outside build/
# where there is no git.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
    '*.cpp' '*.h' '*.hpp' '*.cc')
else
  mapfile -t files < <(find . -path ./build -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print | sort)
fi

existing=()
for file in "${files[@]}"; do
  [ -f "$file" ] && existing+=("$file") # a file removed but not yet committed is passed over
done
checked=${#existing[@]}

# One clang-format for many files, two at a time: a process per file cost half a minute. Each
# finding names its file, which is all that is kept of what it says; a failure that names none
# (clang-format itself failing) is shown whole.
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
printf '%s\0' "${existing[@]}" |
  xargs -0 -n 64 -P 2 clang-format --style=file --dry-run --Werror 2>"$report" >/dev/null ||
  status=$?
mapfile -t unformatted < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*/\1/p' "$report" | sort -u)
if [ $status -ne 0 ] && [ ${#unformatted[@]} -eq 0 ]; then
  cat "$report"
  echo "clang-format failed (exit $status) without naming a file"
  exit 1
fi

if [ ${#unformatted[@]} -gt 0 ]; then
  echo "${#unformatted[@]} of $checked C++ files are not formatted as .clang-format says" \
    "(clang-format -i FILE formats one):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "all $checked C++ files are formatted as .clang-format says"
