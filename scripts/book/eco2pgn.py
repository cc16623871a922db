#!/usr/bin/env python3
"""Turns Scid's ECO classification file (Debian's scid-data) into PGN games.

Every named opening line becomes one game scored as a draw, so that the book
maker counts each line once and no line is favoured by a result.
Usage: eco2pgn.py scid.eco > openings.pgn
"""
import re
import sys

LINE = re.compile(r'([A-E]\d\d[a-z]?\d?)\s+"([^"]*)"\s+([^*]*)\*')


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="latin-1") as source:
        text = "\n".join(line for line in source.read().split("\n") if not line.startswith("#"))
    count = 0
    for code, name, moves in LINE.findall(text):
        moves = " ".join(moves.split())
        if not moves:
            continue
        name = name.replace("\\", "").replace('"', "'")
        print(f'[Event "{name}"]\n[ECO "{code}"]\n[Result "1/2-1/2"]\n\n{moves} 1/2-1/2\n')
        count += 1
    print(f"eco2pgn: {count} opening lines", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
