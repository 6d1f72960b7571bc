#!/usr/bin/env bash
# Runs a command (the test run) in a network of its own when this user may make one (root): its loopback
# is private, so nothing of the run reaches this machine's services or beyond, and the guard on the score
# server's port (port_guard) hears only this run, not another run or program on the same machine.
# Elsewhere the command runs as it is.
set -u
if [[ -z ${QUZ_PRIVATE_LOOPBACK:-} && $(id -u) -eq 0 ]] && command -v unshare >/dev/null &&
  command -v ip >/dev/null && unshare --net true 2>/dev/null; then
  exec unshare --net env QUZ_PRIVATE_LOOPBACK=1 bash -c 'ip link set lo up && exec "$@"' bash "$@"
fi
exec "$@"
