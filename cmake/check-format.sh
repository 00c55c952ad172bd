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

checked=0
unformatted=()
for file in "${files[@]}"; do
  [ -f "$file" ] || continue # removed, not yet committed
  checked=$((checked + 1))
  clang-format --style=file --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done

if [ ${#unformatted[@]} -gt 0 ]; then
  echo "${#unformatted[@]} of $checked C++ files are not formatted as .clang-format says" \
    "(clang-format -i FILE formats one):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "all $checked C++ files are formatted as .clang-format says"
