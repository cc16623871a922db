#pragma once
// The board diagram PRINT should show for a FEN, worked out from the FEN alone.
#include <string>
#include <vector>

namespace halberd::testing {

inline std::vector<std::string> diagramOfFen(const std::string& fen) {
    // English FEN letters to the diagram's French ones, colours swapped in case:
    // Black pieces are shown upper case, White ones lower case.
    const auto french = [](char c) {
        const std::string english = "KQRBNPkqrbnp";
        const std::string shown = "rdtfcpRDTFCP";
        return shown[english.find(c)];
    };
    std::vector<std::string> rows(1);
    for (const char c : fen.substr(0, fen.find(' '))) {
        if (c == '/')
            rows.emplace_back();
        else if (c >= '1' && c <= '8')
            rows.back().append(static_cast<std::size_t>(c - '0'), '.');
        else
            rows.back() += french(c);
    }
    return rows;
}

inline const std::vector<std::string> StartDiagram = {"TCFDRFCT", "PPPPPPPP", "........", "........",
                                                      "........", "........", "pppppppp", "tcfdrfct"};

}  // namespace halberd::testing
