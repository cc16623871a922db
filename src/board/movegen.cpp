#include "board/movegen.h"

#include "board/diagnostics.h"
#include "board/tables.h"

namespace halberd::board {

namespace {

// Attack classes of a (from, to) square pair, ignoring what stands between.
constexpr std::uint8_t AttackKing = 1;        // adjacent on any line
constexpr std::uint8_t AttackKnight = 2;      // a knight's jump apart
constexpr std::uint8_t AttackOrthogonal = 4;  // same rank or file
constexpr std::uint8_t AttackDiagonal = 8;    // same diagonal
constexpr std::uint8_t AttackWhitePawn = 16;  // to is one diagonal step ahead of from for White
constexpr std::uint8_t AttackBlackPawn = 32;
constexpr std::uint8_t AttackSliders = AttackOrthogonal | AttackDiagonal;

// Row 64 (OffBoard) is all zero, so captured slots need no separate test.
constexpr std::array<std::array<std::uint8_t, 64>, 65> AttackClasses = [] {
    std::array<std::array<std::uint8_t, 64>, 65> t{};
    for (int from = 0; from < 64; ++from)
        for (int to = 0; to < 64; ++to) {
            const int d = DirectionTable[from][to];
            if (d == 0) continue;
            const int kind = lineKindOf(d);
            const bool adjacent = from + d == to && kind != LineKnight;
            std::uint8_t m = 0;
            if (kind == LineKnight) m |= AttackKnight;
            if (kind == LineOrthogonal) m |= AttackOrthogonal;
            if (kind == LineDiagonal) {
                m |= AttackDiagonal;
                if (adjacent && d > 0) m |= AttackWhitePawn;
                if (adjacent && d < 0) m |= AttackBlackPawn;
            }
            if (adjacent) m |= AttackKing;
            t[from][to] = m;
        }
    return t;
}();

// The attack classes each piece type uses, by PieceType.
constexpr std::array<std::uint8_t, 8> TypeAttacks = {AttackKing,   AttackSliders,   AttackOrthogonal, AttackDiagonal,
                                                     AttackKnight, AttackWhitePawn, AttackBlackPawn,  0};

constexpr int EnPassantKey = 6000;
constexpr int CaptureKeyBase = 6000;
constexpr int QueenPromotionKey = 10614;

inline Move withKey(Move m, int key) { return m | (static_cast<Move>(key) << 16); }

inline bool isEmpty(const SearchBoard& sb, int square) { return sb.board[square] == EmptySlot; }

// The square of the pawn an en-passant capture onto `to` removes.
template <Colour C>
constexpr int enPassantVictim(int to) {
    return to - pawnPush(C);
}

// The pawns of C that may capture en passant after the opponent's last move,
// written into `out` (at most two); returns how many.
template <Colour C>
inline int enPassantCapturers(const SearchBoard& sb, int lastFrom, int lastTo, int* out) {
    using S = ColourTraits<C>;
    if (lastTo == lastFrom || sb.slotType[sb.board[lastTo]] != pawnOf(S::enemy)) return 0;
    if (rankOf(lastFrom) != S::enemyDoubleFrom || rankOf(lastTo) != S::enemyDoubleTo) return 0;
    int n = 0;
    if (fileOf(lastTo) > 0 && sb.slotType[sb.board[lastTo - 1]] == pawnOf(S::us)) out[n++] = lastTo - 1;
    if (fileOf(lastTo) < 7 && sb.slotType[sb.board[lastTo + 1]] == pawnOf(S::us)) out[n++] = lastTo + 1;
    return n;
}

inline Move* emitPromotions(Move* out, Move base) {
    out[0] = base | (PromoteQueen << 12);
    out[1] = base | (PromoteRook << 12);
    out[2] = base | (PromoteBishop << 12);
    out[3] = base | (PromoteKnight << 12);
    return out + 4;
}

// Is the open line from `from` (exclusive) to `to` (exclusive) along d empty?
inline bool lineClear(const SearchBoard& sb, int from, int to, int d) {
    for (int s = from + d; s != to; s += d)
        if (!isEmpty(sb, s)) return false;
    return true;
}

// The sliding line from one square through another, packed in one word: the
// unit step (0 when the squares share no rank, file or diagonal) in the low
// byte, the number of steps to the board's edge in the next, and the slider
// type besides the queen that moves along it in the third.
constexpr std::array<std::array<std::uint32_t, 64>, 64> SlidingLines = [] {
    std::array<std::array<std::uint32_t, 64>, 64> t{};
    for (int from = 0; from < 64; ++from)
        for (int through = 0; through < 64; ++through) {
            const int d = DirectionTable[from][through];
            const int line = lineKindOf(d);
            if (line != LineOrthogonal && line != LineDiagonal) continue;
            int length = 0;
            for (int s = from; detail::stepOnBoard(s, d); s += d) ++length;
            const int slider = line == LineOrthogonal ? Rook : Bishop;
            t[from][through] = static_cast<std::uint8_t>(d) | static_cast<std::uint32_t>(length) << 8 |
                               static_cast<std::uint32_t>(slider) << 16;
        }
    return t;
}();

// Does the first piece on the line from `square` through `through` belong to a
// slider of colour A that moves along that line? The square `vacated` counts as
// empty: a piece about to leave it is pinned when the answer is yes.
template <Colour A>
bool sliderBehind(const SearchBoard& sb, int square, int through, int vacated = OffBoard) {
    const std::uint32_t line = SlidingLines[square][through];
    const int step = static_cast<std::int8_t>(line & 0xFF);
    int s = square;
    for (int n = static_cast<int>((line >> 8) & 0xFF); n > 0; --n) {
        s += step;
        const int slot = sb.board[s];
        if (slot == EmptySlot || s == vacated) continue;
        if ((slot & ColourMask) != (A == White ? 0 : 16)) return false;
        const int type = sb.slotType[slot];
        return type == Queen || type == static_cast<int>(line >> 16);
    }
    return false;
}

}  // namespace

template <Colour C>
bool squareAttacked(const SearchBoard& sb, int square) {
    constexpr int base = slotBase(C);
    // Pawns: the two squares from which a pawn of C would take on the square.
    constexpr int behind = -pawnPush(C);
    const int pawnRank = rankOf(square) + (C == White ? -1 : 1);
    if (pawnRank >= 0 && pawnRank <= 7) {
        const int f = fileOf(square);
        if (f > 0 && sb.slotType[sb.board[square + behind - 1]] == pawnOf(C)) return true;
        if (f < 7 && sb.slotType[sb.board[square + behind + 1]] == pawnOf(C)) return true;
    }
    // Pieces, including promoted ones in pawn slots; captured pieces sit on row 64 of the table.
    const auto attacks = [&](int slot) {
        const int from = sb.slotSquare[slot];
        const int classes = AttackClasses[from][square] & TypeAttacks[sb.slotType[slot]];
        if (classes == 0) return false;
        return (classes & AttackSliders) == 0 || lineClear(sb, from, square, DirectionTable[from][square]);
    };
    for (int slot = base; slot < base + FirstPawnSlot; ++slot)
        if (attacks(slot)) return true;
    for (int slot = base + FirstPawnSlot; slot < base + 16; ++slot)
        if (sb.slotType[slot] != pawnOf(C) && attacks(slot)) return true;
    return false;
}

template <Colour C>
bool inCheck(const SearchBoard& sb) {
    return squareAttacked<opponent(C)>(sb, sb.slotSquare[slotBase(C) + KingSlot]);
}

namespace {

// Calls visit(slot, from, type) for each man of side C on the board, in slot
// order: the order every move list of the search keeps.
template <Colour C, class Visit>
inline void forEachMan(const SearchBoard& sb, Visit&& visit) {
    for (int slot = slotBase(C); slot < slotBase(C) + 16; ++slot) {
        const int from = sb.slotSquare[slot];
        if (from != OffBoard) visit(slot, from, sb.slotType[slot]);
    }
}

template <Colour C>
Move* pawnMoves(const SearchBoard& sb, Move* out, int from) {
    constexpr int enemyBits = ColourTraits<C>::enemyBits;
    const PawnEntry* e = PawnMoveTable[C][from].data();
    while (e->target != OffBoard) {
        const int to = e->target;
        const int occupant = sb.board[to];
        const Move m = makeMove(from, to);
        if (e->flags & PawnPush) {
            if (occupant != EmptySlot) {
                e += e->skip;
                continue;
            }
            if (e->flags & PawnPromotes)
                out = emitPromotions(out, m);
            else
                *out++ = m;
        } else if ((occupant & ColourMask) == enemyBits) {
            if (e->flags & PawnPromotes)
                out = emitPromotions(out, m | CaptureMark);
            else
                *out++ = m | CaptureMark;
        }
        ++e;
    }
    return out;
}

template <Colour C>
Move* pieceMoves(const SearchBoard& sb, Move* out, int type, int from) {
    constexpr int enemyBits = ColourTraits<C>::enemyBits;
    const RayEntry* e = PieceMoveTable[C][type][from].data();
    while (e->target != OffBoard) {
        const int to = e->target;
        const int occupant = sb.board[to];
        if (occupant == EmptySlot) {
            *out++ = makeMove(from, to);
            ++e;
            continue;
        }
        if ((occupant & ColourMask) == enemyBits) *out++ = makeMove(from, to) | CaptureMark;
        e += e->skip;
    }
    return out;
}

// Captures and queen promotions of a pawn, keyed by victim minus attacker: the
// promotion by a push first, then the capture towards the a-file, then towards
// the h-file (the order of the pawn's move table).
template <Colour C>
Move* pawnCaptures(const SearchBoard& sb, Move* out, int from, int attacker) {
    using S = ColourTraits<C>;
    constexpr int enemyBits = S::enemyBits;
    constexpr int forward = S::forward;
    const bool promotes = rankOf(from) == S::seventhRank;
    if (promotes && sb.board[from + forward] == EmptySlot)
        *out++ = withKey(makeMove(from, from + forward, PromoteQueen), QueenPromotionKey);
    const auto capture = [&](int to) {
        const int occupant = sb.board[to];
        if ((occupant & ColourMask) != enemyBits) return;
        const int victim = sb.slotValue[occupant];
        *out++ = promotes ? withKey(makeMove(from, to, PromoteQueen) | CaptureMark, victim + QueenPromotionKey)
                          : withKey(makeMove(from, to) | CaptureMark, victim - attacker + CaptureKeyBase);
    };
    const int file = fileOf(from);
    if (file > 0) capture(from + forward - 1);
    if (file < 7) capture(from + forward + 1);
    return out;
}

// The rays of each piece type in the generators' direction order (colour,
// type): a slider's captures come ray by ray in the order of its move table.
struct RayOrder {
    std::array<std::int8_t, 8> rays;
    std::int8_t count;
};

constexpr std::array<std::array<RayOrder, 5>, 2> RayOrders = [] {
    std::array<std::array<RayOrder, 5>, 2> orders{};
    for (int c = 0; c < 2; ++c)
        for (int type = 0; type < 5; ++type) {
            const detail::Directions& dirs = detail::DirectionOrders[c][type];
            orders[c][type].count = static_cast<std::int8_t>(dirs.count);
            for (int i = 0; i < dirs.count; ++i)
                orders[c][type].rays[i] = static_cast<std::int8_t>(rayOfStep(dirs.offsets[i]));
        }
    return orders;
}();

static_assert(RayOrders[White][Queen].count == 8 && RayOrders[Black][Bishop].count == 4);

template <Colour C>
Move* pieceCaptures(const SearchBoard& sb, Move* out, int type, int from, int attacker) {
    const SquareSet enemies = sb.men[ColourTraits<C>::enemy];
    // Most pieces of a capture search reach no enemy man even on an empty board.
    if ((PieceReach[type][from] & enemies) == 0) return out;
    const auto emit = [&](int to) {
        *out++ = withKey(makeMove(from, to) | CaptureMark, sb.slotValue[sb.board[to]] - attacker + CaptureKeyBase);
    };
    if (type != King && type != Knight) {
        // A slider takes at most the first man of each ray.
        const RayOrder& order = RayOrders[C][type];
        for (int i = 0; i < order.count; ++i) {
            const int ray = order.rays[i];
            if ((Rays[ray][from] & enemies) == 0) continue;
            const int to = nearestOnRay(ray, Rays[ray][from] & sb.occupied);
            if (enemies & squareBit(to)) emit(to);
        }
        return out;
    }
    for (const RayEntry* e = PieceMoveTable[C][type][from].data(); e->target != OffBoard; ++e)
        if (enemies & squareBit(e->target)) emit(e->target);
    return out;
}

}  // namespace

template <Colour C>
int generateAll(const SearchBoard& sb, Move* list, int lastFrom, int lastTo, int checked,
                const std::array<std::int16_t, 4>& castling) {
    using S = ColourTraits<C>;
    Move* out = list;
    forEachMan<C>(sb, [&](int, int from, int type) {
        out = type == pawnOf(C) ? pawnMoves<C>(sb, out, from) : pieceMoves<C>(sb, out, type, from);
    });
    int capturers[2];
    const int n = enPassantCapturers<C>(sb, lastFrom, lastTo, capturers);
    for (int i = 0; i < n; ++i) *out++ = makeMove(capturers[i], lastTo + S::forward, EnPassant) | CaptureMark;
    if (!checked) {
        constexpr int shortIndex = shortCastleIndex(C);
        constexpr int longIndex = longCastleIndex(C);
        if (castling[shortIndex] == 0 && (sb.occupied & sb.castlingPath[shortIndex]) == 0)
            *out++ = sb.castlingMove[shortIndex];
        if (castling[longIndex] == 0 && (sb.occupied & sb.castlingPath[longIndex]) == 0)
            *out++ = sb.castlingMove[longIndex];
    }
    *out = NoMove;
    return static_cast<int>(out - list);
}

template <Colour C>
int generateCaptures(const SearchBoard& sb, Move* list, int lastFrom, int lastTo) {
    using S = ColourTraits<C>;
    Move* out = list;
    forEachMan<C>(sb, [&](int slot, int from, int type) {
        const int attacker = sb.slotValue[slot];
        out = type == pawnOf(C) ? pawnCaptures<C>(sb, out, from, attacker)
                                : pieceCaptures<C>(sb, out, type, from, attacker);
    });
    int capturers[2];
    const int n = enPassantCapturers<C>(sb, lastFrom, lastTo, capturers);
    for (int i = 0; i < n; ++i)
        *out++ = withKey(makeMove(capturers[i], lastTo + S::forward, EnPassant) | CaptureMark, EnPassantKey);
    *out = NoMove;
    return static_cast<int>(out - list);
}

template <Colour C>
int kingAttacked(const SearchBoard& sb, Move move, int wasInCheck) {
    using S = ColourTraits<C>;
    if (move == NoMove) return 0;
    constexpr Colour E = opponent(C);
    const int king = sb.slotSquare[slotBase(S::us) + KingSlot];
    const int kind = moveKind(move);
    const bool castles = isCastleKind(kind);
    if (!wasInCheck && moveTo(move) != king && !castles) {
        if (sliderBehind<E>(sb, king, moveFrom(move))) return 1;
        return kind == EnPassant && sliderBehind<E>(sb, king, enPassantVictim<C>(moveTo(move)));
    }
    if (squareAttacked<E>(sb, king)) return 1;
    if (castles) {
        // Castling through check is illegal, and so is castling out of it. Only
        // the king and its rook moved, along the back rank; a rank attack on the
        // king's path that one of them now blocks would reach the king's origin
        // or target as well, so the path is tested after the move. The origin
        // was tested before the move was generated unless the side was in check.
        const int origin = moveFrom(move);
        if (origin != king) {
            const int step = king > origin ? 1 : -1;
            for (int s = origin + step; s != king; s += step)
                if (squareAttacked<E>(sb, s)) return 1;
            if (wasInCheck && squareAttacked<E>(sb, origin)) return 1;
        } else if (wasInCheck) {
            // A king that stays may now be shielded by its rook from a rank attack.
            const int rookTo = castleRookTarget(C, kind);
            const int step = rookTo > king ? 1 : -1;
            for (int s = rookTo + step; s >= S::backRank && s < S::backRank + 8; s += step) {
                const int slot = sb.board[s];
                if (slot == EmptySlot) continue;
                if ((slot & ColourMask) == S::enemyBits && (sb.slotType[slot] == Rook || sb.slotType[slot] == Queen))
                    return 1;
                break;
            }
        }
    }
    return 0;
}

template <Colour C>
bool checksAfter(const SearchBoard& sb, Move move) {
    using S = ColourTraits<C>;
    const int king = sb.slotSquare[slotBase(S::enemy) + KingSlot];
    const int kind = moveKind(move);
    const int checker = isCastleKind(kind) ? castleRookTarget(C, kind) : moveTo(move);
    const int classes = AttackClasses[checker][king] & TypeAttacks[sb.slotType[sb.board[checker]]];
    if (classes != 0 && ((classes & AttackSliders) == 0 || lineClear(sb, checker, king, DirectionTable[checker][king])))
        return true;
    // Discovered checks open along a line through a square the move emptied;
    // the rook's corner and the king's origin open no line towards the enemy king.
    if (sliderBehind<C>(sb, king, moveFrom(move))) return true;
    return kind == EnPassant && sliderBehind<C>(sb, king, enPassantVictim<C>(moveTo(move)));
}

template <Colour C>
int countLegalMoves(SearchBoard& sb, const Move* list, int count, int checked) {
    constexpr Colour E = opponent(C);
    const int king = sb.slotSquare[slotBase(C) + KingSlot];
    int legal = 0;
    int pinnedFrom = OffBoard;  // the last origin tested, and whether its piece is pinned
    bool pinned = false;
    for (int i = 0; i < count; ++i) {
        const Move move = list[i];
        const int from = moveFrom(move);
        if (checked || from == king || moveKind(move) == EnPassant) {
            // Trial: evasions, king steps and castling, and en passant (two men leave one line).
            const int captured = applySearchMove<C>(sb, move);
            legal += kingAttacked<C>(sb, move, checked) ? 0 : 1;
            undoSearchMove<C>(sb, move, captured);
            continue;
        }
        if (from != pinnedFrom) {
            pinnedFrom = from;
            pinned = sliderBehind<E>(sb, king, from, from);
        }
        // A pinned piece may still move along the line of its pin.
        legal += !pinned || DirectionTable[king][moveTo(move)] == DirectionTable[king][from] ? 1 : 0;
    }
    return legal;
}

template <Colour C>
int givesCheck(const SearchBoard& sb, Move move, int kingSquare, const NodeState& state) {
    using S = ColourTraits<C>;
    if (kingSquare == OffBoard) return 0;
    const int from = moveFrom(move);
    int to = moveTo(move);
    const int kind = moveKind(move);

    // The squares the move empties and fills; the piece that may check directly.
    int vacated2 = from;
    int filled2 = to;
    int checker = to;
    int checkerType = sb.slotType[sb.board[from]];
    if (isCastleKind(kind)) {
        to = castleKingTarget(C, kind);
        vacated2 = sb.castlingRookHome[static_cast<std::size_t>(castleIndex(C, kind))];
        filled2 = castleRookTarget(C, kind);
        checker = filled2;
        checkerType = Rook;
    } else if (kind == EnPassant) {
        vacated2 = enPassantVictim<C>(to);
    } else if (isPromotion(move)) {
        checkerType = promotionType(kind);
    }
    const auto emptyAfter = [&](int s) {
        if (s == to || s == filled2) return false;
        return s == from || s == vacated2 || sb.board[s] == EmptySlot;
    };
    const auto openLine = [&](int a, int b, int d) {
        for (int s = a + d; s != b; s += d)
            if (!emptyAfter(s)) return false;
        return true;
    };

    if (checkerType != King) {
        const int d = DirectionTable[checker][kingSquare];
        const int classes = AttackClasses[checker][kingSquare] & TypeAttacks[checkerType];
        if (classes != 0 && ((classes & AttackSliders) == 0 || openLine(checker, kingSquare, d))) return 1;
    }

    // Discovered checks need a slider of the mover behind a square the move empties.
    if (state.counts[C == White ? CountWhitePieces : CountBlackPieces] < 1) return 0;
    for (const int v : {from, vacated2}) {
        const int d = DirectionTable[kingSquare][v];
        const int line = lineKindOf(d);
        if (line != LineOrthogonal && line != LineDiagonal) continue;
        int s = kingSquare;
        while (detail::stepOnBoard(s, d)) {
            s += d;
            if (emptyAfter(s)) continue;
            const int slot = sb.board[s];
            if ((slot & ColourMask) != S::ownBits) break;
            const int type = sb.slotType[slot];
            if (type == Queen || type == (line == LineOrthogonal ? Rook : Bishop)) return 1;
            break;
        }
        if (vacated2 == from) break;
    }
    return 0;
}

template <Colour C>
int hashMovePlausible(const SearchBoard& sb, Move move) {
    using S = ColourTraits<C>;
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int kind = moveKind(move);
    const int slot = sb.board[from];
    const int target = sb.board[to];
    const int type = sb.slotType[slot];
    if (isCastleKind(kind)) {
        // Only the castling the root's rights allow, with its rook at home and its path empty.
        const auto index = static_cast<std::size_t>(castleIndex(C, kind));
        if ((move & 0x7FFF) == sb.castlingMove[index] && slot == slotBase(C) + KingSlot &&
            sb.board[sb.castlingRookHome[index]] == castleRookSlot(C, kind) &&
            (sb.occupied & sb.castlingPath[index]) == 0)
            return 1;
        internalErrorCode(ErrorImplausibleHashMove);
        return 0;
    }
    bool fits = (slot & ColourMask) == S::ownBits && (target & ColourMask) != S::ownBits;
    if (fits) {
        switch (lineKindOf(DirectionTable[from][to])) {
            case LineDiagonal: fits = type != Rook && type != Knight; break;
            case LineKnight: fits = type == Knight; break;
            case LineOrthogonal: fits = type != Bishop && type != Knight; break;
            default: fits = false;
        }
    }
    // Special kinds move or retype pieces beyond the from- and to-square; they
    // must find those pieces in place, or applying the move would corrupt the board.
    if (fits) {
        const bool pawn = type == pawnOf(S::us);
        const bool toLastRank = rankOf(to) == S::lastRank;
        switch (kind) {
            case EnPassant:
                fits = pawn && target == EmptySlot && (to == from + S::forward - 1 || to == from + S::forward + 1) &&
                       rankOf(from) == S::enemyDoubleTo &&
                       sb.slotType[sb.board[enPassantVictim<C>(to)]] == pawnOf(S::enemy);
                break;
            case Ordinary: fits = !(pawn && toLastRank); break;
            default: fits = pawn && toLastRank && rankOf(from) == S::seventhRank;
        }
    }
    if (!fits) {
        internalErrorCode(ErrorImplausibleHashMove);
        return 0;
    }
    return 1;
}

// Castling lifts the king and its rook and sets them down again: in Chess960
// either may land where the other stood, or stay where it is.
template <Colour C>
void shiftCastlers(SearchBoard& sb, int kind, int kingFrom, int kingTo, int rookFrom, int rookTo) {
    const int rook = castleRookSlot(C, kind);
    sb.board[kingFrom] = EmptySlot;
    sb.board[rookFrom] = EmptySlot;
    sb.board[kingTo] = slotBase(C) + KingSlot;
    sb.board[rookTo] = rook;
    sb.slotSquare[slotBase(C) + KingSlot] = kingTo;
    sb.slotSquare[rook] = rookTo;
    const SquareSet lifted = squareBit(kingFrom) | squareBit(rookFrom);
    const SquareSet placed = squareBit(kingTo) | squareBit(rookTo);
    sb.occupied = (sb.occupied & ~lifted) | placed;
    sb.men[C] = (sb.men[C] & ~lifted) | placed;
}

template <Colour C>
int applySearchMove(SearchBoard& sb, Move move) {
    using S = ColourTraits<C>;
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int kind = moveKind(move);
    if (isCastleKind(kind)) {
        shiftCastlers<C>(sb, kind, from, castleKingTarget(C, kind),
                         sb.castlingRookHome[static_cast<std::size_t>(castleIndex(C, kind))], castleRookTarget(C, kind));
        return EmptySlot;
    }
    const int slot = sb.board[from];
    int captured;
    if (kind == EnPassant) {
        const int victimSquare = enPassantVictim<C>(to);
        captured = sb.board[victimSquare];
        sb.board[victimSquare] = EmptySlot;
        sb.slotSquare[captured] = OffBoard;
        sb.occupied ^= squareBit(victimSquare);
        sb.men[S::enemy] ^= squareBit(victimSquare);
    } else {
        captured = sb.board[to];
        if (captured != EmptySlot) {
            sb.slotSquare[captured] = OffBoard;
            sb.men[S::enemy] ^= squareBit(to);
        }
    }
    sb.board[from] = EmptySlot;
    sb.board[to] = slot;
    sb.slotSquare[slot] = to;
    sb.occupied = (sb.occupied & ~squareBit(from)) | squareBit(to);
    sb.men[S::us] ^= squareBit(from) | squareBit(to);
    if (isPromotion(move)) {
        const int type = promotionType(kind);
        sb.slotType[slot] = type;
        sb.slotValue[slot] = slotValueOfType(type);
    }
    return captured;
}

template <Colour C>
void undoSearchMove(SearchBoard& sb, Move move, int capturedSlot) {
    using S = ColourTraits<C>;
    const int from = moveFrom(move);
    const int to = moveTo(move);
    const int kind = moveKind(move);
    if (isCastleKind(kind)) {
        shiftCastlers<C>(sb, kind, castleKingTarget(C, kind), from, castleRookTarget(C, kind),
                         sb.castlingRookHome[static_cast<std::size_t>(castleIndex(C, kind))]);
        return;
    }
    const int slot = sb.board[to];
    sb.board[from] = slot;
    sb.slotSquare[slot] = from;
    sb.occupied |= squareBit(from);
    sb.men[S::us] ^= squareBit(from) | squareBit(to);
    if (kind == EnPassant) {
        const int victimSquare = enPassantVictim<C>(to);
        sb.board[to] = EmptySlot;
        sb.board[victimSquare] = capturedSlot;
        sb.slotSquare[capturedSlot] = victimSquare;
        sb.occupied ^= squareBit(to) | squareBit(victimSquare);
        sb.men[S::enemy] ^= squareBit(victimSquare);
        return;
    }
    sb.board[to] = capturedSlot;
    if (capturedSlot != EmptySlot) {
        sb.slotSquare[capturedSlot] = to;
        sb.men[S::enemy] ^= squareBit(to);
    } else {
        sb.occupied ^= squareBit(to);
    }
    if (isPromotion(move)) {
        sb.slotType[slot] = pawnOf(S::us);
        sb.slotValue[slot] = PawnValue;
    }
}

#define HALBERD_INSTANTIATE(C)                                                                                 \
    template bool squareAttacked<C>(const SearchBoard&, int);                                                  \
    template bool inCheck<C>(const SearchBoard&);                                                              \
    template int generateAll<C>(const SearchBoard&, Move*, int, int, int, const std::array<std::int16_t, 4>&); \
    template int generateCaptures<C>(const SearchBoard&, Move*, int, int);                                     \
    template int kingAttacked<C>(const SearchBoard&, Move, int);                                               \
    template int countLegalMoves<C>(SearchBoard&, const Move*, int, int);                                      \
    template bool checksAfter<C>(const SearchBoard&, Move);                                                    \
    template int givesCheck<C>(const SearchBoard&, Move, int, const NodeState&);                               \
    template int hashMovePlausible<C>(const SearchBoard&, Move);                                               \
    template int applySearchMove<C>(SearchBoard&, Move);                                                       \
    template void undoSearchMove<C>(SearchBoard&, Move, int);
HALBERD_INSTANTIATE(White)
HALBERD_INSTANTIATE(Black)
#undef HALBERD_INSTANTIATE

}  // namespace halberd::board
