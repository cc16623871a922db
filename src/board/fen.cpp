#include "board/fen.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "board/castling.h"
#include "board/gameboard.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/notation.h"

namespace halberd::board {

namespace {

using PawnMap = SquareSet;  // bit n: a pawn on square n

constexpr int homeRank(Colour c) { return c == White ? 0 : 7; }
constexpr int kingHome(Colour c) { return squareOf(4, homeRank(c)); }
constexpr int shortRookHome(Colour c) { return squareOf(7, homeRank(c)); }
constexpr int longRookHome(Colour c) { return squareOf(0, homeRank(c)); }
constexpr bool isBackRank(int square) { return rankOf(square) == 0 || rankOf(square) == 7; }

bool slotFree(const GameBoard& game, int slot) { return game.slotSquare[slot] == OffBoard; }

void putOnSlot(GameBoard& game, int slot, int type, int square) {
    game.slotSquare[slot] = square;
    game.board[square] = slot;
    game.slotType[slot] = type;
    game.slotValue[slot] = slotValueOfType(type);
}

void takeOff(GameBoard& game, int slot) {
    game.board[game.slotSquare[slot]] = EmptySlot;
    game.slotSquare[slot] = OffBoard;
}

// The first free pawn slot of a pawn (or extra piece) on `file`, trying the files
// file + offset in the order given; -1 when none is free.
int firstFreePawnSlot(const GameBoard& game, Colour c, int file, std::initializer_list<int> offsets) {
    for (const int offset : offsets) {
        const int f = file + offset;
        if (f < 0 || f > 7) continue;
        const int slot = slotBase(c) + FirstPawnSlot + f;
        if (slotFree(game, slot)) return slot;
    }
    return -1;
}

// Extra pieces (a second queen, a third knight) take pawn slots from the top down.
int freePawnSlotFromTop(const GameBoard& game, Colour c) {
    return firstFreePawnSlot(game, c, 7, {0, -1, -2, -3, -4, -5, -6, -7});
}

int preferredSlot(const GameBoard& game, Colour c, int preferred, int other) {
    const int base = slotBase(c);
    if (slotFree(game, base + preferred)) return base + preferred;
    if (other >= 0 && slotFree(game, base + other)) return base + other;
    return freePawnSlotFromTop(game, c);
}

int chooseSlot(const GameBoard& game, Colour c, int type, int square) {
    const bool queenSide = fileOf(square) < 4;
    switch (type) {
        case King: return slotFree(game, slotBase(c)) ? slotBase(c) : -1;
        case Queen: return preferredSlot(game, c, QueenSlot, -1);
        case Rook:
            return queenSide ? preferredSlot(game, c, QueenRookSlot, KingRookSlot)
                             : preferredSlot(game, c, KingRookSlot, QueenRookSlot);
        case Bishop: {
            // Slot 4 is the bishop of White's c1 and Black's c8: dark for White, light for Black.
            const bool dark = (fileOf(square) + rankOf(square)) % 2 == 0;
            return dark == (c == White) ? preferredSlot(game, c, DarkBishopSlot, LightBishopSlot)
                                        : preferredSlot(game, c, LightBishopSlot, DarkBishopSlot);
        }
        default:
            return queenSide ? preferredSlot(game, c, QueenKnightSlot, KingKnightSlot)
                             : preferredSlot(game, c, KingKnightSlot, QueenKnightSlot);
    }
}

bool shortCastlingInPlace(const GameBoard& game, Colour c) {
    return game.slotSquare[slotBase(c)] == kingHome(c) &&
           game.slotSquare[slotBase(c) + KingRookSlot] == shortRookHome(c);
}

bool longCastlingInPlace(const GameBoard& game, Colour c) {
    return game.slotSquare[slotBase(c)] == kingHome(c) &&
           game.slotSquare[slotBase(c) + QueenRookSlot] == longRookHome(c);
}

// Castling moves the rook of one fixed slot. A set-up may have given the
// castling rook another slot (two rooks on one wing, a rook in a pawn slot);
// rooks are interchangeable, so the castling rook takes the castling slot over.
void claimRook(GameBoard& game, Colour c, int corner, int rookSlot) {
    const int slot = game.board[corner];
    const int wanted = slotBase(c) + rookSlot;
    if (slot == EmptySlot || slot == wanted || slotColour(slot) != c || game.slotType[slot] != Rook) return;
    const int elsewhere = game.slotSquare[wanted];
    takeOff(game, slot);
    if (elsewhere != OffBoard)
        putOnSlot(game, slot, Rook, elsewhere);
    else
        game.slotType[slot] = game.slotValue[slot] = 0;
    putOnSlot(game, wanted, Rook, corner);
}

void clearBoard(GameBoard& game) {
    game.slotSquare.fill(OffBoard);
    game.board.fill(EmptySlot);
    game.slotType.fill(0);
    game.slotValue.fill(0);
    game.slotType[EmptySlot] = NoPiece;
}

std::vector<std::string_view> splitFields(std::string_view text) {
    // Game files quote the FEN: [FEN "..."].
    constexpr std::string_view Blank = " \t\r\n";
    const auto first = text.find_first_not_of(" \t\r\n\"");
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t\r\n\"]") + 1 - first);
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto end = std::min(text.find_first_of(Blank, pos), text.size());
        const std::string_view field = text.substr(pos, end - pos);
        // A UCI position line goes on with its moves, an EPD line with operations.
        if (field == "moves" || field.front() == ';') break;
        fields.push_back(field);
        pos = text.find_first_not_of(Blank, end);
    }
    return fields;
}

