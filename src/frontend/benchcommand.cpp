#include "frontend/benchcommand.h"

#include <cstdio>

#include "eval/evalbench.h"
#include "frontend/textnumber.h"
#include "search/bench.h"
#include "search/threads.h"
#include "tablebase/tbbench.h"

namespace halberd::frontend {

namespace {

constexpr char Usage[] =
    "usage: halberd bench [DEPTH [THREADS [MILLIS]]] | halberd bench eval [ROUNDS] | halberd bench tb [DIRECTORY "
    "[THREADS]]\n";

}  // namespace

std::optional<BenchRequest> parseBenchArguments(std::span<const std::string_view> arguments) {
    BenchRequest request{false, search::DefaultBenchDepth};
    int highest = MaxBenchDepth;
    if (!arguments.empty() && arguments[0] == "eval") {
        request = {true, DefaultEvalRounds};
        highest = MaxEvalRounds;
        arguments = arguments.subspan(1);
    }
    if (arguments.size() > (request.evaluationOnly ? 1u : 3u)) return std::nullopt;
    if (arguments.empty()) return request;
    const auto amount = wholeNumber(arguments[0], 1, highest);
    if (!amount) return std::nullopt;
    request.amount = *amount;
    if (arguments.size() > 1) {
        const auto threads = wholeNumber(arguments[1], 1, search::MaxThreads);
        if (!threads) return std::nullopt;
        request.threads = *threads;
    }
    if (arguments.size() > 2) {
        const auto millis = wholeNumber(arguments[2], 1, MaxBenchMillis);
        if (!millis) return std::nullopt;
        request.millis = *millis;
    }
    return request;
}

int runBenchWord(std::span<const std::string_view> arguments) {
    if (!arguments.empty() && arguments[0] == "tb" && arguments.size() <= 3) {
        const auto threads = arguments.size() == 3 ? wholeNumber(arguments[2], 1, search::MaxThreads) : 2;
        if (threads)
            return tablebase::runTablebaseBench(arguments.subspan(1).first(arguments.size() > 1 ? 1 : 0), *threads,
                                                stdout);
        std::fputs(Usage, stderr);
        return 2;
    }
    const auto request = parseBenchArguments(arguments);
    if (!request) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (!request->evaluationOnly) {
        search::runBench(request->amount, stdout, request->threads, request->millis);
        return 0;
    }
    // The main worker's pawn table comes with the hash tables; the evaluation probes it.
    search::allocateTables(std::int64_t{16} << 20);
    const eval::EvalBenchResult result = eval::evalBenchmark(request->amount, search::mainWorker().eval);
    std::printf("%llu evaluations in %.3f s, %.0f per second\n", static_cast<unsigned long long>(result.calls),
                result.seconds, result.callsPerSecond);
    std::fflush(stdout);
    return 0;
}

}  // namespace halberd::frontend
