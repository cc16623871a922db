#include "frontend/editmode.h"

#include "board/fen.h"

namespace halberd::frontend {

namespace {

constexpr std::string_view PieceLetters = "KQRBN";

// The square named by a file letter A..H and a rank digit 1..8, or -1.
int parseSquare(char file, char rank) {
    if (file < 'A' || file > 'H' || rank < '1' || rank > '8') return -1;
    return board::squareOf(file - 'A', rank - '1');
}

}  // namespace

bool EditSession::apply(std::string_view line) {
    if (line.empty()) return true;
    switch (line[0]) {
        case '.': return false;
        case 'C': colour_ = board::opponent(colour_); return true;
        case '#': clear(); return true;
        default: break;
    }
    if (line.size() < 3) return true;
    const int square = parseSquare(line[1], line[2]);
    if (square < 0) return true;
    if (line[0] == 'X')
        removeAt(square);
    else
        place(line[0], square);
    return true;
}

void EditSession::clear() {
    board::clearForEdit(board_);
    // Clearing places the two kings; an emptied board has none.
    removeAt(board::squareOf(4, 0));
    removeAt(board::squareOf(4, 7));
}

void EditSession::removeAt(int square) {
    const int slot = board_.board[square];
    if (slot == board::EmptySlot) return;
    board_.slotSquare[slot] = board::OffBoard;
    board_.board[square] = board::EmptySlot;
}

bool EditSession::place(char letter, int square) {
    const auto type = PieceLetters.find(letter);
    if (type == std::string_view::npos && letter != 'P') return false;
    // A pawn on its first or last rank cannot exist and has no moves to generate.
    const int rank = board::rankOf(square);
    if (letter == 'P' && (rank == 0 || rank == 7)) return false;
    // The square's occupant gives way, so that two slots never share a square;
    // it comes back when the new piece finds no slot.
    const int occupant = board_.board[square];
    removeAt(square);
    const int slot = letter == 'P' ? board::placePawn(board_, colour_, square)
                                   : board::placePiece(board_, colour_, static_cast<int>(type), square);
    if (slot < 0 && occupant != board::EmptySlot) {
        board_.slotSquare[occupant] = square;
        board_.board[square] = occupant;
    }
    return slot >= 0;
}

board::SetupStatus EditSession::finish(board::GameBoard& game, board::Colour sideToMove) {
    // Without both kings the position never reaches move generation.
    if (board_.slotSquare[board::KingSlot] == board::OffBoard ||
        board_.slotSquare[board::slotBase(board::Black)] == board::OffBoard)
        return board::SetupMissingKing;
    // Castling rights follow from where kings and rooks stand, as for a FEN without
    // a castling field; rights kept from before the edit could move a rook that is gone.
    board::deriveCastlingStates(board_);
    const board::SetupStatus result = board::finishSetup(board_, sideToMove);
    if (board::accepted(result)) game = board_;
    return result;
}

board::SetupStatus runEditMode(LineReader& input, board::GameBoard& game) {
    EditSession session(game);
    while (const auto line = input.readLine())
        if (!session.apply(toUpperAscii(*line))) break;
    return session.finish(game);
}

}  // namespace halberd::frontend
