#pragma once
// The rule a refused set-up breaks, in words for the "Illegal position" replies:
// the set-up's code tells only which of a few groups the fault is in.
#include <string>
#include <string_view>

namespace halberd::frontend {

// Why the set-up with this code was refused. With the FEN it came from, the
// placement is looked at for the fault (a pawn on the first or last rank,
// two kings, a missing king, too many men, a malformed rank or field);
// without one (edit mode, a position file) the code alone speaks.
std::string illegalPositionReason(int code, std::string_view fen = {});

// "Illegal position <code>: <reason>", the text every protocol's reply carries.
std::string illegalPositionText(int code, std::string_view fen = {});

}  // namespace halberd::frontend
