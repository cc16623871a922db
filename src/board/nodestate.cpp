#include "board/nodestate.h"

#include <bit>

#include "board/keys.h"
#include "board/piecesquare.h"

namespace halberd::board {

namespace {

constexpr int EndgameMaterialLimit = 8448;  // a queen plus a rook

bool bothBelowEndgameLimit(int white, int black) {
    return white < EndgameMaterialLimit && black < EndgameMaterialLimit;
}

bool onBoard(const std::array<std::int32_t, 32>& slotSquare, int slot) { return slotSquare[slot] != OffBoard; }

// Pawn-file mask of one colour over its pawn slots.
std::uint8_t pawnFileMask(const std::array<std::int32_t, 32>& slotSquare, const std::array<std::int32_t, 33>& slotType,
                          Colour c) {
    std::uint8_t mask = 0;
    for (int slot = slotBase(c) + FirstPawnSlot; slot < slotBase(c) + 16; ++slot)
        if (slotType[slot] == pawnOf(c) && onBoard(slotSquare, slot))
            mask = static_cast<std::uint8_t>(mask | (1u << fileOf(slotSquare[slot])));
    return mask;
}

// After a pawn of colour c left `file`: clear the file bit unless another pawn stands there.
void refreshPawnFile(const SearchBoard& sb, NodeState& state, Colour c, int file) {
    for (int slot = slotBase(c) + FirstPawnSlot; slot < slotBase(c) + 16; ++slot) {
        const int square = sb.slotSquare[slot];
        if (square != OffBoard && sb.slotType[slot] == pawnOf(c) && fileOf(square) == file) return;
    }
    state.pawnFiles[c] = static_cast<std::uint8_t>(state.pawnFiles[c] & ~(1u << file));
}

// Adds (sign +1) or removes (-1) a piece of colour c on a square in the piece-square sums.
void addPst(NodeState& state, Colour c, int type, int square, int sign) {
    const int s = colourSign(c) * sign;
    state.pstMg += s * pstMg(type, c, square);
    state.pstEg += s * pstEg(type, c, square);
}

void toggleKey(NodeState& state, int index) {
    state.hashKeyLow ^= KeyTableLow[index];
    state.hashKeyHigh ^= KeyTableHigh[index];
}

void togglePawnKey(NodeState& state, int index) {
    state.pawnKeyLow ^= KeyTableLow[index];
    state.pawnKeyHigh ^= KeyTableHigh[index];
}

void toggleCastlingKeys(NodeState& state, const std::array<std::int16_t, 4>& castling, const RookHomes& rookHomes) {
    toggleKey(state, castlingKeyIndex(White, castling[CastleWhiteShort], castling[CastleWhiteLong]));
    toggleKey(state, castlingKeyIndex(Black, castling[CastleBlackShort], castling[CastleBlackLong]));
    for (int index = 0; index < 4; ++index)
        if (const int key = castlingRookKeyIndex(index, castling[index], rookHomes[index]); key != 0)
            toggleKey(state, key);
}

}  // namespace

void countPieces(Position& position) {
    position.pieceCount = {0, 0};
    position.pawnCount = {0, 0};
    for (int slot = 0; slot < 32; ++slot) {
        if ((slot & 15) == KingSlot || !onBoard(position.slotSquare, slot)) continue;
        const Colour c = slotColour(slot);
        if (position.slotType[slot] > Knight)
            ++position.pawnCount[c];
        else
            ++position.pieceCount[c];
    }
}

void recomputeMaterial(Position& position) {
    position.lastMove = 0;
    position.materialMg = 0;
    position.materialEg = 0;
    position.nonPawnMaterial = {0, 0};
    for (int slot = 0; slot < 32; ++slot) {
        if ((slot & 15) < FirstPawnSlot) position.slotType[slot] = StartSlotTypes[slot & 15];
        const int type = position.slotType[slot];
        position.slotValue[slot] = slotValueOfType(type);
        if ((slot & 15) == KingSlot || !onBoard(position.slotSquare, slot)) continue;
        const Colour c = slotColour(slot);
        position.materialMg += colourSign(c) * PieceValueMg[type];
        position.materialEg += colourSign(c) * PieceValueEg[type];
        if (type <= Knight) position.nonPawnMaterial[c] += position.slotValue[slot];
    }
    position.slotValue[EmptySlot] = 0;
    position.slotType[EmptySlot] = NoPiece;
}

int prepareRoot(Position& position) {
    countPieces(position);
    recomputeMaterial(position);

    const int pieces = position.pieceCount[White] + position.pieceCount[Black];
    const int pawns = position.pawnCount[White] + position.pawnCount[Black];
    const bool endgame = bothBelowEndgameLimit(position.nonPawnMaterial[White], position.nonPawnMaterial[Black]);
    int stage;
    if (pieces <= 9 || pawns < 12) {
        stage = endgame ? StageEndgame : StageLateMiddlegame;
        if (pieces == 0)
            stage = pawns > 0 ? StagePawnEnding : StagePawnless;
        else if (pieces < 5 && pawns == 0)
            stage = StagePawnless;
    } else if (endgame) {
        stage = StageEndgame;
    } else {
        const bool anyRight = position.castling[0] == 0 || position.castling[1] == 0 || position.castling[2] == 0 ||
                              position.castling[3] == 0;
        stage = anyRight ? StageOpening : StageMiddlegame;
    }
    position.stageCode = stage;

    for (const Colour c : {White, Black})
        position.pawnFiles[c] = pawnFileMask(position.slotSquare, position.slotType, c);

    const PstSums sums = pstFromScratch(position.slotSquare, position.slotType);
    position.pstMg = sums.mg;
    position.pstEg = sums.eg;
    return stage;
}

SearchBoard searchBoardOf(const Position& position) {
    SearchBoard sb{position.slotSquare,
                   position.board,
                   position.slotType,
                   position.slotValue,
                   occupiedSquares(position.slotSquare),
                   {sideSquares(position.slotSquare, White), sideSquares(position.slotSquare, Black)},
                   OrdinaryRookHomes,
                   {},
                   {}};
    for (const Colour c : {White, Black})
        for (const int kind : {CastleShort, CastleLong}) {
            const auto index = static_cast<std::size_t>(castleIndex(c, kind));
            const int king = position.slotSquare[slotBase(c) + KingSlot];
            const int rook = position.slotSquare[castleRookSlot(c, kind)];
            if (position.castling[index] != 0 || !rookCanCastle(c, kind, king, rook)) continue;
            sb.castlingRookHome[index] = rook;
            sb.castlingPath[index] = castlingPath(c, kind, king, rook);
            sb.castlingMove[index] = castleMove(king, rook, kind);
        }
    return sb;
}

void buildNodeState(const Position& position, NodeState& state, SearchBoard& sb) {
    state = NodeState{};
    for (int i = 0; i < 4; ++i) state.castling[i] = static_cast<std::int16_t>(position.castling[i]);
    state.counts[CountWhitePieces] = static_cast<std::int16_t>(position.pieceCount[White]);
    state.counts[CountBlackPieces] = static_cast<std::int16_t>(position.pieceCount[Black]);
    state.counts[CountWhitePawns] = static_cast<std::int16_t>(position.pawnCount[White]);
    state.counts[CountBlackPawns] = static_cast<std::int16_t>(position.pawnCount[Black]);
    state.hashKeyLow = position.hashKeyLow;
    state.hashKeyHigh = position.hashKeyHigh;
    state.pawnKeyLow = position.pawnKeyLow;
    state.pawnKeyHigh = position.pawnKeyHigh;
    state.stageCode = position.stageCode;
    state.materialMg = position.materialMg;
    state.materialEg = position.materialEg;
    state.pstMg = position.pstMg;
    state.pstEg = position.pstEg;
    state.ply = position.ply;
    state.halfmoveClock = position.halfmoveClock;
    for (const Colour c : {White, Black}) {
        state.nonPawnMaterial[c] = static_cast<std::uint16_t>(position.nonPawnMaterial[c]);
        state.pawnFiles[c] = static_cast<std::uint8_t>(position.pawnFiles[c]);
    }
    state.lastMove = static_cast<std::uint16_t>(position.lastMove);

    sb = searchBoardOf(position);
    // Queens promoted before the root must be known to the tree as well.
    setPromotedQueenMask(state, sb);
}

void setPromotedQueenMask(NodeState& state, const SearchBoard& sb) {
    state.promotedQueenMask = 0;
    for (const Colour c : {White, Black})
        for (int slot = slotBase(c) + FirstPawnSlot; slot < slotBase(c) + 16; ++slot)
            if (onBoard(sb.slotSquare, slot) && sb.slotType[slot] == Queen) state.promotedQueenMask |= 1u << slot;
}

int searchStage(const NodeState& state) {
    const int pieces = state.counts[CountWhitePieces] + state.counts[CountBlackPieces];
    const int pawns = state.counts[CountWhitePawns] + state.counts[CountBlackPawns];
    const bool endgame = bothBelowEndgameLimit(state.nonPawnMaterial[White], state.nonPawnMaterial[Black]);
    int stage;
    if (pawns > 11 && pieces > 9)
        stage = endgame ? StageEndgame : StageOpening;
    else
        stage = endgame ? StageEndgame : StageLateMiddlegame;
    if (pieces == 0) stage = StagePawnEnding;
    if (pawns == 0) stage = StagePawnless;
    return stage;
}

template <Colour C>
void updateCastlingStates(std::array<std::int16_t, 4>& castling, Move move, int movedSlot, int capturedSlot) {
    constexpr int shortIndex = shortCastleIndex(C);
    constexpr int longIndex = longCastleIndex(C);
    constexpr int base = slotBase(C);
    const auto lose = [&castling](int index) {
        if (castling[index] == 0) castling[index] = -1;
    };
    switch (moveKind(move)) {
        case CastleShort:
            castling[shortIndex] = 1;
            castling[longIndex] = -1;
            break;
        case CastleLong:
            castling[longIndex] = 1;
            castling[shortIndex] = -1;
            break;
        case Ordinary:
            if (movedSlot == base + KingSlot) {
                lose(shortIndex);
                lose(longIndex);
            } else if (movedSlot == base + KingRookSlot) {
                lose(shortIndex);
            } else if (movedSlot == base + QueenRookSlot) {
                lose(longIndex);
            }
            break;
        default: break;
    }
    constexpr Colour E = opponent(C);
    if (capturedSlot == slotBase(E) + KingRookSlot) lose(shortCastleIndex(E));
    if (capturedSlot == slotBase(E) + QueenRookSlot) lose(longCastleIndex(E));
}

template <Colour C>
void updateNodeState(const SearchBoard& sb, NodeState& state, Move move, int capturedSlot) {
    constexpr Colour E = opponent(C);
    constexpr int pawn = pawnOf(C);
    const int from = moveFrom(move);
    const int kind = moveKind(move);
    // A castling's word may name the rook's home: the king's square is its target.
    const int to = isCastleKind(kind) ? castleKingTarget(C, kind) : moveTo(move);
    const int slot = sb.board[to];
    const int newType = sb.slotType[slot];
    const bool promotes = isPromotion(move);
    const int oldType = promotes ? pawn : newType;
    constexpr int materialSign = colourSign(C);

    toggleKey(state, WhiteToMoveKey);
    toggleKey(state, BlackToMoveKey);
    toggleKey(state, keyIndex(C, oldType, from));
    toggleKey(state, keyIndex(C, newType, to));
    addPst(state, C, oldType, from, -1);
    addPst(state, C, newType, to, 1);

    if (kind == CastleShort || kind == CastleLong) {
        const int rookFrom = sb.castlingRookHome[static_cast<std::size_t>(castleIndex(C, kind))];
        const int rookTo = castleRookTarget(C, kind);
        toggleKey(state, keyIndex(C, Rook, rookFrom));
        toggleKey(state, keyIndex(C, Rook, rookTo));
        addPst(state, C, Rook, rookFrom, -1);
        addPst(state, C, Rook, rookTo, 1);
    }

    if (oldType == pawn) {
        togglePawnKey(state, keyIndex(C, pawn, from));
        if (!promotes) togglePawnKey(state, keyIndex(C, pawn, to));
        if (promotes || fileOf(from) != fileOf(to)) {
            if (!promotes) state.pawnFiles[C] = static_cast<std::uint8_t>(state.pawnFiles[C] | (1u << fileOf(to)));
            refreshPawnFile(sb, state, C, fileOf(from));
        }
    }

    if (promotes) {
        const int value = sb.slotValue[slot];
        --state.counts[pawnCountIndex(C)];
        ++state.counts[pieceCountIndex(C)];
        state.nonPawnMaterial[C] = static_cast<std::uint16_t>(state.nonPawnMaterial[C] + value);
        state.materialMg += materialSign * (PieceValueMg[newType] - PieceValueMg[pawn]);
        state.materialEg += materialSign * (PieceValueEg[newType] - PieceValueEg[pawn]);
        if (newType == Queen) state.promotedQueenMask |= 1u << slot;
    }

    if (capturedSlot != EmptySlot) {
        const int victimType = sb.slotType[capturedSlot];
        const int victimSquare = kind == EnPassant ? to - pawnPush(C) : to;
        toggleKey(state, keyIndex(E, victimType, victimSquare));
        addPst(state, E, victimType, victimSquare, -1);
        state.materialMg += materialSign * PieceValueMg[victimType];
        state.materialEg += materialSign * PieceValueEg[victimType];
        if (isPawnType(victimType)) {
            --state.counts[pawnCountIndex(E)];
            togglePawnKey(state, keyIndex(E, victimType, victimSquare));
            refreshPawnFile(sb, state, E, fileOf(victimSquare));
        } else {
            --state.counts[pieceCountIndex(E)];
            state.nonPawnMaterial[E] =
                static_cast<std::uint16_t>(state.nonPawnMaterial[E] - sb.slotValue[capturedSlot]);
        }
        state.promotedQueenMask &= ~(1u << capturedSlot);
    }

    const std::array<std::int16_t, 4> before = state.castling;
    updateCastlingStates<C>(state.castling, move, slot, capturedSlot);
    // Compared as one word: the array comparison costs a library call per move.
    if (std::bit_cast<std::uint64_t>(state.castling) != std::bit_cast<std::uint64_t>(before)) {
        toggleCastlingKeys(state, before, sb.castlingRookHome);
        toggleCastlingKeys(state, state.castling, sb.castlingRookHome);
    }

    if (capturedSlot != EmptySlot || oldType == pawn)
        state.halfmoveClock = 0;
    else
        ++state.halfmoveClock;
    if (capturedSlot != EmptySlot || promotes) state.stageCode = searchStage(state);
    state.lastMove = static_cast<std::uint16_t>(move & 0xFFFF);
}

void updateNodeStateNull(NodeState& state) {
    toggleKey(state, WhiteToMoveKey);
    toggleKey(state, BlackToMoveKey);
    state.lastMove = 0;
    state.halfmoveClock = 0;
}

template void updateCastlingStates<White>(std::array<std::int16_t, 4>&, Move, int, int);
template void updateCastlingStates<Black>(std::array<std::int16_t, 4>&, Move, int, int);
template void updateNodeState<White>(const SearchBoard&, NodeState&, Move, int);
template void updateNodeState<Black>(const SearchBoard&, NodeState&, Move, int);

}  // namespace halberd::board
