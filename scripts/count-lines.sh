#!/usr/bin/env bash
# Counts the lines that carry code: non-blank lines of .cpp, .h and .rc files
# that are not only a // comment. Prints the tests (everything under tests/),
# the code (src/ and tools/) and the tests as a share of the code.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' \) -print0 |
    xargs -0 -r cat |
    grep -Ev '^[[:space:]]*(//.*)?$' |
    wc -l
}

tests=$(count tests)
code=$(count src tools)
echo "tests: $tests"
echo "code:  $code"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.1f %%\n", c ? 100 * t / c : 0 }'
