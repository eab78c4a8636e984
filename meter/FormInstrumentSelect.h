#pragma once

#include "meter/InstrumentDiscovery.h"
#include "meter/InstrumentList.h"
#include "meter/InstrumentManagerContext.h"

#include <QDialog>

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TfrmAddNetworkInstrument;
class IAppServices;

// The instrument manager: lists the serial ports and the network instruments, finds a meter on the ports,
// tests a connection, and lets the user choose the instrument of the next logging run. Created once at
// start and shown modally. Probes and logins run off the window's thread while the wait window shows, so
// the windows stay painted; the window never touches a serial channel itself.
class TfrmInstrumentSelect : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInstrumentSelect(QWidget* parent = nullptr);

    void SetContext(const TInstrumentManagerContext& rContext,
                    TfrmAddNetworkInstrument* pAddNetworkInstrument);

    void BuildTree(bool bComExpanded, bool bNetworkExpanded);
    // True when the selected node is usable: a meter answered on its port, or it is a network instrument
    // (tested by a login when bTestNetwork is set). Reports failures with a message box.
    bool TestInstrument(bool bShowSuccess, bool bTestNetwork);

    // The tree node that carries number iNumber, or none.
    QTreeWidgetItem* NodeByNumber(int iNumber) const;
    static int NodeNumber(const QTreeWidgetItem* pNode);
    TInstrumentNodeKind KindOf(const QTreeWidgetItem* pNode) const;

    // Menu and tree handlers.
    void popFindInstrumentClick();
    void popTestInstrumentClick();
    void popAddNetworkClick();
    void popEditNetworkClick();
    void popRemoveInstrumentClick();
    void treeInstrumentDblClick();
    void btnCancelClick();
    // Selects the node at pos and sets the menu items for it; false (no menu) when no node is there.
    bool PreparePopup(const QPoint& pos);
    void treeInstrumentContextPopup(const QPoint& pos);
    void treeInstrumentMouseDown(const QPoint& pos);

    QGroupBox* grpInstruments = nullptr;
    QTreeWidget* treeInstrument = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QMenu* popInstrument = nullptr;
    QAction* popFindInstrument = nullptr;
    QAction* popTestInstrument = nullptr;
    QAction* popAddNetwork = nullptr;
    QAction* popEditNetwork = nullptr;
    QAction* popRemoveInstrument = nullptr;

    // The node last hit by a mouse button (or moved to with the keyboard); none after a click beside the
    // nodes.
    QTreeWidgetItem* SelectedNode = nullptr;
    QTreeWidgetItem* treeNodeCom = nullptr;
    QTreeWidgetItem* treeNodeNetwork = nullptr;

public Q_SLOTS:
    void done(int iResult) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* pWatched, QEvent* event) override;

private:
    void FormShow();
    void SelectNode(QTreeWidgetItem* pNode);
    // Runs fnWork off the window's thread with the wait window showing sWaitText.
    void RunWithWait(const QString& sWaitText, bool bFadeIn, const std::function<void()>& fnWork);
    int ShowMessage(const QString& sText, int iKind);
    // A probe that found no meter: sText, then why a port could not be opened, which also goes to the log.
    void ShowProbeFailure(const QString& sText, const TPortProbe& rProbe);
    QString Text(int iEntry) const;
    int Language() const;
    // The network instruments of the settings with the active one; the caller checks for services first.
    TInstrumentList NetworkList() const;

    TInstrumentManagerContext Context;
    TfrmAddNetworkInstrument* frmAddNetworkInstrument = nullptr;
    bool bBusy = false;
};

// The manager's context as the main window provides it.
TInstrumentManagerContext InstrumentManagerContext(IAppServices& rServices);
