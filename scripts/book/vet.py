#!/usr/bin/env python3
"""Judges every move of a book with Debian's stockfish at a fixed depth.

Reads the lines of "halberd book dump" (KEY, tab, move, ...) on standard input.
For each position it asks stockfish for the best score and for the score of each
book move ("go depth D searchmoves MOVE"); the loss of a move is the difference,
in centipawns. Verdicts are kept in the cache file (KEY, tab, move, tab, loss), so
that a move is judged once over several rounds. Prints on standard output the
moves whose loss is larger than the margin (KEY, tab, move), the exclusion list
that "halberd book make --exclude" reads, and a summary on standard error.
Usage: vet.py --cache FILE [--depth 12] [--margin 50] < dump.txt > excluded.txt
"""
import argparse
import collections
import shutil
import subprocess
import sys

MATE = 100000


class Stockfish:
    def __init__(self, path: str):
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        self.send("setoption name Threads value 1")
        self.send("setoption name Hash value 64")
        self.send("isready")
        self.wait("readyok")

    def send(self, line: str) -> None:
        self.proc.stdin.write(line + "\n")

    def wait(self, word: str) -> list:
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("stockfish ended")
            lines.append(line.strip())
            if line.startswith(word):
                return lines

    def score(self, fen: str, depth: int, move: str = "") -> int:
        """Centipawns for the side to move; mates as +-MATE less the distance."""
        self.send(f"position fen {fen}")
        self.send(f"go depth {depth}" + (f" searchmoves {move}" if move else ""))
        value = 0
        for line in self.wait("bestmove"):
            words = line.split()
            if words[:1] == ["info"] and "score" in words:
                kind, number = words[words.index("score") + 1], int(words[words.index("score") + 2])
                value = number if kind == "cp" else (MATE - abs(number)) * (1 if number > 0 else -1)
        return value

    def close(self) -> None:
        self.send("quit")
        self.proc.wait()


def fen_of_key(key: str) -> str:
    """A book key is the board, a slash, side, castling and en passant."""
    board, rest = key.split(" ", 1)
    return board.rstrip("/") + " " + rest + " 0 1"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cache", required=True)
    parser.add_argument("--depth", type=int, default=12)
    parser.add_argument("--margin", type=int, default=50)
    parser.add_argument("--stockfish", default=shutil.which("stockfish") or "/usr/games/stockfish")
    args = parser.parse_args()

    verdicts = {}
    try:
        with open(args.cache) as cache:
            for line in cache:
                key, move, loss = line.rstrip("\n").split("\t")
                verdicts[(key, move)] = int(loss)
    except FileNotFoundError:
        pass

    moves = collections.defaultdict(list)
    for line in sys.stdin:
        fields = line.rstrip("\n").split("\t")
        if len(fields) >= 2:
            moves[fields[0]].append(fields[1])

    todo = {key: [m for m in ms if (key, m) not in verdicts] for key, ms in moves.items()}
    todo = {key: ms for key, ms in todo.items() if ms}
    if todo:
        engine = Stockfish(args.stockfish)
        with open(args.cache, "a") as cache:
            for n, (key, ms) in enumerate(todo.items(), 1):
                fen = fen_of_key(key)
                best = engine.score(fen, args.depth)
                for move in ms:
                    loss = max(0, best - engine.score(fen, args.depth, move))
                    verdicts[(key, move)] = loss
                    cache.write(f"{key}\t{move}\t{loss}\n")
                if n % 500 == 0:
                    print(f"vet: {n}/{len(todo)} positions judged", file=sys.stderr)
        engine.close()

    judged = [(key, m, verdicts[(key, m)]) for key, ms in moves.items() for m in ms]
    bad = [(key, m, loss) for key, m, loss in judged if loss > args.margin]
    for key, move, _ in bad:
        print(f"{key}\t{move}")
    print(f"vet: {len(judged)} book moves, {len(todo)} positions newly judged at depth {args.depth}; "
          f"{len(bad)} lose more than {args.margin} centipawns", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
