#include "board/diagnostics.h"

#include <atomic>
#include <cstdio>

namespace halberd::board {

namespace {
std::atomic<DiagnosticSink> sink{nullptr};
std::atomic<std::uint64_t> errorCount{0};
std::atomic<int> lastCode{0};
}  // namespace

void internalErrorCode(int code) {
    errorCount.fetch_add(1, std::memory_order_relaxed);
    lastCode.store(code, std::memory_order_relaxed);
    if (DiagnosticSink out = sink.load(std::memory_order_acquire)) {
        char line[32];
        std::snprintf(line, sizeof line, "HB code %d\n", code);
        out(line);
    }
}

void setDiagnosticSink(DiagnosticSink newSink) { sink.store(newSink, std::memory_order_release); }

std::uint64_t internalErrorCount() { return errorCount.load(std::memory_order_relaxed); }

int lastInternalErrorCode() { return lastCode.load(std::memory_order_relaxed); }

void clearInternalErrors() {
    errorCount.store(0, std::memory_order_relaxed);
    lastCode.store(0, std::memory_order_relaxed);
}

}  // namespace halberd::board
