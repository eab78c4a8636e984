// Feeds arbitrary lines to the recovery file's reader, as a damaged or foreign file may hold them, and
// checks that what it accepts names its session and reads back the same once written again.
#include "FuzzCommon.h"
#include "store/StoreWrite.h"

#include <QByteArray>

using qxfuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray aLine(reinterpret_cast<const char*>(data), qsizetype(size));
    TStoreWrite w;
    if (!DecodeStoreWrite(aLine, w))
        return 0;
    Require(w.eKind == TStoreWrite::InsertSession || w.eKind == TStoreWrite::UpdateSession ||
            w.eKind == TStoreWrite::InsertLevel);
    // A write without its session would store rows that belong to none.
    Require(!(w.eKind == TStoreWrite::InsertLevel ? w.rLevel.sReportId : w.rSession.sReportID).isEmpty());
    // Saved again at the next close, it must read back as the same write.
    const QByteArray aSaved = EncodeStoreWrite(w);
    Require(!aSaved.contains('\n'));
    TStoreWrite Again;
    Require(DecodeStoreWrite(aSaved, Again));
    Require(EncodeStoreWrite(Again) == aSaved);
    return 0;
}
