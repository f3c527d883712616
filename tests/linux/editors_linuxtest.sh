#!/usr/bin/env bash
# The editor integrations (editors/vim, editors/emacs) end to end: the editor
# runs in a private tmux server on the virtual display of x-run.sh, edits a
# file through the real program, and the saved file, the undo history and
# the message are checked.
#   tests/linux/x-run.sh tests/linux/editors_linuxtest.sh --tintra PROGRAM --editor vim|nvim|emacs
# Exit status 77: the editor is not installed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
tintra= editor=
while [ $# -gt 0 ]; do
  case $1 in
    --tintra) tintra=$2; shift 2 ;;
    --editor) editor=$2; shift 2 ;;
    *) echo "usage: $0 --tintra PROGRAM --editor vim|nvim|emacs" >&2; exit 64 ;;
  esac
done
[ -n "$tintra" ] && [ -n "$editor" ] || { echo "usage: $0 --tintra PROGRAM --editor EDITOR" >&2; exit 64; }
command -v "$editor" >/dev/null || { echo "SKIP: $editor is not installed"; exit 77; }
export LANG=C.UTF-8 LC_ALL=C.UTF-8  # the dialog in English; the editors read UTF-8

work=$(mktemp -d /tmp/tintra-editors.XXXXXX)
# A tmux server of our own for each editor started, ended by its socket: a
# server just told to end may still answer on its socket, and a new session
# started there would die with it ("server exited unexpectedly").
sock_base=tintra-editors-$$-$RANDOM starts=0
sock=$sock_base-0
cleanup() {
  tmux -L "$sock" kill-server 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL [$editor] $row_name: $*"; failures=$((failures + 1)); }

# The file a row starts from, one printf %b line each: a CSS and a C colour,
# a line without one, multi-byte letters before two colours (a character
# count for the cursor picks the other colour), then, in the binary file
# only, NUL and CR bytes (Emacs reads that file as raw bytes).
text_lines=('a { color: #ff8000; }' 'SetColor(RGB(255, 128, 0));' '// no colour here'
            'éééé #00ff00 #0000ff')
binary_lines=("${text_lines[@]}" 'x\0y #123456\r')

# Vim and Neovim load the plugin as a package, as its users install it.
mkdir -p "$work/pack/tintra/start"
ln -s "$repo/editors/vim" "$work/pack/tintra/start/tintra"

# Waits (up to $2 tenths of a second) for a command to succeed.
wait_for() {
  local tries=$2
  until eval "$1"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}
screen_has() { tmux -L "$sock" capture-pane -p -t ed | grep -qF -- "$1"; }
keys() { tmux -L "$sock" send-keys -t ed "$@"; }
# An Ex command (Vim) or a Lisp expression (Emacs).
run() {
  case $editor in
    emacs) keys M-: && keys -l "$1" && keys Enter ;;
    *) keys -l ":$1" && keys Enter ;;
  esac
}

start_editor() {  # $1: extra arguments for the program, as a Vim list / Lisp list of strings
  local command
  case $editor in
    emacs)
      # Ready once its start-up is over (window-setup-hook): keys typed
      # before that may be taken for the terminal's answers and lost.
      command="emacs -nw -Q -l '$repo/editors/emacs/tintra.el' --eval '(setq make-backup-files nil \
tintra-program \"$tintra\" tintra-arguments (list $2))' --eval '(add-hook (quote window-setup-hook) \
(lambda () (write-region \"\" nil \"$work/ready\")))' '$work/colors.txt'" ;;
    *)
      printf 'set nocompatible packpath^=%s\nlet g:tintra_program = %s\nlet g:tintra_arguments = [%s]\n' \
        "$work" "'$tintra'" "$1" >"$work/vimrc"
      command="$editor -u '$work/vimrc' -i NONE -n '$work/colors.txt'" ;;
  esac
  starts=$((starts + 1))
  sock=$sock_base-$starts
  tmux -L "$sock" -f /dev/null new-session -d -s ed -x 220 -y 30 "$command"
  wait_for 'screen_has SetColor' 100 || fail "the editor did not show the file"
  [ "$editor" != emacs ] || wait_for '[ -e "$work/ready" ]' 100 || fail "Emacs never got ready"
}

# The dialog of the program the editor started: the only window on this display.
find_dialog() {
  timeout 30 xdotool search --sync --onlyvisible --classname '^tintra$' 2>/dev/null | head -n 1
}
# The current-colour swatch of the dialog (96 DPI), as #RRGGBB.
swatch() { import -window "$dialog" -crop 1x1+336+14 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}'; }
# Ends a dialog the row left open, by the pid of its window.
close_dialog() {
  local d pid
  for d in $(xdotool search --onlyvisible --classname '^tintra$' 2>/dev/null); do
    pid=$(xdotool getwindowpid "$d" 2>/dev/null) && kill "$pid" 2>/dev/null
  done
}

