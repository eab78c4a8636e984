#include "compliance/KeptVerdict.h"

#include "core/TextTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

// Longer than any timecode or count a meter gives; a longer text is no reason this program wrote.
constexpr qsizetype kMaxTimecodeLength = 32;
constexpr qsizetype kMaxReasons = 64;

struct TNumberKey {
    const char* sKey;
    double TVerdictReason::*pValue;
};
constexpr TNumberKey kNumberKeys[] = {
    {"value", &TVerdictReason::fValue},
    {"limit", &TVerdictReason::fLimit},
    {"deviation", &TVerdictReason::fDeviation},
    {"tolerance", &TVerdictReason::fTolerance},
};

bool DecodeReason(const QJsonValue& vReason, TVerdictReason& r) {
    if (!vReason.isObject())
        return false;
    const QJsonObject o = vReason.toObject();
    const QJsonValue vKind = o.value(QLatin1String("kind"));
    if (!vKind.isDouble())
        return false;
    const double fKind = vKind.toDouble();
    if (fKind < 0 || fKind >= kReasonKindCount || fKind != std::floor(fKind))
        return false;
    r.eKind = static_cast<TReasonKind>(int(fKind));
    for (const TNumberKey& k : kNumberKeys) {
        const QJsonValue v = o.value(QLatin1String(k.sKey));
        if (v.isUndefined())
            continue;
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return false;
        r.*k.pValue = v.toDouble();
    }
    const QJsonValue vTimecode = o.value(QLatin1String("timecode"));
    if (!vTimecode.isUndefined()) {
        if (!vTimecode.isString() || vTimecode.toString().size() > kMaxTimecodeLength)
            return false;
        r.sTimecode = vTimecode.toString();
    }
    for (const auto& [sKey, pValue] : {std::pair{"count", &r.iCount}, std::pair{"code", &r.iCode}}) {
        const QJsonValue v = o.value(QLatin1String(sKey));
        if (v.isUndefined())
            continue;
        // Whole numbers that fit an int only.
        if (!v.isDouble() || v.toDouble() != std::floor(v.toDouble()) || std::abs(v.toDouble()) > 1e9)
            return false;
        *pValue = int(v.toDouble());
    }
    return true;
}

} // namespace

TKeptVerdict KeepVerdict(const TVerdict& rVerdict, const TLoudnessRange& rRange, const QString& sTimeCodeEnd,
                         qint64 iLevelRows) {
    TKeptVerdict r;
    r.eKind = rVerdict.eKind;
    r.rStandard = rVerdict.rStandard;
    r.sReasons = EncodeReasons(rVerdict.aReasons);
    r.rRange = rRange;
    r.sTimeCodeEnd = sTimeCodeEnd;
    r.iLevelRows = iLevelRows;
    return r;
}

bool RestoreVerdict(const TKeptVerdict& rKept, TVerdict& rVerdict) {
    std::vector<TVerdictReason> aReasons;
    if (!DecodeReasons(rKept.sReasons, aReasons) || aReasons.empty() ||
        VerdictKindOf(aReasons) != rKept.eKind)
        return false;
    rVerdict.eKind = rKept.eKind;
    rVerdict.rStandard = rKept.rStandard;
    rVerdict.aReasons = std::move(aReasons);
    return true;
}

TVerdictMark MarkOfKind(TVerdictKind eKind) {
    switch (eKind) {
    case TVerdictKind::Pass:
        return TVerdictMark::Pass;
    case TVerdictKind::Fail:
        return TVerdictMark::Fail;
    case TVerdictKind::NotVerifiable:
        break;
    }
    return TVerdictMark::NotVerifiable;
}

TVerdictMark MarkOf(const TKeptVerdict* pKept, const TLoudnessStandard& rTarget,
                    const QString& sTimeCodeEnd) {
    if (pKept == nullptr || !(pKept->rStandard == rTarget) || pKept->sTimeCodeEnd != sTimeCodeEnd)
        return TVerdictMark::NotComputed;
    return MarkOfKind(pKept->eKind);
}

TVerdictMark MarkOf(const TKeptMark* pMark, const QString& sTimeCodeEnd) {
    if (pMark == nullptr || pMark->sTimeCodeEnd != sTimeCodeEnd)
        return TVerdictMark::NotComputed;
    return pMark->eMark;
}

QString VerdictMarkName(TVerdictMark eMark, int iLNG) {
    switch (eMark) {
    case TVerdictMark::Pass:
        return GetText(kTxtVerdictPass, iLNG);
    case TVerdictMark::Fail:
        return GetText(kTxtVerdictFail, iLNG);
    case TVerdictMark::NotVerifiable:
        return GetText(kTxtVerdictNotVerifiable, iLNG);
    case TVerdictMark::NotComputed:
        break;
    }
    return GetText(kTxtVerdictNotComputed, iLNG);
}

QString EncodeReasons(const std::vector<TVerdictReason>& aReasons) {
    QJsonArray a;
    for (const TVerdictReason& r : aReasons) {
        QJsonObject o;
        o.insert(QLatin1String("kind"), int(r.eKind));
        // JSON has no NaN: a value that is not set is left out.
        for (const TNumberKey& k : kNumberKeys) {
            if (std::isfinite(r.*k.pValue))
                o.insert(QLatin1String(k.sKey), r.*k.pValue);
        }
        if (!r.sTimecode.isEmpty())
            o.insert(QLatin1String("timecode"), r.sTimecode);
        if (r.iCount != 0)
            o.insert(QLatin1String("count"), r.iCount);
        if (r.iCode != 0)
            o.insert(QLatin1String("code"), r.iCode);
        a.append(o);
    }
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

bool DecodeReasons(const QString& sText, std::vector<TVerdictReason>& aReasons) {
    aReasons.clear();
    QJsonParseError rError;
    const QJsonDocument doc = QJsonDocument::fromJson(sText.toUtf8(), &rError);
    if (rError.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() > kMaxReasons)
        return false;
    std::vector<TVerdictReason> aRead;
    for (const QJsonValue& v : doc.array()) {
        TVerdictReason r;
        if (!DecodeReason(v, r))
            return false;
        aRead.push_back(r);
    }
    aReasons = std::move(aRead);
    return true;
}
