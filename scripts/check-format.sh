#!/usr/bin/env bash
# Fails, naming the places, when a C++ file of the tree is not as clang-format
# writes it with the repository's .clang-format (clang-format 14, Debian 12's).
# Fix with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is missing" >&2; exit 1; }
find bench colortext fuzz picker plugin standalone tests -name '*.cpp' -o -name '*.h' |
  sort | xargs clang-format --dry-run -Werror
echo "check-format: every C++ file is formatted"
