#include "board/startpositions.h"

#include <array>
#include <cctype>

namespace halberd::board {

std::string chess960StartFen(int number) {
    std::string rank(8, ' ');
    const auto placeOnFree = [&rank](int nth, char piece) {
        for (char& square : rank)
            if (square == ' ' && nth-- == 0) {
                square = piece;
                return;
            }
    };
    int n = number;
    rank[static_cast<std::size_t>(2 * (n % 4) + 1)] = 'B';
    n /= 4;
    rank[static_cast<std::size_t>(2 * (n % 4))] = 'B';
    n /= 4;
    placeOnFree(n % 6, 'Q');
    n /= 6;
    // The knights' pair among the five free squares, in the standard order.
    constexpr std::array<std::array<int, 2>, 10> Knights = {
        {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}};
    const auto& pair = Knights[static_cast<std::size_t>(n % 10)];
    placeOnFree(pair[1], 'N');  // the later one first: placing it leaves the earlier's count as it is
    placeOnFree(pair[0], 'N');
    placeOnFree(0, 'R');
    placeOnFree(0, 'K');
    placeOnFree(0, 'R');
    std::string black = rank;
    for (char& c : black) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return black + "/pppppppp/8/8/8/8/PPPPPPPP/" + rank + " w KQkq - 0 1";
}

}  // namespace halberd::board
