#include "tablebase/problems.h"

#include <atomic>
#include <cstdio>

namespace halberd::tablebase {

namespace {

std::atomic<ProblemWriter> extraWriter{nullptr};

}  // namespace

void setProblemWriter(ProblemWriter writer) { extraWriter.store(writer); }

void reportProblem(const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    if (const ProblemWriter writer = extraWriter.load()) writer(line);
}

}  // namespace halberd::tablebase
