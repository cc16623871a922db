#!/usr/bin/env python3
"""Weighs the moves of a book made from opening lines by how often the lines use them
and by what they cost against the best move.

A book made from the ECO lines counts every line as a drawn game, so every
candidate scores 50% and the engine picks each of a position's moves equally
often: a side line as often as the main line. The engine gives a candidate
1 + (score rate in percent) / 10 slots of a random draw (at most 11). This
rewrites each candidate's score so that its rate is the square root of its share
of the position's lines, taken against the most used move: the main line gets
all 11 slots, a move used by a quarter as many lines 6, and a move that only a
fiftieth as many lines use keeps a single slot, so it still appears; a move
even rarer than that (an odd line of the source) is left out. With --verdicts (the cache of vet.py: KEY, tab, move,
tab, centipawns lost against stockfish's best move) a move's slots are halved
for every 8 centipawns it loses beyond the first 8, down to one slot: each book
move that is a little worse than the best adds up over a line, and the engine
then leaves the book a fraction of a pawn behind. The numbers of games are kept.
Usage: weigh.py [--verdicts FILE] BOOK.bo2 [OUT.bo2]   (rewrites BOOK.bo2 when OUT is not given)
"""
import math
import struct
import sys

RECORD = 100
KEY_FIELD = 70
CANDIDATES = 5
MAX_SLOTS = 11
FREE_LOSS = 8  # centipawns a move may lose against the best before its slots are halved
HALVING_LOSS = 8  # and every further loss of this size halves them again
RARE = 50  # a move used by fewer than 1 in RARE of the lines of the most used one is left out


def move_text(move: int) -> str:
    """Coordinates of a book move (from, to and kind in 16 bits), as vet.py names it."""
    name = lambda square: "abcdefgh"[square & 7] + str((square >> 3) + 1)
    kind = (move >> 12) & 7
    return name(move & 63) + name((move >> 6) & 63) + ("qrbn"[kind - 4] if kind >= 4 else "")


def target_score(games: int, most: int, loss: int = 0) -> int:
    """Half points that give a candidate of GAMES lines its slots next to a main line of MOST lines,
    less what a loss of LOSS centipawns against the best move costs it."""
    slots = MAX_SLOTS if games == most else 1 + min(MAX_SLOTS - 2, int(10 * math.sqrt(games / most)))
    if loss > FREE_LOSS:
        slots = max(1, round(slots * 0.5 ** ((loss - FREE_LOSS) / HALVING_LOSS)))
    # The middle of the slot's band of rates, so that rounding to half points keeps the slot.
    rate = 1.0 if slots == MAX_SLOTS else ((slots - 1) * 10 + 5) / 100
    return min(2 * games, round(rate * 2 * games))


def weigh(data: bytearray, verdicts: dict) -> int:
    changed = 0
    for start in range(0, len(data) - RECORD + 1, RECORD):
        key = data[start : start + KEY_FIELD].split(b"\0", 1)[0].decode()
        words = [struct.unpack_from("<3H", data, start + KEY_FIELD + 6 * i) for i in range(CANDIDATES)]
        used = words[: next((i for i, w in enumerate(words) if w[2] == 0), CANDIDATES)]
        most = max((games for games, _, _ in used), default=0)
        if most == 0:
            continue
        kept = [(games, target_score(games, most, verdicts.get((key, move_text(move)), 0)), move)
                for games, _, move in used if games * RARE >= most]
        kept += [(0, 0, 0)] * (CANDIDATES - len(kept))
        for i, (old, new) in enumerate(zip(words, kept)):
            if new != old:
                struct.pack_into("<3H", data, start + KEY_FIELD + 6 * i, *new)
                changed += 1
    return changed


def read_verdicts(path: str) -> dict:
    verdicts = {}
    with open(path) as source:
        for line in source:
            key, move, loss = line.rstrip("\n").split("\t")
            verdicts[(key, move)] = int(loss)
    return verdicts


def main() -> int:
    args = sys.argv[1:]
    verdicts = {}
    if args[:1] == ["--verdicts"] and len(args) >= 2:
        verdicts = read_verdicts(args[1])
        args = args[2:]
    if len(args) not in (1, 2):
        print(__doc__, file=sys.stderr)
        return 2
    with open(args[0], "rb") as source:
        data = bytearray(source.read())
    if len(data) % RECORD:
        print(f"weigh: {args[0]} is not a book file ({len(data)} bytes)", file=sys.stderr)
        return 1
    changed = weigh(data, verdicts)
    with open(args[-1], "wb") as out:
        out.write(data)
    print(f"weigh: {len(data) // RECORD} records, {changed} candidates weighed anew", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