// Reads the placement field: eight ranks of exactly eight files, "/" between
// them and optionally after the last (the form writeFen produces).
SetupStatus readPlacement(GameBoard& game, std::string_view field, std::array<PawnMap, 2>& pawns) {
    int rank = 7;
    int file = 0;
    for (const char ch : field) {
        if (rank < 0) return SetupMalformed;
        if (ch == '/') {
            if (file != 8) return SetupMalformed;
            --rank;
            file = rank >= 0 ? 0 : 8;
        } else if (ch >= '1' && ch <= '8') {
            file += ch - '0';
            if (file > 8) return SetupMalformed;
        } else {
            const Colour colour = std::islower(static_cast<unsigned char>(ch)) ? Black : White;
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            const int type = upper == 'P' ? WhitePawn : pieceTypeOfLetter(upper);
            if (type == NoPiece || file > 7) return SetupMalformed;
            const int square = squareOf(file++, rank);
            if (type == WhitePawn) {
                if (isBackRank(square)) return SetupMalformed;
                pawns[colour] |= squareBit(square);
            } else if (placePiece(game, colour, type, square) < 0) {
                return SetupNoFreeSlot;
            }
        }
    }
    return (rank <= 0 && file == 8) ? SetupAccepted : SetupMalformed;
}

bool castlingAllowed(const GameBoard& game, Colour c, int kind, int king, int rook) {
    return rookCanCastle(c, kind, king, rook) && (game.chess960 || ordinaryCastling(king, rook, kind));
}

bool rookOfColourOn(const GameBoard& game, Colour c, int square) {
    const int slot = game.board[square];
    return slot != EmptySlot && slotColour(slot) == c && game.slotType[slot] == Rook;
}

// The outermost rook of colour c on its back rank on the wing the kind castles
// to, as seen from file `kingFile`; -1 when there is none.
int outermostRook(const GameBoard& game, Colour c, int kind, int kingFile) {
    const int step = kind == CastleShort ? -1 : 1;
    for (int file = kind == CastleShort ? 7 : 0; file != kingFile; file += step)
        if (rookOfColourOn(game, c, squareOf(file, homeRank(c)))) return squareOf(file, homeRank(c));
    return -1;
}

