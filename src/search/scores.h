#pragma once
// The search's scores that are no evaluation: mates, the window's ends, the
// answers that mean "none" or "illegal", and the tablebase probe's. 32767 and
// its neighbours each have one name and one meaning here.
namespace halberd::search {

// A mate in n plies scores MateScore - n for the side that mates; any score
// beyond MateBound is a mate.
constexpr int MateScore = 32700;
constexpr int MateBound = 32000;
// The window's ends: no score lies beyond them.
constexpr int InfiniteScore = 32767;
// A node without a score yet (a root variation word not yet written).
constexpr int UnknownEval = -32767;
// Scores below this are no result of a root search (UnknownEval and below).
constexpr int LowestRootScore = -32766;
// A node routine's answer to a move that leaves its own king in check.
constexpr int IllegalScore = 32760;
// A root search that finished no iteration; the game log's "no score" too.
constexpr int NoResultScore = 32761;
// The score shown with a book move.
constexpr int BookMoveScore = 1;
// The tablebase probe's answers: TablebaseWin - n wins in n moves,
// -TablebaseWin + n loses in n, TablebaseNoAnswer and anything below
// -TablebaseWin say nothing.
constexpr int TablebaseWin = 32766;
constexpr int TablebaseNoAnswer = 32767;

// Moves to mate of a winning mate score, plies to mate of any mate score.
constexpr int movesToMate(int score) { return (MateScore - 1 - score) / 2 + 1; }
constexpr int matePlies(int score) { return MateScore - (score < 0 ? -score : score); }
constexpr bool isMateValue(int score) { return score > MateBound || score < -MateBound; }

}  // namespace halberd::search
