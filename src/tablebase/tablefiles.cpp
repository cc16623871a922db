#include "tablebase/tablefiles.h"

#include <algorithm>
#include <atomic>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "files/atomicfile.h"
#include "tablebase/blockdecoder.h"
#include "tablebase/classes.h"
#include "tablebase/emdwriter.h"
#include "tablebase/index.h"
#include "tablebase/parallelparts.h"

namespace halberd::tablebase {

namespace {

int firstPlaceOf(ManKind kind) {
    switch (kind) {
        case ManKind::King: return KingPlace;
        case ManKind::Queen: return QueenPlace;
        case ManKind::Rook: return RookPlace;
        case ManKind::Bishop: return BishopPlace;
        case ManKind::Knight: return KnightPlace;
        case ManKind::Pawn: return PawnPlace;
    }
    return KingPlace;
}

// Symmetries that keep a class's tables: all eight without pawns, the file
// mirror with them (bits as in worktable.cpp: 1 files, 2 ranks, 4 transpose).
int symmetryCount(const Material& m) { return m.pawns ? 2 : 8; }

// Nodes numbered in one piece of a thread's work.
constexpr std::uint64_t NodePiece = std::uint64_t{1} << 14;

}  // namespace

std::int8_t byteOfState(std::uint8_t state) {
    if (state == 0) return 0;
    const int n = movesOfState(state);
    if (stateIsWin(state)) return static_cast<std::int8_t>(n <= 126 ? 127 - n : -128);
    return static_cast<std::int8_t>(n <= 125 ? n - 126 : -127);
}

std::uint8_t stateOfByte(std::int8_t byte) {
    if (byte == 0) return 0;
    if (byte == -128) return 2 * 127;
    if (byte == -127) return 2 * 126 + 1;
    if (byte > 0) return static_cast<std::uint8_t>(2 * (127 - byte));
    return static_cast<std::uint8_t>(2 * (byte + 126) + 1);
}

PieceLists pieceListsOf(const Material& m, const Squares& sq) {
    PieceLists lists;
    lists.stronger.fill(-1);
    lists.weaker.fill(-1);
    for (int i = 0; i < m.count; ++i) {
        auto& list = m.men[i].colour == Stronger ? lists.stronger : lists.weaker;
        int place = firstPlaceOf(m.men[i].kind);
        while (list[place] >= 0) ++place;
        list[place] = sq[i];
    }
    return lists;
}

std::string tableFileName(const std::string& directory, const std::string& className, int side) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + className + (side == StrongerToMove ? ".nbw" : ".nbb");
}

bool writeTableFiles(const WorkTable& table, const std::string& directory, WriteReport& report, std::string& error,
                     bool compress, int threads) {
    const Material& m = table.layout.material;
    const int cls = classNumberOf(m.name);
    if (cls == 0) {
        error = m.name + " is no table class";
        return false;
    }
    // Each index's mark is 0 until a position is numbered there, then 1 + its
    // byte; the threads enter the marks with atomic operations, so every index
    // is set once whatever the order, and a second, different value is a conflict.
    std::array<std::vector<std::uint16_t>, 2> marks;
    for (int side = 0; side < 2; ++side) {
        report.bytes[side] = tableClass(cls).size[side];
        marks[side].assign(report.bytes[side], 0);
    }
    std::array<std::atomic<std::uint64_t>, 2> unindexed{};
    std::array<std::atomic<std::uint64_t>, 2> conflicts{};
    const auto enter = [&](int side, std::uint32_t index, std::uint16_t mark) {
        std::atomic_ref<std::uint16_t> entry(marks[side][index]);
        std::uint16_t seen = entry.load(std::memory_order_relaxed);
        if (seen == 0 && entry.compare_exchange_strong(seen, mark, std::memory_order_relaxed)) return;
        if (seen != mark) conflicts[side].fetch_add(1, std::memory_order_relaxed);
    };
    const auto number = [&](std::uint64_t first, std::uint64_t last) {
        // The marks are scattered over a large table: each is fetched ahead and
        // entered a few dozen indices later, so the misses overlap.
        struct Pending {
            std::uint32_t index;
            std::uint16_t mark;
            std::uint8_t side;
        };
        constexpr std::size_t Ahead = 32;
        std::array<Pending, Ahead> pending{};
        std::size_t count = 0;
        forEachLegalNodeIn(table.layout, first, last, [&](std::uint64_t node, const Squares& sq, int side, int ep) {
            const auto mark = static_cast<std::uint16_t>(1 + static_cast<std::uint8_t>(byteOfState(table.state[node])));
            std::array<std::uint32_t, 8> indices{};
            int distinct = 0;
            for (int symmetry = 0; symmetry < symmetryCount(m); ++symmetry) {
                Squares image = sq;
                for (int i = 0; i < m.count; ++i) image[i] = static_cast<std::int8_t>(transformSquare(symmetry, sq[i]));
                int epSquare = -1;
                if (ep >= 0) epSquare = transformSquare(symmetry, ep + pawnStep(side));
                const PieceLists lists = pieceListsOf(m, image);
                const std::uint32_t index = tableIndex(cls, side, lists.stronger, lists.weaker, epSquare, false);
                if (index == NoIndex || index >= report.bytes[side]) {
                    unindexed[side].fetch_add(1, std::memory_order_relaxed);
                    continue;
                }
                if (std::find(indices.begin(), indices.begin() + distinct, index) != indices.begin() + distinct)
                    continue;  // most images repeat an index
                indices[static_cast<std::size_t>(distinct++)] = index;
                __builtin_prefetch(&marks[side][index], 1);
                Pending& slot = pending[count++ % Ahead];
                if (count > Ahead) enter(slot.side, slot.index, slot.mark);
                slot = {index, mark, static_cast<std::uint8_t>(side)};
            }
        });
        for (std::size_t i = count > Ahead ? count - Ahead : 0; i < count; ++i)
            enter(pending[i % Ahead].side, pending[i % Ahead].index, pending[i % Ahead].mark);
    };
    forEachPiece(nodeCount(table.layout), threads, NodePiece, number);
    std::array<std::vector<std::int8_t>, 2> bytes;
    for (int side = 0; side < 2; ++side) {
        report.unindexed[side] = unindexed[side].load();
        report.conflicts[side] = conflicts[side].load();
        bytes[side].resize(marks[side].size());
        std::transform(marks[side].begin(), marks[side].end(), bytes[side].begin(),
                       [](std::uint16_t mark) { return static_cast<std::int8_t>(mark == 0 ? 0 : mark - 1); });
        std::vector<std::uint16_t>().swap(marks[side]);
    }
    for (int side = 0; side < 2; ++side) {
        const std::string path = tableFileName(directory, m.name, side);
        const std::span<const std::uint8_t> values(reinterpret_cast<const std::uint8_t*>(bytes[side].data()),
                                                   bytes[side].size());
        if (!(compress ? emd::writeEmdFile(path + ".emd", values, error)
                       : files::writeFileAtomically(path, values, error)))
            return false;
    }
    return true;
}