// Castling field: "-" or letters, each right at most once: K, Q, k, q for the
// outermost rook of a wing (X-FEN), or the rook's file letter, upper case for
// White (Shredder-FEN, and X-FEN for an inner rook). A right is honoured only
// when its king stands on its back rank and its rook beside it on that wing.
bool readCastling(GameBoard& game, std::string_view field) {
    std::array<bool, 4> named{};
    std::array<int, 4> rookOf{-1, -1, -1, -1};
    for (const char ch : field == "-" ? std::string_view() : field) {
        const Colour c = std::islower(static_cast<unsigned char>(ch)) ? Black : White;
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        const int kingFile = fileOf(game.slotSquare[slotBase(c)]);
        int kind = upper == 'K' ? CastleShort : CastleLong;
        int rook = -1;
        if (upper == 'K' || upper == 'Q') {
            rook = outermostRook(game, c, kind, kingFile);
        } else if (upper >= 'A' && upper <= 'H') {
            game.chess960 = true;
            kind = upper - 'A' > kingFile ? CastleShort : CastleLong;
            if (rookOfColourOn(game, c, squareOf(upper - 'A', homeRank(c)))) rook = squareOf(upper - 'A', homeRank(c));
        } else {
            return false;
        }
        const auto index = static_cast<std::size_t>(castleIndex(c, kind));
        if (named[index]) return false;
        named[index] = true;
        rookOf[index] = rook;
    }
    for (const Colour c : {White, Black})
        for (const int kind : {CastleShort, CastleLong})
            if (const int rook = rookOf[static_cast<std::size_t>(castleIndex(c, kind))]; rook >= 0)
                claimRook(game, c, rook, kind == CastleShort ? KingRookSlot : QueenRookSlot);
    deriveCastlingStates(game);
    // A right not named, or named by a file without a rook of its side, is not held.
    for (std::size_t i = 0; i < 4; ++i)
        if ((!named[i] || rookOf[i] < 0) && game.castling[i] == 0) game.castling[i] = -1;
    // Rights of any start position (Chess960); a side that may still castle has not castled.
    for (const Colour c : {White, Black}) {
        const int king = game.slotSquare[slotBase(c)];
        for (const int kind : {CastleShort, CastleLong}) {
            const auto index = static_cast<std::size_t>(castleIndex(c, kind));
            if (named[index] && rookOf[index] >= 0 && castlingAllowed(game, c, kind, king, rookOf[index]))
                game.castling[index] = 0;
        }
        auto& shortState = game.castling[static_cast<std::size_t>(shortCastleIndex(c))];
        auto& longState = game.castling[static_cast<std::size_t>(longCastleIndex(c))];
        if ((shortState == 0 || longState == 0) && (shortState == 1 || longState == 1))
            (shortState == 1 ? shortState : longState) = -1;
    }
    return true;
}

// The en-passant field names the square just passed over. It is kept only when
// a pawn of the side not to move really stands in front of it after a double
// step and a pawn of the side to move stands beside that pawn.
struct EnPassantField {
    int square = 0;
    Move doubleStep = NoMove;
};

EnPassantField readEnPassant(const GameBoard& game, Colour side, int square) {
    const int forward = pawnPush(side);  // the direction the side to move's pawns go
    const int passedRank = relativeRank(side, 5);
    if (square < 0 || rankOf(square) != passedRank) return {};
    const int arrival = square - forward;
    const int origin = square + forward;
    const int victim = game.board[arrival];
    if (victim == EmptySlot || game.slotType[victim] != pawnOf(opponent(static_cast<Colour>(side)))) return {};
    if (game.board[square] != EmptySlot || game.board[origin] != EmptySlot) return {};
    const PieceType ownPawn = pawnOf(static_cast<Colour>(side));
    for (const int beside : {arrival - 1, arrival + 1}) {
        if (rankOf(beside) != rankOf(arrival)) continue;
        const int slot = game.board[beside];
        if (slot != EmptySlot && game.slotType[slot] == ownPawn) return {square, makeMove(origin, arrival)};
    }
    return {};
}

