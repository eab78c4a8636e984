#include "review/VerdictMarkGlyph.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {

const QColor clPassSign(0, 128, 0);
const QColor clFailSign(192, 0, 0);
const QColor clUnverifiableSign(176, 112, 0);
const QColor clNotComputedSign(128, 128, 128);

QColor SignColour(TVerdictMark eMark) {
    switch (eMark) {
    case TVerdictMark::Pass:
        return clPassSign;
    case TVerdictMark::Fail:
        return clFailSign;
    case TVerdictMark::NotVerifiable:
        return clUnverifiableSign;
    case TVerdictMark::NotComputed:
        break;
    }
    return clNotComputedSign;
}

} // namespace

void PaintVerdictMark(QPainter& p, const QRectF& rBox, TVerdictMark eMark) {
    const double fSide = std::min(rBox.width(), rBox.height());
    if (fSide <= 0)
        return;
    // A square in the middle of the box, with room for the pen.
    const QRectF r(rBox.center().x() - fSide / 2, rBox.center().y() - fSide / 2, fSide, fSide);
    const QRectF rIn = r.adjusted(fSide * 0.15, fSide * 0.15, -fSide * 0.15, -fSide * 0.15);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen Pen(SignColour(eMark), std::max(1.5, fSide * 0.14), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(Pen);
    p.setBrush(Qt::NoBrush);
    switch (eMark) {
    case TVerdictMark::Pass: {
        QPainterPath Check;
        Check.moveTo(rIn.left(), rIn.top() + rIn.height() * 0.55);
        Check.lineTo(rIn.left() + rIn.width() * 0.38, rIn.bottom());
        Check.lineTo(rIn.right(), rIn.top());
        p.drawPath(Check);
        break;
    }
    case TVerdictMark::Fail:
        p.drawLine(rIn.topLeft(), rIn.bottomRight());
        p.drawLine(rIn.topRight(), rIn.bottomLeft());
        break;
    case TVerdictMark::NotVerifiable: {
        const double fW = rIn.width();
        const double fH = rIn.height();
        QPainterPath Hook;
        Hook.moveTo(rIn.left() + fW * 0.15, rIn.top() + fH * 0.25);
        Hook.cubicTo(rIn.left() + fW * 0.15, rIn.top() - fH * 0.05, rIn.right() - fW * 0.1,
                     rIn.top() - fH * 0.05, rIn.right() - fW * 0.1, rIn.top() + fH * 0.25);
        Hook.cubicTo(rIn.right() - fW * 0.1, rIn.top() + fH * 0.45, rIn.center().x(), rIn.top() + fH * 0.45,
                     rIn.center().x(), rIn.top() + fH * 0.68);
        p.drawPath(Hook);
        p.drawPoint(QPointF(rIn.center().x(), rIn.bottom()));
        break;
    }
    case TVerdictMark::NotComputed:
        Pen.setWidthF(std::max(1.0, fSide * 0.1));
        p.setPen(Pen);
        p.drawEllipse(rIn);
        break;
    }
    p.restore();
}

QImage VerdictMarkImage(TVerdictMark eMark, int iSize) {
    QImage Image(std::max(iSize, 1), std::max(iSize, 1), QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter p(&Image);
    PaintVerdictMark(p, QRectF(0, 0, Image.width(), Image.height()), eMark);
    p.end();
    return Image;
}
