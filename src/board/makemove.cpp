#include "board/makemove.h"

#include <bit>
#include <optional>

#include "board/castling.h"
#include "board/gameboard.h"
#include "board/keys.h"
#include "board/tables.h"

namespace halberd::board {

namespace {

bool rayClear(const Position& p, int from, int target, int d) {
    for (int sq = from + d; sq != target; sq += d)
        if (p.board[sq] != EmptySlot) return false;
    return true;
}

template <Colour A>
bool attackedBy(const Position& p, int target) {
    if (target == OffBoard) return false;
    for (int slot = slotBase(A); slot < slotBase(A) + 16; ++slot) {
        const int from = p.slotSquare[slot];
        if (from == OffBoard) continue;
        const int d = DirectionTable[from][target];
        if (d == 0) continue;
        const int type = p.slotType[slot];
        switch (lineKindOf(d)) {
            case LineDiagonal:
                if (type == Queen || type == Bishop) {
                    if (rayClear(p, from, target, d)) return true;
                } else if (from + d == target) {
                    // Pawns attack only diagonally forwards.
                    if (type == King || (type == pawnOf(A) && d * pawnPush(A) > 0)) return true;
                }
                break;
            case LineOrthogonal:
                if (type == Queen || type == Rook) {
                    if (rayClear(p, from, target, d)) return true;
                } else if (type == King && from + d == target) {
                    return true;
                }
                break;
            case LineKnight:
                if (type == Knight) return true;
                break;
            default: break;
        }
    }
    return false;
}

void loseRight(Position& p, int index) {
    if (p.castling[index] == 0) p.castling[index] = -1;
}

// Takes slot c off the board (its square entry is the caller's) and updates
// balances, counts and the castling right a captured rook carried.
void removeCaptured(Position& p, int c) {
    const Colour colour = slotColour(c);
    const int type = p.slotType[c];
    const int sign = colour == White ? 1 : -1;
    p.slotSquare[c] = OffBoard;
    p.materialMg -= sign * PieceValueMg[type];
    p.materialEg -= sign * PieceValueEg[type];
    if (isPawnType(type)) {
        --p.pawnCount[colour];
    } else {
        --p.pieceCount[colour];
        p.nonPawnMaterial[colour] -= p.slotValue[c];
    }
    const int own = c & 15;
    if (own == KingRookSlot) loseRight(p, shortCastleIndex(colour));
    if (own == QueenRookSlot) loseRight(p, longCastleIndex(colour));
}

void moveSlot(Position& p, int slot, int from, int to) {
    p.board[from] = EmptySlot;
    p.board[to] = slot;
    p.slotSquare[slot] = to;
}

// Castling lifts the king and its rook before setting them down: either may
// land where the other stood (Chess960).
template <Colour C>
void castle(Position& p, int kind) {
    const int king = slotBase(C) + KingSlot;
    const int rook = castleRookSlot(C, kind);
    p.board[p.slotSquare[king]] = EmptySlot;
    p.board[p.slotSquare[rook]] = EmptySlot;
    p.slotSquare[king] = castleKingTarget(C, kind);
    p.slotSquare[rook] = castleRookTarget(C, kind);
    p.board[p.slotSquare[king]] = king;
    p.board[p.slotSquare[rook]] = rook;
    p.castling[castleIndex(C, kind)] = 1;
    p.castling[castleIndex(C, kind == CastleShort ? CastleLong : CastleShort)] = -1;
}

template <Colour C>
void applyMove(Position& p, Move move) {
    using S = ColourTraits<C>;
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int kind = moveKind(move);
    p.lastMove = static_cast<std::int32_t>(move & 0xFFFF);
    if (isCastleKind(kind)) {
        castle<C>(p, kind);
        return;
    }
    const int s = p.board[from];
    const int captured = p.board[to];
    moveSlot(p, s, from, to);
    if (captured != EmptySlot) removeCaptured(p, captured);
    switch (kind) {
        case EnPassant: {
            const int victimSquare = to - S::forward;
            const int victim = p.board[victimSquare];
            p.board[victimSquare] = EmptySlot;
            if (victim != EmptySlot) removeCaptured(p, victim);
            break;
        }
        case Ordinary:
            // A king or rook leaving home gives up the rights it carried.
            if (s == slotBase(S::us) + KingSlot) {
                loseRight(p, shortCastleIndex(S::us));
                loseRight(p, longCastleIndex(S::us));
            } else if (s == slotBase(S::us) + KingRookSlot) {
                loseRight(p, shortCastleIndex(S::us));
            } else if (s == slotBase(S::us) + QueenRookSlot) {
                loseRight(p, longCastleIndex(S::us));
            }
            break;
        default: {
            const PieceType type = promotionType(kind);
            const int value = slotValueOfType(type);
            --p.pawnCount[C];
            ++p.pieceCount[C];
            p.slotType[s] = type;
            p.slotValue[s] = value;
            p.nonPawnMaterial[C] += value;
            p.materialMg += S::sign * (PieceValueMg[type] - PieceValueMg[pawnOf(S::us)]);
            p.materialEg += S::sign * (PieceValueEg[type] - PieceValueEg[pawnOf(S::us)]);
            break;
        }
    }
}

// The square a pawn of side C passed over with `move` (already applied to the
// record) when an enemy pawn stands beside it, else 0.
template <Colour C>
int passedOverSquare(const Position& p, Move move) {
    using S = ColourTraits<C>;
    const int from = moveFrom(move);
    const int to = moveTo(move);
    if (move == 0 || rankOf(from) != S::doubleStepFromRank || rankOf(to) != S::doubleStepToRank ||
        to - from != 2 * S::forward)
        return 0;
    const int s = p.board[to];
    if ((s & ColourMask) != S::ownBits || p.slotType[s] != pawnOf(S::us)) return 0;
    const auto enemyPawnOn = [&](int sq) {
        const int e = p.board[sq];
        return (e & ColourMask) == S::enemyBits && p.slotType[e] == pawnOf(S::enemy);
    };
    const bool beside = (fileOf(to) > 0 && enemyPawnOn(to - 1)) || (fileOf(to) < 7 && enemyPawnOn(to + 1));
    return beside ? to - S::forward : 0;
}

constexpr std::array<int, 4> PromotionKinds = {PromoteQueen, PromoteRook, PromoteBishop, PromoteKnight};

// Pseudo-legal moves of side G into list; `justPlayed` is the opponent's move
// that produced the position (for en passant). Returns the count.
template <Colour G>
int generate(Move* list, const Position& p, Move justPlayed, bool capturesOnly) {
    using S = ColourTraits<G>;
    const Move mark = capturesOnly ? 0 : CaptureMark;
    const auto isEnemy = [&](int occupant) { return (occupant & ColourMask) == S::enemyBits; };
    int n = 0;
    const auto promotions = [&](int from, int to, Move extra) {
        for (const int kind : PromotionKinds) list[n++] = makeMove(from, to, kind) | extra;
    };
    for (int slot = slotBase(S::us); slot < slotBase(S::us) + 16; ++slot) {
        const int from = p.slotSquare[slot];
        if (from == OffBoard) continue;
        const int type = p.slotType[slot];
        if (type == pawnOf(S::us)) {
            const PawnCell& cell = PawnMoveTable[G][from];
            for (int i = 0; cell[i].target != OffBoard;) {
                const PawnEntry& e = cell[i];
                const int occupant = p.board[e.target];
                if (e.flags & PawnPush) {
                    if (occupant != EmptySlot) {
                        i += e.skip;  // a blocked single push also blocks the double push
                        continue;
                    }
                    if (e.flags & PawnPromotes)
                        promotions(from, e.target, 0);
                    else if (!capturesOnly)
                        list[n++] = makeMove(from, e.target);
                } else if (isEnemy(occupant)) {
                    if (e.flags & PawnPromotes)
                        promotions(from, e.target, mark);
                    else
                        list[n++] = makeMove(from, e.target) | mark;
                }
                ++i;
            }
        } else {
            const PieceCell& cell = PieceMoveTable[G][type][from];
            for (int i = 0; cell[i].target != OffBoard;) {
                const int occupant = p.board[cell[i].target];
                if (occupant == EmptySlot) {
                    if (!capturesOnly) list[n++] = makeMove(from, cell[i].target);
                    ++i;
                } else {
                    if (isEnemy(occupant)) list[n++] = makeMove(from, cell[i].target) | mark;
                    i += cell[i].skip;
                }
            }
        }
    }
    // En passant exists only right after the enemy pawn's double step.
    const int passed = passedOverSquare<S::enemy>(p, justPlayed);
    if (passed != 0) {
        const int arrival = moveTo(justPlayed);
        const auto capturer = [&](int sq) {
            const int s = p.board[sq];
            if ((s & ColourMask) == S::ownBits && p.slotType[s] == pawnOf(S::us))
                list[n++] = makeMove(sq, passed, EnPassant) | mark;
        };
        if (fileOf(arrival) > 0) capturer(arrival - 1);
        if (fileOf(arrival) < 7) capturer(arrival + 1);
    }
    if (!capturesOnly) {
        // Attacks on the king's path are tested when the castling move is played.
        const int king = p.slotSquare[slotBase(S::us) + KingSlot];
        for (const int kind : {CastleShort, CastleLong}) {
            const int rook = p.slotSquare[castleRookSlot(G, kind)];
            if (p.castling[castleIndex(G, kind)] != 0 || !rookCanCastle(G, kind, king, rook)) continue;
            bool clear = true;
            for (SquareSet path = castlingPath(G, kind, king, rook); path != 0 && clear; path &= path - 1)
                clear = p.board[std::countr_zero(path)] == EmptySlot;
            if (clear) list[n++] = castleMove(king, rook, kind);
        }
    }
    list[n] = 0;
    return n;
}

}  // namespace

bool squareAttacked(const Position& position, int target, Colour attacker) {
    return attacker == White ? attackedBy<White>(position, target) : attackedBy<Black>(position, target);
}

template <Colour C>
Move playMove(Move* list, Move move, int capturesOnly, Position& position) {
    using S = ColourTraits<C>;
    Position copy = position;
    if (move != 0) applyMove<C>(copy, move);

    // The mover's king may not stand, pass or start castling on an attacked square.
    if (attackedBy<S::enemy>(copy, copy.slotSquare[slotBase(S::us) + KingSlot])) return move | IllegalFlag;
    const int kind = moveKind(move);
    if (isCastleKind(kind)) {
        // Not out of check (on the board before the move: the rook may now
        // shield a king that does not move), nor through it.
        const int origin = moveFrom(move);
        if (attackedBy<S::enemy>(position, origin)) return move | IllegalFlag;
        const int target = castleKingTarget(C, kind);
        const int step = target > origin ? 1 : -1;
        for (int s = origin + step; s != target && origin != target; s += step)
            if (attackedBy<S::enemy>(copy, s)) return move | IllegalFlag;
    }
    if (list == nullptr) return move;

    // With move 0 the record's own last move decides about en passant.
    const Move justPlayed = move != 0 ? move : static_cast<Move>(copy.lastMove);
    const int count = generate<S::enemy>(list, copy, justPlayed, capturesOnly != 0);
    MoveList legal;
    int legalCount = 0;
    for (int i = 0; i < count; ++i) {
        const Move reply = playMove<S::enemy>(nullptr, list[i], 0, copy);
        list[i] = reply;
        if ((reply & IllegalFlag) == 0) legal[legalCount++] = reply;
    }
    position = copy;

    // A captures-only list says nothing about mate or stalemate.
    if (legalCount == 0 && !capturesOnly) {
        const bool inCheck = (playMove<S::enemy>(nullptr, 0, 0, copy) & IllegalFlag) != 0;
        return inCheck ? MateFlag : StalemateFlag;
    }
    for (int i = 0; i < legalCount; ++i) list[i] = legal[i];
    list[legalCount] = 0;
    return insufficientMaterial(copy) ? DeadDrawFlag : move;
}

template Move playMove<White>(Move* list, Move move, int capturesOnly, Position& position);
template Move playMove<Black>(Move* list, Move move, int capturesOnly, Position& position);

bool insufficientMaterial(const Position& position) {
    // Men other than the king of each side: count and the first one found.
    std::array<int, 2> count{};
    std::array<int, 2> found{};
    for (int slot = 0; slot < 32; ++slot) {
        if ((slot & 15) == KingSlot || position.slotSquare[slot] == OffBoard) continue;
        const Colour c = slotColour(slot);
        if (++count[c] > 1) return false;
        found[c] = slot;
    }
    if (count[White] == 0 && count[Black] == 0) return true;
    const auto minor = [&](int slot) { return position.slotType[slot] == Bishop || position.slotType[slot] == Knight; };
    if (count[White] + count[Black] == 1) return minor(count[White] ? found[White] : found[Black]);
    // One man each: only bishops running on squares of one colour.
    if (position.slotType[found[White]] != Bishop || position.slotType[found[Black]] != Bishop) return false;
    const int a = position.slotSquare[found[White]];
    const int b = position.slotSquare[found[Black]];
    return ((fileOf(a) + rankOf(a)) & 1) == ((fileOf(b) + rankOf(b)) & 1);
}

bool resetsHalfmoveClock(Move move, const Position& position) {
    if (isCastle(move)) return false;
    const int s = position.board[moveFrom(move)];
    return isPawnType(position.slotType[s]) || position.board[moveTo(move)] != EmptySlot || moveKind(move) == EnPassant;
}

bool isIrreversible(const GameBoard& game, Move move, Colour side) {
    const int s = game.board[moveFrom(move)];
    if (moveKind(move) != Ordinary || isPawnType(game.slotType[s]) || game.board[moveTo(move)] != EmptySlot)
        return true;
    const Colour c = side == White ? White : Black;
    const int base = slotBase(c);
    const int shortState = game.castling[shortCastleIndex(c)];
    const int longState = game.castling[longCastleIndex(c)];
    // Moves that give up a castling right cannot be undone either.
    const bool kingMoves = s == base + KingSlot;
    const bool shortLost = shortState == 0 && (kingMoves || s == base + KingRookSlot);
    const bool longLost = longState == 0 && (kingMoves || s == base + QueenRookSlot);
    return shortLost || longLost;
}

int enPassantSquare(Move move, const Position& position) {
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int s = position.board[from];
    if (!isPawnType(position.slotType[s]) || (to - from != 16 && from - to != 16)) return 0;
    const int enemyPawn = position.slotType[s] == WhitePawn ? BlackPawn : WhitePawn;
    const auto enemyOn = [&](int sq) { return position.slotType[position.board[sq]] == enemyPawn; };
    const bool beside = (fileOf(to) > 0 && enemyOn(to - 1)) || (fileOf(to) < 7 && enemyOn(to + 1));
    return beside ? (from < to ? from : to) + 8 : 0;
}

namespace {

Move playForSide(Colour side, Move* list, Move move, Position& position) {
    return side == White ? playWhiteMove(list, move, 0, position) : playBlackMove(list, move, 0, position);
}

// The start position counts as an earlier occurrence when the number of half-moves is even.
bool initialPositionRecurs(const GameBoard& game) {
    if (game.plyCounter < 0 || (game.plyCounter + 1) % 2 != 0) return false;
    const std::optional<HistoryEntry> start = reversibleStartEntry(game);
    return start && start->keyHigh == game.scratch.hashKeyHigh &&
           start->keyLow16 == static_cast<std::uint16_t>(game.scratch.hashKeyLow >> 16);
}

}  // namespace

Move listLegalMoves(GameBoard& game) {
    loadScratch(game, game.scratch);
    game.legalMoves[0] = 0;
    // Move 0 "played" by the side not to move lists the replies of the side to move.
    return playForSide(opponent(game.sideToMove), game.legalMoves.data(), 0, game.scratch);
}

int playGameMove(GameBoard& game, Move move) {
    // Castling may come as O-O (its kind), as the king's two squares, or as the
    // king taking its own rook (Chess960 interfaces).
    const int king = game.slotSquare[slotBase(game.sideToMove) + KingSlot];
    const int onTarget = game.board[moveTo(move)];
    int castling = isCastle(move) ? moveKind(move) : Ordinary;
    if (castling == Ordinary && moveFrom(move) == king && onTarget != EmptySlot &&
        slotColour(onTarget) == game.sideToMove && game.slotType[onTarget] == Rook)
        castling = moveTo(move) > king ? CastleShort : CastleLong;
    const Move* listed = nullptr;
    for (const Move* m = game.legalMoves.data(); *m != 0; ++m)
        if (castling != Ordinary ? moveKind(*m) == castling : sameSquares(*m, move)) {
            listed = m;
            break;
        }
    if (listed == nullptr) return ResultNoSuchMove;
    if (isPromotion(*listed)) {
        if (!isPromotion(move)) return ResultNeedsPromotion;
        while (*listed != 0 && !sameMove(*listed, move)) ++listed;
        if (*listed == 0) return ResultNoSuchMove;
    }
    const Move played = *listed & 0xFFFF;
    const Colour mover = game.sideToMove;

    // Everything is worked out on copies first: an illegal move changes nothing.
    Position next = game.scratch;
    loadScratch(game, next);
    next.lastMove = static_cast<std::int32_t>(played);
    next.halfmoveClock = resetsHalfmoveClock(played, next) ? 0 : next.halfmoveClock + 1;
    HistoryEntry entry{};
    entry.move = static_cast<std::uint16_t>(played);
    entry.castling = packCastling(game);
    entry.flags = static_cast<std::uint8_t>(capturedSlot(game, played));
    if (isIrreversible(game, played, mover)) entry.flags |= HistoryIrreversible;
    const int ep = enPassantSquare(played, next);
    MoveList replies;
    const Move result = playForSide(mover, replies.data(), played, next);
    if (result & IllegalFlag) return ResultLeavesKingAttacked;

    game.scratch = next;
    game.legalMoves = replies;
    game.lastMove = static_cast<int>(played);
    game.epSquare = ep;
    storeScratch(game, game.scratch);
    game.sideToMove = opponent(mover);
    computeKeys(game.scratch, game.sideToMove);
    entry.keyHigh = game.scratch.hashKeyHigh;
    entry.keyLow16 = static_cast<std::uint16_t>(game.scratch.hashKeyLow >> 16);
    if (game.sideToMove == Black) entry.flags |= HistoryBlackToMove;
    game.historyTop = game.plyCounter;
    ++game.plyCounter;
    pushHistory(game, entry);

    if (result & MateFlag) {
        game.gameResult = ResultMate;
        return ResultMate;
    }
    if (result & StalemateFlag) {
        game.gameResult = ResultStalemate;
        return ResultStalemate;
    }
    if (result & DeadDrawFlag) return ResultDeadMaterial;
    if (game.scratch.halfmoveClock < 4) return ResultPlayed;
    const int repeats = repetitionCount(game, game.sideToMove, game.scratch) + (initialPositionRecurs(game) ? 1 : 0);
    if (repeats > 1) return ResultRepetition;
    return game.scratch.halfmoveClock == 100 ? ResultFiftyMoves : ResultPlayed;
}

}  // namespace halberd::board

