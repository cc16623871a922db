#pragma once
// `halberd tb make`: makes the tables of the requested classes, after the
// classes their captures and promotions lead into (made in the same run or read
// from the output directory), and writes them as .nbw/.nbb files.
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tablebase/retrograde.h"

namespace halberd::tablebase {

// Counts of one finished table (one side to move).
struct TableSummary {
    std::uint64_t positions = 0;  // legal positions, one per symmetry class
    std::uint64_t wins = 0;
    std::uint64_t draws = 0;
    std::uint64_t losses = 0;
    int longestWin = 0;   // moves
    int longestLoss = 0;  // moves
    std::string longestWinFen;
    // Positions whose distance the file's byte cannot hold (a loss in 127
    // moves is written as one in 126): the first few in node order, and how many.
    std::vector<std::string> beyondByteFens;
    std::uint64_t beyondByte = 0;
};

std::array<TableSummary, 2> summarise(const WorkTable& table, int threads = 1);

class Generator {
public:
    // `progress` receives the passes, `out` the summaries; either may be null.
    // With `compress` the tables are written as compressed files (.emd). The
    // work is shared among `threads` threads; the files do not depend on it.
    Generator(std::string outputDirectory, std::FILE* progress, std::FILE* out, bool compress = false, int threads = 1);

    // Makes the class and what it needs; with writeFiles its tables are written
    // (and so are those of the classes made for it). False after a message.
    bool make(const std::string& className, bool writeFiles = true);

    // The finished table of a class made in this run without writing files, or nullptr.
    std::shared_ptr<const WorkTable> table(const std::string& className) const;

private:
    const ValueSource* source(const std::string& className) const;

    std::string directory_;
    std::FILE* progress_;
    std::FILE* out_;
    bool compress_;
    int threads_;
    std::map<std::string, std::shared_ptr<const WorkTable>> made_;
    std::map<std::string, std::unique_ptr<ValueSource>> sources_;
    std::set<std::string> written_;  // classes whose files this run wrote
};

// Expands "all4" into every 3- and 4-man class, "all5" into every 5-man class
// of the list and "all" into every class; other words stay.
std::vector<std::string> expandClassNames(const std::vector<std::string>& words);

}  // namespace halberd::tablebase
