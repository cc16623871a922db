#pragma once
// The xboard commands around the search: starting and stopping it, analysis,
// posting, the status line and the clocks.
#include "frontend/dispatch.h"

namespace halberd::frontend {

Next xboardGo(LoopState& state);
Next xboardMoveNow(LoopState& state);
Next xboardLevel(LoopState& state);
Next xboardTime(LoopState& state);
Next xboardOtim(LoopState& state);
Next xboardSd(LoopState& state);
Next xboardSt(LoopState& state);
Next xboardExit(LoopState& state);
Next xboardStatus(LoopState& state);
Next xboardPost(LoopState& state);
Next xboardNopost(LoopState& state);
Next xboardAnalyze(LoopState& state);

}  // namespace halberd::frontend
