#include "meter/InstrumentList.h"

#include "meter/InstrumentDiscovery.h"

TInstrumentNodeKind NodeKind(int iNumber, int iParentNumber) {
    switch (iParentNumber) {
    case 0:
        if (iNumber == kNodeLocalRoot)
            return TInstrumentNodeKind::LocalRoot;
        if (iNumber == kNodeNetworkRoot)
            return TInstrumentNodeKind::NetworkRoot;
        return TInstrumentNodeKind::None;
    case kNodeLocalRoot:
        return TInstrumentNodeKind::Port;
    case kNodeNetworkRoot:
        return TInstrumentNodeKind::Network;
    default:
        return TInstrumentNodeKind::None;
    }
}

QVector<TInstrumentNode> PortNodes(const QStringList& slPorts) {
    QVector<TInstrumentNode> aNodes;
    for (const QString& sPort : slPorts) {
        const int iPort = PortNumberOfName(sPort);
        if (iPort >= 0)
            aNodes.append({TInstrumentNodeKind::Port, iPort + kNodeChildBase, kIconPort, sPort});
    }
    return aNodes;
}

QString NetworkNodeText(const TInstrumentInfo& rInstrument) {
    return rInstrument.sInstrumentName + QStringLiteral(" (") + rInstrument.sHostName + QStringLiteral(")");
}

QVector<TInstrumentNode> NetworkNodes(const QVector<TInstrumentInfo>& aNetworkInstruments) {
    QVector<TInstrumentNode> aNodes;
    for (int i = 0; i < aNetworkInstruments.size(); ++i)
        if (aNetworkInstruments[i].bValid)
            aNodes.append({TInstrumentNodeKind::Network, i + kNodeChildBase, kIconNetwork,
                           NetworkNodeText(aNetworkInstruments[i])});
    return aNodes;
}

TInstrumentMenuState MenuStateFor(TInstrumentNodeKind eKind) {
    TInstrumentMenuState rState;
    if (eKind == TInstrumentNodeKind::None)
        return rState;
    rState.bOpens = true;
    rState.bTest = true;
    const bool bLocal = eKind == TInstrumentNodeKind::LocalRoot || eKind == TInstrumentNodeKind::Port;
    rState.bFind = bLocal;
    rState.bAdd = !bLocal;
    rState.bEdit = !bLocal;
    rState.bRemove = !bLocal;
    return rState;
}

bool ParseNetworkPort(const QString& sText, int& iPort) {
    const QString sTrimmed = sText.trimmed();
    if (sTrimmed.isEmpty() || sTrimmed.size() > 5)
        return false;
    for (const QChar c : sTrimmed)
        if (c < u'0' || c > u'9')
            return false;
    const int iValue = sTrimmed.toInt();
    if (iValue < kMinNetworkPort || iValue > kMaxNetworkPort)
        return false;
    iPort = iValue;
    return true;
}

QString StripNonConforming(const QString& sText, const QString& sChars) {
    QString sResult;
    for (const QChar c : sText)
        if (c.unicode() <= 255 && sChars.contains(c))
            sResult.append(c);
    return sResult;
}

int TInstrumentList::AddNetworkInstrument(const TNetworkInstrumentFields& rFields, int iSerialNo) {
    TInstrumentInfo rEntry;
    rEntry.sInstrumentName = rFields.sInstrumentName;
    rEntry.sHostName = rFields.sHostName;
    rEntry.sUserName = rFields.sUserName;
    rEntry.sPassword = rFields.sPassword;
    rEntry.iPort = rFields.iPort;
    rEntry.bVovEzodevName = rFields.bUseVovEzodevName;
    rEntry.iSerialNo = iSerialNo;
    rEntry.bValid = true;
    aNetworkInstruments.append(rEntry);
    return int(aNetworkInstruments.size());
}

bool TInstrumentList::EditNetworkInstrument(int iIndex, const TNetworkInstrumentFields& rFields) {
    if (iIndex < 0 || iIndex >= aNetworkInstruments.size())
        return false;
    TInstrumentInfo& rEntry = aNetworkInstruments[iIndex];
    rEntry.sInstrumentName = rFields.sInstrumentName;
    rEntry.sHostName = rFields.sHostName;
    rEntry.sUserName = rFields.sUserName;
    rEntry.sPassword = rFields.sPassword;
    rEntry.iPort = rFields.iPort;
    rEntry.bVovEzodevName = rFields.bUseVovEzodevName;
    rEntry.bValid = true;
    return true;
}

bool TInstrumentList::RemoveNetworkInstrument(int iIndex) {
    if (iIndex < 0 || iIndex >= aNetworkInstruments.size())
        return false;
    aNetworkInstruments[iIndex].bValid = false;
    return true;
}

const TInstrumentInfo* TInstrumentList::Entry(int iIndex) const {
    if (iIndex < 0 || iIndex >= aNetworkInstruments.size())
        return nullptr;
    return &aNetworkInstruments[iIndex];
}

TNetworkInstrumentFields TInstrumentList::FieldsOf(int iIndex) const {
    const TInstrumentInfo* pEntry = Entry(iIndex);
    if (!pEntry)
        return {};
    return {pEntry->sInstrumentName, pEntry->sHostName, pEntry->sUserName,
            pEntry->sPassword,       pEntry->iPort,     pEntry->bVovEzodevName};
}

bool TInstrumentList::ChooseNetworkInstrument(int iIndex) {
    const TInstrumentInfo* pEntry = Entry(iIndex);
    if (!pEntry)
        return false;
    rActiveNetworkCFG = *pEntry;
    rActiveNetworkCFG.bComPort = false;
    rActiveNetworkCFG.iLoggingStatus = 0;
    return true;
}

void TInstrumentList::ChoosePort(int iPort) {
    rActiveNetworkCFG = TInstrumentInfo{};
    // Reset means every flag false, not the record's defaults.
    rActiveNetworkCFG.bVovEzodevName = false;
    rActiveNetworkCFG.iPort = iPort;
    rActiveNetworkCFG.bComPort = true;
}
