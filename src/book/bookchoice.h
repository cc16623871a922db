#pragma once
// Weighted random choice among a record's candidates: each candidate owns a
// number of slots that grows with its score rate, and one slot is drawn.
#include <cstdint>

#include "book/bookrecord.h"

namespace halberd::book {

// Slots of a candidate: 1 + a tenth of its score rate in percent (an unplayed
// move counts as 50%). A record claiming more points than its games allow is
// held to the all-won rate, so no candidate owns more than MaxCandidateSlots.
constexpr int MaxCandidateSlots = 11;
int candidateSlots(const BookCandidate& candidate);

// Sum of the slots of the candidates in use.
int totalSlots(const BookRecord& record);

// Move of the candidate that owns a random slot, or 0 for a record without candidates.
std::uint16_t bookChoose(const BookRecord& record);

}  // namespace halberd::book
