#pragma once

#include "core/InstrumentInfo.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The instrument manager's tree and its rules, without a window: node numbers, texts and icons, which menu
// items a node offers, and the changes to the network instrument list and the active instrument.

// Numbers the tree's nodes carry: the roots 1 and 2, a port node its port number + 100, a network
// instrument node its index in the list + 100.
inline constexpr int kNodeLocalRoot = 1;
inline constexpr int kNodeNetworkRoot = 2;
inline constexpr int kNodeChildBase = 100;

// Icons of the tree's image list.
inline constexpr int kIconLocalRoot = 0;
inline constexpr int kIconNetwork = 1;
inline constexpr int kIconPort = 2;

// The TCP port a new network instrument starts with, and the range a port text must lie in.
inline constexpr int kDefaultNetworkPort = 23;
inline constexpr int kMinNetworkPort = 1;
inline constexpr int kMaxNetworkPort = 65535;
// Login name and password are at most this long.
inline constexpr int kMaxCredentialChars = 16;

// An instrument has been chosen for logging; until then Connect leads to the instrument manager.
inline bool InstrumentChosen(const TInstrumentInfo& rActiveNetworkCFG) {
    return rActiveNetworkCFG.iPort != 0;
}

enum class TInstrumentNodeKind { None, LocalRoot, Port, NetworkRoot, Network };

struct TInstrumentNode {
    TInstrumentNodeKind eKind = TInstrumentNodeKind::None;
    int iNumber = 0;
    int iIcon = 0;
    QString sText;
};

// What a node is, from its own number and its parent's (0 for a root): children are told apart by their
// parent.
TInstrumentNodeKind NodeKind(int iNumber, int iParentNumber);
// The port number of a port node, or the list index of a network node.
inline int NodeValue(int iNumber) {
    return iNumber - kNodeChildBase;
}

// The port nodes of the port names that carry a number, in the given order.
QVector<TInstrumentNode> PortNodes(const QStringList& slPorts);
// The nodes of the valid network instruments, in list order.
QVector<TInstrumentNode> NetworkNodes(const QVector<TInstrumentInfo>& aNetworkInstruments);
// The name and, in brackets, the host of a network instrument.
QString NetworkNodeText(const TInstrumentInfo& rInstrument);

// Which items of the tree's popup menu a node enables; no menu opens without a node.
struct TInstrumentMenuState {
    bool bOpens = false;
    bool bFind = false;
    bool bTest = false;
    bool bAdd = false;
    bool bEdit = false;
    bool bRemove = false;
};
TInstrumentMenuState MenuStateFor(TInstrumentNodeKind eKind);

// A port text is an integer from 1 to 65535 in decimal.
bool ParseNetworkPort(const QString& sText, int& iPort);

// sText without the characters that are not in sChars; characters above 255 are always removed.
QString StripNonConforming(const QString& sText, const QString& sChars);

// What the network instrument dialog edits.
struct TNetworkInstrumentFields {
    QString sInstrumentName;
    QString sHostName;
    QString sUserName;
    QString sPassword;
    int iPort = kDefaultNetworkPort;
    bool bUseVovEzodevName = true;
};

// The network instrument list and the active instrument, as the main window holds them. Entries are
// appended and flagged, never deleted while the program runs, so the indexes in the node numbers stay
// stable; removed entries stay with bValid false until the settings are written.
class TInstrumentList {
public:
    TInstrumentList(QVector<TInstrumentInfo>& aNetworkInstruments, TInstrumentInfo& rActiveNetworkCFG)
        : aNetworkInstruments(aNetworkInstruments), rActiveNetworkCFG(rActiveNetworkCFG) {}

    // Appends a valid entry with the serial number iSerialNo; returns the new number of entries.
    int AddNetworkInstrument(const TNetworkInstrumentFields& rFields, int iSerialNo);
    // Overwrites the dialog's fields of entry iIndex and makes it valid; the serial number stays. False
    // (nothing changed) for an index outside the list.
    bool EditNetworkInstrument(int iIndex, const TNetworkInstrumentFields& rFields);
    // Flags entry iIndex removed; false for an index outside the list.
    bool RemoveNetworkInstrument(int iIndex);
    // The entry iIndex, or none outside the list.
    const TInstrumentInfo* Entry(int iIndex) const;
    // The dialog's fields of entry iIndex.
    TNetworkInstrumentFields FieldsOf(int iIndex) const;

    // Makes a copy of entry iIndex the active instrument, as a network one with status 0; false for an
    // index outside the list.
    bool ChooseNetworkInstrument(int iIndex);
    // Makes port iPort the active instrument: every other field reset.
    void ChoosePort(int iPort);
    const TInstrumentInfo& Active() const { return rActiveNetworkCFG; }

private:
    QVector<TInstrumentInfo>& aNetworkInstruments;
    TInstrumentInfo& rActiveNetworkCFG;
};
