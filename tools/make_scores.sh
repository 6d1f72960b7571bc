#!/bin/bash
# Makes a score database of COUNT scores for scale tests, in the first released schema (version 1), as a
# server that has run for a long time would have it; quz-scored upgrades it on its next start.
#   tools/make_scores.sh LOCATION COUNT [DAYS]
# LOCATION is a SQLite file (made anew) or a postgresql:// URL (its scores table must not exist yet).
# The scores spread evenly over the DAYS (default 730) up to now, from 200,000 players, one in twenty in
# the mode HARD. The rows are made inside the database engine in one transaction: about a minute per ten
# million on SQLite, less on PostgreSQL.
set -euo pipefail

location=${1:?usage: make_scores.sh LOCATION COUNT [DAYS]}
count=${2:?usage: make_scores.sh LOCATION COUNT [DAYS]}
days=${3:-730}
[[ $count =~ ^[0-9]+$ && $days =~ ^[0-9]+$ && $days -gt 0 ]] || { echo "COUNT and DAYS are numbers" >&2; exit 2; }
now_ms=$(( $(date +%s) * 1000 ))
span_ms=$(( days * 86400000 ))

# Shared by both engines: the i-th score's player, time and value. Players are spread by a
# multiplicative hash so that every player has scores all along the span.
player="(i * 7919 % 200000)"
at="($now_ms - $span_ms + (i - 1) * ($span_ms / $count) + (i * 104729 % 60000))"
score="((i * 2654435761) % 1000003) - 1000"
mode="CASE WHEN i % 20 = 0 THEN 'HARD' ELSE 'NORMAL' END"

if [[ $location == postgresql://* || $location == postgres://* ]]; then
    psql --quiet --set ON_ERROR_STOP=1 "$location" <<SQL
BEGIN;
CREATE TABLE scores (id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY, received_at_ms BIGINT NOT NULL,
  peer TEXT NOT NULL, identity BIGINT NOT NULL, variant BOOLEAN NOT NULL, name TEXT NOT NULL,
  mode TEXT NOT NULL, score INTEGER NOT NULL);
INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score)
  SELECT $at, '192.0.2.' || (i % 250), $player * 10007 % 2147483647, false, 'P' || $player, $mode,
    $score FROM generate_series(1::bigint, $count::bigint) AS i;
CREATE INDEX scores_by_mode_and_time ON scores (mode, received_at_ms);
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version VALUES (1);
COMMIT;
ANALYZE scores;
SQL
else
    rm -f "$location" "$location-wal" "$location-shm"
    sqlite3 "$location" > /dev/null <<SQL
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
PRAGMA cache_size = -262144;
BEGIN;
CREATE TABLE scores (id INTEGER PRIMARY KEY, received_at_ms INTEGER NOT NULL, peer TEXT NOT NULL,
  identity INTEGER NOT NULL, variant INTEGER NOT NULL, name TEXT NOT NULL, mode TEXT NOT NULL,
  score INTEGER NOT NULL);
INSERT INTO scores (received_at_ms, peer, identity, variant, name, mode, score)
  SELECT $at, '192.0.2.' || (i % 250), $player * 10007 % 2147483647, 0, 'P' || $player, $mode, $score
  FROM (SELECT value AS i FROM generate_series(1, $count));
CREATE INDEX scores_by_mode_and_time ON scores (mode, received_at_ms);
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version VALUES (1);
COMMIT;
PRAGMA journal_mode = WAL;
SQL
fi
echo "made $count scores over $days days in $location"
