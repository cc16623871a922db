#include "tablebase/probe.h"

#include <algorithm>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "tablebase/blockcache.h"
#include "tablebase/material.h"
#include "tablebase/registry.h"
#include "tablebase/worktable.h"

namespace tablebase {

namespace {

// The byte's deepest loss: a loss in 126 moves or more (kppkp holds losses in
// 127, one more than a byte can), whatever numbering made the file.
constexpr int DeepestLossByte = -127;
constexpr int MatedIn0 = -32766;
constexpr int WinsIn0 = 32767;

// Per piece type of the board: the count it adds to (White's; Black's are 5
// further) and its first place in a piece list.
constexpr std::array<int, 7> CountOfType = {-1, QueenCount, RookCount, BishopCount, KnightCount, PawnCount, PawnCount};
constexpr std::array<int, 7> PlaceOfType = {KingPlace,   QueenPlace, RookPlace, BishopPlace,
                                            KnightPlace, PawnPlace,  PawnPlace};

}  // namespace

int gatherMaterial(std::span<const std::int32_t> squares, std::span<const std::int32_t> types, ProbeInput& input) {
    input.counts.fill(0);
    input.white.fill(-1);
    input.black.fill(-1);
    int men = 0;
    const int slots = static_cast<int>(std::min<std::size_t>({squares.size(), types.size(), 32}));
    for (int slot = 0; slot < slots; ++slot) {
        const int square = squares[slot];
        const int type = types[slot];
        if (square < 0 || square > 63 || type < 0 || type > 6) continue;
        const bool black = slot >= 16;
        PieceList& list = black ? input.black : input.white;
        if (type != 0) {
            ++input.counts[CountOfType[type] + (black ? BlackCounts : 0)];
            ++men;
        }
        // The first free place of the type: three for pieces, four for pawns.
        const int first = PlaceOfType[type];
        const int places = type == 0 ? 1 : type >= 5 ? 4 : 3;
        for (int place = first; place < first + places; ++place)
            if (list[place] < 0) {
                list[place] = square;
                break;
            }
    }
    return men;
}

ProbeInput materialAfter(const halberd::board::GameBoard& game, halberd::board::Move move) {
    using namespace halberd::board;
    std::array<std::int32_t, 32> squares = game.slotSquare;
    std::array<std::int32_t, 33> types = game.slotType;
    const int victim = capturedSlot(game, move);
    if (victim != EmptySlot) squares[victim] = OffBoard;
    const int mover = game.board[moveFrom(move)];
    squares[mover] = moveTo(move);
    if (isPromotion(move)) types[mover] = promotionType(moveKind(move));
    ProbeInput input;
    gatherMaterial(squares, std::span(types).first(32), input);
    return input;
}

namespace {

// The stored byte of the gathered position, or NotAvailable.
int storedByte(const ProbeInput& input, int sideToMove, int epSquare) {
    const TableSpot spot = tableSpot(input, sideToMove, epSquare);
    if (spot.cls == 0 || registeredFile(spot.cls, spot.side) == nullptr ||
        spot.index >= tableClass(spot.cls).size[spot.side])
        return NotAvailable;
    return fetchValue(spot.cls, spot.side, spot.index);
}

// A position whose byte holds the deepest loss it can (126 moves or more):
// its true depth is the longest of the mates the opponent has after each
// move, probed one move on; NoValue when a table for that is missing.
int lossBeyondTheByte(const ProbeInput& input, int sideToMove, int epSquare) {
    using namespace halberd::board;
    GameBoard game;
    resetGameToStart(game);
    if (!accepted(setupFromFen(game, fenOfLists(input.white, input.black, sideToMove, epSquare)))) return NoValue;
    int longest = 0;  // the set-up lists the legal moves
    for (const Move* m = game.legalMoves.data(); *m != 0; ++m) {
        const int ep = enPassantSquare(*m, game.scratch);
        // Every move of a lost position leaves the opponent a win the tables know
        // (read as stored: a damaged file must not send this on from loss to loss).
        const int c = storedByte(materialAfter(game, *m), otherSide(sideToMove), ep == 0 ? -1 : ep);
        const int v = c == NotAvailable || c == DeepestLossByte ? NoValue : valueOfByte(c);
        if (v == NoValue || v <= valueOfByte(0) || v >= WinsIn0) return NoValue;
        longest = std::max(longest, WinsIn0 - v);
    }
    return longest == 0 ? NoValue : longest + MatedIn0;
}

}  // namespace

TableSpot tableSpot(const ProbeInput& input, int sideToMove, int epSquare) {
    const int signedClass = classLookup(input.counts);
    if (signedClass == 0) return {};
    const bool inverted = signedClass < 0;
    const int cls = inverted ? -signedClass : signedClass;
    const int side = inverted ? otherSide(sideToMove) : sideToMove;
    return {cls, side,
            tableIndex(cls, side, inverted ? input.black : input.white, inverted ? input.white : input.black, epSquare,
                       inverted)};
}

int probe(const ProbeInput& input, int sideToMove, int epSquare) {
    const int c = storedByte(input, sideToMove, epSquare);
    if (c == NotAvailable) return NoValue;
    if (c == DeepestLossByte) return lossBeyondTheByte(input, sideToMove, epSquare);
    return valueOfByte(c);
}

}  // namespace tablebase
