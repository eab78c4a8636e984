#include "core/TextTable.h"
#include "meter/PortOpenError.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Every pair the interface uses: 0 (maker and slogan), the even entries 2 to 416 except the two unused,
// and the program's own pairs after the name lists.
std::vector<int> UsedPairs() {
    std::vector<int> a{0};
    for (int i = 2; i <= 416; i += 2) {
        if (i != 34 && i != 104)
            a.push_back(i);
    }
    a.push_back(kTxtReplaceDatabaseFile);
    for (int i = kTxtPortPermissionGroup; i <= kTxtPortOpenFailed; i += 2)
        a.push_back(i);
    for (int i = kTxtLeftAxisMinInvalid; i <= kTxtRestoreDefaultSettings; i += 2)
        a.push_back(i);
    return a;
}

QString U(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(TextTable, EveryPairHasBothLanguages) {
    for (int i : UsedPairs()) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(GetText(i, kLanguageEnglish).isEmpty());
        EXPECT_FALSE(GetText(i, kLanguageDanish).isEmpty());
    }
    for (int i : {34, 35, 104, 105, 445})
        EXPECT_TRUE(TextTable().Entry(i).isEmpty()) << i;
}

// A translation that loses a placeholder or a paragraph break formats or reads wrongly in one language.
TEST(TextTable, TranslationsKeepPlaceholdersAndParagraphs) {
    static const QRegularExpression rePlaceholder(QStringLiteral("%[sd]"));
    for (int i : UsedPairs()) {
        if (i == 0)
            continue;
        SCOPED_TRACE(i);
        const QString sEnglish = GetText(i, kLanguageEnglish);
        const QString sDanish = GetText(i, kLanguageDanish);
        QStringList slEnglish, slDanish;
        for (const auto& m : rePlaceholder.globalMatch(sEnglish))
            slEnglish << m.captured();
        for (const auto& m : rePlaceholder.globalMatch(sDanish))
            slDanish << m.captured();
        EXPECT_EQ(slEnglish, slDanish);
        EXPECT_EQ(sEnglish.count(QLatin1Char('\r')), sDanish.count(QLatin1Char('\r')));
        // An escape left unread would show as a backslash.
        EXPECT_FALSE(sEnglish.contains(QLatin1Char('\\')));
        EXPECT_FALSE(sDanish.contains(QLatin1Char('\\')));
    }
}

TEST(TextTable, SpotChecksInBothLanguages) {
    struct TCase {
        int iEntry;
        const char* sEnglish;
        const char* sDanish;
    };
    const TCase aCases[] = {
        {2, "English", "Dansk"},
        {20, "Confirm", "Bekræft"},
        {30, "No instrument found on COM%d.\r\rPlease check the connection.",
         "Der blev ikke fundet noget instrument på COM%d.\r\rUndersøg forbindelsen."},
        {94, "     Hardware ID.:", "    Hardware ID.:"},
        {98, "Software Package.:", " Software Pakke.:"},
        {204, "Export to PDF, full page...", "Eksporter til PDF, max. størrelse..."},
        {210, "Copy chart to clipboard.", "Kopier diagram til udklipsholder."},
        {240,
         "Before you can start logging you must select or create a new database.\r\rThe \"Manage Databases\" "
         "window will now be opened.",
         "Før du kan starte med at logge skal du vælge eller oprette en ny database.\r\rVinduet "
         "\"Administrer "
         "Databaser\" vil nu blive åbnet."},
        {244, "A logging session is in progress.\r\rAre you sure you wish to quit?",
         "En lognings session er igang.\r\rEr du sikker på at du vil afslutte?"},
        {270, "PDF-Files (*.PDF)|*.PDF|All Files (*.*)|*.*", "PDF-Filer (*.PDF)|*.PDF|Alle Filer (*.*)|*.*"},
        {292,
         "Please exit the \"Setup Menu\" and \"Quick Start Guide\" on the instrument before starting a new "
         "logging session.",
         "Luk venligst \"Opsætnings menuen\" og \"Quick Start Guiden\" på instrumentet før logging sessionen "
         "startes."},
        {300, "Could not open the database file \"%s\".\rPlease verify that it is a valid database.",
         "Kan ikke åbne databasen \"%s\".\rUndersøg om det er en gyldig database."},
        {340, "Operator Name.:", "Operatør Navn.:"},
        {346, "The character %s can not be used and has been removed.",
         "Symbolet %s kan ikke anvendes og er blevet fjernet."},
        {374, "  Export to PDF ", "Eksporter til PDF"},
        {406, "Autostart enabled, waiting for timecode: %s.", "Autostart aktiveret, venter på tidskode: %s."},
        {416, "Timecode Control...", "Tidskode styring..."},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.iEntry);
        EXPECT_EQ(GetText(c.iEntry, kLanguageEnglish), U(c.sEnglish));
        EXPECT_EQ(GetText(c.iEntry, kLanguageDanish), U(c.sDanish));
    }
    EXPECT_EQ(TextTable().Entry(0), QStringLiteral("Kelmoria"));
}

TEST(TextTable, DoubleQuoteConstant) {
    EXPECT_EQ(GetText(kTxtDoubleQuote, kLanguageEnglish), QStringLiteral("\""));
}

TEST(TextTable, LookupOutsideTheTableIsEmpty) {
    EXPECT_TRUE(GetText(-1, kLanguageEnglish).isEmpty());
    EXPECT_TRUE(GetText(-2, kLanguageDanish).isEmpty());
    EXPECT_TRUE(GetText(kTextTableEntries, kLanguageEnglish).isEmpty());
    EXPECT_TRUE(GetText(kTextTableEntries - 1, kLanguageDanish).isEmpty());
    EXPECT_TRUE(GetText(1'000'000, kLanguageEnglish).isEmpty());
    EXPECT_TRUE(TextTable().Entry(-1).isEmpty());
    EXPECT_TRUE(TextTable().Entry(kTextTableEntries).isEmpty());
}

