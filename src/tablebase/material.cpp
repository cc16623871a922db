#include "tablebase/material.h"

#include <algorithm>

namespace halberd::tablebase {

namespace {

// Value order of the letters: p < n < b < r < q.
int rankOfKind(ManKind kind) {
    switch (kind) {
        case ManKind::Pawn: return 0;
        case ManKind::Knight: return 1;
        case ManKind::Bishop: return 2;
        case ManKind::Rook: return 3;
        case ManKind::Queen: return 4;
        case ManKind::King: return 5;
    }
    return 5;
}

std::optional<ManKind> kindOfLetter(char c) {
    switch (c) {
        case 'q': return ManKind::Queen;
        case 'r': return ManKind::Rook;
        case 'b': return ManKind::Bishop;
        case 'n': return ManKind::Knight;
        case 'p': return ManKind::Pawn;
        default: return std::nullopt;
    }
}

void sortByValue(std::vector<ManKind>& side) {
    std::sort(side.begin(), side.end(), [](ManKind a, ManKind b) { return rankOfKind(a) > rankOfKind(b); });
}

// Registry classes: kX k, kXY k, kX kY with X >= Y, kXY kZ.
bool isRegistryShape(const std::vector<ManKind>& strong, const std::vector<ManKind>& weak) {
    if (strong.empty() || strong.size() > 2 || weak.size() > 1) return false;
    if (strong.size() == 1 && weak.size() == 1) return rankOfKind(strong[0]) >= rankOfKind(weak[0]);
    return true;
}

std::string nameOf(const std::vector<ManKind>& strong, const std::vector<ManKind>& weak) {
    std::string name = "k";
    for (const ManKind k : strong) name += letterOf(k);
    name += 'k';
    for (const ManKind k : weak) name += letterOf(k);
    return name;
}

constexpr std::array<ManKind, 5> KindsByValue = {ManKind::Pawn, ManKind::Knight, ManKind::Bishop, ManKind::Rook,
                                                 ManKind::Queen};

}  // namespace

char letterOf(ManKind kind) {
    constexpr std::array<char, 6> letters = {'k', 'q', 'r', 'b', 'n', 'p'};
    return letters[static_cast<int>(kind)];
}

std::optional<Material> parseMaterial(std::string_view name) {
    if (name.size() < 3 || name[0] != 'k') return std::nullopt;
    const auto second = name.find('k', 1);
    if (second == std::string_view::npos) return std::nullopt;
    std::vector<ManKind> strong;
    std::vector<ManKind> weak;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (i == second) continue;
        const auto kind = kindOfLetter(name[i]);
        if (!kind) return std::nullopt;
        (i < second ? strong : weak).push_back(*kind);
    }
    if (!isRegistryShape(strong, weak)) return std::nullopt;
    std::vector<ManKind> sortedStrong = strong;
    std::vector<ManKind> sortedWeak = weak;
    sortByValue(sortedStrong);
    sortByValue(sortedWeak);
    if (sortedStrong != strong || sortedWeak != weak) return std::nullopt;

    Material m;
    m.name = std::string(name);
    m.men[0] = {Stronger, ManKind::King};
    m.men[1] = {Weaker, ManKind::King};
    m.count = 2;
    bool strongPawn = false;
    bool weakPawn = false;
    for (const ManKind k : strong) {
        m.men[m.count++] = {Stronger, k};
        strongPawn = strongPawn || k == ManKind::Pawn;
    }
    for (const ManKind k : weak) {
        m.men[m.count++] = {Weaker, k};
        weakPawn = weakPawn || k == ManKind::Pawn;
    }
    m.pawns = strongPawn || weakPawn;
    m.bothPawns = strongPawn && weakPawn;
    return m;
}

std::optional<ClassOf> classOfMen(std::vector<ManKind> first, std::vector<ManKind> second) {
    sortByValue(first);
    sortByValue(second);
    if (isRegistryShape(first, second)) return ClassOf{nameOf(first, second), false};
    if (isRegistryShape(second, first)) return ClassOf{nameOf(second, first), true};
    return std::nullopt;
}

std::vector<std::string> allFourManClasses() {
    std::vector<std::string> names;
    for (const ManKind x : KindsByValue) names.push_back(nameOf({x}, {}));
    for (std::size_t x = 0; x < KindsByValue.size(); ++x)
        for (std::size_t y = 0; y <= x; ++y) names.push_back(nameOf({KindsByValue[x]}, {KindsByValue[y]}));
    for (std::size_t x = 0; x < KindsByValue.size(); ++x)
        for (std::size_t y = 0; y <= x; ++y) names.push_back(nameOf({KindsByValue[x], KindsByValue[y]}, {}));
    return names;
}

}  // namespace halberd::tablebase
