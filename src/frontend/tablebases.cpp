#include "frontend/tablebases.h"

#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/uci.h"
#include "tablebase/problems.h"
#include "tablebase/registry.h"
#include "tablebase/searchprobe.h"

namespace halberd::frontend {

int tbFileCount = 0;
bool tbActive = false;

namespace {

// A UCI interface shows info strings, not standard error.
void tellUciInterface(const std::string& line) {
    if (uciMode.load() != 0) uciInfoString(std::string_view(line).substr(0, line.find('\n')));
}

}  // namespace

int startTablebases() {
    tablebase::setProblemWriter(tellUciInterface);
    tablebase::release();
    tbFileCount = tablebase::initialise(settings().tbPath, settings().tbCacheBytes);
    tbActive = true;
    tablebase::connectSearch(tbFileCount);
    return tbFileCount;
}

}  // namespace halberd::frontend
