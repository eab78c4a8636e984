#pragma once

#include <QHeaderView>

// The level table's column titles: each on a grey tint in a grey frame, with a little space around the
// title, and the sort direction on the sorted column. Drawn here rather than by a style sheet on the table,
// which would put the whole table through the sheet machinery.
class TLevelTableHeader : public QHeaderView {
public:
    explicit TLevelTableHeader(QWidget* parent = nullptr);

    // Frame width and the space between frame and title.
    static constexpr int kBorder = 1;
    static constexpr int kPadding = 2;
    static QColor FillColor();
    static QColor FrameColor();

protected:
    void paintSection(QPainter* p, const QRect& rect, int iSection) const override;
    QSize sectionSizeFromContents(int iSection) const override;
};
