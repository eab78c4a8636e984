#include "meter/TelnetProtocol.h"
#include "meter/NetworkLink.h"
#include "meter/RXBuffer.h"
#include "meter/TelnetNegotiation.h"

#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct TPromptCase {
    const char* sWhat;
    QByteArray sText;
    TLoginPrompt eExpected;
};

TEST(DetectLoginPrompt, OnlyAPromptAtTheVeryEndIsAnswered) {
    const TPromptCase aCases[] = {
        {"upper case", "LOGIN: ", TLoginPrompt::UserName},
        {"lower case", "\r\nqxMeter network interface\r\nlogin: ", TLoginPrompt::UserName},
        {"mixed case", "Login: ", TLoginPrompt::UserName},
        {"password", "Password: ", TLoginPrompt::Password},
        {"password upper", "\r\nPASSWORD: ", TLoginPrompt::Password},
        {"one more blank", "login:  ", TLoginPrompt::None},
        {"followed by text", "login: admin", TLoginPrompt::None},
        {"followed by a line end", "login: \r\n", TLoginPrompt::None},
        {"no blank after the colon", "login:", TLoginPrompt::None},
        {"only the first half", "log", TLoginPrompt::None},
        {"inside a line", "Last login: Monday\r\n", TLoginPrompt::None},
        {"empty", "", TLoginPrompt::None},
    };
    for (const TPromptCase& Case : aCases)
        EXPECT_EQ(DetectLoginPrompt(Case.sText), Case.eExpected) << Case.sWhat;
}

struct TBannerCase {
    const char* sWhat;
    QByteArray sText;
    int iSerialNo;
    QString sUnitName;
};

TEST(ParseBanner, SerialNumberAndUnitName) {
    const QByteArray sHugeDigits = "Number: " + QByteArray(100000, '7') + "\r\nUnit Name.: Big\n\r";
    const QByteArray sHugeNoise = QByteArray(1 << 20, '#') + "Serial Number: 42\r\nUnit Name.: Deep\n\r";
    const TBannerCase aCases[] = {
        {"the meter's banner", "Serial Number: 1234\r\nUnit Name.: Studio 3\n\r", 1234, "Studio 3"},
        {"name line ended CR LF leaves no CR in the name", "Number: 1234\r\nUnit Name.: Studio 3\r\n", 1234,
         "Studio 3"},
        {"a dash among the digits", "Number: 12-34\r\nUnit Name.: X\n\r", 1234, "X"},
        {"digits then garbage", "Number: 12ab34zz!\r\nUnit Name.: X\n", 1234, "X"},
        {"no digits", "Number: none\r\nUnit Name.: X\n", 0, "X"},
        {"no serial label", "Serial: 1234\r\nUnit Name.: X\n", 0, "X"},
        {"banner mark without the name label", "Number: 1234\r\nUNIT NAME unknown\r\n", 0, ""},
        {"labels in the wrong order", "Unit Name.: X\nNumber: 1234\r\n", 0, "X"},
        {"no LF after the name", "Number: 5\r\nUnit Name.: Studio", 5, "Studio"},
        {"only the first line of the name", "Number: 5\r\nUnit Name.: A\n\rB\n\r", 5, "A"},
        {"one character per byte", "Number: 5\r\nUnit Name.: M\xC4LER\n\r", 5, QStringLiteral("M\u00C4LER")},
        {"a number too large to be a serial number", "Number: 99999999999\r\nUnit Name.: X\n", 0, "X"},
        {"huge digit run", sHugeDigits, 0, "Big"},
        {"huge text before the banner", sHugeNoise, 42, "Deep"},
        {"empty", "", 0, ""},
    };
    for (const TBannerCase& Case : aCases) {
        const TTelnetBanner Banner = ParseBanner(Case.sText);
        EXPECT_EQ(Banner.iSerialNo, Case.iSerialNo) << Case.sWhat;
        EXPECT_EQ(Banner.sUnitName, Case.sUnitName) << Case.sWhat;
    }
}

