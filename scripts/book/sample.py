#!/usr/bin/env python3
"""Plays the engine's book against itself and counts what comes out.

Asks the engine (UCI, its own book on) for a move from the start position, plays
it, and asks again, until an answer is not a book move (a book answer reports
one node); that is one opening. Prints how often each first move and each reply
to 1.e4 and 1.d4 came, and how many distinct openings there were over 8 and 12
half-moves (an opening that left the book earlier counts as it stands).
Usage: sample.py ENGINE [GAMES]   (the book is the one the engine finds: Halberd.bo2 beside it)
"""
import collections
import subprocess
import sys


def book_line(engine: subprocess.Popen) -> list:
    moves = []
    while True:
        engine.stdin.write(f"position startpos moves {' '.join(moves)}\ngo depth 1\n")
        engine.stdin.flush()
        book = False
        while True:
            line = engine.stdout.readline()
            if not line:
                raise RuntimeError("the engine ended")
            if line.startswith("info") and " nodes 1 " in line:
                book = True
            if line.startswith("bestmove"):
                move = line.split()[1]
                break
        if not book or move == "0000":
            return moves
        moves.append(move)


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    games = int(sys.argv[2]) if len(sys.argv) == 3 else 200
    engine = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, bufsize=1)
    engine.stdin.write("uci\nsetoption name UCI_AnalyseMode value false\n")
    lines = [book_line(engine) for _ in range(games)]
    engine.stdin.write("quit\n")
    engine.stdin.flush()
    engine.wait()

    def count(title, items):
        tally = collections.Counter(items)
        shown = ", ".join(f"{move} {100 * n / len(items):.0f}%" for move, n in tally.most_common())
        print(f"{title} ({len(items)}): {shown}")

    count("first move", [line[0] for line in lines if line])
    for first in ("e2e4", "d2d4"):
        count(f"reply to {first}", [line[1] for line in lines if len(line) > 1 and line[0] == first])
    count("after 1.e4 e5", [line[2] for line in lines if len(line) > 2 and line[:2] == ["e2e4", "e7e5"]])
    for plies in (8, 12):
        print(f"distinct {plies}-ply openings: {len({tuple(line[:plies]) for line in lines})} of {games}")
    print(f"book moves per game: {sum(map(len, lines)) / games:.1f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
