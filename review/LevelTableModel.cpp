#include "review/LevelTableModel.h"

#include "core/TextTable.h"

TLevelTableModel::TLevelTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TLevelTableModel::SetColumns(const std::vector<int>& aHeadings, int iLNG, const QString& sDecimalPoint) {
    beginResetModel();
    FHeadings = aHeadings;
    FHeaders.clear();
    for (const int iEntry : aHeadings)
        FHeaders.append(GetText(iEntry, iLNG));
    FDecimalPoint = sDecimalPoint;
    endResetModel();
}

void TLevelTableModel::SetRows(TLevelData&& rData) {
    beginResetModel();
    FData = std::move(rData);
    FViolations = {};
    endResetModel();
}

void TLevelTableModel::SetViolations(const TViolations& rViolations, const TViolationHints& rHints) {
    FViolations = rViolations;
    FHints = rHints;
    if (FData.RowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(FData.RowCount() - 1, columnCount() - 1));
}

QString TLevelTableModel::ViolationHint(int iRow) const {
    const quint8 iFlags = FViolations.FlagsOf(iRow);
    QStringList sl;
    if (iFlags & kViolationPeak)
        sl << FHints.sPeak;
    if (iFlags & kViolationShortTerm)
        sl << FHints.sShortTerm;
    return sl.join(QLatin1Char('\n'));
}

void TLevelTableModel::Clear() {
    SetRows({});
}

int TLevelTableModel::HeadingEntry(int iColumn) const {
    return iColumn >= 0 && iColumn < int(FHeadings.size()) ? FHeadings[size_t(iColumn)] : 0;
}

QString TLevelTableModel::CellText(int iRow, int iColumn) const {
    if (iRow < 0 || iRow >= FData.RowCount())
        return {};
    const TLevelRow& r = FData.Row(iRow);
    switch (HeadingEntry(iColumn)) {
    case kTxtRowNumberHeading:
        return QString::number(iRow + 1);
    case kTxtTimecodeHeading:
        return FData.Timecode(iRow);
    case kTxtPeakChannelHeading:
        return r.iPeakChannel == kNoPeakChannel ? QString() : QString::number(r.iPeakChannel);
    case kTxtPeakLevelHeading:
        return FormatLevel(r.fInstantaneousPeak, FDecimalPoint);
    case kTxtShortTermHeading:
    case kTxtShortTermMaxHeading:
        return FormatLevel(r.fLoudnessHi, FDecimalPoint);
    case kTxtShortTermMinHeading:
        return FormatLevel(r.fLoudnessLo, FDecimalPoint);
    case kTxtIntegratingHeading:
        return FormatLevel(r.fLoudnessInt, FDecimalPoint);
    default:
        return {};
    }
}

int TLevelTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FData.RowCount();
}

int TLevelTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FHeadings.size());
}

QVariant TLevelTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return CellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == kViolationRole)
        return int(FViolations.FlagsOf(index.row()));
    // The row number says why its row is marked, also to a screen reader.
    if (index.column() == 0 && (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole))
        return ViolationHint(index.row());
    return {};
}

QVariant TLevelTableModel::headerData(int iSection, Qt::Orientation eOrientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (eOrientation == Qt::Vertical)
        return QString::number(iSection + 1);
    return iSection >= 0 && iSection < FHeaders.size() ? FHeaders[iSection] : QVariant();
}
