#include "engine/InfoGrid.h"

#include "core/Drawing.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <cmath>

namespace {

// Cell data beyond the standard roles.
constexpr int kFillRole = Qt::UserRole + 1;
constexpr int kFrameRole = Qt::UserRole + 2;
constexpr int kShownRole = Qt::UserRole + 3;

const QColor clGridGrey(0x80, 0x80, 0x80);
const QColor clGridSilver(0xC0, 0xC0, 0xC0);

// Space left beside a label, and kept free at the grid's right edge.
constexpr int kLabelPadding = 14;
constexpr int kRightMargin = 4;
// The value column is never narrower than this: a number or a short text.
constexpr int kMinValueWidth = 56;
// Space beside a value: its indent, the frame and the border around the cell.
constexpr int kValuePadding = 10;

// Horizontal placements of a text in its cell.
enum THAlign { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

// Where a text of the given width starts in rCell: left + 5, centred, or right - width - 3.
int TextLeft(int iHAlign, const QRect& rCell, int iTextWidth) {
    switch (iHAlign) {
    case kAlignCentre:
        return rCell.left() + (rCell.width() - iTextWidth) / 2;
    case kAlignRight:
        return rCell.right() + 1 - iTextWidth - 3;
    default:
        return rCell.left() + 5;
    }
}

// The widest text that shows whole in rCell from where TextLeft places it to the frame.
int TextRoom(int iHAlign, const QRect& rCell) {
    switch (iHAlign) {
    case kAlignCentre:
        return rCell.width() - 2;
    case kAlignRight:
        return rCell.width() - 4;
    default:
        return rCell.width() - 6;
    }
}

// The cell's drawing area inside the white border around it.
QRect CellRect(const QRect& rItem) {
    return rItem.adjusted(1, 1, -1, -1);
}

int CellAlign(const QModelIndex& index) {
    return index.row() == 0 ? kAlignCentre : index.column() == 0 ? kAlignRight : kAlignLeft;
}

QFont CellFont(const QStyleOptionViewItem& opt, const QModelIndex& index) {
    const QVariant vFont = index.data(Qt::FontRole);
    return vFont.canConvert<QFont>() ? vFont.value<QFont>() : opt.font;
}

QString CellShownText(const QModelIndex& index) {
    const QVariant vShown = index.data(kShownRole);
    return vShown.isValid() ? vShown.toString() : index.data(Qt::DisplayRole).toString();
}

bool TextFits(const QStyleOptionViewItem& opt, const QModelIndex& index) {
    return QFontMetrics(CellFont(opt, index)).horizontalAdvance(CellShownText(index)) <=
           TextRoom(CellAlign(index), CellRect(opt.rect));
}

// Draws the cells: title bar, tinted labels, framed values.
class TInfoGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
        const bool bTitle = index.row() == 0;
        const bool bLabel = index.column() == 0;
        QColor clFill = Qt::white;
        QColor clFrame = clGridSilver;
        if (bTitle || bLabel) {
            clFill = TintOf(clGridGrey, 0.9);
            clFrame = TintOf(clGridGrey, 0.5);
        }
        const QVariant vFill = index.data(kFillRole);
        const QVariant vFrame = index.data(kFrameRole);
        if (vFill.canConvert<QColor>() && vFill.value<QColor>().isValid())
            clFill = vFill.value<QColor>();
        if (vFrame.canConvert<QColor>() && vFrame.value<QColor>().isValid())
            clFrame = vFrame.value<QColor>();

        p->save();
        p->fillRect(opt.rect, Qt::white);
        const QRect rCell = CellRect(opt.rect);
        p->fillRect(rCell, clFill);
        p->setPen(clFrame);
        p->drawRect(rCell.adjusted(0, 0, -1, -1));

        const QFont Font = CellFont(opt, index);
        const QVariant vText = index.data(Qt::ForegroundRole);
        QColor clText = Qt::black;
        if (vText.canConvert<QBrush>())
            clText = vText.value<QBrush>().color();
        p->setFont(Font);
        p->setPen(clText);
        const QFontMetrics Metrics(Font);
        const int iAlign = CellAlign(index);
        // A text too wide for its cell ends in an ellipsis; the cell's tooltip then shows it whole.
        const QString sText =
            Metrics.elidedText(CellShownText(index), Qt::ElideRight, std::max(TextRoom(iAlign, rCell), 0));
        const int iX = TextLeft(iAlign, rCell, Metrics.horizontalAdvance(sText));
        const bool bTop = index.data(Qt::TextAlignmentRole).toInt() & Qt::AlignTop;
        // A top-placed text starts 3 pixels below the cell's top.
        const QRect rText = bTop ? QRect(iX, rCell.top() + 3, rCell.right() - iX + 1, rCell.height() - 3)
                                 : QRect(iX, rCell.top(), rCell.right() - iX + 1, rCell.height());
        p->setClipRect(rCell.adjusted(1, 1, -1, -1));
        p->drawText(rText, int(Qt::AlignLeft | (bTop ? Qt::AlignTop : Qt::AlignVCenter)) | Qt::TextSingleLine,
                    sText);
        p->restore();
    }

