#include "board/gameboard.h"

#include "board/castling.h"
#include "board/keys.h"

namespace halberd::board {

void loadScratch(const GameBoard& game, Position& position) {
    position.slotSquare = game.slotSquare;
    position.board = game.board;
    position.slotType = game.slotType;
    position.castling = game.castling;
    position.slotValue = game.slotValue;
}

void storeScratch(GameBoard& game, const Position& position) {
    game.slotSquare = position.slotSquare;
    game.board = position.board;
    game.slotType = position.slotType;
    game.castling = position.castling;
    game.slotValue = position.slotValue;
}

namespace {

// Two bits per castling state (state + 1), in the order of the packed byte.
constexpr std::array<int, 4> PackedOrder = {CastleWhiteShort, CastleWhiteLong, CastleBlackShort, CastleBlackLong};

}  // namespace

std::uint8_t packCastling(const GameBoard& game) {
    unsigned packed = 0;
    for (int i = 0; i < 4; ++i) packed |= static_cast<unsigned>(game.castling[PackedOrder[i]] + 1) << (2 * i);
    return static_cast<std::uint8_t>(packed);
}

void unpackCastling(GameBoard& game, std::uint8_t packed) {
    for (int i = 0; i < 4; ++i) game.castling[PackedOrder[i]] = ((packed >> (2 * i)) & 3) - 1;
}

int capturedSlot(const GameBoard& game, Move move) {
    // A castling's word may name the own rook's square: it takes nothing.
    if (isCastle(move)) return EmptySlot;
    int square = moveTo(move);
    if (moveKind(move) == EnPassant) square -= pawnPush(game.sideToMove);
    return game.board[square];
}

void resetHistory(GameBoard& game) {
    // Entries above the top are never read: a history of the first size is kept as it is.
    if (game.history.size() != HistoryInitialCapacity) {
        game.history.assign(HistoryInitialCapacity, HistoryEntry{});
        game.history.shrink_to_fit();
    }
    game.historyTop = -1;
    game.plyCounter = -1;
}

void pushHistory(GameBoard& game, const HistoryEntry& entry) {
    const auto next = static_cast<std::size_t>(game.historyTop + 1);
    if (next >= game.history.size())
        game.history.resize(game.history.empty() ? HistoryInitialCapacity : game.history.size() + HistoryGrowth);
    game.history[next] = entry;
    game.historyTop = static_cast<int>(next);
}

void resetGameToStart(GameBoard& game) {
    game.board.fill(EmptySlot);
    for (int slot = 0; slot < 32; ++slot) {
        const int white = slot & 15;
        // Pieces on the back rank in slot order e, d, a, h, c, f, b, g; pawns a..h.
        constexpr std::array<int, 8> PieceFiles = {4, 3, 0, 7, 2, 5, 1, 6};
        const int square = white < FirstPawnSlot ? PieceFiles[white] : 8 + (white - FirstPawnSlot);
        const int placed = slotColour(slot) == White ? square : square ^ 56;
        game.slotSquare[slot] = placed;
        game.board[placed] = slot;
        const PieceType type = StartSlotTypes[white];
        game.slotType[slot] = type == WhitePawn ? pawnOf(slotColour(slot)) : type;
    }
    game.slotType[EmptySlot] = NoPiece;
    game.slotValue = SlotValue;
    game.castling.fill(0);
    game.castlingRookHome = OrdinaryRookHomes;
    game.ordinaryStart = true;
    game.epSquare = 0;
    game.sideToMove = White;
    game.gameResult = 0;
    game.lastMove = 0;
    game.startLastMove = 0;
    game.startHalfmoveClock = 0;
    resetHistory(game);

    Position& scratch = game.scratch;
    scratch.pieceCount = {0, 0};
    scratch.pawnCount = {0, 0};
    scratch.stageCode = 0;
    scratch.materialMg = 0;
    scratch.materialEg = 0;
    scratch.halfmoveClock = 0;
    scratch.lastMove = 0;
    loadScratch(game, scratch);
    computeKeys(scratch, White);

    game.bookMissesLeft = 10;
}

}  // namespace halberd::board
