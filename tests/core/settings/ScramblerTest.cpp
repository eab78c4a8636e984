#include "core/Scrambler.h"

#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// "Kode|ørn" as this program scrambled it once.
const QString kStoredText = QStringLiteral("GCgZB+aOZkAFyuMiMSN3RtjAp1E6EEAVje1YHFNr2e0Lc3z3Jm6NnYl32WQ=");

// Collects the log lines the decoder sends.
struct TLogSink {
    QStringList slLines;
    TLogLine Fn() {
        return [this](const QString& sLine) { slLines << sLine; };
    }
};

TEST(Scrambler, RoundTrip) {
    const QStringList slValues = {
        QString(),
        QStringLiteral("admin"),
        QStringLiteral("pässwörd"),
        QStringLiteral("用户名"),
        QStringLiteral("a|b||c"),
        QStringLiteral("|"),
        QStringLiteral(" blank at both ends "),
        QStringLiteral("sixteen-chars-16"),
    };
    for (const QString& sValue : slValues) {
        QString sText = sValue;
        ASSERT_TRUE(EncryptString(sText, kScrambleSeed));
        EXPECT_EQ(sText.size() % 4, 0);
        EXPECT_FALSE(sValue.size() > 1 && sText.contains(sValue)) << qPrintable(sValue);
        TLogSink log;
        EXPECT_TRUE(DecryptString(sText, kScrambleSeed, log.Fn())) << qPrintable(sValue);
        EXPECT_EQ(sText, sValue);
        EXPECT_TRUE(log.slLines.isEmpty());
    }
}

TEST(Scrambler, SameValueScramblesDifferently) {
    QSet<QString> setTexts;
    for (int i = 0; i < 20; ++i) {
        QString sText = QStringLiteral("secret");
        EncryptString(sText, kScrambleSeed);
        setTexts.insert(sText);
        ASSERT_TRUE(DecryptString(sText, kScrambleSeed));
        EXPECT_EQ(sText, "secret");
    }
    EXPECT_GT(setTexts.size(), 1);
}

// A text scrambled once by this program: it must keep decoding, or every stored password is lost.
TEST(Scrambler, StoredTextStillDecodes) {
    QString sText = kStoredText;
    ASSERT_TRUE(DecryptString(sText, kScrambleSeed));
    EXPECT_EQ(sText, QStringLiteral("Kode|ørn"));
}

TEST(Scrambler, UndecodableTextStaysAsItIs) {
    struct TCase {
        QString sText;
        bool bLogged;
    };
    QString sTampered = kStoredText;
    sTampered[5] = sTampered[5] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    const TCase aCases[] = {
        // Seven plain letters: not Base64 by its length.
        {QStringLiteral("letters"), true},
        {QStringLiteral("abcde"), true},
        {QString(), false},
        // Base64, but no checksum.
        {QStringLiteral("QUJDRA=="), false},
        {QStringLiteral("ab!d"), false},
        {QStringLiteral("äöüß"), false},
        {sTampered, false},
    };
    for (const TCase& c : aCases) {
        QString sText = c.sText;
        TLogSink log;
        EXPECT_FALSE(DecryptString(sText, kScrambleSeed, log.Fn())) << qPrintable(c.sText);
        EXPECT_EQ(sText, c.sText);
        if (c.bLogged)
            EXPECT_EQ(log.slLines, QStringList{"Decrypt Error: " + c.sText + "|0"});
        else
            EXPECT_TRUE(log.slLines.isEmpty()) << qPrintable(c.sText);
    }
}

TEST(Scrambler, OtherSeedDoesNotDecode) {
    QString sText = QStringLiteral("operator");
    EncryptString(sText, kScrambleSeed);
    const QString sScrambled = sText;
    EXPECT_FALSE(DecryptString(sText, kScrambleSeed ^ 0x0100));
    EXPECT_EQ(sText, sScrambled);
}

} // namespace
