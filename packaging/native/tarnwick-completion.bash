# bash completion for veradoc, morvane and tagsmith.
#
# The options are read from the tool's own --help the first time they are
# needed, so the completion follows the tool: an option line is one that
# starts with blanks and "-", and names its forms up to two blanks in a row
# ("  -d, --dest DIR  ..."). An argument written in capitals after a form
# ("DIR", "=N", "[=WHEN]") marks an option that takes a value; a name with
# DIR or FOLDER in it completes folders, one with FILE or PATH files, any
# other nothing. Other words complete file and folder names.

# Prints "FORM ARG" for each option form that TOOL's --help names; ARG is
# the argument's name, "=NAME" when the argument is optional and so only
# given after "=", or "-" when the option takes none. The forms of one line
# share its argument ("-d, --dest DIR": -d takes DIR too).
_tarnwick_help_options() {
  "$1" --help 2>/dev/null | awk '
    /^[[:space:]]+-/ {
      line = $0
      sub(/^[[:space:]]+/, "", line)
      sub(/[[:space:]][[:space:]].*/, "", line)
      n = split(line, parts, /,[[:space:]]*/)
      arg = "-"
      count = 0
      for (i = 1; i <= n; i++) {
        if (!match(parts[i], /^(--[A-Za-z0-9][A-Za-z0-9-]*|-[A-Za-z0-9?])/)) continue
        forms[++count] = substr(parts[i], 1, RLENGTH)
        rest = substr(parts[i], RLENGTH + 1)
        optional = rest ~ /^\[/
        gsub(/[][= ]/, "", rest)
        if (rest ~ /^[A-Z][A-Z0-9_-]*$/) arg = (optional ? "=" : "") rest
      }
      for (i = 1; i <= count; i++) print forms[i], arg
    }'
}

declare -gA _tarnwick_option_cache

# Sets _tarnwick_options to the "FORM ARG" lines of TOOL, asked once.
_tarnwick_options_of() {
  local tool=$1
  if [[ -z ${_tarnwick_option_cache[$tool]+set} ]]; then
    _tarnwick_option_cache[$tool]=$(_tarnwick_help_options "$tool")
  fi
  _tarnwick_options=${_tarnwick_option_cache[$tool]}
}

# The argument name ARG of option FORM, or nothing when FORM takes none.
_tarnwick_argument_of() {
  local form arg
  while read -r form arg; do
    if [[ $form == "$1" ]]; then
      [[ $arg != - ]] && echo "$arg"
      return
    fi
  done <<<"$_tarnwick_options"
}

# Completes WORD as the value of an argument called NAME.
_tarnwick_complete_value() {
  local name=$1 word=$2
  case $name in
    *DIR* | *FOLDER*) compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -d -- "$word") ;;
    *FILE* | *PATH* | SOURCE | DEST) compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -f -- "$word") ;;
    *) COMPREPLY=() ;;
  esac
}

_tarnwick() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  local _tarnwick_options
  _tarnwick_options_of "${COMP_WORDS[0]}"
  COMPREPLY=()

  # bash splits "--dest=DIR" at "=": prev is "=" and the option before it.
  if [[ $cur == = || $prev == = ]] && ((COMP_CWORD >= 2)); then
    local option=${COMP_WORDS[COMP_CWORD - 1]}
    [[ $cur == = ]] && cur= || option=${COMP_WORDS[COMP_CWORD - 2]}
    local name
    name=$(_tarnwick_argument_of "$option")
    [[ -n $name ]] && _tarnwick_complete_value "${name#=}" "$cur"
    return 0
  fi

  # The value of the option before.
  if [[ $prev == -* ]]; then
    local name
    name=$(_tarnwick_argument_of "$prev")
    if [[ -n $name && $name != =* ]]; then
      _tarnwick_complete_value "$name" "$cur"
      return 0
    fi
  fi

  if [[ $cur == -* ]]; then
    local form arg forms=()
    while read -r form arg; do [[ -n $form ]] && forms+=("$form"); done <<<"$_tarnwick_options"
    mapfile -t COMPREPLY < <(compgen -W "${forms[*]}" -- "$cur")
    return 0
  fi

  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  return 0
}

complete -F _tarnwick veradoc morvane tagsmith