// Counts after the en-passant field; only a leading number (the halfmove clock) is read.
bool readHalfmoveClock(std::string_view field, int& clock) {
    if (field.empty() || field.size() > 6) return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), clock);
    return error == std::errc() && end == field.data() + field.size() && clock >= 0;
}

void setMaterialBalance(const GameBoard& game, Position& position) {
    int mg = 0;
    int eg = 0;
    for (int slot = 0; slot < 32; ++slot) {
        if (game.slotSquare[slot] == OffBoard) continue;
        const int sign = slotColour(slot) == White ? 1 : -1;
        mg += sign * PieceValueMg[game.slotType[slot]];
        eg += sign * PieceValueEg[game.slotType[slot]];
    }
    position.materialMg = mg;
    position.materialEg = eg;
}

SetupStatus completeSetup(GameBoard& game, Colour side, EnPassantField enPassant, int halfmoveClock) {
    game.board.fill(EmptySlot);
    for (int slot = 0; slot < 32; ++slot)
        if (game.slotSquare[slot] != OffBoard) game.board[game.slotSquare[slot]] = slot;
    game.slotType[EmptySlot] = NoPiece;
    game.slotValue[EmptySlot] = 0;
    game.castlingRookHome = OrdinaryRookHomes;
    for (const Colour c : {White, Black})
        for (const int kind : {CastleShort, CastleLong}) {
            const auto index = static_cast<std::size_t>(castleIndex(c, kind));
            const int rook = game.slotSquare[castleRookSlot(c, kind)];
            if (game.castling[index] != 0) continue;
            if (castlingAllowed(game, c, kind, game.slotSquare[slotBase(c)], rook))
                game.castlingRookHome[index] = rook;
            else
                game.castling[index] = -1;
        }

    game.sideToMove = side;
    game.gameResult = 0;
    game.epSquare = enPassant.square;
    game.lastMove = static_cast<int>(enPassant.doubleStep);
    game.startLastMove = game.lastMove;
    game.startHalfmoveClock = halfmoveClock;
    game.plyCounter = -1;
    resetHistory(game);
    game.bookMissesLeft = 10;

    Position& scratch = game.scratch;
    loadScratch(game, scratch);
    setMaterialBalance(game, scratch);
    scratch.stageCode = 0;
    scratch.halfmoveClock = halfmoveClock;
    scratch.lastMove = static_cast<std::int32_t>(enPassant.doubleStep);
    game.legalMoves[0] = NoMove;

    // Without both kings there is nothing to attack-test or generate.
    if (game.slotSquare[KingSlot] == OffBoard || game.slotSquare[slotBase(Black)] == OffBoard) {
        game.gameResult = 1;
        return SetupMissingKing;
    }
    computeKeys(scratch, side);
    game.ordinaryStart = writeFen(game) == "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq -";

    // The routine of the side not to move, with move 0, lists the side to move's
    // moves and reports the side not to move in check as an illegal last move.
    const Move verdict = side == White ? playBlackMove(game.legalMoves.data(), NoMove, 0, scratch)
                                       : playWhiteMove(game.legalMoves.data(), NoMove, 0, scratch);
    if (verdict & (IllegalFlag | MateFlag | StalemateFlag)) {
        game.gameResult = 1;
        game.legalMoves[0] = NoMove;  // mate and stalemate leave flagged pseudo-legal moves
    }
    return (verdict & IllegalFlag) ? SetupSideNotToMoveInCheck : SetupAccepted;
}

// What a FEN says besides its placement, read onto the board first.
struct FenRest {
    Colour side = White;
    EnPassantField enPassant;
    int halfmoveClock = 0;
};

