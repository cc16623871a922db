#include "book/bookchoice.h"

#include <algorithm>

#include "book/bookrandom.h"

namespace halberd::book {

int candidateSlots(const BookCandidate& candidate) {
    // Single precision as in the book's original weighting, so that borderline
    // rates truncate to the same slot counts.
    float weight = candidate.games == 0
                       ? 50.0f
                       : (static_cast<float>(candidate.score) * 0.5f / static_cast<float>(candidate.games)) * 100.0f;
    weight = weight / 10.0f;
    return std::min(static_cast<int>(weight), MaxCandidateSlots - 1) + 1;
}

int totalSlots(const BookRecord& record) {
    int total = 0;
    for (int i = 0, n = candidateCount(record); i < n; ++i) total += candidateSlots(record.candidates[i]);
    return total;
}

std::uint16_t bookChoose(const BookRecord& record) {
    const int n = candidateCount(record);
    if (n == 0) return 0;
    int slot = static_cast<int>(drawRandom() % static_cast<std::uint32_t>(totalSlots(record)));
    for (int i = 0; i < n; ++i) {
        slot -= candidateSlots(record.candidates[i]);
        if (slot < 0) return record.candidates[i].move;
    }
    return record.candidates[n - 1].move;
}

}  // namespace halberd::book
