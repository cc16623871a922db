#include "tablebase/worktable.h"

#include <algorithm>

namespace halberd::tablebase {

namespace {

// Symmetry bits: 1 mirrors the files, 2 the ranks, 4 then reflects about a1-h8.
constexpr int MirrorFiles = 1;
constexpr int MirrorRanks = 2;
constexpr int Transpose = 4;

// Triangle a1 b1 c1 d1 b2 c2 d2 c3 d3 d4 (file >= rank in the a1-d4 quadrant).
constexpr std::array<std::int8_t, 64> TriangleCode = [] {
    std::array<std::int8_t, 64> code{};
    code.fill(-1);
    std::int8_t next = 0;
    for (int s = 0; s < 64; ++s)
        if (fileOfSquare(s) < 4 && rankOfSquare(s) < 4 && fileOfSquare(s) >= rankOfSquare(s)) code[s] = next++;
    return code;
}();

constexpr std::array<std::int8_t, 10> TriangleSquare = [] {
    std::array<std::int8_t, 10> square{};
    for (int s = 0; s < 64; ++s)
        if (TriangleCode[s] >= 0) square[TriangleCode[s]] = static_cast<std::int8_t>(s);
    return square;
}();

// Like men stand next to each other in a class's order: keep each run ascending.
void sortLikeMen(const Material& m, Squares& sq) {
    for (int i = 3; i < m.count; ++i)
        for (int j = i;
             j > 2 && m.men[j].colour == m.men[j - 1].colour && m.men[j].kind == m.men[j - 1].kind && sq[j] < sq[j - 1];
             --j)
            std::swap(sq[j], sq[j - 1]);
}

int transformOnce(int symmetry, int square) {
    int s = square;
    if (symmetry & MirrorFiles) s ^= 7;
    if (symmetry & MirrorRanks) s ^= 56;
    if (symmetry & Transpose) s = (s & 7) << 3 | s >> 3;
    return s;
}

constexpr int SymmetryCount = 8;
const std::array<std::array<std::int8_t, 64>, SymmetryCount> SymmetryTable = [] {
    std::array<std::array<std::int8_t, 64>, SymmetryCount> table{};
    for (int symmetry = 0; symmetry < SymmetryCount; ++symmetry)
        for (int s = 0; s < 64; ++s) table[symmetry][s] = static_cast<std::int8_t>(transformOnce(symmetry, s));
    return table;
}();

void applySymmetry(const Material& m, int symmetry, Squares& sq) {
    if (symmetry != 0)
        for (int i = 0; i < m.count; ++i)
            if (sq[i] >= 0) sq[i] = SymmetryTable[symmetry][sq[i]];
    sortLikeMen(m, sq);
}

bool onDiagonal(int s) { return fileOfSquare(s) == rankOfSquare(s); }

}  // namespace

int transformSquare(int symmetry, int square) { return SymmetryTable[symmetry][square]; }

int canonicalise(const Material& m, Squares& sq) {
    const int king = sq[0];
    if (m.pawns) {
        const int symmetry = fileOfSquare(king) > 3 ? MirrorFiles : 0;
        applySymmetry(m, symmetry, sq);
        return symmetry;
    }
    int symmetry = (fileOfSquare(king) > 3 ? MirrorFiles : 0) | (rankOfSquare(king) > 3 ? MirrorRanks : 0);
    const int k = transformSquare(symmetry, king);
    if (fileOfSquare(k) < rankOfSquare(k)) symmetry |= Transpose;
    if (onDiagonal(transformSquare(symmetry, king))) {
        const int other = transformSquare(symmetry, sq[1]);
        if (fileOfSquare(other) < rankOfSquare(other)) symmetry ^= Transpose;
        if (onDiagonal(other)) {
            // Both kings on the diagonal: of the two images take the smaller one.
            Squares a = sq;
            Squares b = sq;
            applySymmetry(m, symmetry, a);
            applySymmetry(m, symmetry ^ Transpose, b);
            if (b < a) symmetry ^= Transpose;
        }
    }
    applySymmetry(m, symmetry, sq);
    return symmetry;
}

WorkLayout makeLayout(const Material& m) {
    WorkLayout layout;
    layout.material = m;
    layout.kingCodes = m.pawns ? 32 : 10;
    layout.perSide = static_cast<std::uint64_t>(layout.kingCodes);
    for (int i = 1; i < m.count; ++i) layout.perSide *= 64;
    layout.normalCount = 2 * layout.perSide;
    return layout;
}

std::uint64_t encodeCanonical(const WorkLayout& layout, const Squares& sq, int side) {
    const Material& m = layout.material;
    const int king = sq[0];
    const int code = m.pawns ? rankOfSquare(king) * 4 + fileOfSquare(king) : TriangleCode[king];
    std::uint64_t node = static_cast<std::uint64_t>(side) * static_cast<std::uint64_t>(layout.kingCodes) +
                         static_cast<std::uint64_t>(code);
    for (int i = 1; i < m.count; ++i) node = node * 64 + static_cast<std::uint64_t>(sq[i]);
    return node;
}

void decodeNormal(const WorkLayout& layout, std::uint64_t node, Squares& sq, int& side) {
    const Material& m = layout.material;
    sq.fill(NoSquare);
    for (int i = m.count - 1; i >= 1; --i) {
        sq[i] = static_cast<std::int8_t>(node % 64);
        node /= 64;
    }
    const int code = static_cast<int>(node % static_cast<std::uint64_t>(layout.kingCodes));
    side = static_cast<int>(node / static_cast<std::uint64_t>(layout.kingCodes));
    sq[0] = m.pawns ? static_cast<std::int8_t>((code / 4) * 8 + code % 4) : TriangleSquare[code];
}

bool isEnPassantNode(const WorkLayout& layout, std::uint64_t node) { return node >= layout.normalCount; }

void decodeNode(const WorkLayout& layout, std::uint64_t node, Squares& sq, int& side, int& epPawn) {
    epPawn = NoSquare;
    if (isEnPassantNode(layout, node)) {
        const std::uint64_t key = layout.epKeys[node - layout.normalCount];
        epPawn = static_cast<int>(key % 64);
        node = key / 64;
    }
    decodeNormal(layout, node, sq, side);
}

std::uint64_t nodeCount(const WorkLayout& layout) { return layout.normalCount + layout.epKeys.size(); }

std::uint64_t nodeOf(const WorkLayout& layout, Squares sq, int side, int epPawn) {
    const int symmetry = canonicalise(layout.material, sq);
    const std::uint64_t normal = encodeCanonical(layout, sq, side);
    if (epPawn < 0) return normal;
    const std::uint64_t key = normal * 64 + static_cast<std::uint64_t>(transformSquare(symmetry, epPawn));
    const auto found = std::lower_bound(layout.epKeys.begin(), layout.epKeys.end(), key);
    if (found == layout.epKeys.end() || *found != key) return normal;
    return layout.normalCount + static_cast<std::uint64_t>(found - layout.epKeys.begin());
}

bool isLegalNormalNode(const WorkLayout& layout, std::uint64_t node) {
    Squares sq;
    int side = 0;
    decodeNormal(layout, node, sq, side);
    if (!legalPosition(layout.material, sq, side)) return false;
    Squares canonical = sq;
    canonicalise(layout.material, canonical);
    return canonical == sq;
}

void listEnPassantNodes(WorkLayout& layout) {
    layout.epKeys.clear();
    const Material& m = layout.material;
    if (!m.bothPawns) return;
    for (std::uint64_t node = 0; node < layout.normalCount; ++node) {
        if (!isLegalNormalNode(layout, node)) continue;
        Squares sq;
        int side = 0;
        decodeNormal(layout, node, sq, side);
        for (int i = 2; i < m.count; ++i)
            if (m.men[i].colour != side && m.men[i].kind == ManKind::Pawn && enPassantShape(m, sq, side, sq[i]))
                layout.epKeys.push_back(node * 64 + static_cast<std::uint64_t>(sq[i]));
    }
    std::sort(layout.epKeys.begin(), layout.epKeys.end());
}

std::uint8_t stateOf(const WorkTable& table, const Squares& sq, int side, int epPawn) {
    return table.state[nodeOf(table.layout, sq, side, epPawn)];
}

std::string fenOf(const Material& m, const Squares& sq, int side, int epPawn) {
    std::array<char, 64> board;
    board.fill(' ');
    for (int i = 0; i < m.count; ++i) {
        if (sq[i] < 0) continue;
        const char letter = letterOf(m.men[i].kind);
        board[sq[i]] = m.men[i].colour == Stronger ? static_cast<char>(letter - 'a' + 'A') : letter;
    }
    return fenOfBoard(board, side, epPawn < 0 ? -1 : epPawn + pawnStep(side));
}

std::string fenOfLists(const PieceList& white, const PieceList& black, int side, int epTarget) {
    std::array<char, 64> board;
    board.fill(' ');
    for (int place = 0; place < PiecePlaces; ++place) {
        if (white[place] >= 0) board[white[place]] = static_cast<char>(PlaceLetters[place] - 'a' + 'A');
        if (black[place] >= 0) board[black[place]] = PlaceLetters[place];
    }
    return fenOfBoard(board, side, epTarget);
}

std::string fenOfBoard(const std::array<char, 64>& board, int side, int epTarget) {
    std::string fen;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const char c = board[rank * 8 + file];
            if (c == ' ') {
                ++empty;
                continue;
            }
            if (empty > 0) fen += static_cast<char>('0' + empty);
            empty = 0;
            fen += c;
        }
        if (empty > 0) fen += static_cast<char>('0' + empty);
        if (rank > 0) fen += '/';
    }
    fen += side == Stronger ? " w - " : " b - ";
    if (epTarget >= 0) {
        fen += static_cast<char>('a' + fileOfSquare(epTarget));
        fen += static_cast<char>('1' + rankOfSquare(epTarget));
    } else {
        fen += '-';
    }
    return fen;
}

}  // namespace halberd::tablebase