TEST(ParseBanner, BannerIsCompleteOnceTheNameLineEnds) {
    EXPECT_FALSE(IsBannerComplete("Serial Number: 1234\r\n"));
    EXPECT_FALSE(IsBannerComplete("Number: 1\r\nUnit Name.: Stu"));
    EXPECT_TRUE(IsBannerComplete("Number: 1\r\nUnit Name.: Studio\n"));
    // Without the exact label nothing more is worth waiting for.
    EXPECT_TRUE(IsBannerComplete("unit name"));
    EXPECT_EQ(BannerTail("Unit Name.: A\n\rL;1;\r\n"), QByteArray("L;1;\r\n"));
    EXPECT_EQ(BannerTail("Unit Name.: A\r\nL;1;"), QByteArray("L;1;"));
    EXPECT_TRUE(BannerTail("Unit Name.: A").isEmpty());
    EXPECT_TRUE(ContainsBannerMark("xx Unit nAME yy"));
    EXPECT_FALSE(ContainsBannerMark("UNIT  NAME"));
}

struct TAssemblyCase {
    const char* sWhat;
    QList<QByteArray> Chunks;
    QList<QByteArray> Lines;
    QByteArray sPending;
};

TEST(LineAssembler, LinesEndCRLFOrLFCRAcrossChunks) {
    const TAssemblyCase aCases[] = {
        {"CR LF", {"L;a;\r\n"}, {"L;a;"}, ""},
        {"LF CR", {"L;a;\n\r"}, {"L;a;"}, ""},
        {"line split inside", {"L;1", "0:21;\r\n"}, {"L;10:21;"}, ""},
        {"line end split CR | LF", {"L;a;\r", "\n"}, {"L;a;"}, ""},
        {"line end split LF | CR", {"L;a;\n", "\rL;b;\n\r"}, {"L;a;", "L;b;"}, ""},
        {"several lines and a partial one", {"a\r\nb\n\rc"}, {"a", "b"}, "c"},
        {"empty lines dropped", {"\r\n\r\nx\r\n"}, {"x"}, ""},
        {"lone CR stays in the line", {"a\rb\r\n"}, {"a\rb"}, ""},
        {"waiting for the line end's second byte", {"a\r"}, {}, "a\r"},
    };
    for (const TAssemblyCase& Case : aCases) {
        TLineAssembler Assembler;
        QList<QByteArray> Lines;
        for (const QByteArray& Chunk : Case.Chunks)
            Lines.append(Assembler.Feed(Chunk));
        EXPECT_EQ(Lines, Case.Lines) << Case.sWhat;
        EXPECT_EQ(Assembler.Pending(), Case.sPending) << Case.sWhat;
    }
}

TEST(LineAssembler, EndlessTextWithoutLineEndIsBounded) {
    TLineAssembler Assembler;
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(Assembler.Feed(QByteArray(4096, 'x')).isEmpty());
    EXPECT_LE(Assembler.Pending().size(), TLineAssembler::kMaxLine);
    const QList<QByteArray> Lines = Assembler.Feed("y\r\n");
    ASSERT_EQ(Lines.size(), 1);
    EXPECT_TRUE(Lines.first().endsWith("xy"));
}

TEST(RXBuffer, TakeReturnsWaitingLinesAndEmpties) {
    TRXBuffer Buffer;
    QString sText;
    EXPECT_FALSE(Buffer.Take(sText));
    Buffer.AppendLine("L;1;");
    Buffer.AppendLine("L;2;");
    EXPECT_TRUE(Buffer.HasLine());
    EXPECT_TRUE(Buffer.Take(sText));
    EXPECT_EQ(sText, QStringLiteral("L;1;\r\nL;2;"));
    EXPECT_FALSE(Buffer.HasLine());
    EXPECT_FALSE(Buffer.Take(sText));
    EXPECT_TRUE(sText.isEmpty());
}

// A line appended between the thread's copy and its clear would vanish; taking is one step.
TEST(RXBuffer, NoLineIsLostWhileAnotherThreadAppends) {
    TRXBuffer Buffer;
    constexpr int kLines = 20000;
    std::atomic<bool> bDone{false};
    std::thread Producer([&Buffer, &bDone] {
        for (int i = 0; i < kLines; ++i)
            Buffer.AppendLine(QByteArray::number(i));
        bDone.store(true);
    });
    QStringList slTaken;
    for (;;) {
        // Read the end mark first: whatever was appended before it is taken below.
        const bool bProducerDone = bDone.load();
        QString sText;
        if (Buffer.Take(sText))
            slTaken.append(sText.split(QStringLiteral("\r\n")));
        if (bProducerDone)
            break;
    }
    Producer.join();
    ASSERT_EQ(slTaken.size(), kLines);
    for (int i = 0; i < kLines; ++i)
        ASSERT_EQ(slTaken.at(i), QString::number(i));
}

