#include "app/StationJournal.h"

namespace {

// Control characters (line breaks first of all) as spaces; a CR LF pair as one space.
QString OneLine(const QString& sText) {
    QString s = sText;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : s)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return s;
}

QString FactValue(const QString& sValue) {
    const QString s = OneLine(sValue);
    const bool bQuote = s.isEmpty() || s.contains(QLatin1Char(' ')) || s.contains(QLatin1Char('"')) ||
                        s.contains(QLatin1Char('=')) || s.contains(QLatin1Char('\\'));
    if (!bQuote)
        return s;
    QString sQuoted = s;
    sQuoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    sQuoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + sQuoted + QLatin1Char('"');
}

} // namespace

QByteArray JournalLine(TJournalPriority ePriority, const QString& sText, const TJournalFacts& aFacts) {
    QString sLine = QLatin1Char('<') + QString::number(int(ePriority)) + QLatin1Char('>') + OneLine(sText);
    for (const auto& [sKey, sValue] : aFacts)
        sLine += QLatin1Char(' ') + sKey + QLatin1Char('=') + FactValue(sValue);
    return sLine.toUtf8() + '\n';
}

void TStationJournal::Write(TJournalPriority ePriority, const QString& sText, const TJournalFacts& aFacts) {
    const QByteArray Line = JournalLine(ePriority, sText, aFacts);
    std::fwrite(Line.constData(), 1, size_t(Line.size()), pStream);
    std::fflush(pStream);
}
