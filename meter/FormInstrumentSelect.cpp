#include "meter/FormInstrumentSelect.h"

#include "core/AppServices.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "dialogs/OwnerDrawnMenu.h"
#include "meter/ComPorts.h"
#include "meter/FormAddNetworkInstrument.h"
#include "meter/InstrumentDiscovery.h"
#include "meter/NetworkLink.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <iterator>

namespace {

// Status bar panel of the main window that shows the active instrument's serial number.
constexpr int kSerialNoPanel = 2;

// Item data roles of a tree node.
constexpr int kRoleNumber = Qt::UserRole;
constexpr int kRoleIcon = Qt::UserRole + 1;

QIcon TreeIcon(int iIcon) {
    const QStyle* pStyle = QApplication::style();
    switch (iIcon) {
    case kIconLocalRoot:
        return pStyle->standardIcon(QStyle::SP_ComputerIcon);
    case kIconNetwork:
        return pStyle->standardIcon(QStyle::SP_DriveNetIcon);
    default:
        return pStyle->standardIcon(QStyle::SP_DriveHDIcon);
    }
}

QTreeWidgetItem* MakeNode(const TInstrumentNode& rNode) {
    auto* pItem = new QTreeWidgetItem(QStringList{rNode.sText});
    pItem->setData(0, kRoleNumber, rNode.iNumber);
    pItem->setData(0, kRoleIcon, rNode.iIcon);
    pItem->setIcon(0, TreeIcon(rNode.iIcon));
    return pItem;
}

QIcon ProgramIcon() {
    QIcon Icon;
    for (const char* sIcon : {":/icons/QXR_Icon_16.png", ":/icons/QXR_Icon_32.png"}) {
        const QPixmap Pixmap(sIcon);
        if (!Pixmap.isNull())
            Icon.addPixmap(Pixmap);
    }
    return Icon;
}

} // namespace

TfrmInstrumentSelect::TfrmInstrumentSelect(QWidget* parent) : QDialog(parent) {
    setObjectName("frmInstrumentSelect");
    setModal(true);
    setWindowIcon(ProgramIcon());

    grpInstruments = new QGroupBox(this);
    treeInstrument = new QTreeWidget(grpInstruments);
    treeInstrument->setHeaderHidden(true);
    treeInstrument->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeInstrument->setContextMenuPolicy(Qt::CustomContextMenu);
    treeInstrument->viewport()->installEventFilter(this);
    auto* GroupLayout = new QVBoxLayout(grpInstruments);
    GroupLayout->addWidget(treeInstrument);

    btnOK = new QPushButton(this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(this);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpInstruments);
    Layout->addLayout(Buttons);
    resize(360, 420);

    popInstrument = new QMenu(this);
    popFindInstrument =
        popInstrument->addAction(QString(), this, &TfrmInstrumentSelect::popFindInstrumentClick);
    popTestInstrument =
        popInstrument->addAction(QString(), this, &TfrmInstrumentSelect::popTestInstrumentClick);
    popInstrument->addSeparator();
    popAddNetwork = popInstrument->addAction(QString(), this, &TfrmInstrumentSelect::popAddNetworkClick);
    popEditNetwork = popInstrument->addAction(QString(), this, &TfrmInstrumentSelect::popEditNetworkClick);
    popRemoveInstrument =
        popInstrument->addAction(QString(), this, &TfrmInstrumentSelect::popRemoveInstrumentClick);
    SetOwnerDrawnMenu(popInstrument);

    connect(treeInstrument, &QTreeWidget::customContextMenuRequested, this,
            &TfrmInstrumentSelect::treeInstrumentContextPopup);
    connect(treeInstrument, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* pItem) {
        SelectedNode = pItem;
        treeInstrumentDblClick();
    });
    // Keyboard users choose with the arrow keys; the chosen node follows them.
    connect(treeInstrument, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* pCurrent) { SelectedNode = pCurrent; });
    connect(btnOK, &QPushButton::clicked, this, &TfrmInstrumentSelect::treeInstrumentDblClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmInstrumentSelect::btnCancelClick);
}

void TfrmInstrumentSelect::SetContext(const TInstrumentManagerContext& rContext,
                                      TfrmAddNetworkInstrument* pAddNetworkInstrument) {
    Context = rContext;
    frmAddNetworkInstrument = pAddNetworkInstrument;
}

int TfrmInstrumentSelect::Language() const {
    return Context.pServices ? Context.pServices->Settings().iLNG : kLanguageEnglish;
}

TInstrumentList TfrmInstrumentSelect::NetworkList() const {
    TSettings& rSettings = Context.pServices->Settings();
    return TInstrumentList(rSettings.aNetworkInstruments, rSettings.rActiveNetworkCFG);
}

