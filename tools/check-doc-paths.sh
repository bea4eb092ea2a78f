#!/usr/bin/env bash
# Fails when the README or a document in docs/ names a file or folder of the
# checkout that does not exist. Checked: backquoted words with a slash, link
# targets, and bare file names of source kinds (found anywhere in the
# checkout). Skipped: what the commands write (out/, build/), the game's own
# folders (models/), what lies outside the checkout (../), and words with a
# backslash or a wildcard. A source path
# may be given from src/, the include root, as the code names its headers.
set -uo pipefail
cd "$(dirname "$0")/.."

named_paths() {
  grep -o '`[^` ]*`' "$1" | tr -d '`'
  grep -o '](\([^)]*\))' "$1" | sed 's/^](\(.*\))$/\1/'
}

missing=0
for doc in README.md docs/*.md; do
  [ -f "$doc" ] || continue
  dir=$(dirname "$doc")
  while read -r path; do
    case "$path" in
      http*|\#*|../*|out/*|build/*|models/*|~*|-*) continue ;;
    esac
    path=${path%%:*} # file:line, file:function
    [[ "$path" =~ ^[A-Za-z0-9_./-]+$ ]] || continue
    if [[ "$path" == */* ]]; then
      [ -e "$path" ] || [ -e "src/$path" ] || [ -e "$dir/$path" ] && continue
    elif [[ "$path" =~ \.(cpp|hpp|s|sh|cmake|md|in)$ ]]; then
      grep -q "\(^\|/\)${path//./\\.}$" < <(git ls-files) && continue
    else
      continue
    fi
    echo "$doc: names $path, which does not exist"
    missing=$((missing + 1))
  done < <(named_paths "$doc" | sort -u)
done
[ "$missing" -eq 0 ]