std::vector<std::int8_t> readTableFile(const std::string& path, std::uint64_t expectedSize, std::string* reason) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        const std::size_t dot = path.rfind('.');
        std::string error;
        for (const std::string& name :
             {path + ".emd", dot == std::string::npos ? path : path.substr(0, dot) + path.substr(dot + 1) + ".emd"}) {
            if (!std::ifstream(name).good()) continue;
            std::vector<std::int8_t> values = emd::decompressFile(name, expectedSize, error);
            if (reason != nullptr) *reason = error;
            return values;
        }
        return {};
    }
    if (static_cast<std::uint64_t>(in.tellg()) != expectedSize) return {};
    std::vector<std::int8_t> bytes(expectedSize);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(expectedSize));
    if (!in) return {};
    return bytes;
}

bool compressTableFile(const std::string& path, CompressReport& report, std::string& error) {
    const std::string name = std::filesystem::path(path).filename().string();
    const bool white = name.ends_with(".nbw");
    const int cls =
        name.size() > 4 && (white || name.ends_with(".nbb")) ? classNumberOf(name.substr(0, name.size() - 4)) : 0;
    if (cls == 0) {
        error = path + ": not a table file (CLASS.nbw or CLASS.nbb)";
        return false;
    }
    const std::uint64_t size = tableClass(cls).size[white ? 0 : 1];
    const std::clock_t start = std::clock();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::vector<std::int8_t> values = in ? readTableFile(path, size) : std::vector<std::int8_t>{};
    if (values.empty()) {
        error = path + ": not a plain table of " + std::to_string(size) + " bytes";
        return false;
    }
    const std::string target = path + ".emd";
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(values.data()), values.size());
    if (!emd::writeEmdFile(target, bytes, error)) return false;
    report.seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (emd::decompressFile(target, size, error) != values) {
        error = target + " does not read back as " + path + (error.empty() ? "" : " (" + error + ")");
        std::remove(target.c_str());
        return false;
    }
    report.plainBytes = size;
    report.compressedBytes = std::filesystem::file_size(target);
    return true;
}

FileTableSource::FileTableSource(const std::string& directory, const std::string& className) {
    const auto material = parseMaterial(className);
    classNumber_ = classNumberOf(className);
    if (!material || classNumber_ == 0) return;
    material_ = *material;
    for (int side = 0; side < 2; ++side) {
        bytes_[side] = readTableFile(tableFileName(directory, className, side), tableClass(classNumber_).size[side]);
        if (bytes_[side].empty()) return;
    }
    ok_ = true;
}

std::int8_t FileTableSource::byteOf(const PieceLists& lists, int side, int epSquare) const {
    const std::uint32_t index = tableIndex(classNumber_, side, lists.stronger, lists.weaker, epSquare, false);
    if (index == NoIndex || index >= bytes_[side].size()) return 0;
    return bytes_[side][index];
}

std::uint8_t FileTableSource::stateOf(const Squares& sq, int side) const {
    return stateOfByte(byteOf(pieceListsOf(material_, sq), side, -1));
}

}  // namespace halberd::tablebase