QString TfrmInstrumentSelect::Text(int iEntry) const {
    return GetText(iEntry, Language());
}

int TfrmInstrumentSelect::ShowMessage(const QString& sText, int iKind) {
    return Context.pServices ? Context.pServices->ShowMessageBox(sText, iKind, kMsgBtnOK) : kMsgResultOK;
}

void TfrmInstrumentSelect::ShowProbeFailure(const QString& sText, const TPortProbe& rProbe) {
    if (!rProbe.OpenFailure.Failed()) {
        ShowMessage(sText, kMsgWarning);
        return;
    }
    if (Context.pServices)
        Context.pServices->AddLog(PortOpenFailureLog(rProbe.OpenFailure));
    ShowMessage(sText + QStringLiteral("\r\r") + PortOpenFailureText(rProbe.OpenFailure, Language()),
                kMsgWarning);
}

void TfrmInstrumentSelect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmInstrumentSelect::FormShow() {
    setWindowTitle(Text(kTxtSelectInstrument));
    popFindInstrument->setText(Text(kTxtFindInstrument));
    popTestInstrument->setText(Text(kTxtTestConnection));
    popAddNetwork->setText(Text(kTxtAddNetwork));
    popEditNetwork->setText(Text(kTxtEditNetwork));
    popRemoveInstrument->setText(Text(kTxtRemoveNetwork));
    grpInstruments->setTitle(Text(kTxtAvailableInstruments));
    btnOK->setText(GetText(kTxtOK, Language()));
    btnCancel->setText(GetText(kTxtCancel, Language()));
    BuildTree(true, true);
    // Centred on the main window at every showing. Left to the platform, the first showing is centred for
    // the size the window had before its texts were set, and each later one returns to where the window
    // system last put it, which some window managers shift by the height of the frame.
    if (parentWidget() != nullptr) {
        // The new texts may widen the window: its size is settled before it is placed.
        layout()->activate();
        const QRect rOwner = parentWidget()->window()->frameGeometry();
        const QRect rOwn = frameGeometry();
        move(rOwner.center() - QPoint(rOwn.width() / 2, rOwn.height() / 2));
    }
}

void TfrmInstrumentSelect::BuildTree(bool bComExpanded, bool bNetworkExpanded) {
    // The nodes go away with the tree's items; nothing may point at them afterwards.
    SelectedNode = nullptr;
    treeInstrument->clear();
    treeNodeCom = MakeNode(
        {TInstrumentNodeKind::LocalRoot, kNodeLocalRoot, kIconLocalRoot, Text(kTxtLocalInstruments)});
    treeInstrument->addTopLevelItem(treeNodeCom);
    const QStringList slPorts =
        Context.LoadPorts
            ? Context.LoadPorts()
            : LoadPorts(Context.sDataFolder.isEmpty() ? ComPortDataFolder() : Context.sDataFolder);
    for (const TInstrumentNode& rNode : PortNodes(slPorts))
        treeNodeCom->addChild(MakeNode(rNode));
    treeNodeNetwork = MakeNode(
        {TInstrumentNodeKind::NetworkRoot, kNodeNetworkRoot, kIconNetwork, Text(kTxtNetworkInstruments)});
    treeInstrument->addTopLevelItem(treeNodeNetwork);
    if (Context.pServices)
        for (const TInstrumentNode& rNode : NetworkNodes(Context.pServices->Settings().aNetworkInstruments))
            treeNodeNetwork->addChild(MakeNode(rNode));
    treeNodeCom->setExpanded(bComExpanded);
    treeNodeNetwork->setExpanded(bNetworkExpanded);
    // Building leaves no node current, so that the chosen node is always one the user picked.
    treeInstrument->setCurrentItem(nullptr);
    SelectedNode = nullptr;
}

int TfrmInstrumentSelect::NodeNumber(const QTreeWidgetItem* pNode) {
    return pNode ? pNode->data(0, kRoleNumber).toInt() : 0;
}

TInstrumentNodeKind TfrmInstrumentSelect::KindOf(const QTreeWidgetItem* pNode) const {
    if (!pNode)
        return TInstrumentNodeKind::None;
    return NodeKind(NodeNumber(pNode), NodeNumber(pNode->parent()));
}

QTreeWidgetItem* TfrmInstrumentSelect::NodeByNumber(int iNumber) const {
    for (QTreeWidgetItem* pRoot : {treeNodeCom, treeNodeNetwork}) {
        if (!pRoot)
            continue;
        if (NodeNumber(pRoot) == iNumber)
            return pRoot;
        for (int i = 0; i < pRoot->childCount(); ++i)
            if (NodeNumber(pRoot->child(i)) == iNumber)
                return pRoot->child(i);
    }
    return nullptr;
}

