#include "meter/InstrumentList.h"

#include <gtest/gtest.h>

namespace {

TEST(InstrumentTree, NodeKindsAreToldApartByTheirParent) {
    struct TCase {
        int iNumber;
        int iParent;
        TInstrumentNodeKind eKind;
    };
    const TCase aCases[] = {
        {kNodeLocalRoot, 0, TInstrumentNodeKind::LocalRoot},
        {kNodeNetworkRoot, 0, TInstrumentNodeKind::NetworkRoot},
        // Port 3 and list entry 3 carry the same number; only the parent tells them apart.
        {103, kNodeLocalRoot, TInstrumentNodeKind::Port},
        {103, kNodeNetworkRoot, TInstrumentNodeKind::Network},
        {7, 0, TInstrumentNodeKind::None},
        {103, 103, TInstrumentNodeKind::None},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(NodeKind(c.iNumber, c.iParent), c.eKind) << c.iNumber << " under " << c.iParent;
}

TEST(InstrumentTree, NodesCarryNumbersTextsAndIcons) {
    const QVector<TInstrumentNode> aPorts = PortNodes({"COM3", "COM10"});
    ASSERT_EQ(aPorts.size(), 2);
    EXPECT_EQ(aPorts[0].iNumber, 103);
    EXPECT_EQ(aPorts[1].iNumber, 110);
    EXPECT_EQ(aPorts[1].sText, "COM10");
    EXPECT_EQ(aPorts[0].iIcon, kIconPort);

    QVector<TInstrumentInfo> aList(3);
    aList[0] = {0, "Studio A", "10.0.0.5", 23, "", "", true, 0, false, true};
    aList[1] = {0, "Gone", "10.0.0.6", 23, "", "", true, 0, false, false};
    aList[2] = {0, "Truck", "truck.local", 2323, "", "", true, 0, false, true};
    const QVector<TInstrumentNode> aNetwork = NetworkNodes(aList);
    ASSERT_EQ(aNetwork.size(), 2);
    EXPECT_EQ(aNetwork[0].sText, "Studio A (10.0.0.5)");
    EXPECT_EQ(aNetwork[0].iNumber, 100);
    // A removed entry keeps its index, so the next one keeps its number.
    EXPECT_EQ(aNetwork[1].sText, "Truck (truck.local)");
    EXPECT_EQ(aNetwork[1].iNumber, 102);
    EXPECT_EQ(aNetwork[1].iIcon, kIconNetwork);
}

TEST(InstrumentTree, MenuItemsFollowTheNode) {
    struct TCase {
        TInstrumentNodeKind eKind;
        TInstrumentMenuState rState;
    };
    const TCase aCases[] = {
        {TInstrumentNodeKind::None, {false, false, false, false, false, false}},
        {TInstrumentNodeKind::LocalRoot, {true, true, true, false, false, false}},
        {TInstrumentNodeKind::Port, {true, true, true, false, false, false}},
        {TInstrumentNodeKind::NetworkRoot, {true, false, true, true, true, true}},
        {TInstrumentNodeKind::Network, {true, false, true, true, true, true}},
    };
    for (const TCase& c : aCases) {
        const TInstrumentMenuState r = MenuStateFor(c.eKind);
        EXPECT_EQ(r.bOpens, c.rState.bOpens) << int(c.eKind);
        EXPECT_EQ(r.bFind, c.rState.bFind) << int(c.eKind);
        EXPECT_EQ(r.bTest, c.rState.bTest) << int(c.eKind);
        EXPECT_EQ(r.bAdd, c.rState.bAdd) << int(c.eKind);
        EXPECT_EQ(r.bEdit, c.rState.bEdit) << int(c.eKind);
        EXPECT_EQ(r.bRemove, c.rState.bRemove) << int(c.eKind);
    }
}

TEST(InstrumentTree, PortTextMustBeAPortNumber) {
    struct TCase {
        const char* sText;
        bool bValid;
        int iPort;
    };
    const TCase aCases[] = {
        {"23", true, 23},       {"1", true, 1},
        {"65535", true, 65535}, {"0", false, 0},
        {"65536", false, 0},    {"23a", false, 0},
        {"", false, 0},         {"-1", false, 0},
        {"0x17", false, 0},     {"99999999999", false, 0},
    };
    for (const TCase& c : aCases) {
        int iPort = 0;
        EXPECT_EQ(ParseNetworkPort(c.sText, iPort), c.bValid) << c.sText;
        if (c.bValid) {
            EXPECT_EQ(iPort, c.iPort) << c.sText;
        }
    }
}

TEST(InstrumentTree, StripNonConformingKeepsOnlyTheGivenCharacters) {
    EXPECT_EQ(StripNonConforming("COM 1\xC3\xA6"
                                 "0!",
                                 "COM0123456789"),
              "COM10");
    // Characters above 255 go even when the set names them.
    EXPECT_EQ(StripNonConforming(QString::fromUtf8("a\u0101b"), QString::fromUtf8("ab\u0101")), "ab");
}

class InstrumentListTest : public ::testing::Test {
protected:
    QVector<TInstrumentInfo> aList;
    TInstrumentInfo rActive;
    TInstrumentList List{aList, rActive};
    const TNetworkInstrumentFields rStudio{"Studio A", "10.0.0.5", "admin", "secret", 2323, false};
};

TEST_F(InstrumentListTest, AddEditRemoveKeepIndexesStable) {
    EXPECT_EQ(List.AddNetworkInstrument(rStudio, 4711), 1);
    EXPECT_EQ(List.AddNetworkInstrument({"Truck", "truck.local", "", "", 23, true}, 0), 2);
    ASSERT_EQ(aList.size(), 2);
    EXPECT_TRUE(aList[0].bValid);
    EXPECT_EQ(aList[0].iSerialNo, 4711);
    EXPECT_EQ(aList[0].sPassword, "secret");
    EXPECT_FALSE(aList[0].bVovEzodevName);

    EXPECT_TRUE(List.RemoveNetworkInstrument(0));
    ASSERT_EQ(aList.size(), 2) << "removed entries stay until the settings are written";
    EXPECT_FALSE(aList[0].bValid);
    EXPECT_EQ(aList[1].sHostName, "truck.local");

    // Editing a removed entry revives it; its serial number stays.
    EXPECT_TRUE(List.EditNetworkInstrument(0, {"Studio B", "10.0.0.9", "op", "pw", 23, true}));
    EXPECT_TRUE(aList[0].bValid);
    EXPECT_EQ(aList[0].sInstrumentName, "Studio B");
    EXPECT_EQ(aList[0].iSerialNo, 4711);

    const QVector<TInstrumentInfo> aBefore = aList;
    EXPECT_FALSE(List.EditNetworkInstrument(2, rStudio));
    EXPECT_FALSE(List.EditNetworkInstrument(-1, rStudio));
    EXPECT_FALSE(List.RemoveNetworkInstrument(5));
    EXPECT_EQ(aList.size(), aBefore.size());
    EXPECT_EQ(aList[1].sHostName, aBefore[1].sHostName);
}

TEST_F(InstrumentListTest, ChoosingSetsTheActiveInstrument) {
    List.AddNetworkInstrument(rStudio, 4711);
    rActive.iLoggingStatus = 3;
    ASSERT_TRUE(List.ChooseNetworkInstrument(0));
    EXPECT_EQ(rActive.sHostName, "10.0.0.5");
    EXPECT_EQ(rActive.iPort, 2323);
    EXPECT_EQ(rActive.iSerialNo, 4711);
    EXPECT_FALSE(rActive.bComPort);
    EXPECT_EQ(rActive.iLoggingStatus, 0);

    List.ChoosePort(4);
    EXPECT_EQ(rActive.iPort, 4);
    EXPECT_TRUE(rActive.bComPort);
    EXPECT_TRUE(rActive.sHostName.isEmpty());
    EXPECT_TRUE(rActive.sUserName.isEmpty());
    EXPECT_TRUE(rActive.sPassword.isEmpty());
    EXPECT_TRUE(rActive.sInstrumentName.isEmpty());
    EXPECT_EQ(rActive.iSerialNo, 0);
    EXPECT_FALSE(rActive.bValid);
    EXPECT_FALSE(rActive.bVovEzodevName);

    EXPECT_FALSE(List.ChooseNetworkInstrument(1));
    EXPECT_EQ(rActive.iPort, 4) << "an index outside the list changes nothing";
}

} // namespace
