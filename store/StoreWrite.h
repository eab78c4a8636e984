#pragma once

#include "core/SessionTypes.h"
#include "store/dbSQLite.h"

#include <QByteArray>

// One write of the logging path, kept until the database has taken it.
struct TStoreWrite {
    enum TKind { InsertSession, UpdateSession, InsertLevel, InsertGap };
    TKind eKind = InsertLevel;
    // The database the write belongs to: the working database when it was made.
    QString sDatabase;
    TSessionInfo rSession;
    TStoredLevel rLevel;
    TSessionGap rGap;
    // Julian date of the moment the write was asked for (session rows; a level row carries its own).
    double fStamp = 0.0;

    // The session the write belongs to.
    const QString& SessionId() const;
};

// The recovery file's lines: one JSON object a write. Reading never trusts the file: a line that does not
// read as a write gives nothing.
QByteArray EncodeStoreWrite(const TStoreWrite& rWrite);
bool DecodeStoreWrite(const QByteArray& aLine, TStoreWrite& rWrite);
