#include "store/FormDBSelect.h"

#include "core/AppServices.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"

#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionMenuItem>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kMinimumSize = 400;
constexpr int kNodeTagRole = Qt::UserRole;

const char* const kDefaultSuffix = "DB3";
const char* const kFilterDatabases = "SQLite Database files (*.DB3)";
#ifdef Q_OS_WIN
const char* const kFilterAll = "All files (*.*)";
#else
// File names here need not have a dot.
const char* const kFilterAll = "All files (*)";
#endif

// fAlpha of white over clOld, each channel rounded to the nearest integer, halves to even.
QColor WhiteOver(const QColor& clOld, double fAlpha) {
    const auto Mix = [fAlpha](int iOld) {
        return int(std::nearbyint(fAlpha * 255.0 + (1.0 - fAlpha) * iOld));
    };
    return QColor(Mix(clOld.red()), Mix(clOld.green()), Mix(clOld.blue()));
}

// The popup style of the program's menus: an icon stripe, a tinted frame round the item under the mouse,
// grey text for a disabled item and a thin separator line.
class TPopupMenuStyle : public QProxyStyle {
public:
    static constexpr int kStripeWidth = 24;
    static constexpr int kCaptionLeft = 32;
    static constexpr int kSeparatorLeft = 26;
    static constexpr int kExtraWidth = 16;
    static constexpr int kMinimumItemWidth = 100;

    QSize sizeFromContents(ContentsType type, const QStyleOption* pOption, const QSize& size,
                           const QWidget* pWidget) const override {
        QSize rSize = QProxyStyle::sizeFromContents(type, pOption, size, pWidget);
        const auto* pItem = qstyleoption_cast<const QStyleOptionMenuItem*>(pOption);
        if (type != CT_MenuItem || pItem == nullptr || pItem->menuItemType == QStyleOptionMenuItem::Separator)
            return rSize;
        const int iTextWidth = pItem->fontMetrics.horizontalAdvance(Caption(pItem->text));
        rSize.setWidth(std::max({rSize.width(), kCaptionLeft + iTextWidth + kExtraWidth, kMinimumItemWidth}));
        return rSize;
    }

    void drawControl(ControlElement element, const QStyleOption* pOption, QPainter* pPainter,
                     const QWidget* pWidget) const override {
        const auto* pItem = qstyleoption_cast<const QStyleOptionMenuItem*>(pOption);
        if (element != CE_MenuItem || pItem == nullptr) {
            QProxyStyle::drawControl(element, pOption, pPainter, pWidget);
            return;
        }
        const QRect r = pItem->rect;
        pPainter->save();
        pPainter->fillRect(r, Qt::white);
        pPainter->fillRect(QRect(r.left(), r.top(), kStripeWidth, r.height()),
                           WhiteOver(QColor(0xC0, 0xC0, 0xC0), 0.8));
        if (pItem->menuItemType == QStyleOptionMenuItem::Separator) {
            pPainter->setPen(QColor(0xC0, 0xC0, 0xC0));
            const int y = r.top() + r.height() / 2;
            pPainter->drawLine(r.left() + kSeparatorLeft, y, r.right(), y);
            pPainter->restore();
            return;
        }
        const bool bEnabled = (pItem->state & State_Enabled) != 0;
        if (bEnabled && (pItem->state & State_Selected) != 0) {
            const QColor clNavy(0, 0, 0x80);
            pPainter->fillRect(r, WhiteOver(clNavy, 0.9));
            pPainter->setPen(WhiteOver(clNavy, 0.5));
            pPainter->drawRect(r.adjusted(0, 0, -1, -1));
        }
        const int iIcon = proxy()->pixelMetric(PM_SmallIconSize, pOption, pWidget);
        pItem->icon.paint(pPainter, QRect(r.left() + 3, r.top() + 1, iIcon, iIcon), Qt::AlignCenter,
                          bEnabled ? QIcon::Normal : QIcon::Disabled);
        pPainter->setPen(bEnabled ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
        const QStringList slParts = pItem->text.split(QLatin1Char('\t'));
        const int iFlags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
        pPainter->drawText(QRect(r.left() + kCaptionLeft, r.top(), r.width() - kCaptionLeft, r.height()),
                           Qt::AlignLeft | iFlags, Caption(slParts.value(0)));
        if (slParts.size() > 1)
            pPainter->drawText(r.adjusted(0, 0, -3, 0), Qt::AlignRight | iFlags, slParts.value(1));
        pPainter->restore();
    }

private:
    static QString Caption(QString sText) {
        sText = sText.section(QLatin1Char('\t'), 0, 0);
        return sText.remove(QLatin1Char('&'));
    }
};

QString ChooseFile(QWidget* pParent, QFileDialog::AcceptMode eMode) {
    QFileDialog dlg(pParent);
    dlg.setAcceptMode(eMode);
    dlg.setFileMode(eMode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QString::fromLatin1(kDefaultSuffix));
    dlg.setNameFilters({QString::fromLatin1(kFilterDatabases), QString::fromLatin1(kFilterAll)});
    // The manager asks itself before a file is replaced, and says that its content would be lost.
    if (eMode == QFileDialog::AcceptSave)
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

} // namespace

TfrmDBSelect::TfrmDBSelect(IAppServices& rServices, TdbSQLite& rDB, QWidget* parent)
    : TDeferredDialog(parent), Services(rServices),
      FModel(rDB, rServices.Settings(), rServices,
             [this](const TDBSelectMessage& r) { return ShowDBMessage(r); }),
      dlgSave([](QWidget* p) { return ChooseFile(p, QFileDialog::AcceptSave); }),
      dlgOpen([](QWidget* p) { return ChooseFile(p, QFileDialog::AcceptOpen); }) {
    setObjectName("frmDBSelect");
    setMinimumSize(kMinimumSize, kMinimumSize);
    setSizeGripEnabled(true);
    FModel.SetSessionListReload([this] { Q_EMIT SessionListChanged(); });
}

void TfrmDBSelect::CreateControls() {
    grpDB = new QGroupBox(this);
    treeDB = new QTreeWidget(grpDB);
    treeDB->setObjectName("treeDB");
    treeDB->setHeaderHidden(true);
    treeDB->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Only a database node reacts to a double-click; the root neither opens nor closes.
    treeDB->setExpandsOnDoubleClick(false);
    treeDB->setContextMenuPolicy(Qt::CustomContextMenu);
    treeDB->viewport()->installEventFilter(this);
    connect(treeDB, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* p) { treeDBDblClick(p); });
    connect(treeDB, &QWidget::customContextMenuRequested, this, &TfrmDBSelect::treeDBContextPopup);
    auto* GroupLayout = new QVBoxLayout(grpDB);
    GroupLayout->addWidget(treeDB);

