# The opening of the command-line tests, sourced with their arguments: PROGRAM EXAMPLES
# [RUNNER]. With a runner (the Wine wrapper) the Windows program is run and given Windows
# paths. Leaves a scratch folder in $work, removed at the end, and the counting checks.
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$(cd "$2" && pwd)
runner=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

inside() { echo "Z:$(echo "$1" | tr / '\\')"; } # the Windows program's form of a path
arg() { if [ -n "$runner" ]; then inside "$1"; else echo "$1"; fi; } # a path as given to it
