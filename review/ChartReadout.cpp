#include "review/ChartReadout.h"

#include "review/LevelData.h"

#include <cmath>

namespace {

// Gap between the pointer and the box, so the box never hides what the pointer is on.
constexpr double kPointerGap = 14.0;
const QColor clReadoutBrush(0xFF, 0xFF, 0xFF, 0xD8);
const QColor clReadoutFrame(0x60, 0x60, 0x60);
const QMargins kReadoutPadding(5, 3, 5, 3);

} // namespace

QString ChartReadoutText(const QString& sTimecodeTitle, QStringView sTimecode,
                         std::span<const TReadoutLine> aLines, QStringView sDecimalPoint) {
    QString sText = sTimecodeTitle + QLatin1Char(' ') + sTimecode.toString();
    for (const TReadoutLine& r : aLines) {
        const QString sLevel = std::isfinite(r.fValue)
                                   ? FormatLevel(r.fValue, sDecimalPoint) + QLatin1Char(' ') + r.sUnit
                                   : QStringLiteral("-");
        sText += QLatin1Char('\n') + r.sName + QStringLiteral("  ") + sLevel;
    }
    return sText;
}

TChartReadout::TChartReadout(QCustomPlot& rChart) : Chart(rChart) {
    Box = new QCPItemText(&Chart);
    Box->setLayer(QStringLiteral("overlay"));
    Box->setClipToAxisRect(false);
    Box->position->setType(QCPItemPosition::ptAbsolute);
    Box->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    Box->setTextAlignment(Qt::AlignLeft);
    Box->setPadding(kReadoutPadding);
    Box->setBrush(clReadoutBrush);
    Box->setPen(QPen(clReadoutFrame));
    Box->setSelectable(false);
    Box->setVisible(false);
}

void TChartReadout::Show(const QPointF& Pointer, const QString& sText) {
    Box->setText(sText);
    const QRect Plot = Chart.axisRect()->rect();
    const QSizeF Size = QFontMetricsF(Box->font()).boundingRect(QRectF(), Qt::AlignLeft, sText).size() +
                        QSizeF(kReadoutPadding.left() + kReadoutPadding.right(),
                               kReadoutPadding.top() + kReadoutPadding.bottom());
    // Below and right of the pointer where it fits, else on the other side of it.
    Qt::Alignment eAlign;
    double fX = Pointer.x() + kPointerGap;
    double fY = Pointer.y() + kPointerGap;
    eAlign |= fX + Size.width() <= Plot.right() ? Qt::AlignLeft : Qt::AlignRight;
    if (eAlign & Qt::AlignRight)
        fX = Pointer.x() - kPointerGap;
    eAlign |= fY + Size.height() <= Plot.bottom() ? Qt::AlignTop : Qt::AlignBottom;
    if (eAlign & Qt::AlignBottom)
        fY = Pointer.y() - kPointerGap;
    Box->setPositionAlignment(eAlign);
    Box->position->setCoords(fX, fY);
    Box->setVisible(true);
    Box->layer()->replot();
}

void TChartReadout::Hide() {
    if (!Box->visible())
        return;
    Box->setVisible(false);
    Box->layer()->replot();
}

bool TChartReadout::IsShown() const {
    return Box->visible();
}

QString TChartReadout::Text() const {
    return Box->visible() ? Box->text() : QString();
}

QRectF TChartReadout::Rect() const {
    const QPointF TopLeft = Box->topLeft->pixelPosition();
    return QRectF(TopLeft, Box->bottomRight->pixelPosition());
}