    // A shortened text shows whole in a tooltip, unless the cell has a tooltip of its own.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& opt,
                   const QModelIndex& index) override {
        if (event->type() == QEvent::ToolTip && index.isValid() &&
            index.data(Qt::ToolTipRole).toString().isEmpty() && !TextFits(opt, index)) {
            // Escaped, so that a typed text is shown as typed and never read as markup.
            QToolTip::showText(event->globalPos(),
                               QStringLiteral("<qt>") + CellShownText(index).toHtmlEscaped() +
                                   QStringLiteral("</qt>"),
                               view->viewport(), opt.rect);
            return true;
        }
        return QStyledItemDelegate::helpEvent(event, view, opt, index);
    }
};

} // namespace

QColor TintOf(const QColor& clColor, double fAlpha) {
    return ColorValueToQColor(CalcOpacity(clWhite, QColorToColorValue(clColor), fAlpha));
}

TInfoGrid::TInfoGrid(int iRows, QWidget* parent) : QTableWidget(parent) {
    // The hidden headers are set up before the cells exist, so that they never measure their own texts.
    for (QHeaderView* Header : {horizontalHeader(), verticalHeader()}) {
        Header->hide();
        Header->setMinimumSectionSize(0);
    }
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    setRowCount(iRows);
    setColumnCount(2);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TInfoGridDelegate(this));
    setSpan(0, 0, 1, 2);
    for (int iRow = 0; iRow < iRows; ++iRow)
        for (int iCol = 0; iCol < 2; ++iCol)
            ItemAt(iRow, iCol);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QTableWidgetItem* TInfoGrid::ItemAt(int iRow, int iCol) {
    if (iRow < 0 || iRow >= rowCount() || iCol < 0 || iCol >= columnCount())
        return nullptr;
    QTableWidgetItem* Item = item(iRow, iCol);
    if (!Item) {
        Item = new QTableWidgetItem;
        const bool bValueCell = iRow > 0 && iCol == 1;
        Item->setFlags(bValueCell ? Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::ItemIsEnabled);
        setItem(iRow, iCol, Item);
    }
    return Item;
}

void TInfoGrid::SetRowHeight(int iHeight) {
    verticalHeader()->setDefaultSectionSize(iHeight);
    updateGeometry();
}

void TInfoGrid::SetTitle(const QString& sTitle) {
    SetCell(0, 0, sTitle);
    SetCell(0, 1, sTitle);
}

void TInfoGrid::SetCell(int iRow, int iCol, const QString& sText) {
    QTableWidgetItem* Item = ItemAt(iRow, iCol);
    if (!Item)
        return;
    const bool bNewLabel = iRow > 0 && iCol == 0 && Item->text() != sText;
    Item->setText(sText);
    Item->setData(kShownRole, QVariant());
    if (bFitToValues && iRow > 0 && iCol == 1)
        updateGeometry();
    // Labels change with the language: the label column and the grid's least width follow them.
    if (bNewLabel) {
        FitColumns();
        updateGeometry();
    }
}

void TInfoGrid::SetCellDisplay(int iRow, int iCol, const QString& sShown) {
    if (QTableWidgetItem* Item = ItemAt(iRow, iCol))
        Item->setData(kShownRole, sShown);
    if (bFitToValues)
        updateGeometry();
}

void TInfoGrid::SetCellAlignment(int iRow, int iCol, Qt::Alignment eAlign) {
    if (QTableWidgetItem* Item = ItemAt(iRow, iCol))
        Item->setData(Qt::TextAlignmentRole, int(eAlign));
}

QString TInfoGrid::ShownText(int iRow, int iCol) const {
    const QTableWidgetItem* Item = item(iRow, iCol);
    if (!Item)
        return {};
    const QVariant vShown = Item->data(kShownRole);
    return vShown.isValid() ? vShown.toString() : Item->text();
}

void TInfoGrid::SetValueReserve(const QStringList& slSamples, const QStringList& slBoldSamples) {
    if (slSamples == slValueReserve && slBoldSamples == slBoldValueReserve)
        return;
    slValueReserve = slSamples;
    slBoldValueReserve = slBoldSamples;
    updateGeometry();
}

QString TInfoGrid::Cell(int iRow, int iCol) const {
    const QTableWidgetItem* Item = item(iRow, iCol);
    return Item ? Item->text() : QString();
}