// Reads the text onto the board; a rejected text leaves the board half-read.
SetupStatus readFen(GameBoard& game, const std::string& text, FenRest& rest) {
    const std::vector<std::string_view> fields = splitFields(text);
    if (fields.empty()) return SetupMalformed;
    clearBoard(game);
    std::array<PawnMap, 2> pawns{};
    if (const SetupStatus placed = readPlacement(game, fields[0], pawns); rejected(placed)) return placed;
    if (slotFree(game, KingSlot) || slotFree(game, slotBase(Black))) return SetupMissingKing;
    if (!placePawnMaps(game, pawns[White], pawns[Black])) return SetupNoFreeSlot;

    if (fields.size() > 1) {
        if (fields[1] == "w" || fields[1] == "W")
            rest.side = White;
        else if (fields[1] == "b" || fields[1] == "B")
            rest.side = Black;
        else
            return SetupMalformed;
    }
    if (!readCastling(game, fields.size() > 2 ? fields[2] : "-")) return SetupMalformed;

    if (fields.size() > 3 && fields[3] != "-") {
        if (fields[3].size() != 2) return SetupMalformed;
        const int square = parseSquare(fields[3][0], fields[3][1]);
        if (square < 0) return SetupMalformed;
        rest.enPassant = readEnPassant(game, rest.side, square);
    }
    if (fields.size() > 4 && !readHalfmoveClock(fields[4], rest.halfmoveClock)) rest.halfmoveClock = 0;
    return SetupAccepted;
}

}  // namespace

SetupStatus setupFromFen(GameBoard& game, const std::string& text) {
    // A rejected set-up must leave the game untouched: the text is read onto a
    // copy. The copy leaves the history behind, which the set-up empties anyway.
    std::vector<HistoryEntry> history = std::move(game.history);
    GameBoard trial = game;
    game.history = std::move(history);
    FenRest rest;
    if (const SetupStatus read = readFen(trial, text, rest); rejected(read)) return read;
    trial.history = std::move(game.history);
    game = std::move(trial);
    return completeSetup(game, rest.side, rest.enPassant, rest.halfmoveClock);
}

SetupStatus setupFromMen(GameBoard& game, std::span<const PlacedMan> men, Colour side, int epSquare) {
    clearBoard(game);
    std::array<PawnMap, 2> pawns{};
    for (const PlacedMan& man : men) {
        if (man.square < 0 || man.square > 63 || game.board[man.square] != EmptySlot ||
            ((pawns[White] | pawns[Black]) & squareBit(man.square)) != 0)
            return SetupMalformed;
        if (isPawnType(man.type)) {
            if (isBackRank(man.square)) return SetupMalformed;
            pawns[man.colour] |= squareBit(man.square);
        } else if (man.type == King) {
            if (!slotFree(game, slotBase(man.colour))) return SetupMalformed;
            putOnSlot(game, slotBase(man.colour), King, man.square);
        } else if (placePiece(game, man.colour, man.type, man.square) < 0) {
            return SetupNoFreeSlot;
        }
    }
    if (slotFree(game, KingSlot) || slotFree(game, slotBase(Black))) return SetupMissingKing;
    if (!placePawnMaps(game, pawns[White], pawns[Black])) return SetupNoFreeSlot;
    readCastling(game, "-");
    return completeSetup(game, side, epSquare != 0 ? readEnPassant(game, side, epSquare) : EnPassantField{}, 0);
}

int placePiece(GameBoard& game, Colour colour, int type, int square) {
    if (type < King || type > Knight) return -2;
    if (square < 0 || square > 63) return -1;
    const int previous = game.board[square];
    const int previousType = game.slotType[previous];
    if (previous != EmptySlot) takeOff(game, previous);
    const int slot = chooseSlot(game, colour, type, square);
    if (slot < 0) {
        if (previous != EmptySlot) putOnSlot(game, previous, previousType, square);
        return -1;
    }
    putOnSlot(game, slot, type, square);
    return slot;
}

