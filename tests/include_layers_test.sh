#!/bin/bash
# Folders depend downwards only: every quoted #include of the program's sources names a header
# of the file's own layer or of a layer that the graph below lets it use.
# Usage: include_layers_test.sh SOURCE_DIR
source "$(dirname "$0")/checks.sh"
root=$1

# The one place where the layers and what each may include are written down.
declare -A may_use=(
  [base]=""
  [rotation]=""
  [resources]=""
  [platform]="base"
  [paths]="base platform"
  [document]="base platform paths"
  [export]="base platform paths document rotation"
  [panel]="base platform paths document"
  [plan]="base platform paths document export rotation"
  [edit]="base platform paths document"
  [cli]="base platform paths document export plan rotation"
  [shell]="base platform paths document export panel plan edit rotation resources"
)
layer_of() { # a path below the root; the editor's shell is app/
  local folder=${1%%/*}
  if [ "$folder" = app ]; then
    echo shell
  else
    echo "$folder"
  fi
}

# The folders that hold no part of the program are free to include what they test or measure.
cd "$root" || exit 2
sources=$(find . -path ./build -prune -o -path ./tests -prune -o -path ./bench -prune -o \
  \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)

for file in $sources; do
  layer=$(layer_of "$file")
  if [ -z "${may_use[$layer]+set}" ]; then
    check "$file lies in a folder without a layer" false
    continue
  fi
  while read -r included; do
    [[ $included == */* ]] || continue # generated headers of the build
    target=$(layer_of "$included")
    if [ "$target" != "$layer" ] && [[ " ${may_use[$layer]} " != *" $target "* ]]; then
      check "$file includes $included ($layer may use: ${may_use[$layer]:-nothing})" false
    else
      check "$file includes $included" true
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done
summary include_layers_test
