#include "review/LevelData.h"

#include "core/GridLayouts.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "store/dbSQLite.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double LevelOf(const TDBResult& r, int iColumn) {
    return r.IsNumber(iColumn) ? r.AsFloat(iColumn) : kNaN;
}

void TakeHigher(TLevelStatistic& rStat, double fValue, int iRow) {
    if (fValue > rStat.fValue) // false for not-a-number
        rStat.fValue = fValue, rStat.iRow = iRow;
}

void TakeLower(TLevelStatistic& rStat, double fValue, int iRow) {
    if (fValue < rStat.fValue)
        rStat.fValue = fValue, rStat.iRow = iRow;
}

} // namespace

QStringView TLevelData::TimecodeView(int iRow) const {
    const quint32 iStart = iRow > 0 ? aRows[size_t(iRow - 1)].iTimecodeEnd : 0;
    return QStringView(sTimecodes)
        .mid(qsizetype(iStart), qsizetype(aRows[size_t(iRow)].iTimecodeEnd - iStart));
}

void TLevelData::Clear() {
    aRows.clear();
    aRows.shrink_to_fit();
    sTimecodes.clear();
    sTimecodes.squeeze();
}

void TLevelData::Reserve(int iRows) {
    aRows.reserve(size_t(iRows));
    sTimecodes.reserve(qsizetype(iRows) * 11);
}

void TLevelData::Append(const TLevelRow& rRow, QStringView sTimecode) {
    sTimecodes.append(sTimecode);
    TLevelRow r = rRow;
    r.iTimecodeEnd = quint32(sTimecodes.size());
    aRows.push_back(r);
}

size_t TLevelData::ByteSize() const {
    return aRows.capacity() * sizeof(TLevelRow) + size_t(sTimecodes.capacity()) * sizeof(QChar);
}

TReadResult ReadLevelRows(TDBResult& rResult, TLevelData& rData, const TProgressPump& fnPump, QString& sError,
                          int iPumpRows) {
    // Columns by name, once: a filter statement may list them in another order.
    const int iTimecode = rResult.ColumnIndex(QStringLiteral("sTimeCode"));
    const int iChannel = rResult.ColumnIndex(QStringLiteral("iPeakChannel"));
    const int iPeak = rResult.ColumnIndex(QStringLiteral("fInstantaneousPeak"));
    const int iHi = rResult.ColumnIndex(QStringLiteral("fLoudnessHi"));
    const int iLo = rResult.ColumnIndex(QStringLiteral("fLoudnessLo"));
    const int iInt = rResult.ColumnIndex(QStringLiteral("fLoudnessInt"));
    // The query's first step took a moment already.
    if (!PumpProgress(fnPump, rData.RowCount(), 0)) {
        sError.clear();
        return TReadResult::Cancelled;
    }
    int iSincePump = 0;
    for (; !rResult.Eof(); rResult.Next()) {
        TLevelRow r{};
        r.fInstantaneousPeak = LevelOf(rResult, iPeak);
        r.fLoudnessHi = LevelOf(rResult, iHi);
        r.fLoudnessLo = LevelOf(rResult, iLo);
        r.fLoudnessInt = LevelOf(rResult, iInt);
        const qint64 iStored = rResult.AsInteger(iChannel);
        r.iPeakChannel = rResult.IsNumber(iChannel) && iStored > kNoPeakChannel && iStored <= INT32_MAX
                             ? qint32(iStored)
                             : kNoPeakChannel;
        rData.Append(r, rResult.AsString(iTimecode));
        if (fnPump && ++iSincePump >= iPumpRows) {
            iSincePump = 0;
            if (!fnPump(rData.RowCount(), 0)) {
                sError.clear();
                return TReadResult::Cancelled;
            }
        }
    }
    sError = rResult.LastError();
    return sError.isEmpty() ? TReadResult::Complete : TReadResult::Failed;
}