    popDB = new QMenu(this);
    popDB->setObjectName("popDB");
    auto* MenuStyle = new TPopupMenuStyle;
    MenuStyle->setParent(popDB);
    popDB->setStyle(MenuStyle);
    popNewLocalDB = popDB->addAction(QString(), this, &TfrmDBSelect::popNewLocalDBClick);
    popOpenLocalDB = popDB->addAction(QString(), this, &TfrmDBSelect::popOpenLocalDBClick);
    // Database servers are not offered.
    popConnectRemoteDB = popDB->addAction(QString());
    popConnectRemoteDB->setVisible(false);
    popConnectRemoteDB->setEnabled(false);
    popDB->addSeparator();
    popRemoveDB = popDB->addAction(QString(), this, &TfrmDBSelect::popRemoveDBClick);
    // The pictures are looked up when the menu first opens, not at start.
    connect(popDB, &QMenu::aboutToShow, this, &TfrmDBSelect::SetMenuIcons, Qt::SingleShotConnection);

    btnClose = new QPushButton(this);
    btnClose->setDefault(true);
    btnClose->setAutoDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpDB, 1);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(btnClose);
    Layout->addLayout(Buttons);

    UpdateGUIStrings();
}

TfrmDBSelect::~TfrmDBSelect() = default;

void TfrmDBSelect::SetMenuIcons() {
    const auto Icon = [this](QStyle::StandardPixmap e) { return style()->standardIcon(e); };
    popNewLocalDB->setIcon(Icon(QStyle::SP_FileDialogNewFolder));
    popOpenLocalDB->setIcon(Icon(QStyle::SP_DialogOpenButton));
    popConnectRemoteDB->setIcon(Icon(QStyle::SP_DriveNetIcon));
    popRemoveDB->setIcon(Icon(QStyle::SP_TrashIcon));
}

int TfrmDBSelect::NodeTag(const QTreeWidgetItem* pNode) {
    return pNode ? pNode->data(0, kNodeTagRole).toInt() : 0;
}

void TfrmDBSelect::SetFileDialogs(TFileChooser fnSave, TFileChooser fnOpen) {
    if (fnSave)
        dlgSave = std::move(fnSave);
    if (fnOpen)
        dlgOpen = std::move(fnOpen);
}

