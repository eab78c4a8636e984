#include "core/GridLayouts.h"

#include "core/TextTable.h"

namespace {

bool AnyPeakLevel(const TDataOptions& o) {
    return o.bEnablePeakLevel || o.bEnablePeakLevelMax || o.bEnablePeakLevelMin;
}

bool AnyIntegrating(const TDataOptions& o) {
    return o.bEnableIntegrating || o.bEnableIntegratingMax || o.bEnableIntegratingMin;
}

} // namespace

TGridLabels LoudnessDataLabels(const TDataOptions& o) {
    TGridLabels r{kTxtInstrumentData, {kTxtTimeCodeLabel}};
    if (o.bEnableShortTerm) {
        r.aRowLabels.push_back(kTxtShortTermLabel);
    } else {
        if (o.bEnableShortTermMax)
            r.aRowLabels.push_back(kTxtShortTermMaxLabel);
        if (o.bEnableShortTermMin)
            r.aRowLabels.push_back(kTxtShortTermMinLabel);
    }
    if (AnyIntegrating(o))
        r.aRowLabels.push_back(kTxtIntegratingLabel);
    if (AnyPeakLevel(o))
        r.aRowLabels.push_back(kTxtPeakLevelLabel);
    if (o.bEnablePeakChannel)
        r.aRowLabels.push_back(kTxtPeakChannelLabel);
    if (o.bEnablePeakCount)
        r.aRowLabels.push_back(kTxtPeakCountLabel);
    return r;
}

TGridLabels DBLoudnessMaxLabels(const TDataOptions& o) {
    TGridLabels r{kTxtSessionStatistics, {}};
    if (o.bEnablePeakLevel) {
        r.aRowLabels.push_back(kTxtPeakLevelLabel);
    } else {
        if (o.bEnablePeakLevelMax)
            r.aRowLabels.push_back(kTxtPeakLevelMaxLabel);
        if (o.bEnablePeakLevelMin)
            r.aRowLabels.push_back(kTxtPeakLevelMinLabel);
    }
    if (o.bEnablePeakCount)
        r.aRowLabels.push_back(kTxtPeakCountLabel);
    if (o.bEnableShortTerm) {
        r.aRowLabels.push_back(kTxtShortTermLabel);
    } else {
        if (o.bEnableShortTermMax)
            r.aRowLabels.push_back(kTxtShortTermMaxLabel);
        if (o.bEnableShortTermMin)
            r.aRowLabels.push_back(kTxtShortTermMinLabel);
    }
    // The integrated loudness is the session's result, so its row is always there.
    r.aRowLabels.push_back(kTxtIntegratingLabel);
    if (!o.bEnableIntegrating) {
        if (o.bEnableIntegratingMax)
            r.aRowLabels.push_back(kTxtIntegratingMaxLabel);
        if (o.bEnableIntegratingMin)
            r.aRowLabels.push_back(kTxtIntegratingMinLabel);
    }
    return r;
}

std::vector<int> DBDataColumnHeadings(const TDataOptions& o) {
    std::vector<int> a{kTxtRowNumberHeading, kTxtTimecodeHeading};
    if (o.bEnablePeakChannel)
        a.push_back(kTxtPeakChannelHeading);
    if (AnyPeakLevel(o))
        a.push_back(kTxtPeakLevelHeading);
    if (o.bEnableShortTerm) {
        a.push_back(kTxtShortTermHeading);
    } else {
        if (o.bEnableShortTermMax)
            a.push_back(kTxtShortTermMaxHeading);
        if (o.bEnableShortTermMin)
            a.push_back(kTxtShortTermMinHeading);
    }
    if (AnyIntegrating(o))
        a.push_back(kTxtIntegratingHeading);
    return a;
}

TGridLabels DBSessionInfoLabels() {
    return {kTxtSessionInformation,
            {kTxtShowTitleLabel, kTxtShowNumberLabel, kTxtOperatorNameLabel, kTxtFormatLabel,
             kTxtTCStartAlignedLabel, kTxtTCEndAlignedLabel, kTxtRecordedLabel, kTxtAnalysisDateLabel,
             kTxtNotesLabel}};
}

TGridLabels SessionInfoLabels() {
    return {
        kTxtSessionInformation,
        {kTxtShowTitleLabel, kTxtShowNumberLabel, kTxtOperatorNameLabel, kTxtFormatLabel, kTxtNotesLabel}};
}

TGridLabels LoudnessCFGLabels() {
    return {kTxtLoudnessConfiguration,
            {kTxtPeakModeLabel, kTxtCaptureModeLabel, kTxtScaleModeLabel, kTxtReferenceLabel,
             kTxtShortTermWindowLabel, kTxtGateLevelLabel, kTxtGateModeLabel, kTxtReferenceLevelLabel,
             kTxtPeakLevelLabel, kTxtFilterLabel}};
}

TGridLabels DBLoudnessConfigLabels() {
    // The stored session also names the instrument it came from.
    TGridLabels r = LoudnessCFGLabels();
    r.aRowLabels.insert(r.aRowLabels.begin(), kTxtInstrumentTypeLabel);
    return r;
}

QStringList LoudnessConfigValueSamples(int iLNG) {
    QStringList sl;
    for (const TNameList& rList : {kPeakModeNames, kCaptureModeNames, kScaleModeNames, kReferenceNames,
                                   kFilterNames, kGateModeNames, kSlidingWindowNames})
        sl.append(GetNameList(rList));
    // Gate, reference and peak levels: a whole number of decibels and the scale or dBFS.
    sl.append(QStringLiteral("-100") + GetText(kTxtDBFSSuffix, iLNG));
    for (const QString& sScale : GetNameList(kScaleModeNames))
        sl.append(QStringLiteral("-100 ") + sScale);
    return sl;
}
