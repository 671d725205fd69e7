#!/usr/bin/env bash
# Fails when a library includes a header of a library below which it must not reach. Every header is on every
# target's include path (and a Designer form names its custom widgets' headers), so the compiler cannot see a wrong direction; this table is the one place that says
# which folders each library may use (besides its own).
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [app]="testing results controls dialogs data calendar tools"
    [testing]="results dialogs controls data calendar"
    [results]="dialogs controls data calendar"
    [controls]="dialogs calendar"
    [dialogs]="calendar"
    [data]="calendar"
    [calendar]=""
    [tools]="data calendar"
)
project_folders="app testing results controls dialogs data calendar tools"

failures=0
for library in "${!allowed[@]}"; do
    [ -d "$library" ] || continue
    while IFS=: read -r file line text; do
        used="$(sed -E 's/.*(#include "|<header>)([a-z]+)\/.*/\2/' <<<"$text")"
        [ "$used" = "$library" ] && continue
        [[ " $project_folders " == *" $used "* ]] || continue
        if [[ " ${allowed[$library]} " != *" $used "* ]]; then
            echo "$file:$line: $library must not include $used/ headers: $text"
            failures=$((failures + 1))
        fi
    done < <(grep -rnE '^\s*#\s*include\s+"[a-z]+/|<header>[a-z]+/' "$library" \
                   --include='*.h' --include='*.cpp' --include='*.ui' || true)
done

if [ "$failures" -ne 0 ]; then
    echo "$failures include(s) against the library directions"
    exit 1
fi
echo "Include directions: every library uses only the libraries it may"
