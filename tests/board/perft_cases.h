#pragma once
// Perft test positions: the shared random set (FEN ;D1 n ;D2 n ...), the
// Chess960 set and the standard positions, with their leaf counts.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace halberd::testing {

struct PerftCase {
    std::string fen;
    std::vector<std::uint64_t> counts;  // counts[d - 1] for depth d
    bool chess960 = false;              // the castling field is read as Chess960's
};

inline std::vector<PerftCase> readEpd(const std::string& path, bool chess960 = false) {
    std::vector<PerftCase> cases;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto semicolon = line.find(';');
        if (semicolon == std::string::npos) continue;
        PerftCase c{line.substr(0, semicolon), {}, chess960};
        std::istringstream fields(line.substr(semicolon));
        for (std::string tag; fields >> tag;) {
            std::uint64_t count = 0;
            fields >> count;
            c.counts.push_back(count);
        }
        cases.push_back(c);
    }
    return cases;
}

// The standard test positions with their counts to depth 5.
inline const std::vector<PerftCase>& standardPositions() {
    static const std::vector<PerftCase> cases = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", {20, 400, 8902, 197281, 4865609}},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", {48, 2039, 97862, 4085603, 193690690}},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812, 43238, 674624}},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333, 15833292}},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103487, 89941194}},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
         {46, 2079, 89890, 3894594, 164075551}},
        // The same without the bishop on g4 (counts from Stockfish).
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P3/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", {47, 1845, 81467, 3065277}},
    };
    return cases;
}

}  // namespace halberd::testing
