#!/usr/bin/env bash
# Fails when a C or C++ file that git tracks is not in the format of the root .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
bad=()
while IFS= read -r file; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files '*.c' '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
    echo "check-format: not formatted (run clang-format -i on them):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "check-format: every C and C++ file is formatted"
