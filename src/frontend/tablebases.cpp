#include "frontend/tablebases.h"

#include "frontend/settings.h"
#include "tablebase/registry.h"
#include "tablebase/searchprobe.h"

namespace halberd::frontend {

int tbFileCount = 0;
bool tbActive = false;

int startTablebases() {
    tablebase::release();
    tbFileCount = tablebase::initialise(settings().tbPath, settings().tbCacheBytes);
    tbActive = true;
    tablebase::connectSearch(tbFileCount);
    return tbFileCount;
}

}  // namespace halberd::frontend