# Rows: file (text or binary) | name | line | byte column (0-based) | notation | program arguments
#   (Vim list items; the Emacs list takes the same quoted words) | dialog
#   action (confirm: the red strip pressed 16 pixels from its left end, then
#   Enter; cancel: Escape; none: no dialog) | the line afterwards (printf %b;
#   empty: unchanged) | text then on the screen
rows=(
  'text|CSS colour, red from the dialog|1|12|||confirm|a { color: #108000; }|#108000'
  'text|C colour, red from the dialog|2|14|||confirm|SetColor(RGB(16, 128, 0));|RGB(16, 128,'
  'text|cancelled dialog|1|12|||cancel||tintra: cancelled'
  'text|line without a colour|3|3|||none||tintra: no colour here'
  'text|wrong option|1|12||"--bogus"|none||(exit status 64)'
  'text|no dialog, converted|2|14|css-rgb|"--no-dialog", "--set", "#102030"|none|SetColor(rgb(16, 32, 48));|rgb(16, 32, 48)'
  'text|byte offset past multi-byte letters|4|17||"--no-dialog", "--set", "#102030"|none|éééé #00ff00 #102030|#102030'
  # The cursor just after the first colour: its end belongs to it.
  'binary|the same in a binary file|4|16||"--no-dialog", "--set", "#102030"|none|éééé #102030 #0000ff|#102030'
  'binary|NUL and CR kept|5|5||"--no-dialog", "--set", "#102030"|none|x\0y #102030\r|#102030'
)

for row in "${rows[@]}"; do
  failures_before=$failures
  IFS='|' read -r file row_name line column notation arguments action after on_screen <<<"$row"
  declare -n original_lines=${file}_lines
  printf '%b\n' "${original_lines[@]}" >"$work/original.txt"
  cp "$work/original.txt" "$work/colors.txt"
  rm -f "$work/ready" "$work/before" "$work/after" "$work/undone" "$work/done"
  elisp_arguments=${arguments//,/}
  start_editor "$arguments" "$elisp_arguments"
  # Cursor on the byte column, the undo state noted, then the command.
  case $editor in
    emacs)
      offset=$(($(head -n $((line - 1)) "$work/original.txt" | wc -c) + column))
      run "(progn (goto-char (filepos-to-bufferpos $offset 'exact)) \
(write-region (format \"%d\" (length buffer-undo-list)) nil \"$work/before\"))"
      # The cursor is placed before the command comes.
      wait_for '[ -e "$work/before" ]' 100 || fail "Emacs did not place the cursor"
      if [ -n "$notation" ]; then
        keys C-u M-x && keys -l tintra-edit-color-at-point && keys Enter
        keys -l "$notation" && keys Enter
      else
        keys M-x && keys -l tintra-edit-color-at-point && keys Enter
      fi ;;
    *)
      run "call cursor($line, $((column + 1))) | call writefile([string(changenr())], '$work/before') \
| Tintra $notation" ;;
  esac
  if [ "$action" != none ]; then
    dialog=$(find_dialog)
    if [ -z "$dialog" ]; then
      fail "no dialog"
    else
      # Painted with the line's colour, so ready for input.
      wait_for '[ "$(swatch)" = "#FF8000" ]' 100 || fail "the dialog shows $(swatch), not #FF8000"
      if [ "$action" = confirm ]; then
        xdotool windowactivate --sync "$dialog" mousemove --window "$dialog" 60 285 click 1
        wait_for '[ "$(swatch)" = "#108000" ]' 50 || fail "the strip gave $(swatch), not #108000"
        xdotool key Return
      else
        xdotool windowactivate --sync "$dialog" key Escape
      fi
    fi
  fi
  wait_for 'screen_has "$on_screen"' 300 || fail "the screen never showed \"$on_screen\""
  # Saved, the undo state noted, then one undo step and the buffer written.
  case $editor in
    emacs)
      run "(progn (save-buffer) \
(write-region (format \"%d\" (length buffer-undo-list)) nil \"$work/after\"))"
      # An error (nothing to undo) drops the keys typed ahead: wait for the answer.
      keys C-x u
      wait_for 'screen_has Undo || screen_has "No further undo"' 100 || fail "no answer to undo"
      run "(progn (write-region nil nil \"$work/undone\") (write-region \"\" nil \"$work/done\"))" ;;
    *)
      run "w | call writefile([string(changenr())], '$work/after') | silent! undo \
| w! $work/undone | call writefile([], '$work/done')" ;;
  esac
  wait_for '[ -e "$work/done" ]' 100 ||
    fail "the editor did not save; its screen: $(tmux -L "$sock" capture-pane -p -t ed | grep -v '^ *$' | tail -n 4)"
  tmux -L "$sock" kill-server 2>/dev/null
  close_dialog

  expected_lines=("${original_lines[@]}")
  [ -n "$after" ] && expected_lines[line - 1]=$after
  printf '%b\n' "${expected_lines[@]}" >"$work/expected.txt"
  cmp -s "$work/expected.txt" "$work/colors.txt" ||
    fail "saved file differs: $(diff <(od -c "$work/expected.txt") <(od -c "$work/colors.txt") | tr '\n' ' ')"
  cmp -s "$work/original.txt" "$work/undone" || fail "one undo step does not give the file back"
  # Vim counts changes; Emacs's undo list only grows with a change.
  before=$(cat "$work/before" 2>/dev/null) now=$(cat "$work/after" 2>/dev/null)
  if [ -z "$after" ] && [ "$before" != "$now" ]; then
    fail "undo history grew without a change ($before, then $now)"
  elif [ -n "$after" ] && [ "$editor" != emacs ] && [ "$now" != $((before + 1)) ]; then
    fail "not one undo step ($before, then $now)"
  fi
  [ "$failures" -eq "$failures_before" ] && echo "ok [$editor] $row_name"
done
[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all rows passed"
