# Completion of zellora-cli's commands, options and files in bash.
_zellora_cli() {
  local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="info resave export import plan check help"
  if [ "$COMP_CWORD" -eq 1 ]; then
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$current")
    return
  fi
  case $previous in
    --root) mapfile -t COMPREPLY < <(compgen -d -- "$current"); return ;;
    --encoding) mapfile -t COMPREPLY < <(compgen -W "utf-8 iso-8859-1" -- "$current"); return ;;
    --format) mapfile -t COMPREPLY < <(compgen -W "text json sarif" -- "$current"); return ;;
    --jobs) return ;;
  esac
  local options="--help"
  case ${COMP_WORDS[1]} in
    help) mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$current"); return ;;
    resave) options+=" --encoding --root" ;;
    export | import) options+=" --root" ;;
    plan) options+=" --root --flat" ;;
    check) options+=" --root --format --json --jobs" ;;
  esac
  if [[ $current == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$current")
  else
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$current")
  fi
}
complete -F _zellora_cli zellora-cli
