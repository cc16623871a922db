#include "tablebase/probe.h"

#include <algorithm>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "tablebase/blockcache.h"
#include "tablebase/material.h"
#include "tablebase/registry.h"

namespace halberd::tablebase {

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
// The first place after each type's group in a piece list.
constexpr std::array<int, 7> EndOfGroup = {QueenPlace, RookPlace,   BishopPlace, KnightPlace,
                                           PawnPlace,  PiecePlaces, PiecePlaces};

}  // namespace

int gatherMaterial(std::span<const std::int32_t> squares, std::span<const std::int32_t> types, ProbeInput& input) {
    input.counts.fill(0);
    input.white.fill(-1);
    input.black.fill(-1);
    // The next free place of each type and colour: three for pieces, four for pawns.
    std::array<std::array<int, 7>, 2> next = {PlaceOfType, PlaceOfType};
    int men = 0;
    const int slots = static_cast<int>(std::min<std::size_t>({squares.size(), types.size(), 32}));
    for (int slot = 0; slot < slots; ++slot) {
        const int square = squares[slot];
        const int type = types[slot];
        if (static_cast<unsigned>(square) > 63 || static_cast<unsigned>(type) > 6) continue;
        const int black = slot >= 16 ? 1 : 0;
        if (type != 0) {
            ++input.counts[CountOfType[type] + black * BlackCounts];
            ++men;
        }
        int& place = next[black][type];
        if (place < EndOfGroup[type]) (black ? input.black : input.white)[place++] = square;
    }
    return men;
}

namespace {

// Takes the man on `square` out of its group, closing the gap; returns its place
// type (board piece type), or -1 when no man of the list stands there.
int takeOut(PieceList& list, int square) {
    for (int type = 0; type < 6; ++type)
        for (int place = PlaceOfType[type]; place < EndOfGroup[type]; ++place)
            if (list[place] == square) {
                for (; place + 1 < EndOfGroup[type]; ++place) list[place] = list[place + 1];
                list[place] = -1;
                return type;
            }
    return -1;
}

void putIn(PieceList& list, int type, int square) {
    for (int place = PlaceOfType[type]; place < EndOfGroup[type]; ++place)
        if (list[place] < 0) {
            list[place] = square;
            return;
        }
}

}  // namespace

ProbeInput materialAfter(const ProbeInput& before, const halberd::board::GameBoard& game, halberd::board::Move move) {
    using namespace halberd::board;
    ProbeInput after = before;
    const bool white = game.sideToMove == White;
    PieceList& own = white ? after.white : after.black;
    PieceList& theirs = white ? after.black : after.white;
    const int victim = capturedSlot(game, move);
    if (victim != EmptySlot) {
        const int type = takeOut(theirs, game.slotSquare[victim]);
        if (type > 0) --after.counts[CountOfType[type] + (white ? BlackCounts : 0)];
    }
    const int type = takeOut(own, moveFrom(move));
    if (type < 0) return after;  // men beyond the lists' places: no class holds the position
    const int becomes = isPromotion(move) ? promotionType(moveKind(move)) : type;
    if (becomes != type) {
        --after.counts[CountOfType[type] + (white ? 0 : BlackCounts)];
        ++after.counts[CountOfType[becomes] + (white ? 0 : BlackCounts)];
    }
    putIn(own, becomes, moveTo(move));
    return after;
}

halberd::board::SetupStatus setUpLists(halberd::board::GameBoard& game, const PieceList& white, const PieceList& black,
                                       int sideToMove, int epSquare) {
    using namespace halberd::board;
    constexpr std::array<PieceType, PiecePlaces> Types = [] {
        std::array<PieceType, PiecePlaces> types{};
        for (int place = 0; place < PiecePlaces; ++place)
            types[place] =
                PlaceLetters[place] == 'p'
                    ? WhitePawn
                    : static_cast<PieceType>(pieceTypeOfLetter(static_cast<char>(PlaceLetters[place] - 'a' + 'A')));
        return types;
    }();
    std::array<PlacedMan, 2 * PiecePlaces> men;
    std::size_t count = 0;
    for (const Colour colour : {White, Black})
        for (int place = 0; place < PiecePlaces; ++place) {
            const int square = (colour == White ? white : black)[place];
            if (square >= 0) men[count++] = {colour, Types[place] == WhitePawn ? pawnOf(colour) : Types[place], square};
        }
    return setupFromMen(game, std::span(men).first(count), sideToMove == 0 ? White : Black,
                        epSquare < 0 ? 0 : epSquare);
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
    if (!accepted(setUpLists(game, input.white, input.black, sideToMove, epSquare))) return NoValue;
    ProbeInput before;
    gatherMaterial(game.slotSquare, std::span(game.slotType).first(32), before);
    int longest = 0;  // the set-up lists the legal moves
    for (const Move* m = game.legalMoves.data(); *m != 0; ++m) {
        const int ep = enPassantSquare(*m, game.scratch);
        // Every move of a lost position leaves the opponent a win the tables know
        // (read as stored: a damaged file must not send this on from loss to loss).
        const int c = storedByte(materialAfter(before, game, *m), otherSide(sideToMove), ep == 0 ? -1 : ep);
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

}  // namespace halberd::tablebase
