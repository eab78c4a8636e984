#pragma once

#include <QColor>
#include <QTableWidget>

// How one cell of an information grid is drawn beyond the standard look: text colour and weight, and a
// tinted fill with its frame. An invalid colour keeps the standard one.
struct TCellStyle {
    QColor clText;
    bool bBold = false;
    QColor clFill;
    QColor clFrame;
};

// A small label/value grid of the logging tab, drawn by the program: row 0 is a title bar across both
// columns, column 0 holds right-aligned labels on a grey tint, column 1 left-aligned values in white cells
// with a silver frame. The value column fills the grid's width. A text wider than its cell ends in "…"
// and shows whole in the cell's tooltip.
class TInfoGrid : public QTableWidget {
    Q_OBJECT
public:
    TInfoGrid(int iRows, QWidget* parent = nullptr);

    static constexpr int kRowHeight = 20;
    // Every row's height; kRowHeight unless set.
    void SetRowHeight(int iHeight);

    // Row 0: the same text in both cells, shown as one bar.
    void SetTitle(const QString& sTitle);
    // Sets a cell's text; it is also what the cell shows until SetCellDisplay says otherwise.
    void SetCell(int iRow, int iCol, const QString& sText);
    QString Cell(int iRow, int iCol) const;
    // What the cell shows instead of its text (a shorter form), until its text is set again.
    void SetCellDisplay(int iRow, int iCol, const QString& sShown);
    // What the cell shows before any shortening to its width: the display form, or else its text.
    QString ShownText(int iRow, int iCol) const;
    // Texts the value column always has room for, in the grid's font and in bold: the grid is never laid
    // out narrower, so the values that commonly appear show whole and a change of value moves nothing.
    void SetValueReserve(const QStringList& slSamples, const QStringList& slBoldSamples = {});
    // Vertical placement of the cell's text: centred unless Qt::AlignTop is given.
    void SetCellAlignment(int iRow, int iCol, Qt::Alignment eAlign);
    // Empties column iCol from iFirstRow to iLastRow (both within the grid).
    void ClearColumn(int iCol, int iFirstRow, int iLastRow);
    void SetCellStyle(int iRow, int iCol, const TCellStyle& rStyle);
    TCellStyle CellStyle(int iRow, int iCol) const;
    // Value cells of rows 1 and below may be edited by the user.
    void SetEditable(bool bEditable);
    bool IsEditable() const { return bEditable; }
    // Fits the label column to its texts and gives the rest to the values.
    void FitColumns();
    // The width the label column needs: the longest label and its padding.
    int LabelColumnWidth() const;
    // The least width of the value column: the widest reserved text and its padding.
    int ValueColumnWidth() const;
    // Whether the grid asks the layout for room for the values it shows now, beyond its reserve: for
    // grids whose values change only on the user's command, so that the layout moves only then.
    void SetFitToValues(bool bOn);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTableWidgetItem* ItemAt(int iRow, int iCol);
    bool bEditable = false;
    QStringList slValueReserve;
    QStringList slBoldValueReserve;
    bool bFitToValues = false;
};

// The tint of a colour: fAlpha parts white and the rest the colour, each channel rounded to the nearest
// integer with halves to even. 0.9 gives a pale tint, 0.5 a frame of the same hue.
QColor TintOf(const QColor& clColor, double fAlpha);