void TfrmDBSelect::UpdateGUIStrings() {
    if (!ControlsBuilt())
        return;
    const auto T = [this](int iEntry) { return GetText(iEntry, Services.Language()); };
    setWindowTitle(T(kTxtManageDatabasesCaption));
    grpDB->setTitle(T(kTxtAvailableDatabases));
    btnClose->setText(T(kTxtClose));
    popNewLocalDB->setText(T(kTxtNewLocalDB));
    popOpenLocalDB->setText(T(kTxtOpenLocalDB));
    popConnectRemoteDB->setText(T(kTxtConnectRemoteDB));
    popRemoveDB->setText(T(kTxtRemoveDB));
}

void TfrmDBSelect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmDBSelect::FormShow() {
    UpdateGUIStrings();
    RefreshDBTree(true);
    CentreOnMainWindow();
}

void TfrmDBSelect::CentreOnMainWindow() {
    if (!parentWidget())
        return;
    QRect rFrame = frameGeometry();
    rFrame.moveCenter(parentWidget()->frameGeometry().center());
    move(rFrame.topLeft());
}

void TfrmDBSelect::RefreshDBTree(bool bExpand) {
    EnsureControls();
    // The nodes are about to go: a stored node must not outlive them.
    SelectedNode = nullptr;
    treeDB->clear();
    auto* Root = new QTreeWidgetItem(treeDB, {GetText(kTxtLocalDatabases, Services.Language())});
    Root->setData(0, kNodeTagRole, kNodeRoot);
    Root->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
    const QIcon icoDatabase = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& sFileName : FModel.LocalDatabases()) {
        auto* Node = new QTreeWidgetItem(Root, {sFileName});
        Node->setData(0, kNodeTagRole, kNodeDatabase);
        Node->setIcon(0, icoDatabase);
    }
    if (bExpand)
        Root->setExpanded(true);
}

int TfrmDBSelect::ShowDBMessage(const TDBSelectMessage& r) {
    const int iLNG = Services.Language();
    QString sText = r.iEntry >= 0 ? FormatText(GetText(r.iEntry, iLNG), {r.sText}) : r.sText;
    const QString sReason = r.slMissingColumns.isEmpty()
                                ? r.sReason
                                : FormatText(GetText(kTxtTablesLackColumns, iLNG),
                                             {r.slMissingColumns.join(QStringLiteral(", "))});
    if (!sReason.isEmpty())
        sText += QStringLiteral("\r\r") + sReason;
    return Services.ShowMessageBox(sText, r.iKind, r.iButtons);
}

void TfrmDBSelect::SelectDatabase(const QString& sFileName) {
    if (FModel.SelectDatabase(sFileName))
        done(QDialog::Accepted);
}

void TfrmDBSelect::popNewLocalDBClick() {
    if (FModel.CreateLocalDB(dlgSave(this)) == TDBSelectOutcome::Selected)
        done(QDialog::Accepted);
    // Harmless when the manager has just closed: it shows the new list at the next show anyway.
    RefreshDBTree(true);
}

void TfrmDBSelect::popOpenLocalDBClick() {
    const TDBSelectOutcome eOutcome = FModel.AddLocalDB(dlgOpen(this));
    if (eOutcome == TDBSelectOutcome::None || eOutcome == TDBSelectOutcome::Failed)
        return;
    if (eOutcome == TDBSelectOutcome::Selected)
        done(QDialog::Accepted);
    RefreshDBTree(true);
}

void TfrmDBSelect::popRemoveDBClick() {
    if (NodeTag(SelectedNode) != kNodeDatabase)
        return;
    QTreeWidgetItem* Node = SelectedNode;
    if (FModel.RemoveDB(Node->text(0)) != TDBSelectOutcome::Removed)
        return;
    SelectedNode = nullptr;
    delete Node;
}

void TfrmDBSelect::treeDBDblClick(QTreeWidgetItem* pNode) {
    if (NodeTag(pNode) != kNodeDatabase)
        return;
    if (FModel.OpenListedDB(pNode->text(0)) == TDBSelectOutcome::Selected)
        done(QDialog::Accepted);
}

bool TfrmDBSelect::PreparePopup(const QPoint& pos) {
    QTreeWidgetItem* Node = treeDB->itemAt(pos);
    if (Node == nullptr)
        return false;
    treeDB->setCurrentItem(Node);
    // A menu opened from the keyboard had no button press to store the node.
    SelectedNode = Node;
    popRemoveDB->setEnabled(NodeTag(Node) == kNodeDatabase);
    return true;
}

void TfrmDBSelect::treeDBContextPopup(const QPoint& pos) {
    if (PreparePopup(pos))
        popDB->popup(treeDB->viewport()->mapToGlobal(pos));
}

bool TfrmDBSelect::eventFilter(QObject* pWatched, QEvent* event) {
    if (pWatched == treeDB->viewport() && event->type() == QEvent::MouseButtonPress)
        SelectedNode = treeDB->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    return QDialog::eventFilter(pWatched, event);
}
