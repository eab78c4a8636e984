#include "review/ChartData.h"

#include "review/LevelData.h"
#include "review/LevelTable.h"
#include "store/dbSQLite.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

// More characters than any caption shows: only this start of a title is measured.
constexpr qsizetype kCaptionMeasuredChars = 256;
const QChar kEllipsis(0x2026);

void AppendBlock(TChartSnapshot& r, const std::vector<TSnapshotRow>& aBlock, int iRows) {
    for (int i = 0; i < iRows; ++i)
        r.push_back(i < int(aBlock.size()) ? aBlock[size_t(i)] : TSnapshotRow());
}

} // namespace

bool LoadChartRows(TdbSQLite& rDB, const QString& sSessionId, const TSQLFilter& rFilter, TLevelData& rRows,
                   const TProgressPump& fnPump) {
    QString sError;
    return ReadSessionLevelRows(rDB, sSessionId, rFilter, rRows, fnPump, sError) == TReadResult::Complete;
}

QString ChartableSession(const TLevelTable& rTable, const QString& sSelectedSession) {
    if (rTable.RowCount() == 0 || sSelectedSession.isEmpty() || rTable.SessionId() != sSelectedSession)
        return {};
    return rTable.SessionId();
}

TChartSnapshot MakeChartSnapshot(const TSnapshotRow& rAnalysisDate,
                                 const std::vector<TSnapshotRow>& aSessionInfo,
                                 const std::vector<TSnapshotRow>& aLoudnessConfig,
                                 const std::vector<TSnapshotRow>& aStatistics) {
    TChartSnapshot r;
    r.reserve(kChartSnapshotRows);
    r.push_back(rAnalysisDate);
    AppendBlock(r, aSessionInfo, kSnapshotSessionInfoRows);
    AppendBlock(r, aLoudnessConfig, kSnapshotLoudnessConfigRows);
    AppendBlock(r, aStatistics, kSnapshotStatisticsRows);
    return r;
}

std::vector<TSnapshotRow> SnapshotRowsOf(const QAbstractItemModel* Model, int iRows) {
    std::vector<TSnapshotRow> a;
    if (!Model)
        return a;
    const auto Text = [Model](int iRow, int iCol) {
        return iCol < Model->columnCount() ? Model->index(iRow, iCol).data().toString() : QString();
    };
    for (int iRow = 0; iRow < std::min(iRows, Model->rowCount()); ++iRow)
        a.push_back({Text(iRow, 0), Text(iRow, 1)});
    return a;
}

QString AnalysisDateText(double dtJulian) {
    if (!std::isfinite(dtJulian))
        return QString();
    // The stamp counts days from noon, QDate's day numbers from midnight.
    const double fShifted = dtJulian + 0.5;
    const double fDay = std::floor(fShifted);
    // Outside the dates QDate can hold, a broken stamp shows as no date rather than a wrong one.
    if (fDay < 0 || fDay > 1e9)
        return QString();
    const qint64 iMs = qint64(std::llround((fShifted - fDay) * 86400000.0));
    const QDateTime dt = QDateTime(QDate::fromJulianDay(qint64(fDay)), QTime(0, 0)).addMSecs(iMs);
    const QLocale Locale = QLocale::system();
    // The C locale's short form spells out the month and the seconds, too wide for the information grid
    // beside the configuration at the window's default size; its numeric form says the same.
    if (Locale.language() == QLocale::C)
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return Locale.toString(dt, QLocale::ShortFormat);
}

QString ChartTabCaption(const QString& sTitle, const QFontMetrics& Metrics, int iMaxWidth) {
    QString s = sTitle.left(kCaptionMeasuredChars);
    if (sTitle.size() > s.size()) {
        // A pair of surrogates is never split.
        if (s.back().isHighSurrogate())
            s.chop(1);
        s += kEllipsis;
    }
    // A stored title may hold line breaks or other control characters; a tab shows one line.
    for (QChar& c : s)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    s = Metrics.elidedText(s, Qt::ElideRight, iMaxWidth);
    // A title is shown as typed: an "&" is no shortcut mark.
    return s.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString ChartTabName(int iPageCount, const QStringList& slNamesInUse) {
    for (int i = iPageCount;; ++i) {
        const QString sName = QStringLiteral("tsChart%1").arg(i);
        if (!slNamesInUse.contains(sName))
            return sName;
    }
}
