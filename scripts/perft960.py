#!/usr/bin/env python3
"""Chess960 perft data from Stockfish, and the check of halberd against it.

  perft960.py gen --out FILE [--random N] [--depth 4] [--deep K] [--seed S]
      All 960 start positions (X-FEN, KQkq) and N positions reached by random
      play from random starts with a castling right still standing (half in
      Shredder-FEN, half in X-FEN), written as FEN ;D1 n ;D2 n ... Stockfish
      counts them with UCI_Chess960 on; K of the random positions get depth 5.
  perft960.py check FILE --halberd PATH [--depth D] [--slow]
      Runs `halberd perft D FEN --960` (--slow: the copy-make generator) on
      every line in both castling spellings and reports every difference.
"""
import argparse
import random
import subprocess
import sys


class Stockfish:
    def __init__(self, path):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        self.send("setoption name UCI_Chess960 value true")

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def wait(self, prefix):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                sys.exit("stockfish ended")
            lines.append(line.rstrip("\n"))
            if line.startswith(prefix):
                return lines

    def divide(self, fen, depth, moves=()):
        self.send("position fen " + fen + (" moves " + " ".join(moves) if moves else ""))
        self.send("go perft %d" % depth)
        out = {}
        for line in self.wait("Nodes searched"):
            if ": " in line and not line.startswith("Nodes"):
                move, count = line.split(": ")
                out[move] = int(count)
            elif line.startswith("Nodes searched"):
                total = int(line.split(": ")[1])
        return out, total

    def fen_after(self, fen, moves):
        self.send("position fen " + fen + (" moves " + " ".join(moves) if moves else ""))
        self.send("d")
        for line in self.wait("Checkers"):
            if line.startswith("Fen: "):
                return line[5:]
        sys.exit("no Fen line")


def start_rank(n):
    """Back rank of Chess960 start position n (Scharnagl numbering, 518 = RNBQKBNR)."""
    rank = [None] * 8
    n, light = divmod(n, 4)
    rank[2 * light + 1] = "B"
    n, dark = divmod(n, 4)
    rank[2 * dark] = "B"
    n, queen = divmod(n, 6)
    empty = [i for i in range(8) if rank[i] is None]
    rank[empty[queen]] = "Q"
    knights = [(0, 1), (0, 2), (0, 3), (0, 4), (1, 2), (1, 3), (1, 4), (2, 3), (2, 4), (3, 4)][n]
    empty = [i for i in range(8) if rank[i] is None]
    for k in knights:
        rank[empty[k]] = "N"
    for letter, i in zip("RKR", [i for i in range(8) if rank[i] is None]):
        rank[i] = letter
    return "".join(rank)


def start_fen(n):
    r = start_rank(n)
    return "%s/pppppppp/8/8/8/8/PPPPPPPP/%s w KQkq - 0 1" % (r.lower(), r)


def back_ranks(fen):
    rows = fen.split()[0].split("/")
    return {"w": expand(rows[7]), "b": expand(rows[0])}


def expand(row):
    out = ""
    for ch in row:
        out += "." * int(ch) if ch.isdigit() else ch
    return out


def respell(fen, shredder):
    """The castling field as rook files (Shredder) or as X-FEN (KQkq for the outermost rook)."""
    fields = fen.split()
    if fields[2] == "-":
        return fen
    ranks = back_ranks(fen)
    out = ""
    for colour, rook, king in (("w", "R", "K"), ("b", "r", "k")):
        row = ranks[colour]
        own = [ch for ch in fields[2] if ch.isupper() == (colour == "w")]
        if not own:
            continue
        kfile = row.index(king)
        rights = []
        for ch in own:
            up = ch.upper()
            if up == "K":
                f = max(i for i in range(kfile + 1, 8) if row[i] == rook)
            elif up == "Q":
                f = min(i for i in range(0, kfile) if row[i] == rook)
            else:
                f = ord(up) - ord("A")
            rights.append(f)
        for f in sorted(rights, reverse=True):
            short = f > kfile
            side = range(f + 1, 8) if short else range(0, f)
            outermost = not any(row[i] == rook for i in side)
            letter = chr(ord("A") + f) if shredder or not outermost else ("K" if short else "Q")
            out += letter if colour == "w" else letter.lower()
    fields[2] = out or "-"
    return " ".join(fields)


def gen(args):
    sf = Stockfish(args.engine)
    rnd = random.Random(args.seed)
    lines = []
    for n in range(960):
        fen = start_fen(n)
        counts = [sf.divide(fen, d)[1] for d in range(1, args.depth + 1)]
        lines.append((fen, counts))
    made = 0
    while made < args.random:
        fen = start_fen(rnd.randrange(960))
        moves = []
        for _ in range(rnd.randrange(2, 24)):
            legal, _ = sf.divide(fen, 1, moves)
            if not legal:
                break
            moves.append(rnd.choice(sorted(legal)))
        after = sf.fen_after(fen, moves)
        if after.split()[2] == "-":
            continue
        depth = args.depth + (1 if made < args.deep else 0)
        counts = [sf.divide(after, d)[1] for d in range(1, depth + 1)]
        lines.append((respell(after, made % 2 == 0), counts))
        made += 1
    with open(args.out, "w") as out:
        for fen, counts in lines:
            out.write(fen + " " + " ".join(";D%d %d" % (i + 1, c) for i, c in enumerate(counts)) + "\n")


def check(args):
    bad = 0
    total = 0
    for line in open(args.file):
        fen, _, rest = line.partition(";")
        fen = fen.strip()
        counts = [int(t.split()[1]) for t in (";" + rest).split(";")[1:]]
        depth = min(args.depth, len(counts))
        for spelling in (respell(fen, True), respell(fen, False)):
            command = [args.halberd, "perft", str(depth), spelling, "--960"] + (["--slow"] if args.slow else [])
            out = subprocess.run(command, capture_output=True, text=True).stdout
            got = [int(l.split(": ")[1]) for l in out.splitlines() if l.startswith("Nodes searched")]
            total += 1
            if not got or got[0] != counts[depth - 1]:
                bad += 1
                print("DIFF", spelling, "depth", depth, "want", counts[depth - 1], "got", got)
    print("checked %d FENs, %d differences" % (total, bad))
    return 1 if bad else 0


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    g = sub.add_parser("gen")
    g.add_argument("--out", required=True)
    g.add_argument("--random", type=int, default=250)
    g.add_argument("--depth", type=int, default=4)
    g.add_argument("--deep", type=int, default=40)
    g.add_argument("--seed", type=int, default=960)
    g.add_argument("--engine", default="/usr/games/stockfish")
    c = sub.add_parser("check")
    c.add_argument("file")
    c.add_argument("--halberd", required=True)
    c.add_argument("--depth", type=int, default=4)
    c.add_argument("--slow", action="store_true")
    args = parser.parse_args()
    sys.exit(gen(args) if args.command == "gen" else check(args))


if __name__ == "__main__":
    main()
