#!/usr/bin/env bash
# Fails when a C or C++ source of the product, its tests, benchmarks or tools differs from what
# clang-format makes of it with the project's .clang-format. CMake files are never formatted: the
# tool reads them as C and mangles them. Prints the offending files; `clang-format -i` fixes them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

format=${CLANG_FORMAT:-}
if [ -z "$format" ]; then
  for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null; then
      format=$candidate
      break
    fi
  done
fi
if [ -z "$format" ]; then
  echo "check_format: clang-format not found (scripts/setup.sh installs it)" >&2
  exit 2
fi

dirs=()
for d in platform foundation records engine document cli ui tests bench tools; do
  [ -d "$d" ] && dirs+=("$d")
done

# Few clang-format processes for all files; a violation is reported as "FILE:LINE:COL: error: ...".
report=$(find "${dirs[@]}" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 |
  xargs -0 -r "$format" --dry-run -Werror 2>&1 >/dev/null || true)
mapfile -t bad < <(printf '%s\n' "$report" |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ -n "$report" ] && ! ((${#bad[@]})); then
  # clang-format failed without naming a file (e.g. an unreadable .clang-format)
  printf '%s\n' "$report" >&2
  exit 2
fi

if ((${#bad[@]})); then
  echo "Not formatted with clang-format ($("$format" --version | head -1)):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  echo "Fix with: $format -i FILE..." >&2
  exit 1
fi
echo "clang-format: all sources formatted"
