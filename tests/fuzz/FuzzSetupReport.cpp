// Feeds arbitrary bytes to the initialisation report parser and checks the setup it leaves behind.
#include "engine/ReportParser.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool bCondition) {
    if (!bCondition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    TLoudnessSetup setup;
    setup.fMeterPeakBarLevel = 1.5;
    setup.nUnknown = 7;
    engine::ParseSetupReport(text, setup);

    // The initialisation report never carries these.
    Require(setup.iGateMode == engine::kValueNotReceived);
    Require(setup.fMeterPeakBarLevel == 1.5 && setup.nUnknown == 7);
    Require(setup.iSlidingWindow == engine::kValueNotReceived ||
            (setup.iSlidingWindow >= 0 && setup.iSlidingWindow <= 4));
    Require(std::isfinite(setup.fGateLevel) && std::isfinite(setup.fReferenceLevel) &&
            std::isfinite(setup.fMeterPeakLevel));
    if (setup.bValid) {
        Require(setup.iSlidingWindow != engine::kValueNotReceived);
        Require(text.contains(u'I'));
    }

    // Parsing again from the same text gives the same setup: the parser keeps no hidden state.
    TLoudnessSetup again = setup;
    engine::ParseSetupReport(text, again);
    Require(again.bValid == setup.bValid && again.iPeakMode == setup.iPeakMode &&
            again.iFilter == setup.iFilter && again.iSlidingWindow == setup.iSlidingWindow);
    return 0;
}
