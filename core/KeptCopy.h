#pragma once

#include <QString>

// Copies sFile to a new file beside it named sFile + "." + sTag + "-" + the local date and time
// (yyyyMMdd-HHmmss), with "-2", "-3", ... added when that name is taken, so an earlier copy is never
// replaced. Returns the copy's path; empty when no copy could be made, and sError then says why.
QString KeepCopyBeside(const QString& sFile, const QString& sTag, QString& sError);
