#include "engine/EngineMessages.h"
#include "core/EngineLog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

} // namespace

TEST(EngineDatagram, FramesCodeThreadLengthTextAndZero) {
    EXPECT_EQ(EncodeEngineDatagram(10, "Idle.|1"), Bytes({10, 0, 7}) + "Idle.|1" + Bytes({0}));
}

TEST(EngineDatagram, DropsEveryCharacterTheReceiverCannotTake) {
    struct Case {
        QString sIn;
        QByteArray sKept;
    };
    const Case cases[] = {
        {"a?b", "ab"},
        {"line\r\nbreak", "linebreak"},
        {"@AT\\^`~", "AT"},
        {"[x]_{y}|", "[x]_{y}|"},
        {QString::fromUtf8("bl\u00e5 \u20ac"), "bl "},
        {"!\"#$%&'()*+,-./0123456789:;<=>", "!\"#$%&'()*+,-./0123456789:;<=>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterMessageText(c.sIn), c.sKept) << c.sIn.toStdString();
}

TEST(EngineDatagram, LengthByteIsCountedAfterDroppingAndMarksLongTexts) {
    EXPECT_EQ(quint8(EncodeEngineDatagram(10, "a?b").at(2)), 2);
    EXPECT_EQ(quint8(EncodeEngineDatagram(10, QString(127, 'x')).at(2)), 127);
    EXPECT_EQ(quint8(EncodeEngineDatagram(10, QString(128, 'x')).at(2)), 63);
    EXPECT_EQ(EncodeEngineDatagram(10, QString(300, 'x')).size(), 300 + 4);
}

TEST(EngineDatagram, DecodeIgnoresShortForeignAndUnterminatedDatagrams) {
    struct Case {
        const char* sWhat;
        QByteArray Datagram;
        bool bAccepted;
        QString sText;
    };
    const Case cases[] = {
        {"five bytes carry one character", Bytes({15, 0, 1, 'x', 0}), true, "x"},
        {"four bytes are too short", Bytes({15, 0, 0, 0}), false, {}},
        {"empty", QByteArray(), false, {}},
        {"thread number 1", Bytes({15, 1, 1, 'x', 0}), false, {}},
        {"no final zero", Bytes({15, 0, 1, 'x', 'y'}), false, {}},
        {"length byte is not trusted", Bytes({10, 0, 99, 'a', 'b', 0}), true, "ab"},
        {"bytes above 127 stay characters", Bytes({10, 0, 1, 0xE9, 0}), true, QString(QChar(0xE9))},
    };
    for (const Case& c : cases) {
        const auto Decoded = DecodeEngineDatagram(c.Datagram);
        ASSERT_EQ(Decoded.has_value(), c.bAccepted) << c.sWhat;
        if (Decoded) {
            EXPECT_EQ(Decoded->sText, c.sText) << c.sWhat;
        }
    }
}

TEST(EngineDatagram, RoundTripsEveryAllowedText) {
    const QString sText = "10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|";
    const auto Decoded = DecodeEngineDatagram(EncodeEngineDatagram(15, sText));
    ASSERT_TRUE(Decoded);
    EXPECT_EQ(Decoded->iCode, 15);
    EXPECT_EQ(Decoded->sText, sText);
}

TEST(MessageFields, SplitsOnBarsAndLeavesMissingFieldsEmpty) {
    struct Case {
        QString sText;
        QStringList Expected;
    };
    const Case cases[] = {
        {"a|b|c|", {"a", "b", "c", "", ""}},
        {"a|b", {"a", "", "", "", ""}},
        {"", {"", "", "", "", ""}},
        {"||x|", {"", "", "x", "", ""}},
        {"1|2|3|4|5|6|7|", {"1", "2", "3", "4", "5"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitMessageFields(c.sText, 5), c.Expected) << c.sText.toStdString();
}

TEST(MessageFields, RealsUseAPointAndUpToFifteenDigits) {
    EXPECT_EQ(FormatMessageReal(-23.4), "-23.4");
    EXPECT_EQ(FormatMessageReal(-999), "-999");
    EXPECT_EQ(FormatMessageReal(2451545.123456789), "2451545.12345679");
}

TEST(EngineLog, FormatsLinesAndKeepsTheLast1001) {
    TEngineLog Log;
    const QDateTime dt(QDate(2024, 3, 7), QTime(9, 5, 3, 42));
    Log.AddLog(-1, "UDP Port 50001 selected.|1", dt);
    EXPECT_EQ(Log.Lines().first(), "0|07-03-2024 09:05:03.042|UDP Port 50001 selected.|1");
    for (int i = 1; i < 1001; ++i)
        Log.AddLog(0, QString::number(i), dt);
    EXPECT_EQ(Log.Lines().size(), 1001);
    EXPECT_TRUE(Log.Lines().first().startsWith("0|"));
    Log.AddLog(0, "1002nd", dt);
    EXPECT_EQ(Log.Lines().size(), 1001);
    EXPECT_EQ(Log.Lines().first(), "1|07-03-2024 09:05:03.042|1");
    EXPECT_EQ(Log.Lines().last(), "1|07-03-2024 09:05:03.042|1002nd");
}

TEST(EngineLog, MirrorsToAFileWithOneRotatedCopy) {
    QTemporaryDir Dir;
    const QString sPath = Dir.filePath("QXLogging.log");
    TEngineLog Log;
    Log.SetMirrorFile(sPath);
    const QString sLong(1000, 'x');
    const int iLines = int(TEngineLog::kMirrorLimitBytes / 1000) + 50;
    for (int i = 0; i < iLines; ++i)
        Log.AddLog(0, sLong);
    EXPECT_TRUE(QFileInfo::exists(sPath + ".1"));
    EXPECT_LE(QFileInfo(sPath).size(), TEngineLog::kMirrorLimitBytes + 2000);
    EXPECT_GT(QFileInfo(sPath).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(sPath + ".2"));
}

// The texts the logging thread composes, field for field, as the window has always split them.
TEST(EngineMessageStructs, EncodeTheThreadsTextsAndDecodeThemBack) {
    TLevelRecordMessage Level;
    Level.sTimeCode = QStringLiteral("10:00:01:00");
    Level.fMeterPeakLevel = -1;
    Level.fGateLevel = -20;
    Level.nLoudnessHi = -23.4;
    Level.nLoudnessLow = -30.1;
    Level.nInstantaneousPeak = -3.2;
    Level.iSlidingWindow = 1;
    Level.iPeakChannel = 2;
    Level.nLoudnessIntegrating = -24;
    Level.iPeakCount = 5;
    Level.bValid = true;
    EXPECT_EQ(EncodeLevelRecordMessage(Level), "10:00:01:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|");
    EXPECT_EQ(DecodeLevelRecordMessage(EncodeLevelRecordMessage(Level)), Level);

    TLoudnessSetupMessage Setup;
    Setup.iPeakMode = 1;
    Setup.iCapture = 0;
    Setup.iScaleMode = 1;
    Setup.iReference = 1;
    Setup.iSlidingWindow = 2;
    Setup.fGateLevel = -70;
    Setup.iGateMode = 1;
    Setup.fReferenceLevel = -18;
    Setup.fMeterPeakLevel = -0.5;
    Setup.iFilter = 1;
    EXPECT_EQ(EncodeLoudnessSetupMessage(Setup), "1|0|1|1|2|-70|1|-18|-0.5|1|");
    EXPECT_EQ(DecodeLoudnessSetupMessage(EncodeLoudnessSetupMessage(Setup)), Setup);

    // The serial channel's identification, and the network login's with its zeros.
    TInstrumentInfoMessage Info;
    Info.sTypeName = QStringLiteral("QX-Sim");
    Info.iTypeNo = 25;
    Info.iSerialNo = 1234;
    Info.sReserved = QString();
    Info.iReserved1 = Info.iReserved2 = 0;
    Info.iSoftwarePackage = 14;
    Info.iRunVerMajor = 1;
    Info.iRunVerMinor = 36;
    Info.iFPGAVersion = 3;
    EXPECT_EQ(EncodeInstrumentInfoMessage(Info), "QX-Sim|25|1234||0|0|14|1|36|3|");
    TInstrumentInfoMessage Decoded = Info;
    Decoded.sReserved.reset();
    EXPECT_EQ(DecodeInstrumentInfoMessage(EncodeInstrumentInfoMessage(Info)), Decoded)
        << "an empty text field is a field not given";

    EXPECT_EQ(EncodeTimeCodeMessage({"10:00:02:17"}), "10:00:02:17|");
    EXPECT_EQ(DecodeTimeCodeMessage("10:00:02:17|x|").sTimeCode, "10:00:02:17");
    EXPECT_EQ(EncodeSerialNumberMessage({1234}), "1234");
    EXPECT_EQ(DecodeSerialNumberMessage("1234").iSerialNo, 1234);
    EXPECT_EQ(DecodeSerialNumberMessage("12x").iSerialNo, std::nullopt);
    EXPECT_EQ(EncodeInstrumentNameMessage({"Studio 1"}), "Studio 1");
    EXPECT_EQ(DecodeInstrumentNameMessage("Studio 1").sInstrumentName, "Studio 1");
    EXPECT_EQ(EncodeLogMessage({"Idle.|1"}), "Idle.|1");
    EXPECT_EQ(DecodeLogMessage("Idle.|1").sLine, "Idle.|1");
}

TEST(EngineMessageStructs, FieldsMissingEmptyOrNotNumbersAreNotGiven) {
    const TLevelRecordMessage Short = DecodeLevelRecordMessage("10:00:03:00|-2|x||");
    EXPECT_EQ(Short.sTimeCode, "10:00:03:00");
    EXPECT_EQ(Short.fMeterPeakLevel, -2);
    EXPECT_EQ(Short.fGateLevel, std::nullopt);
    EXPECT_EQ(Short.nLoudnessHi, std::nullopt);
    EXPECT_EQ(Short.iPeakCount, std::nullopt);
    EXPECT_EQ(Short.bValid, std::nullopt);
    EXPECT_EQ(DecodeLevelRecordMessage("|").sTimeCode, std::nullopt);
    // Numbers that are no measurement.
    const TLevelRecordMessage NotFinite = DecodeLevelRecordMessage("10:00:03:00|nan|inf|-inf|NaN|");
    EXPECT_EQ(NotFinite.fMeterPeakLevel, std::nullopt);
    EXPECT_EQ(NotFinite.fGateLevel, std::nullopt);
    EXPECT_EQ(NotFinite.nLoudnessHi, std::nullopt);
    EXPECT_EQ(NotFinite.nLoudnessLow, std::nullopt);
    // A record without its final "|" has no last field.
    EXPECT_EQ(DecodeLoudnessSetupMessage("1|2|3|4|5|6|7|8|9|10").iFilter, std::nullopt);
    EXPECT_EQ(DecodeLoudnessSetupMessage("1|2|3|4|5|6|7|8|9|10|").iFilter, 10);
    EXPECT_EQ(DecodeInstrumentInfoMessage("").sTypeName, std::nullopt);
}
