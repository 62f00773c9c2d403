# Counting checks for the shell tests: source it, call check and equals, end with summary.
failures=0
passes=0

check() { # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

equals() { # description, expected, actual
  if [ "$2" = "$3" ]; then
    passes=$((passes + 1))
  else
    printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

summary() { # the closing line, with an optional word before it; the status of the whole
  echo "${1:+$1: }$passes passed, $failures failed"
  [ $failures -eq 0 ]
}
