#!/usr/bin/env bash
# What a still picture costs: starts the real game under Xvfb (with openbox, as a desktop would have a
# window manager) and measures, over 20 seconds each, its CPU share (from /proc/PID/stat) on the title
# menu, on an untouched board and while clicking over the board, with the frame rate and the spread of
# frame times (from bench/frame_probe, preloaded). The same run measures the floor: a bare program that
# only fills and flips the screen at 60 frames a second.
#
#   bench/present_bench.sh BUILD_DIR [OTHER_QUZ]
#     BUILD_DIR  a build folder with quz, data/, bench/flip_floor and bench/libquz_frame_probe.so
#     OTHER_QUZ  a second game binary (say, an older build) measured in the same run, for a before/after
# Environment: BENCH_SECONDS (20), BENCH_FULLSCREEN (1: also full screen on a 1920x1080 screen),
# BENCH_AUDIO (the SDL audio driver, "dummy" by default: it mixes in real time, as a sound card would).
# The figures: cpu% is the program's share of one core (user + system, every thread), "X cpu%" the X
# server's over the same seconds (it copies what the program presents); fps counts flips; the frame times
# (ms: mean, standard deviation, 1st and 99th percentile, longest, how many over 40) are the gaps between
# flips, without the frames that loaded images (menu and level set-up), which are counted in "load".
set -u
build=$(readlink -f "${1:?usage: present_bench.sh BUILD_DIR [OTHER_QUZ]}")
other=${2:+$(readlink -f "$2")}
seconds=${BENCH_SECONDS:-20}
probe=$build/bench/libquz_frame_probe.so
floor=$build/bench/flip_floor
for need in "$build/quz" "$probe" "$floor"; do
  [[ -e $need ]] || { echo "missing $need (build the quz, quz_frame_probe and flip_floor targets)" >&2; exit 1; }
