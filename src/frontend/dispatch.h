#pragma once
// The dispatch of one normalised command line: the command table in its fixed
// order, shared by the xboard and UCI commands, and the fall-back to a move.
#include <span>
#include <string>
#include <string_view>

#include "board/gameboard.h"
#include "frontend/inputline.h"

namespace halberd::frontend {

// What the loop does after a handler.
enum class Next {
    ReadLine,    // read the next line
    Redispatch,  // the handler replaced the line (by "GO"): dispatch it again
    Quit,        // end the program with status 0
};

// The command loop's own state, handed to every handler.
struct LoopState {
    LineReader& input;  // the EDIT sub-loop reads from it too
    board::GameBoard& game;
    std::string line;        // the normalised line being dispatched
    bool forceMode = false;  // the engine does not answer moves
    std::string typed{};     // the line as it came, for texts whose case matters (SAN moves, messages)
};

using Handler = Next (*)(LoopState&);

enum class Match {
    Prefix,         // the line begins with the text (case as normalised)
    Exact,          // the whole line equals the text
    PrefixAnyCase,  // the line begins with the text in any case
};

struct Command {
    std::string_view text;
    Match match;
    bool needsUci;  // skipped unless the "UCI" line was seen
    Handler handler;
};

// The line as it came, without the blanks around it; the normalised line when
// the loop kept none.
std::string_view typedLine(const LoopState& state);
// "Error (bad value): <the line>" for a value that is not a number; the
// handler then leaves the setting as it was.
void reportBadValue(const LoopState& state);

bool commandMatches(const Command& command, std::string_view line, bool inUciMode);

// The table in dispatch order; the first matching entry acts.
std::span<const Command> commandTable();

// Runs the first matching command, or tries the line as a move; repeats while a
// handler asks for a redispatch.
Next dispatchLine(LoopState& state);

}  // namespace halberd::frontend
