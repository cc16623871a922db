#pragma once
// The "book" command of the program:
//   halberd book make GAMES.pgn... -o BOOK.bo2 [--max-ply N] [--min-games K]
//   halberd book show [-b BOOK.bo2] FEN|startpos
namespace halberd::frontend {

// argv[0] is the word "book"; returns the program's exit status
// (0 done, 1 failed, 2 wrong usage).
int runBookCommand(int argc, char** argv);

}  // namespace halberd::frontend
