# Shared by the e2e scripts: a private Xvfb display, the game started in it, and small helpers.
# Source it, then call start_xvfb; everything started is killed on exit.

E2E_PIDS=()
# The game saves the player's files under the home folder: a test must never touch a real one.
E2E_HOME=$(mktemp -d)
export HOME=$E2E_HOME XDG_DATA_HOME=$E2E_HOME/.local/share XDG_CONFIG_HOME=$E2E_HOME/.config
# Nor may it send a score to a real server: sending is off unless a script's own quz.ini names a port it owns.
mkdir -p "$XDG_CONFIG_HOME/quz"
printf '[Scores]\nServer=off\nSubmit=off\n' >"$XDG_CONFIG_HOME/quz/quz.ini"
# No test may need a sound device: the machines that run them have none.
export SDL_AUDIODRIVER=dummy
e2e_cleanup() {
  for pid in "${E2E_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$E2E_HOME"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# The version this checkout builds: the game's window is found by its title, "Quz v<version>".
QUZ_VERSION=$(bash "$(dirname "${BASH_SOURCE[0]}")/../../../tools/project_version.sh")

# Screenshots go to e2e-shots/ in the working directory (the build folder), which every script shares:
# `keep_shots PATTERN...` makes the folder and removes only this script's earlier ones.
shots=$PWD/e2e-shots
keep_shots() {
  mkdir -p "$shots"
  local pattern
  for pattern in "$@"; do rm -f "$shots"/$pattern; done
}

# The data folder of the game at $1: beside it (the build tree), else in the working directory.
data_folder_of() {
  local data
  data=$(dirname "$1")/data
  [[ -d $data ]] || data=$PWD/data
  echo "$data"
}

# Starts Xvfb on a free display number and exports DISPLAY; the screen is $XVFB_SCREEN (800x600 unless set).
start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-800x600}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  for _ in $(seq 50); do
    [[ -s $fdfile ]] && break
    sleep 0.1
  done
  [[ -s $fdfile ]] || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$fdfile")"
  rm -f "$fdfile"
}

# A full screen needs a window manager to honour it, as on a desktop.
start_window_manager() {
  openbox --sm-disable >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  sleep 1
}

# Prints the id of the game window once it exists (waits up to $1 seconds, default 10).
wait_for_window() {
  local limit=${1:-10} id=""
  for _ in $(seq $((limit * 10))); do
    id=$(xdotool search --name "Quz v$QUZ_VERSION" 2>/dev/null | head -1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# A press as a player makes it: down for a moment, then up (the game acts on the press alone).
press_key() {
  xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"
}

# Waits up to $2 seconds for pid $1 (a child of this shell) to end and sets EXIT_STATUS; returns 1 if it
# is still running. Not to be called in a $(...) subshell, which cannot wait for this shell's children.
wait_exit() {
  local pid=$1 limit=$2
  for _ in $(seq $((limit * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"; EXIT_STATUS=$?; return 0
    fi
    sleep 0.05
  done
  return 1
}

# Sets SWEEP to the xdotool arguments that click every board cell of window $1, from the bottom row up:
# groups fall together, so most sweeps remove many. Run it with: xdotool "${SWEEP[@]}"
board_sweep() {
  SWEEP=()
  local row col
  for row in $(seq 14 -1 0); do
    for col in $(seq 0 14); do
      SWEEP+=(mousemove --window "$1" $((col * 32 + 16)) $((row * 32 + 16)) click --delay 1 1 sleep 0.015)
    done
  done
}

# Opens a small second window at geometry $1, to take the focus from the game; its id goes to OTHER_WINDOW.
open_other_window() {
  xeyes -geometry "$1" >/dev/null 2>&1 &
  E2E_PIDS+=("$!")
  OTHER_WINDOW=""
  for _ in $(seq 50); do
    OTHER_WINDOW=$(xdotool search --class xeyes 2>/dev/null | head -1)
    [[ -n $OTHER_WINDOW ]] && return 0
    sleep 0.1
  done
  return 1
}