done
[[ -z $other || -x $other ]] || { echo "no program at $other" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# The game writes its per-user files under these; keep them out of the user's own.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/share
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
export SDL_AUDIODRIVER=${BENCH_AUDIO:-dummy}
clk_tck=$(getconf CLK_TCK)

# start_display WxH: a private Xvfb screen with openbox on it; exports DISPLAY.
start_display() {
  local fdfile=$work/display
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  pids+=("$xvfb_pid")
  for _ in $(seq 50); do [[ -s $fdfile ]] && break; sleep 0.1; done
  [[ -s $fdfile ]] || { echo "Xvfb did not start" >&2; exit 1; }
  DISPLAY=":$(head -1 "$fdfile")"
  export DISPLAY
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  pids+=("$wm_pid")
  sleep 1
}

stop_display() {
  kill "$wm_pid" "$xvfb_pid" 2>/dev/null
  wait "$wm_pid" "$xvfb_pid" 2>/dev/null
}

# CPU clock ticks (user + system) of a process so far; the name field is skipped first, it may hold spaces.
cpu_ticks() {
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

now_ns() { date +%s%N; }

# measure LABEL PID PROBE_FILE: prints one table row for the next $seconds seconds of PID.
measure() {
  local label=$1 pid=$2 frames=$3
  local t0 t1 c0 c1 x0 x1 l0 l1
  l0=$(wc -l <"$frames"); c0=$(cpu_ticks "$pid"); x0=$(cpu_ticks "$xvfb_pid"); t0=$(now_ns)
  sleep "$seconds"
  l1=$(wc -l <"$frames"); c1=$(cpu_ticks "$pid"); x1=$(cpu_ticks "$xvfb_pid"); t1=$(now_ns)
  kill -0 "$pid" 2>/dev/null || { printf '%-34s  (the program ended)\n' "$label"; return; }
  sed -n "$((l0 + 1)),${l1}p" "$frames" |
    awk -v label="$label" -v c="$((c1 - c0))" -v x="$((x1 - x0))" -v hz="$clk_tck" -v ns="$((t1 - t0))" '
      NR > 1 {
        gap = ($1 - last) / 1000.0
        if ($2 > 0) { loads++ } else { n++; g[n] = gap; sum += gap; sq += gap * gap; if (gap > 40) over++ }
      }
      { last = $1 }
      END {
        secs = ns / 1e9
        if (n == 0) { printf "%-34s %6.1f   (no frames)\n", label, 100 * c / hz / secs; exit }
        mean = sum / n; sd = sqrt(sq / n - mean * mean); if (sd != sd) sd = 0
        # insertion sort is fine for about 1200 gaps
        for (i = 2; i <= n; i++) { v = g[i]; j = i - 1; while (j > 0 && g[j] > v) { g[j + 1] = g[j]; j-- } g[j + 1] = v }
        p1 = g[int(n * 0.01) + 1]; p99 = g[int(n * 0.99) > 0 ? int(n * 0.99) : 1]
        printf "%-34s %6.1f %6.1f %6.1f %6.2f %5.2f %6.1f %6.1f %6.1f %4d %4d\n",
          label, 100 * c / hz / secs, 100 * x / hz / secs, (n + loads) / secs, mean, sd, p1, p99, g[n],
          over + 0, loads + 0
      }'
}

# click_at WINDOW X Y: a click at (X, Y) of the 640x480 picture, wherever the window shows it (full
# screen scales it to the display, aspect kept, centred).
picture_to_window() {
  local window=$1 x=$2 y=$3 geometry
  geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  awk -v g="$geometry" -v x="$x" -v y="$y" 'BEGIN {
    split(g, wh, "x"); s = wh[1] / 640; if (wh[2] / 480 < s) s = wh[2] / 480
    printf "%d %d\n", (wh[1] - 640 * s) / 2 + (x + 0.5) * s, (wh[2] - 480 * s) / 2 + (y + 0.5) * s }'
}
click_at() {
  local pos
  pos=$(picture_to_window "$@")
  xdotool mousemove --window "$1" "${pos% *}" "${pos#* }" click 1
}

# Clicks over the board for $seconds seconds, three clicks a second, sweeping the cells from the bottom.
clicker() {
  local window=$1 end=$(( $(date +%s) + seconds )) i=0
  while (( $(date +%s) < end )); do
    local col=$(( (i * 7) % 15 )) row=$(( 14 - (i / 15) % 15 ))
    click_at "$window" $((col * 32 + 16)) $((row * 32 + 16)) 2>/dev/null
    i=$((i + 1))
    sleep 0.33
  done
}

# run_game NAME QUZ ARGS...: the menu, an untouched board and clicking, one row each.
run_game() {
  local name=$1 quz=$2; shift 2
  local frames=$work/frames.$RANDOM window game
  : >"$frames"
  mkdir -p "$work/run"
  (cd "$work/run" && QUZ_FRAME_PROBE_OUT=$frames LD_PRELOAD=$probe exec "$quz" "$@") >"$work/game.out" 2>&1 &
  game=$!
  pids+=("$game")
  for _ in $(seq 100); do
    # Any version's title: OTHER_QUZ may be an older build.
    window=$(xdotool search --name "Quz v[0-9]" 2>/dev/null | head -1)
    [[ -n $window ]] && break
    sleep 0.1
  done
  [[ -n $window ]] || { echo "$name: no game window" >&2; kill -9 "$game"; return; }
  # The logo intro runs about 9 seconds, then the menu fades in.
  sleep 12
  measure "$name menu" "$game" "$frames"
  click_at "$window" 320 270
  sleep 4
  measure "$name board, untouched" "$game" "$frames"
  clicker "$window" &
  local clicking=$!
  measure "$name board, clicking" "$game" "$frames"
  wait "$clicking"
  xdotool key F12 2>/dev/null
  for _ in $(seq 40); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$game" 2>/dev/null
  wait "$game" 2>/dev/null
}

# run_floor NAME MODE VAR=VALUE...: the bare fill-and-flip program (MODE -windowed or -fullscreen) with
# those settings, one row.
run_floor() {
  local name=$1 mode=$2; shift 2
  local frames=$work/frames.$RANDOM pid
  : >"$frames"
  env "$@" QUZ_FRAME_PROBE_OUT="$frames" LD_PRELOAD="$probe" "$floor" $((seconds + 5)) "$mode" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  sleep 3
  measure "$name" "$pid" "$frames"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

header() {
  echo
  echo "$1 (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
  printf '%-34s %6s %6s %6s %6s %5s %6s %6s %6s %4s %4s\n' \
    "" "cpu%" "X cpu%" "fps" "mean" "sd" "p1" "p99" "max" ">40" "load"
}

# The floor on the game's own presentation path without a graphics card (the software renderer into the
# window's framebuffer, paced by sleeping) and on SDL's OpenGL renderer, asked to wait for the display.
software_path=(SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0)
opengl_path=(SDL_RENDER_DRIVER=opengl SDL_RENDER_VSYNC=1)

start_display 800x600
header "Windowed, 640x480 in an 800x600 Xvfb screen, $seconds s each"
run_floor "floor, software framebuffer" -windowed "${software_path[@]}"
run_floor "floor, OpenGL + vblank" -windowed "${opengl_path[@]}"
run_game "quz" "$build/quz" -windowed
[[ -n $other ]] && run_game "other" "$other" -windowed
stop_display

if [[ ${BENCH_FULLSCREEN:-1} == 1 ]]; then
  start_display 1920x1080
  header "Full screen on a 1920x1080 Xvfb screen, $seconds s each"
  run_floor "floor, software framebuffer" -fullscreen "${software_path[@]}"
  run_floor "floor, OpenGL + vblank" -fullscreen "${opengl_path[@]}"
  run_game "quz" "$build/quz"
  [[ -n $other ]] && run_game "other" "$other"
  stop_display
fi
