#!/usr/bin/env bash
# Formats the C++ sources with the repository's .clang-format; --check only reports.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=(-i)
if [ "${1:-}" = "--check" ]; then mode=(--dry-run -Werror); fi
git ls-files -z --cached --others --exclude-standard '*.h' '*.cpp' | xargs -0 -r clang-format "${mode[@]}"
