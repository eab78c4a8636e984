#pragma once

#include <QString>
#include <QStringList>

// Fills the "%s" and "%d" placeholders of a text table entry, in order, with the given values. A missing
// value leaves its placeholder empty, so a text never shows a raw placeholder.
QString FormatText(const QString& sTemplate, const QStringList& slArgs);
