#pragma once
// King safety: pawn shelter and open files at each king, bishops and rooks
// lined up on the enemy king, queen tropism and minor pieces kept near their
// own king. All terms White minus Black.
#include "board/nodestate.h"
#include "eval/weights.h"

namespace halberd::eval {

// Queen near both kings (positional; opening to late middlegame).
int queenTropism(const board::SearchBoard& sb);
// Bishops and knights near their own king (proximity).
int minorsNearKing(const board::SearchBoard& sb);
// Pawn cover of a king standing on (or castling to) `centre`, files b..g: 0, 67, 134 or 201.
template <board::Colour C>
int kingShelter(const board::SearchBoard& sb, int centre);
// Open files and shelter at the Black king, then at the White king (king safety).
int shelterAndOpenFiles(const board::SearchBoard& sb, const board::NodeState& state);
// Bishops and rooks aiming at the enemy king (positional).
int lineUps(const board::SearchBoard& sb);

}  // namespace halberd::eval
