#!/usr/bin/env bash
# Every command and option that a program's usage text names is described in its manual
# page.
set -uo pipefail
program=$1
page=$2
usage=$("$program" --help) || { echo "FAIL: $program --help"; exit 1; }
text=$(groff -man -Tascii -P-cbou "$page") || exit 1
name=$(basename "$program")
failures=0
for word in $(grep -oE -- "$name [a-z]+|(^|[][ |])(/[A-Z]+|-{1,2}[a-z][a-z-]*)" <<<"$usage" |
    sed -E "s/^$name //; s/^[][ |]//"); do
    if ! grep -qF -- "$word" <<<"$text"; then
        echo "FAIL: $word is not in $(basename "$page")"
        failures=$((failures + 1))
    fi
done
echo "manual page: $failures failed"
exit $((failures > 0))