void TfrmInstrumentSelect::SelectNode(QTreeWidgetItem* pNode) {
    treeInstrument->setCurrentItem(pNode);
    if (pNode)
        treeInstrument->scrollToItem(pNode);
    SelectedNode = pNode;
}

bool TfrmInstrumentSelect::eventFilter(QObject* pWatched, QEvent* event) {
    if (pWatched == treeInstrument->viewport() && event->type() == QEvent::MouseButtonPress)
        treeInstrumentMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
    return QDialog::eventFilter(pWatched, event);
}

void TfrmInstrumentSelect::treeInstrumentMouseDown(const QPoint& pos) {
    QTreeWidgetItem* pNode = treeInstrument->itemAt(pos);
    // A click beside the nodes leaves nothing chosen, and the view shows it.
    if (!pNode)
        treeInstrument->setCurrentItem(nullptr);
    else
        treeInstrument->setCurrentItem(pNode);
    SelectedNode = pNode;
}

bool TfrmInstrumentSelect::PreparePopup(const QPoint& pos) {
    QTreeWidgetItem* pNode = treeInstrument->itemAt(pos);
    const TInstrumentMenuState rState = MenuStateFor(KindOf(pNode));
    if (!rState.bOpens)
        return false;
    SelectNode(pNode);
    popFindInstrument->setEnabled(rState.bFind);
    popTestInstrument->setEnabled(rState.bTest);
    popAddNetwork->setEnabled(rState.bAdd);
    popEditNetwork->setEnabled(rState.bEdit);
    popRemoveInstrument->setEnabled(rState.bRemove);
    return true;
}

void TfrmInstrumentSelect::treeInstrumentContextPopup(const QPoint& pos) {
    if (!bBusy && PreparePopup(pos))
        popInstrument->popup(treeInstrument->viewport()->mapToGlobal(pos));
}

void TfrmInstrumentSelect::RunWithWait(const QString& sWaitText, bool bFadeIn,
                                       const std::function<void()>& fnWork) {
    bBusy = true;
    setEnabled(false);
    if (Context.pServices)
        Context.pServices->ShowWait(sWaitText, bFadeIn);
    RunOffUIThread(fnWork);
    if (Context.pServices)
        Context.pServices->CloseWaitWindow();
    setEnabled(true);
    bBusy = false;
}

bool TfrmInstrumentSelect::TestInstrument(bool bShowSuccess, bool bTestNetwork) {
    const TInstrumentNodeKind eKind = KindOf(SelectedNode);
    if (eKind == TInstrumentNodeKind::Port) {
        const int iPort = NodeValue(NodeNumber(SelectedNode));
        const TTimingSettings rTiming = Context.rTiming;
        const QString sDataFolder = Context.sDataFolder;
        TPortProbe rProbe;
        RunWithWait(Text(kTxtPleaseWait), false, [&rProbe, iPort, rTiming, sDataFolder] {
            rProbe = ProbePort(iPort, rTiming, sDataFolder);
        });
        if (!rProbe.bFound) {
            ShowProbeFailure(FormatText(Text(kTxtNoInstrumentOnPort), {QString::number(iPort)}), rProbe);
            return false;
        }
        if (Context.pServices)
            Context.pServices->AddLog(rProbe.sIOString + QStringLiteral("|1"));
        if (bShowSuccess)
            ShowMessage(FormatText(Text(kTxtDetectedOnPort), {rProbe.sTypeName, QString::number(iPort)}),
                        kMsgInformation);
        return true;
    }
    if (eKind == TInstrumentNodeKind::Network) {
        if (!bTestNetwork)
            return true;
        if (!Context.pServices)
            return false;
        const TInstrumentList List = NetworkList();
        const TInstrumentInfo* pEntry = List.Entry(NodeValue(NodeNumber(SelectedNode)));
        if (!pEntry)
            return false;
        // The test works on a copy: the list entry itself is not changed by it.
        TInstrumentInfo rTested = *pEntry;
        int iResult = kLoginNoResponse;
        QString sError;
        const auto fnLogin = Context.TelnetLogin;
        const TTimingSettings rTiming = Context.rTiming;
        RunWithWait(Text(kTxtPleaseWait), false, [&] {
            iResult = fnLogin ? fnLogin(rTested, sError) : TestNetworkLogin(rTested, rTiming, sError);
        });
        switch (iResult) {
        case kLoginOK:
            ShowMessage(FormatText(Text(kTxtTestSucceeded), {QString::number(rTested.iSerialNo)}),
                        kMsgInformation);
            return true;
        case kLoginRefused:
            ShowMessage(Text(kTxtLoginRefused), kMsgError);
            return false;
        case kLoginError:
            ShowMessage(sError, kMsgWarning);
            return false;
        default:
            ShowMessage(Text(kTxtNotResponding), kMsgError);
            return false;
        }
    }
    return false;
}

