# Reads the board as ImageMagick's text enumeration of a 15 by 15 picture (one pixel a cell, the cell's
# mean colour) and prints "COLUMN ROW" of the group to remove next, or nothing when it sees no group; with
# -v moves=N, the next N removals as the rules would leave the board (blocks fall, empty columns close to
# the left), one a line, fewer when the groups run out.
# The choice ends a level in few moves: the group whose removal leaves the fewest groups, the larger on a
# tie (leaving no group while blocks remain is how a level is lost, and the game ends after the last
# life).
BEGIN { FS = "[,:() ]+"; N = 15 }
/^#/ { next }
{
  x = $1; y = $2; r = $3; g = $4; b = $5
  c = 0
  if (r >= 120 && r > g + 40 && r > b + 40) c = 1
  else if (g >= 120 && g > r + 25 && g > b + 25) c = 2
  else if (b >= 120 && b > r + 40 && b > g + 30) c = 3
  # The points bonus: a blue block under a wide gold star.
  else if (r >= 105 && g >= 110 && b >= 125 && b - r < 30) c = 3
  # A bright cell of no clear colour (a bonus block under its symbol, a message over the board): a block
  # that joins no group here.
  else if (r >= 100 || g >= 100 || b >= 100) c = 4
  # The extra lines bonus (a green block under a gold symbol): new blocks drop in once it is removed,
  # which no plan can foresee.
  if (c == 2 && r >= 100) c = 12
  board[x, y] = c
}

# Marks the groups of grid G (a flat array: G[x * N + y]) in GROUP[] and returns how many have two or more.
function label(G, GROUP, SIZE,    x, y, i, n, top, cx, cy, d, nx, ny, j, count, id) {
  count = 0; id = 0
  for (i = 0; i < N * N; i++) GROUP[i] = -1
  for (x = 0; x < N; x++) for (y = 0; y < N; y++) {
    i = x * N + y
    if (G[i] == 0 || G[i] == 4 || GROUP[i] >= 0) continue
    n = 0; top = 0; sx[0] = x; sy[0] = y; GROUP[i] = id
    while (top >= 0) {
      cx = sx[top]; cy = sy[top]; top--; n++
      for (d = 0; d < 4; d++) {
        nx = cx + (d == 0) - (d == 1); ny = cy + (d == 2) - (d == 3)
        if (nx < 0 || nx >= N || ny < 0 || ny >= N) continue
        j = nx * N + ny
        if (GROUP[j] >= 0 || G[j] % 10 != G[i] % 10) continue
        GROUP[j] = id; top++; sx[top] = nx; sy[top] = ny
      }
    }
    SIZE[id] = n
    if (n >= 2) count++
    id++
  }
  return count
}

# AFTER[] = grid G without group K of GROUP[], its blocks fallen and its empty columns closed to the left.
function remove(G, GROUP, k, AFTER,    x, y, to, out, empty) {
  out = 0
  for (x = 0; x < N; x++) {
    to = N - 1; empty = 1
    for (y = N - 1; y >= 0; y--) {
      if (G[x * N + y] != 0 && GROUP[x * N + y] != k) { AFTER[out * N + to] = G[x * N + y]; to--; empty = 0 }
    }
    if (empty) continue
    for (; to >= 0; to--) AFTER[out * N + to] = 0
    out++
  }
  for (; out < N; out++) for (y = 0; y < N; y++) AFTER[out * N + y] = 0
}

END {
  for (x = 0; x < N; x++) for (y = 0; y < N; y++) grid[x * N + y] = board[x, y]
  for (move = 0; move < (moves ? moves : 1); move++) {
    if (label(grid, group, size) == 0) exit
    best = -1
    split("", tried)
    for (i = 0; i < N * N; i++) {
      k = group[i]
      if (k < 0 || size[k] < 2 || (k in tried)) continue
      tried[k] = 1
      remove(grid, group, k, after)
      left = label(after, ignored, ignoredSize)
      if (best < 0 || left < bestLeft || (left == bestLeft && size[k] > bestSize)) {
        best = i; bestLeft = left; bestSize = size[k]
      }
    }
    print int(best / N), best % N
    for (i = 0; i < N * N; i++) if (group[i] == group[best] && grid[i] >= 10) exit
    remove(grid, group, group[best], after)
    for (i = 0; i < N * N; i++) grid[i] = after[i]
  }
}
