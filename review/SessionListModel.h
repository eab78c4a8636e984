#pragma once

#include "compliance/KeptVerdict.h"
#include "core/SessionTypes.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QImage>
#include <QString>
#include <array>
#include <optional>
#include <vector>

class TDBResult;

// The session list of the database tab: one row per stored session, in the order the list statement
// returned them, with the seven columns the list carries (only the display title is shown; the others
// are there for whoever needs the session's date, identifier, whole title, number and timecodes). The
// date is when the session was recorded (its recording start), not when its row was last updated. Each
// row also keeps the whole session header, so selecting a row needs no second read, and the session's
// verdict mark, shown as a small sign before the title (its name as the accessible description), so the
// columns keep their texts.
class TSessionListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn : int {
        kColDisplayTitle = 0,
        kColDateTime = 1,
        kColReportId = 2,
        kColTitle = 3,
        kColNumber = 4,
        kColTCStart = 5,
        kColTCEnd = 6,
        kColumnCount = 7,
    };

    // The verdict mark of a row (an int of TVerdictMark), in every column.
    static constexpr int kMarkRole = Qt::UserRole;
    // Side of the mark's sign, in pixels, and the room it takes before the title's own indent.
    static constexpr int kMarkSize = 10;
    static constexpr int kMarkRoom = kMarkSize - 2;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The title above the list ("Session List" in the current language).
    void SetTitle(const QString& sTitle);
    // The language of the marks' names.
    void SetLanguage(int iNewLNG) { iLNG = iNewLNG; }

    // Replaces the rows by every row of DBResult from its current row on. When a read fails on the way
    // the list is left empty and sError tells why.
    bool LoadSessions(TDBResult& DBResult, QString& sError);
    // The same, each session marked from aKept (by identifier; MarkOf against its stored end timecode),
    // and with oOnly only the sessions of that mark kept, in their order.
    bool LoadSessions(TDBResult& DBResult, const QHash<QString, TKeptMark>& aKept,
                      const std::optional<TVerdictMark>& oOnly, QString& sError);
    void Clear();

    // The text of a cell; empty outside the list.
    QString CellText(int iRow, int iCol) const;
    // The session header of a row; iRow must be inside the list.
    const TSessionInfo& Session(int iRow) const { return aSessions[size_t(iRow)]; }
    // The row of the session with this identifier, -1 when it is not listed.
    int RowOfSession(const QString& sReportId) const;

    // The verdict mark of a row; not computed outside the list.
    TVerdictMark Mark(int iRow) const;
    // A verdict of a listed session was computed (or forgotten) since the list was read: its row shows
    // eMark. Nothing happens when the session is not listed.
    void SetMark(const QString& sReportId, TVerdictMark eMark);

private:
    const QImage& MarkImage(TVerdictMark eMark) const;

    std::vector<TSessionInfo> aSessions;
    std::vector<TVerdictMark> aMarks;
    QString sTitle;
    int iLNG = 0;
    // The four signs, drawn when first shown.
    mutable std::array<QImage, 4> aMarkImages;
};

// Reads every row of DBResult from its current row on as session headers. False, with the reason in
// sError and aSessions empty, when a read failed on the way.
bool ReadSessionRows(TDBResult& DBResult, std::vector<TSessionInfo>& aSessions, QString& sError);

// The list's display title: the first 20 characters followed by "..." when the title is longer.
QString SessionDisplayTitle(const QString& sTitle);
// A Julian date stamp as the local date and time in the system's short date and long time formats.
QString SessionDateText(double fJulian);
