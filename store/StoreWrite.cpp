#include "store/StoreWrite.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <iterator>

namespace {

const char* const kKindNames[] = {"session", "update", "level", "gap"};
constexpr int kKindCount = int(std::size(kKindNames));
// The stored form of a gap's date-times, which reads back to the same second.
const char* const kGapDateTimeFormat = "yyyy-MM-ddTHH:mm:ss";

// Reals travel as text with every digit, so a value (even an infinite one) comes back exactly.
QString RealText(double f) {
    return QString::number(f, 'g', 17);
}

double RealOf(const QJsonObject& o, const char* sKey) {
    bool bOk = false;
    const double f = o.value(QLatin1String(sKey)).toString().toDouble(&bOk);
    return bOk ? f : 0.0;
}

int IntOf(const QJsonObject& o, const char* sKey) {
    return o.value(QLatin1String(sKey)).toInt();
}

QString TextOf(const QJsonObject& o, const char* sKey) {
    return o.value(QLatin1String(sKey)).toString();
}

} // namespace

const QString& TStoreWrite::SessionId() const {
    switch (eKind) {
    case InsertLevel:
        return rLevel.sReportId;
    case InsertGap:
        return rGap.sReportId;
    case InsertSession:
    case UpdateSession:
        break;
    }
    return rSession.sReportID;
}

QByteArray EncodeStoreWrite(const TStoreWrite& w) {
    QJsonObject o;
    o["kind"] = QLatin1String(kKindNames[w.eKind]);
    o["db"] = w.sDatabase;
    o["stamp"] = RealText(w.fStamp);
    if (w.eKind == TStoreWrite::InsertLevel) {
        const TStoredLevel& r = w.rLevel;
        o["id"] = r.sReportId;
        o["ver"] = r.sReportVersion;
        o["tc"] = r.sTimeCode;
        o["channel"] = r.iPeakChannel;
        o["peak"] = RealText(r.fInstantaneousPeak);
        o["hi"] = RealText(r.fLoudnessHi);
        o["lo"] = RealText(r.fLoudnessLo);
        o["int"] = RealText(r.fLoudnessInt);
        o["stamp"] = RealText(r.fStamp);
    } else if (w.eKind == TStoreWrite::InsertGap) {
        const TSessionGap& r = w.rGap;
        o["id"] = r.sReportId;
        o["tcBefore"] = r.sTimeCodeBefore;
        o["tcAfter"] = r.sTimeCodeAfter;
        o["before"] = r.dtBefore.toString(QLatin1String(kGapDateTimeFormat));
        o["after"] = r.dtAfter.toString(QLatin1String(kGapDateTimeFormat));
        o["reason"] = r.sReason;
    } else {
        const TSessionInfo& r = w.rSession;
        const TLoudnessSetup& s = r.rLoudnessSetup;
        o["id"] = r.sReportID;
        o["ver"] = r.sReportVersion;
        o["instrument"] = r.sInstrument;
        o["title"] = r.sShowTitle;
        o["no"] = r.sShowNumber;
        o["operator"] = r.sOperatorName;
        o["format"] = r.sFormat;
        o["notes"] = r.sNotes;
        o["tcStart"] = r.sTimeCodeStart;
        o["tcEnd"] = r.sTimeCodeEnd;
        o["peakMode"] = s.iPeakMode;
        o["capture"] = s.iCapture;
        o["scale"] = s.iScaleMode;
        o["reference"] = s.iReference;
        o["window"] = s.iSlidingWindow;
        o["gate"] = RealText(s.fGateLevel);
        o["gateMode"] = s.iGateMode;
        o["referenceLevel"] = RealText(s.fReferenceLevel);
        o["peakLevel"] = RealText(s.fMeterPeakLevel);
        o["filter"] = s.iFilter;
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool DecodeStoreWrite(const QByteArray& aLine, TStoreWrite& w) {
    QJsonParseError rError;
    const QJsonDocument doc = QJsonDocument::fromJson(aLine, &rError);
    if (rError.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    const QString sKind = TextOf(o, "kind");
    int iKind = -1;
    for (int i = 0; i < kKindCount; ++i) {
        if (sKind == QLatin1String(kKindNames[i]))
            iKind = i;
    }
    // Every write names its session; without one it would make rows that belong to none.
    if (iKind < 0 || TextOf(o, "id").isEmpty())
        return false;
    w = TStoreWrite();
    w.eKind = TStoreWrite::TKind(iKind);
    w.sDatabase = TextOf(o, "db");
    w.fStamp = RealOf(o, "stamp");
    if (w.eKind == TStoreWrite::InsertLevel) {
        TStoredLevel& r = w.rLevel;
        r.sReportId = TextOf(o, "id");
        r.sReportVersion = TextOf(o, "ver");
        r.sTimeCode = TextOf(o, "tc");
        r.iPeakChannel = IntOf(o, "channel");
        r.fInstantaneousPeak = RealOf(o, "peak");
        r.fLoudnessHi = RealOf(o, "hi");
        r.fLoudnessLo = RealOf(o, "lo");
        r.fLoudnessInt = RealOf(o, "int");
        r.fStamp = w.fStamp;
        return true;
    }
    if (w.eKind == TStoreWrite::InsertGap) {
        TSessionGap& r = w.rGap;
        const QString sFormat = QLatin1String(kGapDateTimeFormat);
        r.sReportId = TextOf(o, "id");
        r.sTimeCodeBefore = TextOf(o, "tcBefore");
        r.sTimeCodeAfter = TextOf(o, "tcAfter");
        r.dtBefore = QDateTime::fromString(TextOf(o, "before"), sFormat);
        r.dtAfter = QDateTime::fromString(TextOf(o, "after"), sFormat);
        r.sReason = TextOf(o, "reason");
        return true;
    }
    TSessionInfo& r = w.rSession;
    TLoudnessSetup& s = r.rLoudnessSetup;
    r.sReportID = TextOf(o, "id");
    r.sReportVersion = TextOf(o, "ver");
    r.sInstrument = TextOf(o, "instrument");
    r.sShowTitle = TextOf(o, "title");
    r.sShowNumber = TextOf(o, "no");
    r.sOperatorName = TextOf(o, "operator");
    r.sFormat = TextOf(o, "format");
    r.sNotes = TextOf(o, "notes");
    r.sTimeCodeStart = TextOf(o, "tcStart");
    r.sTimeCodeEnd = TextOf(o, "tcEnd");
    s.iPeakMode = IntOf(o, "peakMode");
    s.iCapture = IntOf(o, "capture");
    s.iScaleMode = IntOf(o, "scale");
    s.iReference = IntOf(o, "reference");
    s.iSlidingWindow = IntOf(o, "window");
    s.fGateLevel = RealOf(o, "gate");
    s.iGateMode = IntOf(o, "gateMode");
    s.fReferenceLevel = RealOf(o, "referenceLevel");
    s.fMeterPeakLevel = RealOf(o, "peakLevel");
    s.iFilter = IntOf(o, "filter");
    return true;
}
