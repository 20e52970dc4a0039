#!/usr/bin/env bash
# Completes favrake-cli command lines the way bash does on <Tab> and compares what the
# completion offers with tests/data/help/completions.tsv, on a scratch home with a small
# Favorites tree; then checks that every command and option the program's usage names is
# offered.
set -uo pipefail
completion=$(realpath "$1")
program=$(realpath "$2")
table=$(dirname "$(realpath "$0")")/../data/help/completions.tsv
usage=$("$program" --help) || { echo "FAIL: $program --help"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Favorites/News/Tech" "$work/Favorites/Recipes" "$work/here/sub"
touch "$work/here/export.html" "$work/here/notes.txt"
cd "$work/here" || exit 1
export HOME=$work FAVRAKE_FAVORITES=$work/Favorites
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"
compopt() { :; } # only a real <Tab> may set options

failures=0
# What <Tab> offers at the end of line, sorted, on one line.
offers() {
    local line=$1
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _favrake_cli favrake-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | xargs
}
check() {
    local line=$1 expected=$2 got
    got=$(offers "$line")
    if [[ $got != "$expected" ]]; then
        echo "FAIL: '$line' offers '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
}

while IFS=$'\t' read -r line expected; do
    check "$line" "$expected"
done < <(grep -v '^#' "$table" | tail -n +2)

while read -r line; do
    [[ $line =~ favrake-cli\ ([a-z]+)(.*) ]] || continue
    command=${BASH_REMATCH[1]}
    [[ " $(offers "favrake-cli ") " == *" $command "* ]] ||
        { echo "FAIL: command $command is not offered"; failures=$((failures + 1)); }
    for option in $(grep -oE -- '-{1,2}[a-z][a-z-]*' <<<"${BASH_REMATCH[2]}"); do
        [[ " $(offers "favrake-cli $command -") " == *" $option "* ]] ||
            { echo "FAIL: $command $option is not offered"; failures=$((failures + 1)); }
    done
done <<<"$usage"
echo "completion: $failures failed"
exit $((failures > 0))
