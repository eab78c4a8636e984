#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdio>

// The station's event lines on standard error: one line per event, led by the priority prefix the system
// journal reads ("<6>" information, "<4>" warning, "<3>" error), then a short English text and its facts
// as key=value pairs. They are for administrators and monitoring, so they are never translated.
enum class TJournalPriority : int { Error = 3, Warning = 4, Info = 6 };

using TJournalFacts = QList<QPair<QString, QString>>;

// One event as its line, line end included. A value with spaces, quotes, an equals sign or nothing at all
// is quoted (inner quotes and backslashes escaped); line breaks and other control characters in the text
// or a value become spaces, so one event never spans two lines.
QByteArray JournalLine(TJournalPriority ePriority, const QString& sText, const TJournalFacts& aFacts = {});

// Writes event lines to one stream, each flushed at once so that nothing waits in a buffer when the
// process ends.
class TStationJournal {
public:
    explicit TStationJournal(std::FILE* pStream) : pStream(pStream) {}

    void Write(TJournalPriority ePriority, const QString& sText, const TJournalFacts& aFacts = {});
    void Info(const QString& sText, const TJournalFacts& aFacts = {}) {
        Write(TJournalPriority::Info, sText, aFacts);
    }
    void Warning(const QString& sText, const TJournalFacts& aFacts = {}) {
        Write(TJournalPriority::Warning, sText, aFacts);
    }
    void Error(const QString& sText, const TJournalFacts& aFacts = {}) {
        Write(TJournalPriority::Error, sText, aFacts);
    }

private:
    std::FILE* pStream;
};
