#pragma once

#include "store/DBSelectModel.h"

#include "dialogs/DeferredDialog.h"

#include <functional>

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class IAppServices;

// Asks the user for a database file: the save dialog for a new database, the open dialog for an existing
// one. An empty path means the user cancelled. Tests put their own chooser in place of the dialogs.
using TFileChooser = std::function<QString(QWidget* pParent)>;

// The database manager: the list of known local database files, from which the user creates, adds,
// removes and selects the working database. Created once at start and kept; shown modally. The decisions
// are its model's; the window shows the list and the popup menu and passes the user's choices on.
class TfrmDBSelect : public TDeferredDialog {
    Q_OBJECT
public:
    // rServices: the settings, status bar and window states the manager changes, its message box and
    // language; rDB: the working database connection. Centred on parent, the main window.
    TfrmDBSelect(IAppServices& rServices, TdbSQLite& rDB, QWidget* parent);
    ~TfrmDBSelect() override;

    // Node tags: the root "Local databases" and a database file.
    static constexpr int kNodeRoot = 1;
    static constexpr int kNodeDatabase = 2;
    // The tag of a node; 0 for none.
    static int NodeTag(const QTreeWidgetItem* pNode);

    // Replaces the save and open dialogs (either may be left empty to keep the dialog).
    void SetFileDialogs(TFileChooser fnSave, TFileChooser fnOpen);

    // Captions in the main window's current language.
    void UpdateGUIStrings();
    // Rebuilds the tree from the list of known files; bExpand opens the root.
    void RefreshDBTree(bool bExpand);
    // Makes sFileName the working database and closes the manager; a file that cannot be opened is
    // reported and the manager stays.
    void SelectDatabase(const QString& sFileName);

    TDBSelectModel& Model() { return FModel; }

    // Popup menu handlers.
    void popNewLocalDBClick();
    void popOpenLocalDBClick();
    void popRemoveDBClick();
    // A double-click on a node: a database node becomes the working database when it can.
    void treeDBDblClick(QTreeWidgetItem* pNode);
    // Prepares popDB for a right-click at pos (viewport coordinates of treeDB): selects the node there and
    // enables the remove item only for a database node. False over empty space, where no menu shows.
    bool PreparePopup(const QPoint& pos);

    QGroupBox* grpDB = nullptr;
    QTreeWidget* treeDB = nullptr;
    QMenu* popDB = nullptr;
    QAction* popNewLocalDB = nullptr;
    QAction* popOpenLocalDB = nullptr;
    QAction* popConnectRemoteDB = nullptr;
    QAction* popRemoveDB = nullptr;
    QPushButton* btnClose = nullptr;
    // The node under the mouse at the last button press in the tree; none when the press hit empty space.
    QTreeWidgetItem* SelectedNode = nullptr;

Q_SIGNALS:
    // The working database changed or its file was replaced: the main window reloads its session list.
    void SessionListChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* pWatched, QEvent* event) override;

private:
    void CreateControls() override;
    void SetMenuIcons();
    void FormShow();
    void treeDBContextPopup(const QPoint& pos);
    int ShowDBMessage(const TDBSelectMessage& rMessage);
    void CentreOnMainWindow();

    IAppServices& Services;
    TDBSelectModel FModel;
    TFileChooser dlgSave;
    TFileChooser dlgOpen;
};
