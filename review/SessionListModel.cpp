#include "review/SessionListModel.h"

#include "review/VerdictMarkGlyph.h"
#include "store/dbSQLite.h"

#include <QDateTime>
#include <QLocale>
#include <array>
#include <cmath>

namespace {

constexpr int kDisplayTitleLength = 20;
constexpr double kMsecsPerDay = 86400000.0;

// Columns of qxr_sessions, looked up once per list rather than once per value.
enum TSessionField : int {
    fReportId,
    fVersion,
    fDateTime,
    fRecordingStart,
    fInstrument,
    fTitle,
    fNo,
    fOperator,
    fFormat,
    fTimeCodeStart,
    fTimeCodeEnd,
    fNotes,
    fPeakMode,
    fCaptureMode,
    fScaleMode,
    fReferenceMode,
    fSlidingWindow,
    fGateLevel,
    fGateMode,
    fReferenceLevel,
    fPeakLevel,
    fFilter,
    kFieldCount
};

constexpr std::array<const char*, kFieldCount> kFieldNames = {"sReportId",
                                                              "iVersion",
                                                              "dtDateTime",
                                                              "dtRecordingStart",
                                                              "sInstrument",
                                                              "sTitle",
                                                              "sNo",
                                                              "sOperator",
                                                              "sFormat",
                                                              "sTimeCodeStart",
                                                              "sTimeCodeEnd",
                                                              "sNotes",
                                                              "iLoudnessPeakMode",
                                                              "iLoudnessCaptureMode",
                                                              "iLoudnessScaleMode",
                                                              "iLoudnessReferenceMode",
                                                              "iLoudnessSlidingWindow",
                                                              "fLoudnessGateLevel",
                                                              "iLoudnessGateMode",
                                                              "fLoudnessReferenceLevel",
                                                              "fLoudnessPeakLevel",
                                                              "iLoudnessFilter"};

using TFieldIndex = std::array<int, kFieldCount>;

TSessionInfo ReadSession(const TDBResult& r, const TFieldIndex& i) {
    TSessionInfo s;
    s.sReportID = r.AsString(i[fReportId]);
    s.sReportVersion = r.AsString(i[fVersion]);
    s.dtDateTime = r.AsFloat(i[fDateTime]);
    // A statement of other columns than the list's reads as a session recorded when it was last stamped.
    s.dtRecordingStart = r.IsNumber(i[fRecordingStart]) ? r.AsFloat(i[fRecordingStart]) : s.dtDateTime;
    s.sInstrument = r.AsString(i[fInstrument]);
    s.sShowTitle = r.AsString(i[fTitle]);
    s.sShowNumber = r.AsString(i[fNo]);
    s.sOperatorName = r.AsString(i[fOperator]);
    s.sFormat = r.AsString(i[fFormat]);
    s.sTimeCodeStart = r.AsString(i[fTimeCodeStart]);
    s.sTimeCodeEnd = r.AsString(i[fTimeCodeEnd]);
    s.sNotes = r.AsString(i[fNotes]);
    TLoudnessSetup& l = s.rLoudnessSetup;
    // Codes outside an int show as "Unknown" rather than wrapping onto a valid name.
    const auto Code = [&r](int iIndex) {
        const qint64 iValue = r.AsInteger(iIndex);
        return iValue < INT32_MIN || iValue > INT32_MAX ? -1 : int(iValue);
    };
    l.iPeakMode = Code(i[fPeakMode]);
    l.iCapture = Code(i[fCaptureMode]);
    l.iScaleMode = Code(i[fScaleMode]);
    l.iReference = Code(i[fReferenceMode]);
    l.iSlidingWindow = Code(i[fSlidingWindow]);
    l.fGateLevel = r.AsFloat(i[fGateLevel]);
    l.iGateMode = Code(i[fGateMode]);
    l.fReferenceLevel = r.AsFloat(i[fReferenceLevel]);
    l.fMeterPeakLevel = r.AsFloat(i[fPeakLevel]);
    l.iFilter = Code(i[fFilter]);
    l.fMeterPeakBarLevel = 0;
    l.nUnknown = 0;
    l.bValid = true;
    return s;
}

} // namespace

QString SessionDisplayTitle(const QString& sTitle) {
    if (sTitle.size() <= kDisplayTitleLength)
        return sTitle;
    return sTitle.left(kDisplayTitleLength) + QStringLiteral("...");
}

QString SessionDateText(double fJulian) {
    if (!std::isfinite(fJulian))
        return {};
    // The Julian day number counts from noon: the stamp's day starts half a day later.
    const double fShifted = fJulian + 0.5;
    const double fDay = std::floor(fShifted);
    if (fDay < double(INT32_MIN) || fDay > double(INT32_MAX))
        return {};
    const QDate dtDate = QDate::fromJulianDay(qint64(fDay));
    const int iMsecs =
        std::clamp(int(std::llround((fShifted - fDay) * kMsecsPerDay)), 0, int(kMsecsPerDay) - 1);
    const QDateTime dtStamp(dtDate, QTime::fromMSecsSinceStartOfDay(iMsecs));
    const QLocale Locale;
    return Locale.toString(dtStamp.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           Locale.toString(dtStamp.time(), QLocale::LongFormat);
}

int TSessionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(aSessions.size());
}

int TSessionListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString TSessionListModel::CellText(int iRow, int iCol) const {
    if (iRow < 0 || iRow >= int(aSessions.size()))
        return {};
    const TSessionInfo& s = aSessions[size_t(iRow)];
    switch (iCol) {
    case kColDisplayTitle:
        return SessionDisplayTitle(s.sShowTitle);
    case kColDateTime:
        return SessionDateText(s.dtRecordingStart);
    case kColReportId:
        return s.sReportID;
    case kColTitle:
        return s.sShowTitle;
    case kColNumber:
        return s.sShowNumber;
    case kColTCStart:
        return s.sTimeCodeStart;
    case kColTCEnd:
        return s.sTimeCodeEnd;
    default:
        return {};
    }
}

QVariant TSessionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return CellText(index.row(), index.column());
    case kMarkRole:
        return int(Mark(index.row()));
    case Qt::DecorationRole:
        if (index.column() == kColDisplayTitle)
            return MarkImage(Mark(index.row()));
        return {};
    case Qt::AccessibleDescriptionRole:
        if (index.column() == kColDisplayTitle)
            return VerdictMarkName(Mark(index.row()), iLNG);
        return {};
    default:
        return {};
    }
}

const QImage& TSessionListModel::MarkImage(TVerdictMark eMark) const {
    QImage& Image = aMarkImages[size_t(eMark)];
    if (Image.isNull())
        Image = VerdictMarkImage(eMark, kMarkSize);
    return Image;
}

TVerdictMark TSessionListModel::Mark(int iRow) const {
    if (iRow < 0 || iRow >= int(aMarks.size()))
        return TVerdictMark::NotComputed;
    return aMarks[size_t(iRow)];
}

void TSessionListModel::SetMark(const QString& sReportId, TVerdictMark eMark) {
    const int iRow = RowOfSession(sReportId);
    if (iRow < 0 || aMarks[size_t(iRow)] == eMark)
        return;
    aMarks[size_t(iRow)] = eMark;
    Q_EMIT dataChanged(index(iRow, 0), index(iRow, kColumnCount - 1),
                       {kMarkRole, Qt::DecorationRole, Qt::AccessibleDescriptionRole});
}

QVariant TSessionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == kColDisplayTitle && role == Qt::DisplayRole)
        return sTitle;
    return {};
}

void TSessionListModel::SetTitle(const QString& sNewTitle) {
    sTitle = sNewTitle;
    Q_EMIT headerDataChanged(Qt::Horizontal, kColDisplayTitle, kColDisplayTitle);
}

bool ReadSessionRows(TDBResult& DBResult, std::vector<TSessionInfo>& aSessions, QString& sError) {
    TFieldIndex aIndex{};
    for (size_t i = 0; i < kFieldNames.size(); ++i)
        aIndex[i] = DBResult.ColumnIndex(QLatin1String(kFieldNames[i]));
    aSessions.clear();
    for (; !DBResult.Eof(); DBResult.Next())
        aSessions.push_back(ReadSession(DBResult, aIndex));
    sError = DBResult.LastError();
    if (!sError.isEmpty())
        aSessions.clear();
    return sError.isEmpty();
}

bool TSessionListModel::LoadSessions(TDBResult& DBResult, QString& sError) {
    return LoadSessions(DBResult, {}, std::nullopt, sError);
}

bool TSessionListModel::LoadSessions(TDBResult& DBResult, const QHash<QString, TKeptMark>& aKept,
                                     const std::optional<TVerdictMark>& oOnly, QString& sError) {
    std::vector<TSessionInfo> aRead;
    ReadSessionRows(DBResult, aRead, sError);
    std::vector<TVerdictMark> aReadMarks;
    aReadMarks.reserve(aRead.size());
    for (const TSessionInfo& s : aRead) {
        const auto it = aKept.constFind(s.sReportID);
        aReadMarks.push_back(MarkOf(it != aKept.constEnd() ? &*it : nullptr, s.sTimeCodeEnd));
    }
    std::vector<TSessionInfo> aListed;
    std::vector<TVerdictMark> aListedMarks;
    if (!oOnly) {
        aListed = std::move(aRead);
        aListedMarks = std::move(aReadMarks);
    } else {
        for (size_t i = 0; i < aRead.size(); ++i) {
            if (aReadMarks[i] != *oOnly)
                continue;
            aListed.push_back(std::move(aRead[i]));
            aListedMarks.push_back(aReadMarks[i]);
        }
    }
    beginResetModel();
    aSessions = std::move(aListed);
    aMarks = std::move(aListedMarks);
    endResetModel();
    return sError.isEmpty();
}

void TSessionListModel::Clear() {
    beginResetModel();
    aSessions.clear();
    aMarks.clear();
    endResetModel();
}

int TSessionListModel::RowOfSession(const QString& sReportId) const {
    if (sReportId.isEmpty())
        return -1;
    for (size_t i = 0; i < aSessions.size(); ++i) {
        if (aSessions[i].sReportID == sReportId)
            return int(i);
    }
    return -1;
}
