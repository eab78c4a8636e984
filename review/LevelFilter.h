#pragma once

#include "core/Settings.h"
#include "store/SQLFilter.h"

#include <QString>
#include <optional>

// A level typed into the data filter: every "," becomes ".", and the result must read as a finite number
// with "." as decimal separator. Returns the text as the dialog keeps it ("-6,5" gives "-6.5"), or nothing
// when it is no number.
std::optional<QString> NormaliseLevelText(const QString& sText);

// The filter of the dialog's checked conditions, each one a bound value: the timecodes as texts (they
// compare as texts and have a fixed width), the levels as numbers. The statement reads the level rows of
// the session bound to ?1. Nothing when a checked level does not read as a number (the dialog refuses it
// before, so only a hand-edited settings file gets here).
std::optional<TSQLFilter> BuildDataFilter(const TFilterOptions& rOptions);
