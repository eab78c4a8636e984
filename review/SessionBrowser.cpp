#include "review/SessionBrowser.h"

#include "review/ChartData.h"

#include "compliance/VerdictTexts.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "store/ComplianceStore.h"
#include "store/dbSQLite.h"

#include <QLocale>
#include <memory>

namespace {

// Fields of an instrument text: type name, type number, serial number, a field left at 0, software
// package, MCU version, FPGA version, and one spare.
constexpr int kInstrumentFields = 8;
constexpr int kInstrumentFieldLength = 10;
const char* const kHintLineEnd = "  ";

QString GeneralText(double f) {
    return QLocale().toString(f, 'g', QLocale::FloatingPointShortest);
}

} // namespace

TSessionBrowser::TSessionBrowser(TdbSQLite& rDB, TSessionInfo& rSelectedSessionInfo,
                                 const QString& sCurrentSession, const int& iLNG,
                                 TShowMessageFunction fnShowMessage)
    : rDB(rDB), rSelectedSessionInfo(rSelectedSessionInfo), sCurrentSession(sCurrentSession), iLNG(iLNG),
      FShowMessage(std::move(fnShowMessage)) {}

void TSessionBrowser::ShowEntry(int iEntry, int iKind, const QStringList& slArgs) {
    if (FShowMessage)
        FShowMessage(FormatText(GetText(iEntry, iLNG), slArgs), iKind, kMsgBtnOK);
}

bool TSessionBrowser::RefreshSessions(const TSessionListFilter& rFilter) {
    slHintReasons.clear();
    sHintSession.clear();
    std::unique_ptr<TDBResult> DBSessions;
    rDB.RetreiveSessionList(DBSessions, rFilter.rStatement);
    QString sError;
    QHash<QString, TKeptMark> aKept;
    if (DBSessions) {
        // Read after the list statement, on the connection it reopened, so both see the same file.
        TComplianceStore Store(rDB);
        if (!Store.ReadVerdictMarks(*pOptions, aKept)) {
            aKept.clear();
            // Without the marks a filter by mark cannot tell which sessions to list.
            if (rFilter.oMark)
                sError = Store.LastError();
        }
    }
    if (!DBSessions) {
        sError = rDB.LastError();
        FSessions.Clear();
    } else if (!sError.isEmpty()) {
        FSessions.Clear();
    } else {
        FSessions.LoadSessions(*DBSessions, aKept, rFilter.oMark, sError);
    }
    if (!sError.isEmpty()) {
        ShowEntry(kTxtExceptionRaised, kMsgError, {sError, TextTable().Entry(kTxtCompanyName)});
        return false;
    }
    return HasSessions();
}

void TSessionBrowser::RefreshAllSessions() {
    sSessionFilter = TSessionListFilter();
    RefreshSessions(sSessionFilter);
}

bool TSessionBrowser::ApplySessionFilter(const TSessionListFilter& rFilter) {
    sSessionFilter = rFilter;
    const bool bFound = RefreshSessions(sSessionFilter);
    if (!bFound)
        ShowEntry(kTxtNoMatchingData, kMsgWarning, {});
    return bFound;
}

bool TSessionBrowser::SelectSession(int iRow) {
    bDeleteEnabled = false;
    iLastSGSessionRow = iRow;
    if (!rDB.Connected() || iRow < 0 || iRow >= FSessions.rowCount())
        return false;
    rSelectedSessionInfo = FSessions.Session(iRow);
    sSelectedSession = rSelectedSessionInfo.sReportID;
    return true;
}

void TSessionBrowser::ClearSelection() {
    bDeleteEnabled = false;
    iLastSGSessionRow = -1;
    sSelectedSession.clear();
    rSelectedSessionInfo = TSessionInfo();
}

int TSessionBrowser::RefreshKeepingSelection() {
    const QString sKept = sSelectedSession;
    RefreshSessions(sSessionFilter);
    const int iRow = FSessions.RowOfSession(sKept);
    if (iRow < 0) {
        if (!sKept.isEmpty())
            ClearSelection();
        return -1;
    }
    iLastSGSessionRow = iRow;
    rSelectedSessionInfo = FSessions.Session(iRow);
    return iRow;
}