TEST(TextTable, UnknownLanguageReadsAsEnglish) {
    for (int iLNG : {-1, 2, 7})
        EXPECT_EQ(GetText(kTxtConfirm, iLNG), QStringLiteral("Confirm")) << iLNG;
}

TEST(TextTable, NameListsInOrder) {
    struct TCase {
        TNameList rList;
        QStringList slNames;
    };
    const TCase aCases[] = {
        {kPeakModeNames, {"Digital", "True Peak", "Unknown"}},
        {kCaptureModeNames, {"Auto Start", "Auto Resume", "Manual Start", "Unknown"}},
        {kScaleModeNames, {"LU", "LUFS", "LKFS", "Unknown"}},
        {kReferenceNames, {"400 Hz", "1000 Hz", "Unknown"}},
        {kFilterNames, {"OFF", "K-Filter", "LEQM", "Unknown"}},
        {kGateModeNames, {"Absolute", "Floating", "Unknown"}},
        {kSlidingWindowNames, {"0 Seconds", "3 Seconds", "10 Seconds", "30 Seconds", "Unknown"}},
    };
    int iNext = 419;
    for (const TCase& c : aCases) {
        EXPECT_EQ(c.rList.iFirst, iNext);
        EXPECT_EQ(GetNameList(c.rList), c.slNames);
        iNext += c.rList.iHigh + 1;
    }
    EXPECT_EQ(iNext, 445);
}

TEST(TextTable, NameOfACodeAndUnknownOutsideTheList) {
    struct TCase {
        QString (*fName)(int);
        int iCode;
        const char* sName;
    };
    const TCase aCases[] = {
        {PeakModeName, 1, "True Peak"},       {PeakModeName, -1, "Unknown"},
        {PeakModeName, 3, "Unknown"},         {CaptureModeName, 2, "Manual Start"},
        {CaptureModeName, 4, "Unknown"},      {ScaleModeName, 0, "LU"},
        {ScaleModeName, 2, "LKFS"},           {ScaleModeName, 255, "Unknown"},
        {ReferenceName, 1, "1000 Hz"},        {ReferenceName, -7, "Unknown"},
        {FilterName, 1, "K-Filter"},          {FilterName, 4, "Unknown"},
        {GateModeName, 1, "Floating"},        {GateModeName, 3, "Unknown"},
        {SlidingWindowName, 3, "30 Seconds"}, {SlidingWindowName, 5, "Unknown"},
        {SlidingWindowName, -1, "Unknown"},   {SlidingWindowName, 4, "Unknown"},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(c.fName(c.iCode), QString::fromLatin1(c.sName)) << c.iCode << " " << c.sName;
}

TEST(GetStrArray, HighBeyondTheListReadsTheLastName) {
    const QStringList sl{"A", "B", "Unknown"};
    EXPECT_EQ(GetStrArray(1, sl, 2), "B");
    EXPECT_EQ(GetStrArray(9, sl, 2), "Unknown");
    EXPECT_EQ(GetStrArray(0, sl, 1), "A");
    EXPECT_EQ(GetStrArray(2, sl, 1), "B");
    EXPECT_EQ(GetStrArray(5, sl, 40), "Unknown");
    EXPECT_EQ(GetStrArray(0, sl, -1), "Unknown");
    EXPECT_TRUE(GetStrArray(0, {}, 0).isEmpty());
}

// The table reader gets its own data here, so the faults it must survive can be shown.
TEST(TextTableData, ReadsPairsEscapesAndSkipsWhatDoesNotParse) {
    const QByteArray sBeforeLast = QByteArray::number(kTextTableEntries - 2);
    const QByteArray data = "# comment\n"
                            "2\tOne\\r\\rTwo\tEn\\tTo\r\n"
                            "4\tback\\\\slash\\x\n"
                            "x5\tnot a number\n"
                            "-1\tnegative\n" +
                            QByteArray::number(kTextTableEntries) + "\tpast the end\n" + "6\n" + sBeforeLast +
                            "\tlast name\tlast entry\tpast the end\n" + "\n";
    const TTextTable t(data);
    EXPECT_EQ(t.GetText(2, kLanguageEnglish), QStringLiteral("One\r\rTwo"));
    EXPECT_EQ(t.GetText(2, kLanguageDanish), QStringLiteral("En\tTo"));
    EXPECT_EQ(t.Entry(4), QStringLiteral("back\\slash\\x"));
    EXPECT_TRUE(t.Entry(5).isEmpty());
    EXPECT_TRUE(t.Entry(6).isEmpty());
    EXPECT_EQ(t.Entry(kTextTableEntries - 2), QStringLiteral("last name"));
    EXPECT_EQ(t.Entry(kTextTableEntries - 1), QStringLiteral("last entry"));
    EXPECT_TRUE(t.GetText(kTextTableEntries - 1, kLanguageDanish).isEmpty());
}

TEST(TextTableData, EmptyOrGarbageDataGivesEmptyTexts) {
    const TTextTable tEmpty(QByteArray{});
    EXPECT_TRUE(tEmpty.GetText(kTxtOK, kLanguageEnglish).isEmpty());
    const TTextTable tGarbage(QByteArray("\xff\xfe\x00\t\t\t\n\t9\n", 10));
    for (int i = 0; i < kTextTableEntries; ++i)
        EXPECT_TRUE(tGarbage.Entry(i).isEmpty()) << i;
}