TEST(RXBuffer, BufferNobodyTakesStaysBounded) {
    TRXBuffer Buffer;
    const QByteArray sLine(1000, 'L');
    for (int i = 0; i < 5000; ++i)
        Buffer.AppendLine(sLine);
    QString sText;
    ASSERT_TRUE(Buffer.Take(sText));
    EXPECT_LE(sText.size(), TRXBuffer::kMaxBuffer);
    // Only whole lines are kept.
    for (const QString& sKept : sText.split(QStringLiteral("\r\n")))
        EXPECT_EQ(sKept.size(), sLine.size());
}

// The protocol layer without a socket: what the meter sends, the data it leaves, and what we answer.
TEST(TelnetNegotiation, AnswersAndData) {
    struct TCase {
        const char* sWhat;
        QByteArray Received;
        QByteArray Data;
        QByteArray Answer;
    };
    const TCase aCases[] = {
        {"plain text passes", "L;1\r\n", "L;1\r\n", ""},
        {"escaped marker is one data byte",
         "a\xff\xff"
         "b",
         "a\xff"
         "b",
         ""},
        {"terminal type offered", "\xff\xfd\x18", "", "\xff\xfb\x18"},
        // The answer's command byte IS is 0.
        {"terminal type asked", "\xff\xfd\x18\xff\xfa\x18\x01\xff\xf0", "",
         QByteArray::fromHex("fffb18"
                             "fffa1800") +
             "dumb\xff\xf0"},
        {"meter's echo taken", "\xff\xfb\x01", "", "\xff\xfd\x01"},
        {"window size refused", "\xff\xfd\x1f", "", "\xff\xfc\x1f"},
        {"negotiation inside text",
         "ab\xff\xfb\x03"
         "cd",
         "abcd", "\xff\xfd\x03"},
    };
    for (const TCase& Case : aCases) {
        SCOPED_TRACE(Case.sWhat);
        TTelnetNegotiation Negotiation;
        QByteArray Answer;
        Negotiation.OnSend = [&](const char* p, qsizetype n) { Answer.append(p, n); };
        EXPECT_EQ(Negotiation.Receive(Case.Received).toHex(), Case.Data.toHex());
        EXPECT_EQ(Answer.toHex(), Case.Answer.toHex());
    }
}

TEST(TelnetNegotiation, SentMarkerIsEscapedAndAMarkerSplitAcrossReadsIsKept) {
    TTelnetNegotiation Negotiation;
    QByteArray Sent;
    Negotiation.OnSend = [&](const char* p, qsizetype n) { Sent.append(p, n); };
    Negotiation.Send("x\xffy");
    EXPECT_EQ(Sent.toHex(), QByteArray("x\xff\xffy").toHex());
    EXPECT_EQ(Negotiation.Receive("a\xff"), "a");
    EXPECT_EQ(Negotiation
                  .Receive("\xff"
                           "b")
                  .toHex(),
              QByteArray("\xff"
                         "b")
                  .toHex());
}

// The data notification without a connection: the banner may come in pieces, and after it the chunks
// become lines.
TEST(TelnetDataAvailable, BannerInPiecesThenLines) {
    TTimingSettings rTiming;
    rTiming.iLoginWaitMs = 0;
    TNetworkLink Link(rTiming);
    Link.TelnetDataAvailable("\r\nqxMeter\r\nSerial Number: 12");
    Link.TelnetDataAvailable("34\r\nUnit Na");
    EXPECT_FALSE(Link.LoginComplete());
    Link.TelnetDataAvailable("me.: Stu");
    EXPECT_TRUE(Link.LoginComplete());
    Link.TelnetDataAvailable("dio 3\n\rL;10:00:00:");
    const TTelnetBanner Banner = ParseBanner(Link.Banner());
    EXPECT_EQ(Banner.iSerialNo, 1234);
    EXPECT_EQ(Banner.sUnitName, QStringLiteral("Studio 3"));
    EXPECT_FALSE(Link.RXBuffer().HasLine());
    Link.TelnetDataAvailable("00;1;-1.0;-2.0;-3.0;-4.0;\r\n");
    QString sText;
    Link.GetRXString(sText);
    EXPECT_EQ(sText, QStringLiteral("L;10:00:00:00;1;-1.0;-2.0;-3.0;-4.0;"));
}

} // namespace