TReadResult ReadSessionLevelRows(TdbSQLite& rDB, const QString& sSessionId, const TSQLFilter& rFilter,
                                 TLevelData& rData, const TProgressPump& fnPump, QString& sError,
                                 qint64 iWindowRows) {
    sError.clear();
    // The result of one statement: false when it failed (sError says why), true when it gave rows or none.
    const auto Ran = [&](bool bRows, const std::unique_ptr<TDBResult>& Result) {
        if (bRows)
            return true;
        sError = Result ? Result->LastError() : rDB.LastError();
        return Result && sError.isEmpty();
    };
    std::unique_ptr<TDBResult> Result;
    if (!fnPump) {
        const bool bRows = rDB.RetreiveSessionData(sSessionId, rFilter, Result);
        if (!Ran(bRows, Result))
            return TReadResult::Failed;
        return bRows ? ReadLevelRows(*Result, rData, {}, sError) : TReadResult::Complete;
    }
    qint64 iFirst = 0;
    qint64 iLast = -1;
    if (!rDB.LevelRowIdRange(iFirst, iLast)) {
        sError = rDB.LastError();
        return TReadResult::Failed;
    }
    const qint64 iSpan = iLast - iFirst + 1;
    const qint64 iStep = std::max<qint64>(iWindowRows, 1);
    // First the rows are counted, which takes SQLite a tenth of the reading: room for all of them is then
    // made at once, so that a week of rows is never copied as it grows nor leaves the memory it grew
    // through behind. The count is the first eighth of the progress.
    const auto Progress = [&](qint64 iFrom, bool bCounting) {
        const qint64 iDone = iFrom - iFirst;
        return bCounting ? iDone / 8 : iSpan / 8 + iDone - iDone / 8;
    };
    qint64 iRows = 0;
    for (qint64 iFrom = iFirst; iFrom <= iLast; iFrom += iStep) {
        if (!fnPump(Progress(iFrom, true), iSpan))
            return TReadResult::Cancelled;
        qint64 iCount = 0;
        if (!rDB.CountSessionDataWindow(sSessionId, rFilter, iFrom, std::min(iLast, iFrom + iStep - 1),
                                        iCount)) {
            sError = rDB.LastError();
            return TReadResult::Failed;
        }
        iRows += iCount;
    }
    // A count beyond what the table can hold is not believed; the rows are then read as they come.
    if (iRows > 0 && iRows < std::numeric_limits<int>::max() / 16)
        rData.Reserve(rData.RowCount() + int(iRows));
    for (qint64 iFrom = iFirst; iFrom <= iLast; iFrom += iStep) {
        const qint64 iDone = Progress(iFrom, false);
        if (!fnPump(iDone, iSpan))
            return TReadResult::Cancelled;
        const bool bRows = rDB.RetreiveSessionDataWindow(sSessionId, rFilter, iFrom,
                                                         std::min(iLast, iFrom + iStep - 1), Result);
        if (!Ran(bRows, Result))
            return TReadResult::Failed;
        if (!bRows)
            continue;
        const TReadResult eRead = ReadLevelRows(
            *Result, rData, [&](qint64, qint64) { return fnPump(iDone, iSpan); }, sError);
        if (eRead != TReadResult::Complete)
            return eRead;
    }
    return TReadResult::Complete;
}

TLevelStatistics CalcLevelStatistics(const TLevelData& rData) {
    TLevelStatistics s;
    for (int i = 0; i < rData.RowCount(); ++i) {
        const TLevelRow& r = rData.Row(i);
        if (r.iPeakChannel > 0) // kNoPeakChannel is negative
            ++s.iPeakCount;
        TakeHigher(s.rPeakMax, r.fInstantaneousPeak, i);
        TakeLower(s.rPeakMin, r.fInstantaneousPeak, i);
        TakeHigher(s.rShortTermMax, r.fLoudnessHi, i);
        TakeLower(s.rShortTermMin, r.fLoudnessLo, i);
        TakeHigher(s.rIntMax, r.fLoudnessInt, i);
        TakeLower(s.rIntMin, r.fLoudnessInt, i);
        if (!std::isnan(r.fLoudnessInt))
            s.rIntLast.fValue = r.fLoudnessInt, s.rIntLast.iRow = i;
    }
    for (TLevelStatistic* p : {&s.rPeakMax, &s.rPeakMin, &s.rShortTermMax, &s.rShortTermMin, &s.rIntMax,
                               &s.rIntMin, &s.rIntLast}) {
        if (p->iRow >= 0)
            p->sTimecode = rData.Timecode(p->iRow);
    }
    return s;
}

QString FormatLevel(double fLevel, QStringView sDecimalPoint) {
    return LevelText(fLevel, sDecimalPoint);
}

std::vector<TStatisticRow> StatisticsRows(const TLevelStatistics& rStats, const TDataOptions& rOptions,
                                          const QString& sUnit, QStringView sDecimalPoint) {
    const QString sPeakUnit = QStringLiteral(" ") + GetText(kTxtDBFSSuffix, kLanguageEnglish);
    const QString sLoudnessUnit = QStringLiteral(" ") + sUnit;
    // A highest or lowest value that no row beat shows its starting value; the last integrated value shows
    // only when a row had one.
    const auto Level = [&](int iLabel, const TLevelStatistic& r, const QString& sSuffix) {
        if (std::isnan(r.fValue))
            return TStatisticRow{iLabel, {}, {}};
        return TStatisticRow{iLabel, FormatLevel(r.fValue, sDecimalPoint) + sSuffix, r.sTimecode};
    };
    std::vector<TStatisticRow> a;
    for (const int iLabel : DBLoudnessMaxLabels(rOptions).aRowLabels) {
        switch (iLabel) {
        case kTxtPeakLevelLabel:
        case kTxtPeakLevelMaxLabel:
            a.push_back(Level(iLabel, rStats.rPeakMax, sPeakUnit));
            break;
        case kTxtPeakLevelMinLabel:
            a.push_back(Level(iLabel, rStats.rPeakMin, sPeakUnit));
            break;
        case kTxtPeakCountLabel:
            a.push_back({iLabel, QString::number(rStats.iPeakCount), {}});
            break;
        case kTxtShortTermLabel:
        case kTxtShortTermMaxLabel:
            a.push_back(Level(iLabel, rStats.rShortTermMax, sLoudnessUnit));
            break;
        case kTxtShortTermMinLabel:
            a.push_back(Level(iLabel, rStats.rShortTermMin, sLoudnessUnit));
            break;
        case kTxtIntegratingLabel:
            a.push_back(Level(iLabel, rStats.rIntLast, sLoudnessUnit));
            break;
        case kTxtIntegratingMaxLabel:
            a.push_back(Level(iLabel, rStats.rIntMax, sLoudnessUnit));
            break;
        case kTxtIntegratingMinLabel:
            a.push_back(Level(iLabel, rStats.rIntMin, sLoudnessUnit));
            break;
        default:
            a.push_back({iLabel, {}, {}});
            break;
        }
    }
    return a;
}
