# Shared by the e2e scripts that play against a real score server: quz-scored started on loopback ports it
# picks itself, so that no script ever sends to a port it does not own. Needs lib/xvfb.sh sourced first.

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
  for _ in $(seq 100); do
    SCORED_PORT=$(grep -o 'scores on 127.0.0.1:[0-9]*' "$folder/server.log" | cut -d: -f2)
    SCORED_WEB=$(grep -o 'web on 127.0.0.1:[0-9]*' "$folder/server.log" | cut -d: -f2)
    [[ -n $SCORED_WEB ]] && break
    kill -0 "$SCORED_PID" 2>/dev/null || break
    sleep 0.1
  done
  [[ -n $SCORED_PORT && -n $SCORED_WEB ]] || fail "quz-scored did not start: $(cat "$folder/server.log")"
}
