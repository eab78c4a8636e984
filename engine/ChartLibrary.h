#pragma once

// The chart library's header speaks Qt's plain keywords, which this program switches off so that they
// never clash with other libraries; they are lent to it for the length of the include only.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef signals
#undef slots
#undef foreach
