#include "search/report.h"

#include <utility>

namespace halberd::search {

namespace {

Reporter installed;

}  // namespace

Reporter setReporter(Reporter reporter) {
    std::swap(installed, reporter);
    return reporter;
}

bool reporterInstalled() { return static_cast<bool>(installed); }

void report(const IterationReport& facts) {
    if (installed) installed(facts);
}

}  // namespace halberd::search
