#pragma once
// The xboard commands that steer the search: move now, analysis, posting and
// the status line.
#include "frontend/dispatch.h"

namespace halberd::frontend {

Next xboardMoveNow(LoopState& state);
Next xboardExit(LoopState& state);
Next xboardStatus(LoopState& state);
Next xboardPost(LoopState& state);
Next xboardNopost(LoopState& state);
Next xboardAnalyze(LoopState& state);

}  // namespace halberd::frontend
