#!/usr/bin/env python3
"""Measures how the engine uses its time, over pipes, in three ways:

  time-use.py movetime [RUNS] [MS]     UCI "go movetime MS" from the start position: wall time of each answer
  time-use.py game [BASE_MS] [INC_MS]  a whole UCI game of the engine against itself with wtime/btime/winc/binc
                                       and no ucinewgame: the time spent on every move and the clocks
  time-use.py st [MOVES] [SECONDS]     xboard "st": the engine plays both sides (go after each move); moves
                                       answered late, and the slowest

The engine is ./build/halberd unless HALBERD names another one.
"""
import os
import select
import subprocess
import sys
import time

ENGINE = os.environ.get("HALBERD", "./build/halberd")


class Engine:
    def __init__(self):
        self.p = subprocess.Popen([ENGINE], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.buffer = b""

    def send(self, line):
        self.p.stdin.write((line + "\n").encode())
        self.p.stdin.flush()

    def readline(self, timeout=None):
        """The next line, or None when nothing came within the timeout (seconds)."""
        deadline = None if timeout is None else time.monotonic() + timeout
        while b"\n" not in self.buffer:
            left = None if deadline is None else max(0.0, deadline - time.monotonic())
            if not select.select([self.p.stdout], [], [], left)[0]:
                return None
            chunk = os.read(self.p.stdout.fileno(), 65536)
            if not chunk:
                raise EOFError("engine ended")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode(errors="replace").strip()

    def until(self, prefix):
        while True:
            line = self.readline()
            if line.startswith(prefix):
                return line

    def quit(self):
        self.send("quit")
        self.p.wait(timeout=10)


def movetime(runs=10, ms=1000):
    e = Engine()
    e.send("uci")
    e.until("uciok")
    times = []
    for _ in range(runs):
        e.send("position startpos")
        start = time.monotonic()
        e.send("go movetime %d" % ms)
        e.until("bestmove")
        times.append(1000 * (time.monotonic() - start))
    e.quit()
    print("go movetime %d, %d runs: %s ms" % (ms, runs, " ".join("%.0f" % t for t in times)))
    print("min %.0f  mean %.0f  max %.0f ms" % (min(times), sum(times) / len(times), max(times)))


def game(base=60000, inc=1000, max_plies=240):
    e = Engine()
    e.send("uci")
    e.until("uciok")
    clocks = [base, base]
    moves = []
    spent = []
    for ply in range(max_plies):
        side = ply % 2
        e.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        start = time.monotonic()
        e.send("go wtime %d btime %d winc %d binc %d" % (clocks[0], clocks[1], inc, inc))
        best = e.until("bestmove").split()[1]
        used = int(1000 * (time.monotonic() - start))
        clocks[side] += inc - used
        spent.append(used)
        if best == "0000":
            break
        moves.append(best)
        print("ply %3d %-6s %5d ms   clocks %6d %6d" % (ply + 1, best, used, clocks[0], clocks[1]))
        if min(clocks) <= 0:
            print("LOST ON TIME")
            break
    e.quit()
    print("%d moves; per move: min %d mean %d max %d ms; lowest clock %d ms; clocks at the end %d %d" %
          (len(spent), min(spent), sum(spent) // len(spent), max(spent), min(clocks), clocks[0], clocks[1]))


def st(moves=100, seconds=1):
    e = Engine()
    e.send("xboard")
    e.send("st %d" % seconds)
    times = []
    games = 0
    while len(times) < moves:
        # A new game whenever one ends: "go" after a finished game is not answered.
        e.send("new")
        games += 1
        over = False
        while not over and len(times) < moves:
            start = time.monotonic()
            e.send("go")
            e.until("move ")
            times.append(1000 * (time.monotonic() - start))
            # A result line follows the move at once when the move ended the game.
            while (line := e.readline(0.05)) is not None:
                over = over or line.startswith(("1-0", "0-1", "1/2-1/2", "resign"))
    e.quit()
    late = [t for t in times if t >= 1000 * seconds]
    print("st %d, %d moves in %d games: min %.0f mean %.0f max %.0f ms; %d at or over %d ms" %
          (seconds, len(times), games, min(times), sum(times) / len(times), max(times), len(late), 1000 * seconds))


if __name__ == "__main__":
    what = sys.argv[1] if len(sys.argv) > 1 else ""
    numbers = [int(a) for a in sys.argv[2:]]
    if what == "movetime":
        movetime(*numbers)
    elif what == "game":
        game(*numbers)
    elif what == "st":
        st(*numbers)
    else:
        print(__doc__)
        sys.exit(2)
