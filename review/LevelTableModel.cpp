#include "review/LevelTableModel.h"

#include "core/TextTable.h"
#include "review/LevelRowOrder.h"

TLevelTableModel::TLevelTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TLevelTableModel::SetColumns(const std::vector<int>& aHeadings, int iLNG, const QString& sDecimalPoint) {
    beginResetModel();
    aViewToData.clear();
    aDataToView.clear();
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
    aViewToData.clear();
    aDataToView.clear();
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

int TLevelTableModel::DataRow(int iViewRow) const {
    if (iViewRow < 0 || iViewRow >= FData.RowCount())
        return -1;
    return Sorted() ? aViewToData[size_t(iViewRow)] : iViewRow;
}

int TLevelTableModel::ViewRow(int iDataRow) const {
    if (iDataRow < 0 || iDataRow >= FData.RowCount())
        return -1;
    return Sorted() ? aDataToView[size_t(iDataRow)] : iDataRow;
}

void TLevelTableModel::sort(int iColumn, Qt::SortOrder eOrder) {
    const bool bRecorded = iColumn < 0 || iColumn >= columnCount();
    if (bRecorded && !Sorted())
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList aBefore = persistentIndexList();
    std::vector<int> aDataRows;
    aDataRows.reserve(size_t(aBefore.size()));
    for (const QModelIndex& i : aBefore)
        aDataRows.push_back(DataRow(i.row()));
    SetOrder(bRecorded ? std::vector<int>() : SortedRowOrder(FData, HeadingEntry(iColumn), eOrder));
    QModelIndexList aAfter;
    aAfter.reserve(aBefore.size());
    for (qsizetype i = 0; i < aBefore.size(); ++i)
        aAfter.append(index(ViewRow(aDataRows[size_t(i)]), aBefore[i].column()));
    changePersistentIndexList(aBefore, aAfter);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TLevelTableModel::SetOrder(std::vector<int>&& aOrder) {
    aViewToData = std::move(aOrder);
    aDataToView.assign(aViewToData.size(), 0);
    for (size_t i = 0; i < aViewToData.size(); ++i)
        aDataToView[size_t(aViewToData[i])] = int(i);
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
    const int iRow = DataRow(index.row());
    if (role == Qt::DisplayRole)
        return CellText(iRow, index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == kViolationRole)
        return int(FViolations.FlagsOf(iRow));
    // The row number says why its row is marked, also to a screen reader.
    if (index.column() == 0 && (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole))
        return ViolationHint(iRow);
    return {};
}

QVariant TLevelTableModel::headerData(int iSection, Qt::Orientation eOrientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (eOrientation == Qt::Vertical)
        return QString::number(iSection + 1);
    return iSection >= 0 && iSection < FHeaders.size() ? FHeaders[iSection] : QVariant();
}
