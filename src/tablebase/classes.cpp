#include "tablebase/classes.h"

#include <algorithm>

namespace halberd::tablebase {

namespace {

constexpr std::array<TableClass, ClassCount + 1> Classes{{
    {0, "", {0u, 0u}},
    {1, "kpk", {81664u, 84012u}},
    {2, "knk", {26282u, 28644u}},
    {3, "kbk", {27243u, 28644u}},
    {4, "krk", {27030u, 28644u}},
    {5, "kqk", {25629u, 28644u}},
    {6, "kpkp", {3863492u, 3863492u}},
    {7, "knkp", {4931904u, 4981504u}},
    {8, "knkn", {1603202u, 1603202u}},
    {9, "kbkp", {5112000u, 4981504u}},
    {10, "kbkn", {1661823u, 1603202u}},
    {11, "kbkb", {1661823u, 1661823u}},
    {12, "krkp", {5072736u, 4981504u}},
    {13, "krkn", {1649196u, 1603202u}},
    {14, "krkb", {1649196u, 1661823u}},
    {15, "krkr", {1649196u, 1649196u}},
    {16, "kqkp", {4810080u, 4981504u}},
    {17, "kqkn", {1563735u, 1603202u}},
    {18, "kqkb", {1563735u, 1661823u}},
    {19, "kqkr", {1563735u, 1649196u}},
    {20, "kqkq", {1563735u, 1563735u}},
    {21, "kppk", {1806671u, 1912372u}},
    {22, "knpk", {4648581u, 5124732u}},
    {23, "knnk", {735304u, 873642u}},
    {24, "kbpk", {4817128u, 5124732u}},
    {25, "kbnk", {1550620u, 1747284u}},
    {26, "kbbk", {789885u, 873642u}},
    {27, "krpk", {4779530u, 5124732u}},
    {28, "krnk", {1538479u, 1747284u}},
    {29, "krbk", {1594560u, 1747284u}},
    {30, "krrk", {777300u, 873642u}},
    {31, "kqpk", {4533490u, 5124732u}},
    {32, "kqnk", {1459616u, 1747284u}},
    {33, "kqbk", {1512507u, 1747284u}},
    {34, "kqrk", {1500276u, 1747284u}},
    {35, "kqqk", {698739u, 873642u}},
    {36, "kppkp", {84219361u, 89391280u}},
    {37, "kppkn", {108400260u, 115899744u}},
    {38, "kppkb", {108400260u, 120132000u}},
    {39, "kppkr", {108400260u, 119209296u}},
    {40, "kppkq", {108400260u, 113036880u}},
    {41, "knpkp", {219921779u, 231758952u}},
    {42, "knpkn", {278914860u, 295914240u}},
    {43, "knpkb", {278914860u, 306720000u}},
    {44, "knpkr", {278914860u, 304369920u}},
    {45, "knpkq", {278914860u, 288610560u}},
    {46, "knnkp", {137991648u, 149445120u}},
    {47, "knnkn", {44118240u, 48096060u}},
    {48, "knnkb", {44118240u, 49854690u}},
    {49, "knnkr", {44118240u, 49475880u}},
    {50, "knnkq", {44118240u, 46912050u}},
    {51, "kbpkp", {227896016u, 231758952u}},
    {52, "kbpkn", {289027680u, 295914240u}},
    {53, "kbpkb", {289027680u, 306720000u}},
    {54, "kbpkr", {289027680u, 304369920u}},
    {55, "kbpkq", {289027680u, 288610560u}},
    {56, "kbnkp", {290989584u, 298890240u}},
    {57, "kbnkn", {93037200u, 96192120u}},
    {58, "kbnkb", {93037200u, 99709380u}},
    {59, "kbnkr", {93037200u, 98951760u}},
    {60, "kbnkq", {93037200u, 93824100u}},
    {61, "kbbkp", {148223520u, 149445120u}},
    {62, "kbbkn", {47393100u, 48096060u}},
    {63, "kbbkb", {47393100u, 49854690u}},
    {64, "kbbkr", {47393100u, 49475880u}},
    {65, "kbbkq", {47393100u, 46912050u}},
    {66, "krpkp", {226121876u, 231758952u}},
    {67, "krpkn", {286777440u, 295914240u}},
    {68, "krpkb", {286777440u, 306720000u}},
    {69, "krpkr", {286777440u, 304369920u}},
    {70, "krpkq", {286777440u, 288610560u}},
    {71, "krnkp", {288692928u, 298890240u}},
    {72, "krnkn", {92308740u, 96192120u}},
    {73, "krnkb", {92308740u, 99709380u}},
    {74, "krnkr", {92308740u, 98951760u}},
    {75, "krnkq", {92308740u, 93824100u}},
    {76, "krbkp", {299203200u, 298890240u}},
    {77, "krbkn", {95673600u, 96192120u}},
    {78, "krbkb", {95673600u, 99709380u}},
    {79, "krbkr", {95673600u, 98951760u}},
    {80, "krbkq", {95673600u, 93824100u}},
    {81, "krrkp", {145901232u, 149445120u}},
    {82, "krrkn", {46658340u, 48096060u}},
    {83, "krrkb", {46658340u, 49854690u}},
    {84, "krrkr", {46658340u, 49475880u}},
    {85, "krrkq", {46658340u, 46912050u}},
    {86, "kqpkp", {214481388u, 231758952u}},
    {87, "kqpkn", {272015040u, 295914240u}},
    {88, "kqpkb", {272015040u, 306720000u}},
    {89, "kqpkr", {272015040u, 304369920u}},
    {90, "kqpkq", {272015040u, 288610560u}},
    {91, "kqnkp", {273904512u, 298890240u}},
    {92, "kqnkn", {87576960u, 96192120u}},
    {93, "kqnkb", {87576960u, 99709380u}},
    {94, "kqnkr", {87576960u, 98951760u}},
    {95, "kqnkq", {87576960u, 93824100u}},
    {96, "kqbkp", {283818240u, 298890240u}},
    {97, "kqbkn", {90750420u, 96192120u}},
    {98, "kqbkb", {90750420u, 99709380u}},
    {99, "kqbkr", {90750420u, 98951760u}},
    {100, "kqbkq", {90750420u, 93824100u}},
    {101, "kqrkp", {281568240u, 298890240u}},
    {102, "kqrkn", {90038460u, 96192120u}},
    {103, "kqrkb", {90038460u, 99709380u}},
    {104, "kqrkr", {90038460u, 98951760u}},
    {105, "kqrkq", {90038460u, 93824100u}},
    {106, "kqqkp", {131170128u, 149445120u}},
    {107, "kqqkn", {41944320u, 48096060u}},
    {108, "kqqkb", {41944320u, 49854690u}},
    {109, "kqqkr", {41944320u, 49475880u}},
    {110, "kqqkq", {41944320u, 46912050u}},
}};

// Men of one side, described as counts of pawns, knights, bishops, rooks,
// queens; at most three men a side.
constexpr int SideKinds = 56;

constexpr int sideKey(int p, int n, int b, int r, int q) { return p + 4 * (n + 4 * (b + 4 * (r + 4 * q))); }

// Dense number 0..55 of every count combination with at most three men, -1 for the rest.
constexpr std::array<int, 1024> SideKind = [] {
    std::array<int, 1024> kinds{};
    kinds.fill(-1);
    int next = 0;
    for (int key = 0; key < 1024; ++key) {
        int men = 0;
        for (int k = key; k > 0; k /= 4) men += k % 4;
        if (men <= 3) kinds[key] = next++;
    }
    return kinds;
}();

using LookupTree = std::array<std::array<int, SideKinds>, SideKinds>;

int sideKindOf(const std::array<int, 5>& counts) {
    return SideKind[sideKey(counts[0], counts[1], counts[2], counts[3], counts[4])];
}

// Two levels, White's material then Black's, each leaf a signed class number.
const LookupTree& lookupTree() {
    static const LookupTree tree = [] {
        LookupTree t{};
        for (const TableClass& c : Classes) {
            std::array<std::array<int, 5>, 2> men{};
            if (c.number == 0 || !namedMaterial(c.name, men)) continue;
            const int strong = sideKindOf(men[0]), weak = sideKindOf(men[1]);
            if (t[weak][strong] == 0) t[weak][strong] = -c.number;
            t[strong][weak] = c.number;
        }
        return t;
    }();
    return tree;
}

}  // namespace

const TableClass& tableClass(int number) { return Classes[number >= 1 && number <= ClassCount ? number : 0]; }

int classNumberOf(std::string_view name) {
    const auto found =
        std::find_if(Classes.begin() + 1, Classes.end(), [name](const TableClass& c) { return c.name == name; });
    return found == Classes.end() ? 0 : found->number;
}

bool namedMaterial(std::string_view name, std::array<std::array<int, 5>, 2>& men) {
    men = {};
    int side = -1;
    for (const char c : name) {
        if (c == 'k') {
            if (++side > 1) return false;
            continue;
        }
        const auto kind = std::string_view("pnbrq").find(c);
        if (side < 0 || kind == std::string_view::npos) return false;
        ++men[side][kind];
    }
    return side == 1;
}

int classLookup(const MaterialCounts& counts) {
    for (const int c : counts)
        if (c < 0 || c > 3) return 0;
    const int white = SideKind[sideKey(counts[0], counts[1], counts[2], counts[3], counts[4])];
    const int black = SideKind[sideKey(counts[5], counts[6], counts[7], counts[8], counts[9])];
    if (white < 0 || black < 0) return 0;
    return lookupTree()[white][black];
}

}  // namespace halberd::tablebase