int placePawn(GameBoard& game, Colour colour, int square) {
    if (square < 0 || square > 63 || isBackRank(square)) return -1;
    const int previous = game.board[square];
    const int previousType = game.slotType[previous];
    if (previous != EmptySlot) takeOff(game, previous);
    const int slot = firstFreePawnSlot(game, colour, fileOf(square), {0, -1, 1, -2, 2});
    if (slot < 0) {
        if (previous != EmptySlot) putOnSlot(game, previous, previousType, square);
        return -1;
    }
    putOnSlot(game, slot, pawnOf(colour), square);
    return slot;
}

bool placePawnMaps(GameBoard& game, std::uint64_t whitePawns, std::uint64_t blackPawns) {
    // White from a1 upwards, Black from h8 downwards, each near its own file.
    // The colours take slots of their own, so one colour may go before the other.
    for (const Colour c : {White, Black}) {
        for (PawnMap left = c == White ? whitePawns : blackPawns; left != 0;) {
            const int square = c == White ? std::countr_zero(left) : 63 - std::countl_zero(left);
            left &= ~squareBit(square);
            const int slot =
                firstFreePawnSlot(game, c, fileOf(square), {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7});
            if (slot < 0) return false;
            putOnSlot(game, slot, pawnOf(c), square);
        }
    }
    return true;
}

void deriveCastlingStates(GameBoard& game) {
    game.castling.fill(-1);
    for (const Colour c : {White, Black}) {
        const int king = game.slotSquare[slotBase(c)];
        auto& shortState = game.castling[shortCastleIndex(c)];
        auto& longState = game.castling[longCastleIndex(c)];
        if (king == kingHome(c)) {
            shortState = shortCastlingInPlace(game, c) ? 0 : -1;
            longState = longCastlingInPlace(game, c) ? 0 : -1;
            if (shortState != 0 && longState != 0) shortState = 1;
        } else if (king != OffBoard) {
            // A king away from home is taken to have castled towards its wing.
            (fileOf(king) >= 4 ? shortState : longState) = 1;
        }
    }
}

void clearForEdit(GameBoard& game) {
    clearBoard(game);
    putOnSlot(game, KingSlot, King, kingHome(White));
    putOnSlot(game, slotBase(Black) + KingSlot, King, kingHome(Black));
}

SetupStatus finishSetup(GameBoard& game, Colour side) { return completeSetup(game, side, EnPassantField{}, 0); }

std::string writeFen(const GameBoard& game) {
    std::string out;
    out.reserve(96);
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const int slot = game.board[squareOf(file, rank)];
            if (slot == EmptySlot) {
                ++empty;
                continue;
            }
            if (empty > 0) out += static_cast<char>('0' + empty);
            empty = 0;
            const char letter = PieceLetters[game.slotType[slot]];
            out += slotColour(slot) == White ? letter : static_cast<char>(std::tolower(letter));
        }
        if (empty > 0) out += static_cast<char>('0' + empty);
        out += '/';
    }
    out += game.sideToMove == White ? " w " : " b ";
    const std::size_t castlingStart = out.size();
    // K or Q for an ordinary right (the king on the e-file, the rook in its
    // corner), which every reader takes the same way; any other right by its
    // rook's file, so that a reader not yet in Chess960 learns it from the field.
    for (const Colour c : {White, Black})
        for (const int kind : {CastleShort, CastleLong}) {
            if (game.castling[static_cast<std::size_t>(castleIndex(c, kind))] != 0) continue;
            const int rook = game.slotSquare[castleRookSlot(c, kind)];
            const bool ordinary = ordinaryCastling(game.slotSquare[slotBase(c)], rook, kind);
            const char letter = ordinary ? (kind == CastleShort ? 'K' : 'Q') : static_cast<char>('A' + fileOf(rook));
            out += c == White ? letter : static_cast<char>(std::tolower(letter));
        }
    if (out.size() == castlingStart) out += '-';
    out += ' ';
    out += game.epSquare != 0 ? squareName(game.epSquare) : "-";
    return out;
}

}  // namespace halberd::board
