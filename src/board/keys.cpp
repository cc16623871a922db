#include "board/keys.h"

namespace halberd::board {

void computeKeys(Position& position, int sideToMove) {
    KeyPair key;
    key.toggle(WhiteToMoveKey + sideToMove);
    KeyPair pawnKey;
    for (int slot = 0; slot < 32; ++slot) {
        const int square = position.slotSquare[slot];
        if (square == OffBoard) continue;
        const int type = position.slotType[slot];
        key.toggle(keyIndex(slotColour(slot), type, square));
        if (type == pawnOf(slotColour(slot))) pawnKey.toggle(keyIndex(slotColour(slot), type, square));
    }
    key.toggle(castlingKeyIndex(White, position.castling[CastleWhiteShort], position.castling[CastleWhiteLong]));
    key.toggle(castlingKeyIndex(Black, position.castling[CastleBlackShort], position.castling[CastleBlackLong]));
    for (const Colour c : {White, Black})
        for (const int kind : {CastleShort, CastleLong}) {
            const int index = castleIndex(c, kind);
            const int rook = position.slotSquare[castleRookSlot(c, kind)];
            if (!rookCanCastle(c, kind, position.slotSquare[slotBase(c) + KingSlot], rook)) continue;
            if (const int extra = castlingRookKeyIndex(index, position.castling[index], rook); extra != 0)
                key.toggle(extra);
        }
    position.hashKeyLow = key.low;
    position.hashKeyHigh = key.high;
    position.pawnKeyLow = pawnKey.low;
    position.pawnKeyHigh = pawnKey.high;
}

int repetitionCount(const GameBoard& game, int sideToMove, const Position& position) {
    const std::uint16_t low16 = static_cast<std::uint16_t>(position.hashKeyLow >> 16);
    const std::uint8_t side = sideToMove == Black ? HistoryBlackToMove : 0;
    int count = 0;
    // The newest entry describes the current position itself.
    for (int i = game.plyCounter - 1; i >= 0; --i) {
        const HistoryEntry& e = game.history[static_cast<std::size_t>(i)];
        if (e.keyHigh == position.hashKeyHigh && e.keyLow16 == low16 && (e.flags & HistoryBlackToMove) == side) ++count;
        if (e.move == 0 || (e.flags & HistoryIrreversible)) break;
    }
    return count;
}

}  // namespace halberd::board