void TInfoGrid::ClearColumn(int iCol, int iFirstRow, int iLastRow) {
    for (int iRow = std::max(iFirstRow, 0); iRow <= iLastRow && iRow < rowCount(); ++iRow)
        SetCell(iRow, iCol, QString());
}

void TInfoGrid::SetCellStyle(int iRow, int iCol, const TCellStyle& r) {
    QTableWidgetItem* Item = ItemAt(iRow, iCol);
    if (!Item)
        return;
    Item->setData(Qt::ForegroundRole, r.clText.isValid() ? QVariant(QBrush(r.clText)) : QVariant());
    if (r.bBold) {
        QFont Font = font();
        Font.setBold(true);
        Item->setData(Qt::FontRole, Font);
    } else {
        Item->setData(Qt::FontRole, QVariant());
    }
    Item->setData(kFillRole, r.clFill.isValid() ? QVariant(r.clFill) : QVariant());
    Item->setData(kFrameRole, r.clFrame.isValid() ? QVariant(r.clFrame) : QVariant());
}

TCellStyle TInfoGrid::CellStyle(int iRow, int iCol) const {
    TCellStyle r;
    const QTableWidgetItem* Item = item(iRow, iCol);
    if (!Item)
        return r;
    const QVariant vText = Item->data(Qt::ForegroundRole);
    if (vText.canConvert<QBrush>())
        r.clText = vText.value<QBrush>().color();
    const QVariant vFont = Item->data(Qt::FontRole);
    r.bBold = vFont.canConvert<QFont>() && vFont.value<QFont>().bold();
    r.clFill = Item->data(kFillRole).value<QColor>();
    r.clFrame = Item->data(kFrameRole).value<QColor>();
    return r;
}

void TInfoGrid::SetEditable(bool bOn) {
    bEditable = bOn;
    setEditTriggers(bOn ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked
                        : QAbstractItemView::NoEditTriggers);
    setFocusPolicy(bOn ? Qt::StrongFocus : Qt::NoFocus);
    setSelectionMode(bOn ? QAbstractItemView::SingleSelection : QAbstractItemView::NoSelection);
}

int TInfoGrid::LabelColumnWidth() const {
    const QFontMetrics Metrics(font());
    int iLabelWidth = 0;
    for (int iRow = 1; iRow < rowCount(); ++iRow)
        iLabelWidth = std::max(iLabelWidth, Metrics.horizontalAdvance(Cell(iRow, 0)));
    return iLabelWidth + kLabelPadding;
}

int TInfoGrid::ValueColumnWidth() const {
    QFont Bold = font();
    Bold.setBold(true);
    int iValueWidth = 0;
    for (const QString& sSample : slValueReserve)
        iValueWidth = std::max(iValueWidth, fontMetrics().horizontalAdvance(sSample));
    for (const QString& sSample : slBoldValueReserve)
        iValueWidth = std::max(iValueWidth, QFontMetrics(Bold).horizontalAdvance(sSample));
    return std::max(kMinValueWidth, iValueWidth + kValuePadding);
}

void TInfoGrid::FitColumns() {
    // The labels are never cut: the values take what is left (the grid's least width leaves them room).
    const int iAvailable = viewport()->width();
    setColumnWidth(0, std::min(LabelColumnWidth(), std::max(iAvailable, 1)));
    setColumnWidth(1, std::max(0, iAvailable - columnWidth(0) - kRightMargin));
}

void TInfoGrid::SetFitToValues(bool bOn) {
    bFitToValues = bOn;
    updateGeometry();
}

QSize TInfoGrid::sizeHint() const {
    int iWidth = std::max(240, minimumSizeHint().width());
    if (bFitToValues) {
        int iValueWidth = ValueColumnWidth();
        for (int iRow = 1; iRow < rowCount(); ++iRow) {
            const QTableWidgetItem* Item = item(iRow, 1);
            const QVariant vFont = Item ? Item->data(Qt::FontRole) : QVariant();
            const QFontMetrics Metrics(vFont.canConvert<QFont>() ? vFont.value<QFont>() : font());
            iValueWidth =
                std::max(iValueWidth, Metrics.horizontalAdvance(ShownText(iRow, 1)) + kValuePadding);
        }
        iWidth = LabelColumnWidth() + iValueWidth + kRightMargin + 2 * frameWidth();
    }
    return QSize(iWidth, rowCount() * verticalHeader()->defaultSectionSize() + 2 * frameWidth());
}

QSize TInfoGrid::minimumSizeHint() const {
    return QSize(LabelColumnWidth() + ValueColumnWidth() + kRightMargin + 2 * frameWidth(),
                 rowCount() * verticalHeader()->defaultSectionSize() + 2 * frameWidth());
}

void TInfoGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    FitColumns();
}