void TfrmInstrumentSelect::popTestInstrumentClick() {
    if (!bBusy)
        TestInstrument(true, true);
}

void TfrmInstrumentSelect::treeInstrumentDblClick() {
    if (bBusy || !Context.pServices || !TestInstrument(false, false))
        return;
    ShowMessage(Text(kTxtNewInstrumentSelected), kMsgInformation);
    TInstrumentList List = NetworkList();
    const int iValue = NodeValue(NodeNumber(SelectedNode));
    if (KindOf(SelectedNode) == TInstrumentNodeKind::Network)
        List.ChooseNetworkInstrument(iValue);
    else
        List.ChoosePort(iValue);
    const int iSerialNo = List.Active().iSerialNo;
    if (Context.pServices)
        Context.pServices->SetStatusText(kSerialNoPanel,
                                         iSerialNo != 0 ? QString::number(iSerialNo) : QString());
    accept();
}

void TfrmInstrumentSelect::btnCancelClick() {
    if (!bBusy)
        reject();
}

void TfrmInstrumentSelect::popFindInstrumentClick() {
    if (bBusy)
        return;
    BuildTree(true, true);
    QVector<int> aPorts;
    for (int i = 0; i < treeNodeCom->childCount(); ++i)
        aPorts.append(NodeValue(NodeNumber(treeNodeCom->child(i))));
    const TTimingSettings rTiming = Context.rTiming;
    const QString sDataFolder = Context.sDataFolder;
    TPortProbe rFound;
    RunWithWait(Text(kTxtSearching), true, [&rFound, aPorts, rTiming, sDataFolder] {
        rFound = FindInstrument(aPorts, rTiming, sDataFolder);
    });
    if (!rFound.bFound) {
        ShowProbeFailure(Text(kTxtNoInstrumentFound), rFound);
        return;
    }
    ShowMessage(FormatText(Text(kTxtDetectedOnPort), {rFound.sTypeName, QString::number(rFound.iPort)}),
                kMsgInformation);
    SelectNode(NodeByNumber(rFound.iPort + kNodeChildBase));
}

void TfrmInstrumentSelect::popAddNetworkClick() {
    if (bBusy || !Context.pServices || !frmAddNetworkInstrument)
        return;
    frmAddNetworkInstrument->PrepareAdd(Text(kTxtNewInstrument));
    if (frmAddNetworkInstrument->exec() == QDialog::Accepted) {
        TInstrumentList List = NetworkList();
        List.AddNetworkInstrument(frmAddNetworkInstrument->Fields(),
                                  frmAddNetworkInstrument->TestedSerialNo());
    }
    BuildTree(true, true);
}

void TfrmInstrumentSelect::popEditNetworkClick() {
    if (bBusy || !Context.pServices || !frmAddNetworkInstrument ||
        KindOf(SelectedNode) != TInstrumentNodeKind::Network)
        return;
    TInstrumentList List = NetworkList();
    const int iIndex = NodeValue(NodeNumber(SelectedNode));
    if (!List.Entry(iIndex))
        return;
    frmAddNetworkInstrument->PrepareEdit(List.FieldsOf(iIndex));
    if (frmAddNetworkInstrument->exec() != QDialog::Accepted)
        return;
    List.EditNetworkInstrument(iIndex, frmAddNetworkInstrument->Fields());
    BuildTree(false, true);
    // By its number, not its text: two entries may read alike.
    SelectNode(NodeByNumber(iIndex + kNodeChildBase));
    treeInstrumentDblClick();
}

void TfrmInstrumentSelect::popRemoveInstrumentClick() {
    if (bBusy || !Context.pServices || KindOf(SelectedNode) != TInstrumentNodeKind::Network)
        return;
    TInstrumentList List = NetworkList();
    if (List.RemoveNetworkInstrument(NodeValue(NodeNumber(SelectedNode))))
        BuildTree(false, true);
}

void TfrmInstrumentSelect::done(int iResult) {
    // A probe in progress ends first; the manager cannot close under it.
    if (bBusy)
        return;
    QDialog::done(iResult);
}

TInstrumentManagerContext InstrumentManagerContext(IAppServices& rServices) {
    TInstrumentManagerContext rContext;
    rContext.pServices = &rServices;
    rContext.sDataFolder = rServices.DataFolderPath();
    return rContext;
}
