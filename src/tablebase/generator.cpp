#include "tablebase/generator.h"

#include <chrono>

#include "tablebase/classes.h"
#include "tablebase/parallelparts.h"
#include "tablebase/tablefiles.h"

namespace halberd::tablebase {

constexpr std::uint64_t BeyondByteListed = 20;

std::array<TableSummary, 2> summarise(const WorkTable& table, int threads) {
    // Each piece of nodes is summed on its own; the pieces are then added in
    // order, so the longest win found first is the one named, as on one thread.
    constexpr std::uint64_t Piece = std::uint64_t{1} << 16;
    const std::uint64_t count = nodeCount(table.layout);
    std::vector<std::array<TableSummary, 2>> pieces((count + Piece - 1) / Piece);
    forEachPiece(count, threads, Piece, [&](std::uint64_t first, std::uint64_t last) {
        auto& summary = pieces[first / Piece];
        forEachLegalNodeIn(table.layout, first, last, [&](std::uint64_t node, const Squares& sq, int side, int ep) {
            TableSummary& s = summary[side];
            ++s.positions;
            const std::uint8_t state = table.state[node];
            if (state == 0) {
                ++s.draws;
            } else if (stateIsWin(state)) {
                ++s.wins;
                if (movesOfState(state) > s.longestWin) {
                    s.longestWin = movesOfState(state);
                    s.longestWinFen = fenOf(table.layout.material, sq, side, ep);
                }
            } else {
                ++s.losses;
                s.longestLoss = std::max(s.longestLoss, movesOfState(state));
            }
            if (stateOfByte(byteOfState(state)) != state && s.beyondByte++ < BeyondByteListed)
                s.beyondByteFens.push_back(fenOf(table.layout.material, sq, side, ep));
        });
    });
    std::array<TableSummary, 2> total{};
    for (auto& piece : pieces)
        for (int side = 0; side < 2; ++side) {
            TableSummary& s = total[side];
            TableSummary& p = piece[side];
            s.positions += p.positions;
            s.wins += p.wins;
            s.draws += p.draws;
            s.losses += p.losses;
            if (p.longestWin > s.longestWin) {
                s.longestWin = p.longestWin;
                s.longestWinFen = std::move(p.longestWinFen);
            }
            s.longestLoss = std::max(s.longestLoss, p.longestLoss);
            s.beyondByte += p.beyondByte;
            for (std::string& fen : p.beyondByteFens)
                if (s.beyondByteFens.size() < BeyondByteListed) s.beyondByteFens.push_back(std::move(fen));
        }
    return total;
}

Generator::Generator(std::string outputDirectory, std::FILE* progress, std::FILE* out, bool compress, int threads)
    : directory_(std::move(outputDirectory)), progress_(progress), out_(out), compress_(compress), threads_(threads) {}

std::shared_ptr<const WorkTable> Generator::table(const std::string& className) const {
    const auto found = made_.find(className);
    return found == made_.end() ? nullptr : found->second;
}

const ValueSource* Generator::source(const std::string& className) const {
    const auto found = sources_.find(className);
    return found == sources_.end() ? nullptr : found->second.get();
}

bool Generator::make(const std::string& className, bool writeFiles) {
    if (made_.count(className) != 0 || written_.count(className) != 0) return true;
    const auto material = parseMaterial(className);
    if (!material) {
        if (out_) std::fprintf(out_, "tb: unknown class %s\n", className.c_str());
        return false;
    }
    const auto needs = conversionClasses(*material);
    const auto inDirectory = [&](const std::string& needed) {
        return std::make_unique<FileTableSource>(directory_, needed);
    };
    // Step 1: make what is neither at hand nor in the directory.
    for (const std::string& needed : needs) {
        if (source(needed) != nullptr || written_.count(needed) != 0) continue;
        if (writeFiles) {
            auto files = inDirectory(needed);
            if (files->ok()) {
                if (progress_)
                    std::fprintf(progress_, "%s: using %s from %s\n", className.c_str(), needed.c_str(),
                                 directory_.empty() ? "." : directory_.c_str());
                sources_[needed] = std::move(files);
                continue;
            }
        }
        if (!make(needed, writeFiles)) return false;
    }
    // Step 2: a class made for this one was written and let go; read it back.
    for (const std::string& needed : needs) {
        if (source(needed) != nullptr || !writeFiles) continue;
        auto files = inDirectory(needed);
        if (!files->ok()) {
            if (out_) std::fprintf(out_, "tb: %s cannot be read back from %s\n", needed.c_str(), directory_.c_str());
            return false;
        }
        sources_[needed] = std::move(files);
    }

    const auto start = std::chrono::steady_clock::now();
    const SourceLookup lookup = [this](const std::string& name) { return source(name); };
    const PassReport report = [&](int pass, std::uint64_t resolved) {
        if (progress_) {
            std::fprintf(progress_, "%s: pass %d, %llu positions resolved\n", className.c_str(), pass,
                         static_cast<unsigned long long>(resolved));
            std::fflush(progress_);
        }
    };
    auto table = std::make_shared<WorkTable>(solveClass(*material, lookup, report, threads_));
    WriteReport written;
    if (writeFiles) {
        std::string error;
        if (!writeTableFiles(*table, directory_, written, error, compress_, threads_)) {
            if (out_) std::fprintf(out_, "tb: %s\n", error.c_str());
            return false;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto summary = summarise(*table, threads_);
    if (out_) {
        for (int side = 0; side < 2; ++side) {
            const TableSummary& s = summary[side];
            std::fprintf(out_,
                         "%s.%s: %llu positions, %llu wins, %llu draws, %llu losses, longest win %d moves%s%s, "
                         "%.2f s\n",
                         className.c_str(), side == 0 ? "nbw" : "nbb", static_cast<unsigned long long>(s.positions),
                         static_cast<unsigned long long>(s.wins), static_cast<unsigned long long>(s.draws),
                         static_cast<unsigned long long>(s.losses), s.longestWin, s.longestWin > 0 ? " " : "",
                         s.longestWinFen.c_str(), seconds);
            if (s.beyondByte != 0) {
                std::fprintf(out_, "%s.%s: %llu positions lose in %d moves, beyond the byte (written as %d):\n",
                             className.c_str(), side == 0 ? "nbw" : "nbb",
                             static_cast<unsigned long long>(s.beyondByte), s.longestLoss,
                             movesOfState(stateOfByte(byteOfState(static_cast<std::uint8_t>(2 * s.longestLoss + 1)))));
                for (const std::string& fen : s.beyondByteFens) std::fprintf(out_, "  %s\n", fen.c_str());
            }
            if (written.unindexed[side] != 0 || written.conflicts[side] != 0)
                std::fprintf(out_, "%s.%s: %llu positions without an index, %llu indices with two values\n",
                             className.c_str(), side == 0 ? "nbw" : "nbb",
                             static_cast<unsigned long long>(written.unindexed[side]),
                             static_cast<unsigned long long>(written.conflicts[side]));
        }
        std::fflush(out_);
    }
    if (writeFiles) {
        // Written classes are read back from their files when needed: a run that
        // makes a whole tree holds one work table and its successors' files at a
        // time, not every table it made.
        written_.insert(className);
        sources_.clear();
        return true;
    }
    made_[className] = table;
    sources_[className] = std::make_unique<WorkTableSource>(table);
    return true;
}

std::vector<std::string> expandClassNames(const std::vector<std::string>& words) {
    std::vector<std::string> names;
    for (const std::string& word : words) {
        if (word == "all4") {
            for (const std::string& name : allFourManClasses()) names.push_back(name);
        } else if (word == "all5" || word == "all") {
            for (int number = 1; tableClass(number).number != 0; ++number)
                if (word == "all" || tableClass(number).name.size() == 5) names.emplace_back(tableClass(number).name);
        } else {
            names.push_back(word);
        }
    }
    return names;
}

}  // namespace halberd::tablebase
