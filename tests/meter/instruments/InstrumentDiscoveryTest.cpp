#include "meter/InstrumentDiscovery.h"
#include "meter/MeterInfo.h"
#include "tests/support/SimPorts.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

namespace {

TEST(PortList, OrderedByNumberThenAlphabetically) {
    struct TCase {
        QStringList slIn;
        QStringList slOut;
    };
    const TCase aCases[] = {
        {{"COM10", "COM3", "COM4"}, {"COM3", "COM4", "COM10"}},
        // Equal numbers keep their alphabetical order, whatever order the system gave.
        {{"USB2", "COM2", "COM1"}, {"COM1", "COM2", "USB2"}},
        // Names without digits are left out; a name listed twice is kept once.
        {{"COM5", "LPT", "COM5", "COM12"}, {"COM5", "COM12"}},
        // All the digits of a name form its number.
        {{"A1B2", "COM3"}, {"COM3", "A1B2"}},
        {{"COM99999999999999999999", "COM1"}, {"COM1"}},
        {{}, {}},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(SortPortNames(c.slIn), c.slOut) << c.slIn.join(',').toStdString();
}

TEST(PortList, ConventionalDevicesHaveComNames) {
    struct TCase {
        const char* sDevice;
        const char* sName;
    };
    const TCase aCases[] = {
        {"/dev/ttyS0", "COM1"},    {"/dev/ttyS31", "COM32"},   {"/dev/ttyUSB0", "COM33"},
        {"/dev/ttyUSB2", "COM35"}, {"/dev/ttyACM31", "COM96"}, {"/dev/ttyS32", ""},
        {"/dev/ttyS01", ""},       {"/dev/ttyS", ""},          {"/dev/pts/3", ""},
        {"/dev/ttyUSB-1", ""},
    };
    for (const TCase& c : aCases) {
        EXPECT_EQ(ComNameOfDevice(c.sDevice), QString(c.sName)) << c.sDevice;
        // Every name found resolves back to the device it came from.
        if (*c.sName) {
            EXPECT_EQ(ConventionalComDevice(PortNumberOfName(c.sName)), QString(c.sDevice));
        }
    }
}

TEST(PortList, LinkedPortsListByNumber) {
    qxtest::TFreshConfigHome Home;
    qxtest::TSimPorts Ports(Home);
    for (const int iPort : {10, 3, 4})
        ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(iPort));
    // Files of other names in the ports folder are not ports.
    QFile Notes(Home.DataFolder() + "/ports/COM5.txt");
    ASSERT_TRUE(Notes.open(QIODevice::WriteOnly));
    Notes.close();
    ASSERT_TRUE(QFile::link("/dev/null", Home.DataFolder() + "/ports/COM0"));

    EXPECT_EQ(SortPortNames(LinkedPortNames(Home.DataFolder())), QStringList({"COM3", "COM4", "COM10"}));
    // The system's own ports come in too, in number order with the linked ones.
    const QStringList slAll = LoadPorts(Home.DataFolder());
    EXPECT_EQ(slAll, SortPortNames(slAll));
    for (const char* sName : {"COM3", "COM4", "COM10"})
        EXPECT_TRUE(slAll.contains(sName)) << sName;
}

TEST(PortList, NoPortsFolderListsNoLinks) {
    qxtest::TFreshConfigHome Home;
    EXPECT_TRUE(LinkedPortNames(Home.DataFolder()).isEmpty());
}

class FindInstrumentTest : public ::testing::Test {
protected:
    qxtest::TFreshConfigHome Home;
    qxtest::TSimPorts Ports{Home};
};

TEST_F(FindInstrumentTest, StopsAtTheFirstMeterAndNeverOpensTheNext) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(3));
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(4));
    TSimMeterConfig Second = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Second.iHWID = 220;
    Second.iSerialNumber = 999;
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(7, Second));

    TPortProbe rFound;
    RunOffUIThread([&] { rFound = FindInstrument({3, 4, 7}, qxtest::ProbeTiming()); });
    EXPECT_TRUE(rFound.bFound);
    EXPECT_EQ(rFound.iPort, 4);
    EXPECT_EQ(rFound.sTypeName, TypeNameOf(21));
    EXPECT_EQ(rFound.iSerialNo, 12345);
    EXPECT_FALSE(rFound.sIOString.isEmpty());
    EXPECT_TRUE(Ports.Meter(7).Received().isEmpty()) << "the port after the first meter was used";
    EXPECT_FALSE(Ports.Meter(4).Received().isEmpty());
}

TEST_F(FindInstrumentTest, GoesOnPastPortsWithoutAMeter) {
    TSimMeterConfig Silent = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Silent.rMisbehaviour.bSilent = true;
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(2, Silent));
    TSimMeterConfig Broken = DefaultSimMeterConfig(TSimMeterKind::Pool);
    Broken.rMisbehaviour.bWrongChecksum = true;
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(5, Broken));
    TSimMeterConfig Text = DefaultSimMeterConfig(TSimMeterKind::Text);
    ASSERT_NO_FATAL_FAILURE(Ports.AddMeter(8, Text));

    TPortProbe rFound;
    RunOffUIThread([&] { rFound = FindInstrument({2, 5, 8}, qxtest::ProbeTiming()); });
    EXPECT_TRUE(rFound.bFound);
    EXPECT_EQ(rFound.iPort, 8);
    EXPECT_EQ(rFound.sTypeName, TypeNameOf(kTypeNoTextMeter));
}

TEST_F(FindInstrumentTest, NothingFoundNamesNoPort) {
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(3));
    ASSERT_NO_FATAL_FAILURE(Ports.AddDeadLink(6));
    TPortProbe rFound;
    RunOffUIThread([&] { rFound = FindInstrument({3, 6}, qxtest::ProbeTiming()); });
    EXPECT_FALSE(rFound.bFound);
    EXPECT_EQ(rFound.iPort, 0);
    RunOffUIThread([&] { rFound = FindInstrument({}, qxtest::ProbeTiming()); });
    EXPECT_FALSE(rFound.bFound);
}

TEST(RunOffUIThread, WorkRunsElsewhereWhileThisThreadHandlesEvents) {
    std::atomic<bool> bRelease = false;
    QThread* pWorker = nullptr;
    // The work waits for an event of this thread: it ends only if this thread keeps handling events.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { bRelease = true; }, Qt::QueuedConnection);
    RunOffUIThread([&] {
        pWorker = QThread::currentThread();
        while (!bRelease)
            QThread::yieldCurrentThread();
    });
    EXPECT_TRUE(bRelease);
    EXPECT_NE(pWorker, QThread::currentThread());
}

} // namespace
