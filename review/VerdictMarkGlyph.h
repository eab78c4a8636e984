#pragma once

#include "compliance/KeptVerdict.h"

#include <QImage>
#include <QRectF>

class QPainter;

// The small sign a session's verdict mark shows in the session list. Each mark has a shape of its own, so
// that it reads without colour too: a check mark (pass), a cross (fail), a question mark (not verifiable)
// and an empty circle (not yet computed).

// Draws the sign of eMark inside rBox, as large as the box's shorter side allows.
void PaintVerdictMark(QPainter& p, const QRectF& rBox, TVerdictMark eMark);
// The sign of eMark on a transparent square image of iSize pixels.
QImage VerdictMarkImage(TVerdictMark eMark, int iSize);
