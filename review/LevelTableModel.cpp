#include "review/LevelTableModel.h"

#include "core/TextTable.h"
#include "review/LevelRowOrder.h"

#include <algorithm>

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
    FLanguage = iLNG;
    iSeparatorsShown = int(FGaps.aPlaces.size());
    endResetModel();
}

void TLevelTableModel::SetRows(TLevelData&& rData, TPlacedGaps&& rGaps) {
    beginResetModel();
    FData = std::move(rData);
    FGaps = std::move(rGaps);
    iSeparatorsShown = int(FGaps.aPlaces.size());
    aViewToData.clear();
    aDataToView.clear();
    FViolations = {};
    endResetModel();
}

void TLevelTableModel::SetViolations(const TViolations& rViolations, const TViolationHints& rHints) {
    FViolations = rViolations;
    FHints = rHints;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
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

int TLevelTableModel::SeparatorsUpTo(int iViewRow) const {
    // Separator j stands at view row iRow + j of its place: the view rows grow with j.
    int iLow = 0;
    int iHigh = iSeparatorsShown;
    while (iLow < iHigh) {
        const int iMid = (iLow + iHigh) / 2;
        if (FGaps.aPlaces[size_t(iMid)].iRow + iMid <= iViewRow)
            iLow = iMid + 1;
        else
            iHigh = iMid;
    }
    return iLow;
}

int TLevelTableModel::GapAt(int iViewRow) const {
    if (iSeparatorsShown == 0 || iViewRow < 0 || iViewRow >= rowCount())
        return -1;
    const int i = SeparatorsUpTo(iViewRow) - 1;
    return i >= 0 && FGaps.aPlaces[size_t(i)].iRow + i == iViewRow ? FGaps.aPlaces[size_t(i)].iGap : -1;
}

std::vector<int> TLevelTableModel::SeparatorViewRows() const {
    std::vector<int> a;
    for (int i = 0; i < iSeparatorsShown; ++i)
        a.push_back(FGaps.aPlaces[size_t(i)].iRow + i);
    return a;
}

int TLevelTableModel::DataRow(int iViewRow) const {
    if (iViewRow < 0 || iViewRow >= rowCount())
        return -1;
    if (Sorted())
        return aViewToData[size_t(iViewRow)];
    if (iSeparatorsShown == 0)
        return iViewRow;
    const int iBefore = SeparatorsUpTo(iViewRow);
    if (iBefore > 0 && FGaps.aPlaces[size_t(iBefore - 1)].iRow + iBefore - 1 == iViewRow)
        return -1;
    return iViewRow - iBefore;
}

int TLevelTableModel::ViewRow(int iDataRow) const {
    if (iDataRow < 0 || iDataRow >= FData.RowCount())
        return -1;
    if (Sorted())
        return aDataToView[size_t(iDataRow)];
    // Every separator before the row or at it pushes it one row down.
    const auto First = FGaps.aPlaces.begin();
    const auto End = First + iSeparatorsShown;
    return iDataRow +
           int(std::upper_bound(First, End, iDataRow, [](int i, const TGapPlace& r) { return i < r.iRow; }) -
               First);
}

void TLevelTableModel::ShowSeparators(bool bShow) {
    const int iPlaces = int(FGaps.aPlaces.size());
    if (bShow) {
        while (iSeparatorsShown < iPlaces) {
            const int iView = FGaps.aPlaces[size_t(iSeparatorsShown)].iRow + iSeparatorsShown;
            beginInsertRows({}, iView, iView);
            ++iSeparatorsShown;
            endInsertRows();
        }
        return;
    }
    while (iSeparatorsShown > 0) {
        const int iView = FGaps.aPlaces[size_t(iSeparatorsShown - 1)].iRow + iSeparatorsShown - 1;
        beginRemoveRows({}, iView, iView);
        --iSeparatorsShown;
        endRemoveRows();
    }
}

void TLevelTableModel::sort(int iColumn, Qt::SortOrder eOrder) {
    const bool bRecorded = iColumn < 0 || iColumn >= columnCount();
    if (bRecorded && !Sorted())
        return;
    std::vector<int> aOrder =
        bRecorded ? std::vector<int>() : SortedRowOrder(FData, HeadingEntry(iColumn), eOrder);
    // Ascending by the row number or the timecode is the recorded order, with its separators.
    bool bIdentity = true;
    for (size_t i = 0; i < aOrder.size() && bIdentity; ++i)
        bIdentity = aOrder[i] == int(i);
    if (bIdentity)
        aOrder.clear();
    if (aOrder.empty() && !Sorted())
        return;
    if (!aOrder.empty())
        ShowSeparators(false);
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList aBefore = persistentIndexList();
    std::vector<int> aDataRows;
    aDataRows.reserve(size_t(aBefore.size()));
    for (const QModelIndex& i : aBefore)
        aDataRows.push_back(DataRow(i.row()));
    SetOrder(std::move(aOrder));
    QModelIndexList aAfter;
    aAfter.reserve(aBefore.size());
    for (qsizetype i = 0; i < aBefore.size(); ++i)
        aAfter.append(index(ViewRow(aDataRows[size_t(i)]), aBefore[i].column()));
    changePersistentIndexList(aBefore, aAfter);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    if (!Sorted())
        ShowSeparators(true);
}

void TLevelTableModel::SetOrder(std::vector<int>&& aOrder) {
    aViewToData = std::move(aOrder);
    aDataToView.assign(aViewToData.size(), 0);
    for (size_t i = 0; i < aViewToData.size(); ++i)
        aDataToView[size_t(aViewToData[i])] = int(i);
}

int TLevelTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FData.RowCount() + iSeparatorsShown;
}

int TLevelTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FHeadings.size());
}

QVariant TLevelTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int iGap = GapAt(index.row());
    if (iGap >= 0) {
        if (role == kGapRole)
            return true;
        const bool bText = role == Qt::DisplayRole || role == Qt::ToolTipRole ||
                           role == Qt::AccessibleTextRole || role == Qt::AccessibleDescriptionRole;
        if (bText && index.column() == 0)
            return GapSeparatorText(FGaps.aGaps[iGap], FLanguage);
        return {};
    }
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

Qt::ItemFlags TLevelTableModel::flags(const QModelIndex& index) const {
    // A separator is no row to select, go to or step over with the keys.
    if (GapAt(index.row()) >= 0)
        return Qt::NoItemFlags;
    return QAbstractTableModel::flags(index);
}

QVariant TLevelTableModel::headerData(int iSection, Qt::Orientation eOrientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (eOrientation == Qt::Vertical)
        return QString::number(iSection + 1);
    return iSection >= 0 && iSection < FHeaders.size() ? FHeaders[iSection] : QVariant();
}
