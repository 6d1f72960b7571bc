# Shared by the e2e scripts that play against a real score server: quz-scored started on loopback ports it
# picks itself, so that no script ever sends to a port it does not own, its counters, and headless Chromium
# for its page. Needs lib/xvfb.sh sourced first.

# start_scored BINARY FOLDER [OPTION...]: the server with its database and log in FOLDER; sets SCORED_PID,
# SCORED_PORT (the old message's port) and SCORED_WEB (the web port), or fails the script.
start_scored() {
  local binary=$1 folder=$2
  shift 2
  "$binary" --bind 127.0.0.1 --port 0 --http-bind 127.0.0.1 --http-port 0 --db "$folder/scores.sqlite" "$@" \
    >"$folder/server.log" 2>&1 &
  SCORED_PID=$!
  E2E_PIDS+=("$SCORED_PID")
  SCORED_PORT=""
  SCORED_WEB=""
  # Both ports from one read of the whole line: the server's error stream is unbuffered, so the line may
  # be caught half written, a port cut short. Up to 30 seconds: a loaded machine can hold a niced test's
  # server back for many; -a, as a log is text even when some byte of it is not.
  local pattern='scores on 127\.0\.0\.1:([0-9]+) .*web on 127\.0\.0\.1:([0-9]+);' line
  local deadline=$((SECONDS + 30)) running=yes reads_left=1
  while :; do
    line=$(grep -a -m 1 'listening for scores' "$folder/server.log")
    if [[ $line =~ $pattern ]]; then
      SCORED_PORT=${BASH_REMATCH[1]}
      SCORED_WEB=${BASH_REMATCH[2]}
      break
    fi
    kill -0 "$SCORED_PID" 2>/dev/null || running=no
    # One more read once the server ended or the time ran out: the line may have come meanwhile.
    if [[ $running == no ]] || ((SECONDS >= deadline)); then
      ((reads_left-- > 0)) || break
    fi
    sleep 0.1
  done
  [[ -n $SCORED_PORT && -n $SCORED_WEB ]] ||
    fail "quz-scored did not start: $(cat -v "$folder/server.log") (running: $running)"
}

# scored_beside QUZ: the quz-scored built beside the game at QUZ, in $scored; fails without it, or without
# curl to ask it what it stored.
scored_beside() {
  scored=$(dirname "$1")/server/quz-scored
  [[ -x $scored ]] || fail "no quz-scored beside the game ($scored)"
  command -v curl >/dev/null || fail "curl is missing"
}

# stop_scored FOLDER: SIGTERM, which must end the server cleanly within 10 seconds.
stop_scored() {
  kill -TERM "$SCORED_PID"
  wait_exit "$SCORED_PID" 10 || fail "quz-scored did not stop on SIGTERM"
  [[ $EXIT_STATUS -eq 0 ]] || fail "quz-scored exit status $EXIT_STATUS: $(cat "$1/server.log")"
}

# scored_metric NAME...: counters of the server's /metrics from one read, on one line (each the sum of its
# labelled series when it has labels; a NAME with its labels picks that series alone).
scored_metric() {
  curl -sf "http://127.0.0.1:$SCORED_WEB/metrics" | awk -v names="$*" '
    BEGIN { n = split(names, name, " ") }
    { for (i = 1; i <= n; i++) if ($1 == name[i] || index($1, name[i] "{") == 1) sum[i] += $2 }
    END { for (i = 1; i <= n; i++) printf "%s%d", (i > 1 ? " " : ""), sum[i]; print "" }'
}

# chrome FOLDER ARG...: headless Chromium with a profile in FOLDER, at most 90 seconds.
chrome() {
  local folder=$1
  shift
  timeout 90 chromium --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars \
    --user-data-dir="$folder/chromium" "$@" 2>/dev/null
}
