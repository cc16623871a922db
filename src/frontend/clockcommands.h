#pragma once
// The xboard commands that set the clocks and limits: level, time, otim, sd, st.
#include "frontend/dispatch.h"

namespace halberd::frontend {

Next xboardLevel(LoopState& state);
Next xboardTime(LoopState& state);
Next xboardOtim(LoopState& state);
Next xboardSd(LoopState& state);
Next xboardSt(LoopState& state);

}  // namespace halberd::frontend
