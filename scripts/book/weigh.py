#!/usr/bin/env python3
"""Weighs the moves of a book made from opening lines by how often the lines use them.

A book made from the ECO lines counts every line as a drawn game, so every
candidate scores 50% and the engine picks each of a position's moves equally
often: a side line as often as the main line. The engine gives a candidate
1 + (score rate in percent) / 10 slots of a random draw (at most 11). This
rewrites each candidate's score so that its rate is the square root of its share
of the position's lines, taken against the most used move: the main line gets
all 11 slots, a move used by a quarter as many lines 6, and a move that only a
hundredth as many lines use keeps a single slot, so it still appears. The
numbers of games are kept.
Usage: weigh.py BOOK.bo2 [OUT.bo2]   (rewrites BOOK.bo2 when OUT is not given)
"""
import math
import struct
import sys

RECORD = 100
KEY_FIELD = 70
CANDIDATES = 5
MAX_SLOTS = 11


def target_score(games: int, most: int) -> int:
    """Half points that give a candidate of GAMES lines its slots next to a main line of MOST lines."""
    slots = MAX_SLOTS if games == most else 1 + min(MAX_SLOTS - 2, int(10 * math.sqrt(games / most)))
    # The middle of the slot's band of rates, so that rounding to half points keeps the slot.
    rate = 1.0 if slots == MAX_SLOTS else ((slots - 1) * 10 + 5) / 100
    return min(2 * games, round(rate * 2 * games))


def weigh(data: bytearray) -> int:
    changed = 0
    for start in range(0, len(data) - RECORD + 1, RECORD):
        words = [struct.unpack_from("<3H", data, start + KEY_FIELD + 6 * i) for i in range(CANDIDATES)]
        used = words[: next((i for i, w in enumerate(words) if w[2] == 0), CANDIDATES)]
        if not used:
            continue
        most = max(games for games, _, _ in used)
        if most == 0:
            continue
        for i, (games, score, move) in enumerate(used):
            new = target_score(games, most) if games else score
            if new != score:
                struct.pack_into("<3H", data, start + KEY_FIELD + 6 * i, games, new, move)
                changed += 1
    return changed


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as source:
        data = bytearray(source.read())
    if len(data) % RECORD:
        print(f"weigh: {sys.argv[1]} is not a book file ({len(data)} bytes)", file=sys.stderr)
        return 1
    changed = weigh(data)
    with open(sys.argv[-1], "wb") as out:
        out.write(data)
    print(f"weigh: {len(data) // RECORD} records, {changed} candidates weighed anew", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