namespace halberd::board {

std::optional<HistoryEntry> reversibleStartEntry(const GameBoard& game) {
    if (game.plyCounter < 0) return std::nullopt;
    for (int i = 0; i <= game.plyCounter; ++i) {
        const HistoryEntry& e = game.history[static_cast<std::size_t>(i)];
        if (e.move == 0 || (e.flags & HistoryIrreversible)) return std::nullopt;
    }
    GameBoard start = game;
    for (int i = game.plyCounter; i >= 0; --i) unmakeGameMove(start, game.history[static_cast<std::size_t>(i)]);
    unpackCastling(start, game.history[0].castling);
    Position p = game.scratch;
    loadScratch(start, p);
    computeKeys(p, start.sideToMove);
    HistoryEntry entry{};
    entry.keyHigh = p.hashKeyHigh;
    entry.keyLow16 = static_cast<std::uint16_t>(p.hashKeyLow >> 16);
    entry.castling = game.history[0].castling;
    entry.flags = static_cast<std::uint8_t>(HistoryIrreversible | (start.sideToMove == Black ? HistoryBlackToMove : 0));
    return entry;
}

void unmakeGameMove(GameBoard& game, const HistoryEntry& entry) {
    const Move move = entry.move;
    const Colour mover = game.sideToMove == White ? Black : White;
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int kind = moveKind(move);
    const int base = slotBase(mover);
    if (isCastleKind(kind)) {
        const int rook = castleRookSlot(mover, kind);
        game.board[castleKingTarget(mover, kind)] = EmptySlot;
        game.board[castleRookTarget(mover, kind)] = EmptySlot;
        const int rookHome = game.castlingRookHome[static_cast<std::size_t>(castleIndex(mover, kind))];
        game.board[from] = base + KingSlot;
        game.board[rookHome] = rook;
        game.slotSquare[base + KingSlot] = from;
        game.slotSquare[rook] = rookHome;
        game.sideToMove = mover;
        return;
    }
    const int s = game.board[to];
    game.board[to] = EmptySlot;
    game.board[from] = s;
    game.slotSquare[s] = from;
    const int captured = entry.flags & 63;
    if (captured != EmptySlot) {
        const int at = kind == EnPassant ? to - pawnPush(mover) : to;
        game.board[at] = captured;
        game.slotSquare[captured] = at;
    }
    if (isPromotion(move)) {
        game.slotType[s] = pawnOf(mover);
        game.slotValue[s] = PawnValue;
    }
    game.sideToMove = mover;
}

void replayMove(GameBoard& game, Move stored) {
    const Move move = stored & 0xFFFF;
    Position next = game.scratch;
    loadScratch(game, next);
    next.halfmoveClock = resetsHalfmoveClock(move, next) ? 0 : next.halfmoveClock + 1;
    MoveList replies;
    if (playForSide(game.sideToMove, replies.data(), move, next) & IllegalFlag) return;
    game.scratch = next;
    storeScratch(game, next);
    game.sideToMove = opponent(game.sideToMove);
}

int gotoPly(GameBoard& game, int target) {
    int t = target;
    if (target == GotoBack) t = game.plyCounter >= 0 ? game.plyCounter : -1;
    if (target == GotoForward) t = game.plyCounter + 2;
    if (target == GotoEnd) t = game.historyTop + 1;
    if (t < 0 || t > game.historyTop + 1) return 1;

    if (t <= game.plyCounter) {
        for (int i = game.plyCounter; i >= t; --i) unmakeGameMove(game, game.history[static_cast<std::size_t>(i)]);
        unpackCastling(game, game.history[static_cast<std::size_t>(t)].castling);
        game.scratch.halfmoveClock = t == 0 ? game.startHalfmoveClock : 0;
        game.gameResult = 0;
        if (t - 1 < 20) game.bookMissesLeft = 10;
    } else {
        for (int i = game.plyCounter + 1; i < t; ++i) replayMove(game, game.history[static_cast<std::size_t>(i)].move);
    }
    game.plyCounter = t - 1;
    game.lastMove = 0;

    // The record keeps the move that led here, so that a possible en-passant
    // capture stays in the list and in epSquare; in the first position that is
    // the double step its set-up implied.
    Position& p = game.scratch;
    p.lastMove = game.plyCounter >= 0 ? game.history[static_cast<std::size_t>(game.plyCounter)].move
                                      : static_cast<std::int32_t>(game.startLastMove);
    const Move result = listLegalMoves(game);
    if (result & MateFlag) game.gameResult = ResultMate;
    if (result & StalemateFlag) game.gameResult = ResultStalemate;
    game.epSquare = game.sideToMove == White ? passedOverSquare<Black>(p, static_cast<Move>(p.lastMove))
                                             : passedOverSquare<White>(p, static_cast<Move>(p.lastMove));
    computeKeys(p, game.sideToMove);
    return 0;
}

}  // namespace halberd::board
