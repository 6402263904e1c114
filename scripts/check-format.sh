#!/usr/bin/env bash
# Checks that the folders kept in the root .clang-format style need no reformatting.
# Add a folder here once it has been reformatted in a commit of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
folders=(media/base platform/win)
files=()
for f in "${folders[@]}"; do
  while IFS= read -r -d '' x; do files+=("$x"); done < <(find "$f" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) -print0)
done
clang-format --dry-run --Werror "${files[@]}"