void TSessionBrowser::SessionDataLoaded() {
    bDeleteEnabled = !sSelectedSession.isEmpty() && sSelectedSession != sCurrentSession;
}

bool TSessionBrowser::DeleteSelectedSession() {
    if (!bDeleteEnabled || sSelectedSession.isEmpty() || sSelectedSession == sCurrentSession)
        return false;
    const QString sAsk =
        FormatText(GetText(kTxtAskDeleteSession, iLNG),
                   {FSessions.CellText(iLastSGSessionRow, TSessionListModel::kColDisplayTitle)});
    if (!FShowMessage || FShowMessage(sAsk, kMsgConfirmation, kMsgBtnYes | kMsgBtnNo) != kMsgResultYes)
        return false;
    const bool bDeleted = rDB.DeleteSessionData(sSelectedSession);
    if (!bDeleted)
        ShowEntry(kTxtExceptionRaised, kMsgError, {rDB.LastError(), TextTable().Entry(kTxtCompanyName)});
    else
        ClearSelection();
    RefreshSessions(sSessionFilter);
    return bDeleted;
}

bool TSessionBrowser::ReadSelectedTarget(std::optional<TLoudnessStandard>& rTarget) {
    rTarget.reset();
    if (sSelectedSession.isEmpty())
        return false;
    TComplianceStore Store(rDB);
    if (Store.ReadSessionTarget(sSelectedSession, rTarget))
        return true;
    ShowEntry(kTxtExceptionRaised, kMsgError, {Store.LastError(), TextTable().Entry(kTxtCompanyName)});
    return false;
}

bool TSessionBrowser::StoreEditedSession(int& iRow, const TSessionTargetEdit& rTarget) {
    iRow = -1;
    if (sSelectedSession.isEmpty())
        return false;
    if (!rDB.UpdateSession(rSelectedSessionInfo)) {
        ShowEntry(kTxtExceptionRaised, kMsgError, {rDB.LastError(), TextTable().Entry(kTxtCompanyName)});
        return false;
    }
    if (rTarget.Changed()) {
        TComplianceStore Store(rDB);
        const bool bWritten = rTarget.rAfter ? Store.WriteSessionTarget(sSelectedSession, *rTarget.rAfter)
                                             : Store.ClearSessionTarget(sSelectedSession);
        if (!bWritten)
            ShowEntry(kTxtExceptionRaised, kMsgError,
                      {Store.LastError(), TextTable().Entry(kTxtCompanyName)});
    }
    const QString sEdited = sSelectedSession;
    RefreshSessions(sSessionFilter);
    // By identifier rather than by row: the edit restamps the session, which may move it within a date
    // filter or out of it.
    iRow = FSessions.RowOfSession(sEdited);
    if (iRow < 0)
        ClearSelection();
    return true;
}

QString TSessionBrowser::SessionHint(int iRow) {
    if (iRow < 0 || iRow >= FSessions.rowCount())
        return {};
    const QString sReportId = FSessions.Session(iRow).sReportID;
    const TVerdictMark eMark = FSessions.Mark(iRow);
    // The hint is asked at every move of the mouse: the reasons are read once per session, mark and language.
    if (sReportId != sHintSession || eMark != eHintMark || iLNG != iHintLNG) {
        sHintSession = sReportId;
        eHintMark = eMark;
        iHintLNG = iLNG;
        slHintReasons.clear();
        std::optional<TKeptVerdict> rKept;
        TVerdict rVerdict;
        if (eMark != TVerdictMark::NotComputed && TComplianceStore(rDB).ReadKeptVerdict(sReportId, rKept) &&
            rKept && MarkOfKind(rKept->eKind) == eMark && RestoreVerdict(*rKept, rVerdict))
            slHintReasons = ReasonTexts(rVerdict, iLNG, QLocale().decimalPoint());
    }
    return SessionListHint(FSessions, iRow, iLNG, slHintReasons);
}

QStringList SessionInfoValues(const TSessionInfo& r) {
    return {r.sShowTitle,     r.sShowNumber,  r.sOperatorName, r.sFormat,
            r.sTimeCodeStart, r.sTimeCodeEnd, r.sNotes};
}

