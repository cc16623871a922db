#pragma once
// Retrograde analysis of one class on its dense work table: exact distances to
// mate for both sides to move, given the values of the classes that captures
// and promotions lead into.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tablebase/worktable.h"

namespace halberd::tablebase {

// The values of a finished class, however they are held.
class ValueSource {
public:
    virtual ~ValueSource() = default;
    // State byte (see worktable.h) of a legal position of the class, men in the
    // class's order, the stronger side moving up.
    virtual std::uint8_t stateOf(const Squares& sq, int side) const = 0;
};

// A finished work table as a value source.
class WorkTableSource final : public ValueSource {
public:
    explicit WorkTableSource(std::shared_ptr<const WorkTable> table) : table_(std::move(table)) {}
    std::uint8_t stateOf(const Squares& sq, int side) const override;

private:
    std::shared_ptr<const WorkTable> table_;
};

// Finds the values of a class by name; nullptr when they are not available.
using SourceLookup = std::function<const ValueSource*(const std::string& className)>;

// Called after each pass: the pass number (plies from mate), positions resolved in it.
using PassReport = std::function<void(int pass, std::uint64_t resolved)>;

// The names of the classes that captures and promotions from this class lead into.
std::vector<std::string> conversionClasses(const Material& m);

// Runs the analysis on `threads` threads (the same table for any number).
// Every class of conversionClasses must be available.
WorkTable solveClass(const Material& m, const SourceLookup& lookup, const PassReport& report, int threads = 1);

// The value of a move into another class: the state byte of the position after it,
// seen from the side then to move (0 for bare kings).
struct Conversion {
    const ValueSource* target = nullptr;      // nullptr: bare kings, a draw
    bool swapped = false;                     // the target's stronger side is our weaker side
    std::array<std::int8_t, MaxMen> mapTo{};  // our man -> its man, -1 when gone
};

// Conversion records of a class keyed by (captured man, promoting man, promotion kind).
class ConversionTable {
public:
    ConversionTable(const Material& m, const SourceLookup& lookup);
    std::uint8_t stateAfter(const Step& step, const Squares& after, int sideToMove) const;

private:
    static int key(int captured, int promoting, ManKind kind);
    std::array<Conversion, 6 * 6 * 6> records_{};
};

}  // namespace halberd::tablebase
