#include "app/ReconnectPauses.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, 5> kPausesSeconds = {1, 2, 5, 10, TReconnectPauses::kSteadyPauseSeconds};

} // namespace

int TReconnectPauses::Next() {
    const int iStep = std::min(iAttempts, int(kPausesSeconds.size()) - 1);
    // At one attempt every 30 s the count would need two thousand years to overflow.
    ++iAttempts;
    return kPausesSeconds[size_t(iStep)];
}