QStringList DBSessionInfoValues(const TSessionInfo& r) {
    QStringList sl = SessionInfoValues(r);
    const qsizetype iNotes = sl.size() - 1;
    // The short form the report and the chart snapshot use, so that the grid keeps its width.
    sl.insert(iNotes, AnalysisDateText(r.dtDateTime));
    sl.insert(iNotes, AnalysisDateText(r.dtRecordingStart));
    return sl;
}

QString InstrumentTypeName(const QString& sInstrument) {
    return sInstrument.section(QLatin1Char('|'), 0, 0);
}

QStringList LoudnessConfigValues(const TSessionInfo& r, int iLNG) {
    const TLoudnessSetup& l = r.rLoudnessSetup;
    const QString sInstrument =
        r.sInstrument.isEmpty() ? GetText(kTxtUnknown, iLNG) + QLatin1Char('|') : r.sInstrument;
    const QString sScale = ScaleModeName(l.iScaleMode);
    const QString sDBFS = GetText(kTxtDBFSSuffix, iLNG);
    return {sInstrument,
            PeakModeName(l.iPeakMode),
            CaptureModeName(l.iCapture),
            sScale,
            ReferenceName(l.iReference),
            SlidingWindowName(l.iSlidingWindow),
            GeneralText(l.fGateLevel) + QLatin1Char(' ') + sScale,
            GateModeName(l.iGateMode),
            GeneralText(l.fReferenceLevel) + sDBFS,
            GeneralText(l.fMeterPeakLevel) + sDBFS,
            FilterName(l.iFilter)};
}

QString SessionListHint(const TSessionListModel& rSessions, int iRow, int iLNG,
                        const QStringList& slReasons) {
    if (iRow < 0 || iRow >= rSessions.rowCount())
        return {};
    const auto Line = [&](int iEntry, int iCol) {
        return GetText(iEntry, iLNG) + rSessions.CellText(iRow, iCol) + QLatin1String(kHintLineEnd);
    };
    const QString sVerdictLabel = GetText(kTxtHintVerdictLabel, iLNG);
    QString sHint = Line(kTxtHintSessionName, TSessionListModel::kColTitle) + QLatin1Char('\n') +
                    Line(kTxtHintSessionId, TSessionListModel::kColNumber) + QLatin1Char('\n') +
                    Line(kTxtTCStartAlignedLabel, TSessionListModel::kColTCStart) + QLatin1Char('\n') +
                    Line(kTxtTCEndAlignedLabel, TSessionListModel::kColTCEnd) + QLatin1Char('\n') +
                    sVerdictLabel + VerdictMarkName(rSessions.Mark(iRow), iLNG) + QLatin1String(kHintLineEnd);
    // The reasons stand under the mark, past the labels.
    const QString sIndent(sVerdictLabel.size(), QLatin1Char(' '));
    for (const QString& sReason : slReasons)
        sHint += QLatin1Char('\n') + sIndent + sReason + QLatin1String(kHintLineEnd);
    return sHint;
}

QString InstrumentHint(const QString& sInstrument, int iLNG) {
    if (InstrumentTypeName(sInstrument) == GetText(kTxtUnknown, iLNG))
        return {};
    const QStringList slSplit = sInstrument.split(QLatin1Char('|'));
    QStringList slFields;
    for (int i = 0; i < kInstrumentFields; ++i)
        slFields.append(i < slSplit.size() ? slSplit[i].left(kInstrumentFieldLength) : QString());
    const std::pair<int, int> aLines[] = {{kTxtHintInstrumentType, 0}, {kTxtHintHardwareId, 1},
                                          {kTxtHintSerialNumber, 2},   {kTxtHintSoftwarePackage, 4},
                                          {kTxtHintFPGAVersion, 6},    {kTxtHintMCUVersion, 5}};
    QStringList slLines;
    for (const auto& [iEntry, iField] : aLines)
        slLines.append(GetText(iEntry, iLNG) + slFields[iField] + QLatin1String(kHintLineEnd));
    return slLines.join(QLatin1Char('\n'));
}
