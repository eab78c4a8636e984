#include "dialogs/FormOptions.h"

#include "core/AppServices.h"
#include "core/Drawing.h"
#include "core/MainView.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "dialogs/TargetChoices.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Typed levels and axis values: up to 6 characters; line widths: one digit; cursor names: 32 characters.
constexpr int kLevelLength = 6;
constexpr int kLineWidthLength = 1;
constexpr int kCursorNameLength = 32;
constexpr int kOneCharacter = 1;

constexpr int kSwatchSize = 18;
constexpr int kPageWidth = 560;
constexpr int kPageHeight = 470;

// The data list's items, in the order of the flags of TDataOptions.
const char* const kDataListCaptions[kDataListItems] = {
    "Peak Level.",  "Peak Level Min.",  "Peak Level Max.",  "Peak Channel.",
    "Peak Count.",  "Shortterm.",       "Shortterm Min.",   "Shortterm Max.",
    "Integrating.", "Integrating Min.", "Integrating Max.",
};

// The logo picker offers the pictures the PDF report can place.
const char* const kPictureFilter =
    "Pictures (*.bmp *.BMP *.png *.PNG *.jpg *.JPG *.jpeg *.JPEG);;All files (*)";

QGroupBox* NewGroup(QWidget* parent, const char* sName, const QString& sCaption) {
    auto* grp = new QGroupBox(sCaption, parent);
    grp->setObjectName(sName);
    return grp;
}

QCheckBox* NewCheck(QWidget* parent, const QString& sName, const QString& sCaption) {
    auto* chk = new QCheckBox(sCaption, parent);
    chk->setObjectName(sName);
    return chk;
}

QLineEdit* NewEdit(QWidget* parent, const QString& sName, int iMaxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(sName);
    edit->setMaxLength(iMaxLength);
    // Wide enough for its characters and no wider, as the pages are laid out in columns.
    const int iChars = std::min(iMaxLength, 12);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (iChars + 1) + 16);
    return edit;
}

void SetEnabled(std::initializer_list<QWidget*> aWidgets, bool bEnabled) {
    for (QWidget* w : aWidgets)
        w->setEnabled(bEnabled);
}

// A swatch's rule: its panel enabled and its picture shown, or both off.
void EnableSwatch(TColorSwatch* Swatch, bool bEnabled) {
    Swatch->parentWidget()->setEnabled(bEnabled);
    Swatch->setVisible(bEnabled);
}

// Axis values and levels with one decimal, as the user's region writes them.
QString FormatLevel(double f) {
    return QLocale().toString(f, 'f', 1);
}

// The font's family and style at the dialog's own size, so that a small report font stays readable here.
QFont FontOf(const TFontRec& r, const QFont& Base) {
    QFont Font = Base;
    Font.setFamily(r.Name);
    Font.setBold(r.Style.testFlag(TFontStyle::fsBold));
    Font.setItalic(r.Style.testFlag(TFontStyle::fsItalic));
    Font.setUnderline(r.Style.testFlag(TFontStyle::fsUnderline));
    Font.setStrikeOut(r.Style.testFlag(TFontStyle::fsStrikeOut));
    return Font;
}

// The memo's lines; an empty memo has none and a final line break starts no line of its own.
QStringList MemoLines(const QString& sText) {
    if (sText.isEmpty())
        return {};
    QStringList sl = sText.split(QLatin1Char('\n'));
    if (sl.size() > 1 && sl.last().isEmpty())
        sl.removeLast();
    return sl;
}

TTableColorOptions& TableOptions(TSettings& r, int iColumn) {
    switch (iColumn) {
    case TfrmOptions::kTablePeak:
        return r.rTablePeakColorOptions;
    case TfrmOptions::kTableSTMax:
        return r.rTableSTMaxColorOptions;
    case TfrmOptions::kTableSTMin:
        return r.rTableSTMinColorOptions;
    default:
        return r.rTableIntColorOptions;
    }
}

} // namespace

TColorSwatch::TColorSwatch(QWidget* parent) : QWidget(parent) {
    setFixedSize(kSwatchSize, kSwatchSize);
    setCursor(Qt::PointingHandCursor);
}

void TColorSwatch::SetColor(TColorValue clNew) {
    clColor = clNew;
    update();
}

void TColorSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorValueToQColor(clColor));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT Clicked();
}

TfrmOptions::TfrmOptions(QWidget* parent) : TDeferredDialog(parent) {
    setObjectName("frmOptions");
    setWindowTitle(QStringLiteral("Global Options."));
    setModal(true);
}

void TfrmOptions::CreateControls() {
    treeOptions = new QTreeWidget(this);
    treeOptions->setObjectName("treeOptions");
    treeOptions->setHeaderHidden(true);
    treeOptions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeOptions->setFixedWidth(190);
    treeOptions->viewport()->installEventFilter(this);

    auto* PageArea = new QWidget(this);
    PageArea->setFixedSize(kPageWidth, kPageHeight);
    auto* PageLayout = new QGridLayout(PageArea);
    PageLayout->setContentsMargins(0, 0, 0, 0);
    CreatePages();
    // Every page at the same place; one at a time is shown.
    for (QWidget* Page : aPages) {
        Page->setParent(PageArea);
        PageLayout->addWidget(Page, 0, 0);
        Page->hide();
    }
    CreateTree();

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOK, &QPushButton::clicked, this, &TfrmOptions::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* Top = new QHBoxLayout;
    Top->addWidget(treeOptions);
    Top->addWidget(PageArea);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Top);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    ColorDialog = new QColorDialog(this);
    ColorDialog->setObjectName("ColorDialog");
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);

    ShowPage(pnlDefault);
    SetMainGUI(iMainGUIState);
}

void TfrmOptions::CreatePages() {
    pnlDefault = CreateDefaultPage();
    pnlTableColor = CreateTableColorPage();
    pnlChartInt = CreateChartIntPage();
    pnlChartPeak = CreateChartPeakPage();
    pnlChartCursors = CreateCursorsPage();
    pnlPDF = CreatePDFPage();
    pnlCSVFile = CreateCSVPage();
    pnlTC = CreateTCPage();
    pnlAdvanced = new QWidget;
    pnlAdvanced->setObjectName("pnlAdvanced");
    pnlDataSelect = CreateDataSelectPage();
    pnlCompliance = CreateCompliancePage();
    aPages = {pnlDefault, pnlTableColor, pnlChartInt, pnlChartPeak,  pnlChartCursors, pnlPDF,
              pnlCSVFile, pnlTC,         pnlAdvanced, pnlDataSelect, pnlCompliance};
}

void TfrmOptions::CreateTree() {
    const auto Node = [this](QTreeWidgetItem* Parent, const char* sCaption, QWidget* Page) {
        QTreeWidgetItem* Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(treeOptions);
        Item->setText(0, QString::fromLatin1(sCaption));
        aNodePages.append({Item, Page});
        return Item;
    };
    Node(nullptr, "Global Options.", pnlDefault);
    QTreeWidgetItem* Table = Node(nullptr, "Table Options.", nullptr);
    Node(Table, "Table Colour Rules.", pnlTableColor);
    QTreeWidgetItem* Chart = Node(nullptr, "Chart Options.", nullptr);
    Node(Chart, "Loudness Graph.", pnlChartInt);
    Node(Chart, "Peak Level Graph.", pnlChartPeak);
    Node(Chart, "Cursors.", pnlChartCursors);
    QTreeWidgetItem* Export = Node(nullptr, "Export Options.", nullptr);
    Node(Export, "PDF Files.", pnlPDF);
    Node(Export, "CSV Files.", pnlCSVFile);
    Node(nullptr, "Timecode Options.", pnlTC);
    QTreeWidgetItem* Advanced = Node(nullptr, "Advanced Options.", pnlAdvanced);
    Node(Advanced, "Data Selection.", pnlDataSelect);
    nodeCompliance = new QTreeWidgetItem(treeOptions);
    nodeCompliance->setText(0, GetText(kTxtTargetsNode, kLanguageEnglish));
    aNodePages.append({nodeCompliance, pnlCompliance});
    treeOptions->expandAll();
}

QWidget* TfrmOptions::CreateDefaultPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlDefault");
    auto* Layout = new QVBoxLayout(Page);

    grpLanguage = NewGroup(Page, "grpLanguage", "GUI Language (Experimental)");
    cboLanguage = new QComboBox(grpLanguage);
    cboLanguage->setObjectName("cboLanguage");
    cboLanguage->addItems(
        {GetText(kTxtLanguageNames, kLanguageEnglish), GetText(kTxtLanguageNames, kLanguageDanish)});
    (new QVBoxLayout(grpLanguage))->addWidget(cboLanguage);

    auto* grpSession = NewGroup(Page, "GroupBox8", "Session Information Options.");
    chkAskForSessionInfo =
        NewCheck(grpSession, "chkAskForSessionInfo", "Ask for session information when logging is started.");
    chkAllowSessionEdit =
        NewCheck(grpSession, "chkAllowSessionEdit", "Allow editing of session information during logging.");
    // A lost link while logging: the session kept open and the meter reached again.
    chkReconnect =
        NewCheck(grpSession, "chkReconnect", GetText(kTxtReconnectAutomatically, kLanguageEnglish));
    auto* SessionLayout = new QVBoxLayout(grpSession);
    SessionLayout->addWidget(chkAskForSessionInfo);
    SessionLayout->addWidget(chkAllowSessionEdit);
    SessionLayout->addWidget(chkReconnect);

    grpDefaultSettings = NewGroup(Page, "grpDefaultSettings", "Default Settings.");
    chkDefaultSettings =
        NewCheck(grpDefaultSettings, "chkDefaultSettings", "Allow restoring of default settings.");
    btnDefaultSettings = new QPushButton(QStringLiteral("Restore Default Settings"), grpDefaultSettings);
    btnDefaultSettings->setObjectName("btnDefaultSettings");
    auto* DefaultLayout = new QHBoxLayout(grpDefaultSettings);
    DefaultLayout->addWidget(chkDefaultSettings, 1);
    DefaultLayout->addWidget(btnDefaultSettings);
    connect(chkDefaultSettings, &QCheckBox::clicked, this,
            [this] { btnDefaultSettings->setEnabled(chkDefaultSettings->isChecked()); });
    connect(btnDefaultSettings, &QPushButton::clicked, this, &TfrmOptions::btnDefaultSettingsClick);

    Layout->addWidget(grpLanguage);
    Layout->addWidget(grpSession);
    Layout->addWidget(grpDefaultSettings);
    Layout->addStretch(1);
    return Page;
}

TColorSwatch* TfrmOptions::NewSwatch(QWidget* parent, const QString& sName) {
    // The swatch sits in a panel of its own: the rules disable the panel and hide the picture.
    auto* Panel = new QFrame(parent);
    Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* PanelLayout = new QHBoxLayout(Panel);
    PanelLayout->setContentsMargins(2, 2, 2, 2);
    auto* Swatch = new TColorSwatch(Panel);
    Swatch->setObjectName(sName);
    PanelLayout->addWidget(Swatch);
    Panel->setFixedSize(kSwatchSize + 6, kSwatchSize + 6);
    connect(Swatch, &TColorSwatch::Clicked, this, [this, Swatch] { SwatchClick(Swatch); });
    return Swatch;
}

QGroupBox* TfrmOptions::CreateTableColorGroup(TTableColorGroup& g, const QString& sKey,
                                              const QString& sCaption, const QString& sUnit) {
    g.grp = new QGroupBox(sCaption);
    auto* Grid = new QGridLayout(g.grp);
    Grid->setVerticalSpacing(1);
    Grid->setContentsMargins(8, 2, 8, 2);
    // Control names: chk<Key>ColorHigh, edit<Key>ColorHigh, img<Key>High and so on.
    const auto Rule = [&](int iRow, const QString& sRule, const QString& sCaption, QCheckBox*& chk,
                          QLineEdit** edit, QLabel** lblUnit, QLabel*& lblColour, TColorSwatch*& img) {
        chk = NewCheck(g.grp, "chk" + sKey + "Color" + sRule, sCaption);
        Grid->addWidget(chk, iRow, 0);
        if (edit) {
            *edit = NewEdit(g.grp, "edit" + sKey + "Color" + sRule, kLevelLength);
            *lblUnit = new QLabel(sUnit, g.grp);
            Grid->addWidget(*edit, iRow, 1);
            Grid->addWidget(*lblUnit, iRow, 2);
        }
        lblColour = new QLabel(QStringLiteral("Colour.:"), g.grp);
        img = NewSwatch(g.grp, "img" + sKey + sRule);
        Grid->addWidget(lblColour, iRow, 3);
        Grid->addWidget(img->parentWidget(), iRow, 4);
        connect(chk, &QCheckBox::clicked, this, &TfrmOptions::ApplyEnablingRules);
    };
    Rule(0, "High", "High Level.:", g.chkHigh, &g.editHigh, &g.lblHighUnit, g.lblHighColour, g.imgHigh);
    Rule(1, "Default", "Default colour.", g.chkDefault, nullptr, nullptr, g.lblDefaultColour, g.imgDefault);
    Rule(2, "Low", "Low Level.:", g.chkLow, &g.editLow, &g.lblLowUnit, g.lblLowColour, g.imgLow);
    Grid->setColumnMinimumWidth(0, 120);
    Grid->setColumnStretch(5, 1);
    return g.grp;
}

QWidget* TfrmOptions::CreateTableColorPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlTableColor");
    auto* Layout = new QVBoxLayout(Page);
    Layout->setSpacing(2);
    struct TGroupSpec {
        const char* sGroupName;
        const char* sKey;
        const char* sCaption;
        const char* sUnit;
    };
    const TGroupSpec aSpecs[kTableColumns] = {
        {"grpTablePeakColor", "TablePeak", "Peak Level Colour.", "dBFS."},
        {"GroupBox15", "TableSTMax", "Shortterm Maximum Colour.", "LUFS."},
        {"GroupBox16", "TableSTMin", "Shortterm Minimum Colour.", "LUFS."},
        {"GroupBox17", "TableInt", "Integrating Colour.", "LUFS."},
    };
    for (int i = 0; i < kTableColumns; ++i) {
        const TGroupSpec& r = aSpecs[i];
        QGroupBox* grp = CreateTableColorGroup(aTableGroups[i], QString::fromLatin1(r.sKey),
                                               QString::fromLatin1(r.sCaption), QString::fromLatin1(r.sUnit));
        grp->setParent(Page);
        grp->setObjectName(r.sGroupName);
        Layout->addWidget(grp);
    }
    Layout->addStretch(1);
    return Page;
}

namespace {

// An axis group: its auto range box and its two limits with their labels.
QGroupBox* NewAxisGroup(QWidget* Page, const char* sGroup, const QString& sSide, QCheckBox*& chkAuto,
                        QLineEdit*& editMax, QLineEdit*& editMin, QLabel*& lblMax, QLabel*& lblMin) {
    QGroupBox* grp = NewGroup(Page, sGroup, "Axis.");
    chkAuto = NewCheck(grp, "chkAxis" + sSide + "Auto", "Auto Range.");
    editMax = NewEdit(grp, "editAxis" + sSide + "Max", kLevelLength);
    editMin = NewEdit(grp, "editAxis" + sSide + "Min", kLevelLength);
    lblMax = new QLabel(QStringLiteral("Scale Range Max.:"), grp);
    lblMin = new QLabel(QStringLiteral("Scale Range Min.:"), grp);
    auto* Grid = new QGridLayout(grp);
    Grid->addWidget(chkAuto, 0, 0, 1, 2);
    Grid->addWidget(lblMax, 1, 0);
    Grid->addWidget(editMax, 1, 1);
    Grid->addWidget(lblMin, 2, 0);
    Grid->addWidget(editMin, 2, 1);
    Grid->setColumnStretch(2, 1);
    return grp;
}

// A series group: its visible box, line width and colour, with the two labels.
QGroupBox* NewSeriesGroup(QWidget* Page, const char* sGroup, const QString& sCaption, const QString& sSeries,
                          QCheckBox*& chkVisible, QLineEdit*& editWidth, QLabel* aLabels[2],
                          const std::function<TColorSwatch*(QWidget*, const QString&)>& NewSwatch,
                          TColorSwatch*& img) {
    QGroupBox* grp = NewGroup(Page, sGroup, sCaption);
    chkVisible = NewCheck(grp, "chkSeries" + sSeries + "Visible", "Visible.");
    editWidth = NewEdit(grp, "editSeries" + sSeries + "LineWidth", kLineWidthLength);
    aLabels[0] = new QLabel(QStringLiteral("Linewidth.:"), grp);
    aLabels[1] = new QLabel(QStringLiteral("Colour.:"), grp);
    img = NewSwatch(grp, "imgSeries" + sSeries + "LineColor");
    auto* Grid = new QGridLayout(grp);
    Grid->addWidget(chkVisible, 0, 0, 1, 2);
    Grid->addWidget(aLabels[0], 1, 0);
    Grid->addWidget(editWidth, 1, 1);
    Grid->addWidget(aLabels[1], 2, 0);
    Grid->addWidget(img->parentWidget(), 2, 1);
    Grid->setColumnStretch(2, 1);
    return grp;
}

} // namespace

QWidget* TfrmOptions::CreateChartIntPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlChartInt");
    const auto Swatch = [this](QWidget* parent, const QString& sName) { return NewSwatch(parent, sName); };
    QLabel* aSTMaxLabels[2] = {};
    auto* Layout = new QVBoxLayout(Page);
    Layout->addWidget(NewAxisGroup(Page, "GroupBox11", "Left", chkAxisLeftAuto, editAxisLeftMax,
                                   editAxisLeftMin, lblAxisLeftMax, lblAxisLeftMin));
    Layout->addWidget(NewSeriesGroup(Page, "GroupBox14", "Integrating Graph.", "Int", chkSeriesIntVisible,
                                     editSeriesIntLineWidth, aSeriesIntLabels, Swatch,
                                     imgSeriesIntLineColor));
    Layout->addWidget(NewSeriesGroup(Page, "GroupBox19", "Shortterm Maximum Graph.", "STMax",
                                     chkSeriesSTMaxVisible, editSeriesSTMaxLineWidth, aSTMaxLabels, Swatch,
                                     imgSeriesSTMaxLineColor));
    Layout->addStretch(1);
    for (QCheckBox* chk : {chkAxisLeftAuto, chkSeriesIntVisible})
        connect(chk, &QCheckBox::clicked, this, &TfrmOptions::ApplyEnablingRules);
    return Page;
}

QWidget* TfrmOptions::CreateChartPeakPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlChartPeak");
    const auto Swatch = [this](QWidget* parent, const QString& sName) { return NewSwatch(parent, sName); };
    auto* Layout = new QVBoxLayout(Page);
    Layout->addWidget(NewAxisGroup(Page, "GroupBox12", "Right", chkAxisRightAuto, editAxisRightMax,
                                   editAxisRightMin, lblAxisRightMax, lblAxisRightMin));
    Layout->addWidget(NewSeriesGroup(Page, "GroupBox13", "Peak Level Graph.", "Peak", chkSeriesPeakVisible,
                                     editSeriesPeakLineWidth, aSeriesPeakLabels, Swatch,
                                     imgSeriesPeakLineColor));
    Layout->addStretch(1);
    for (QCheckBox* chk : {chkAxisRightAuto, chkSeriesPeakVisible})
        connect(chk, &QCheckBox::clicked, this, &TfrmOptions::ApplyEnablingRules);
    return Page;
}

QGroupBox* TfrmOptions::CreateCursorGroup(TCursorGroup& g, const QString& sCaption, int iCursor) {
    const QString sNo = QString::number(iCursor);
    g.grp = new QGroupBox(sCaption);
    g.chkEnabled = NewCheck(g.grp, "chkSeriesCursor" + sNo + "Enabled", "Enabled.");
    g.chkVisible = NewCheck(g.grp, "chkSeriesCursor" + sNo + "Visible", "Visible.");
    g.chkPeakAxis = NewCheck(g.grp, "chkSeriesCursor" + sNo + "PeakAxis",
                             GetText(kTxtCursorOnPeakAxis, kLanguageEnglish));
    g.editLineWidth = NewEdit(g.grp, "editSeriesCursor" + sNo + "LineWidth", kLineWidthLength);
    g.imgLineColor = NewSwatch(g.grp, "imgSeriesCursor" + sNo + "LineColor");
    g.editLevel = NewEdit(g.grp, "editChartCursor" + sNo + "Level", kLevelLength);
    g.editName = NewEdit(g.grp, "editCursor" + sNo + "Name", kCursorNameLength);
    const char* aCaptions[4] = {"Linewidth.:", "Colour.:", "Level.:", "Cursor Name.:"};
    QWidget* aFields[4] = {g.editLineWidth, g.imgLineColor->parentWidget(), g.editLevel, g.editName};
    auto* Grid = new QGridLayout(g.grp);
    Grid->addWidget(g.chkEnabled, 0, 0, 1, 2);
    Grid->addWidget(g.chkVisible, 1, 0, 1, 2);
    for (int i = 0; i < 4; ++i) {
        g.aLabels[i] = new QLabel(QString::fromLatin1(aCaptions[i]), g.grp);
        Grid->addWidget(g.aLabels[i], 2 + i, 0);
        Grid->addWidget(aFields[i], 2 + i, 1);
    }
    Grid->addWidget(g.chkPeakAxis, 6, 0, 1, 2);
    Grid->setColumnStretch(2, 1);
    connect(g.chkEnabled, &QCheckBox::clicked, this, &TfrmOptions::ApplyEnablingRules);
    return g.grp;
}

QWidget* TfrmOptions::CreateCursorsPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlChartCursors");
    auto* Layout = new QHBoxLayout(Page);
    QGroupBox* grp1 = CreateCursorGroup(rCursor1, "Cursor 1.", 1);
    QGroupBox* grp2 = CreateCursorGroup(rCursor2, "Cursor 2.", 2);
    grp1->setObjectName("GroupBox20");
    grp2->setObjectName("GroupBox18");
    for (QGroupBox* grp : {grp1, grp2}) {
        grp->setParent(Page);
        Layout->addWidget(grp, 0, Qt::AlignTop);
    }
    return Page;
}

QWidget* TfrmOptions::CreatePDFPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlPDF");
    auto* Layout = new QVBoxLayout(Page);

    QGroupBox* grpUser = NewGroup(Page, "GroupBox3", "User Information.");
    editPDFHeadline = NewEdit(grpUser, "editPDFHeadline", 255);
    editPDFHeadline1 = NewEdit(grpUser, "editPDFHeadline1", 255);
    editPDFLogoPath = NewEdit(grpUser, "editPDFLogoPath", 32767);
    for (QLineEdit* edit : {editPDFHeadline, editPDFHeadline1, editPDFLogoPath})
        edit->setFixedWidth(360);
    btnPDFLogo = new QPushButton(QStringLiteral("..."), grpUser);
    btnPDFLogo->setObjectName("btnPDFLogo");
    btnPDFLogo->setFixedWidth(44);
    memoPDFUserInfo = new QPlainTextEdit(grpUser);
    memoPDFUserInfo->setObjectName("memoPDFUserInfo");
    memoPDFUserInfo->setFixedSize(360, 72);
    auto* lblFields =
        new QLabel(QStringLiteral("The following data fields can be used for Headline and Headline1: "
                                  "%TITLE% , %NUMBER% , %NAME% , %FORMAT% , %TCSTART% and %TCEND%."),
                   grpUser);
    lblFields->setWordWrap(true);
    auto* UserGrid = new QGridLayout(grpUser);
    const std::pair<const char*, QWidget*> aRows[] = {{"Headline.:", editPDFHeadline},
                                                      {"Headline 1.:", editPDFHeadline1},
                                                      {"Logo.:", editPDFLogoPath},
                                                      {"User Info.:", memoPDFUserInfo}};
    int iRow = 0;
    for (const auto& [sCaption, w] : aRows) {
        UserGrid->addWidget(new QLabel(QString::fromLatin1(sCaption), grpUser), iRow, 0, Qt::AlignTop);
        UserGrid->addWidget(w, iRow, 1);
        ++iRow;
    }
    UserGrid->addWidget(btnPDFLogo, 2, 2);
    UserGrid->addWidget(lblFields, iRow, 0, 1, 3);
    connect(btnPDFLogo, &QPushButton::clicked, this, &TfrmOptions::btnPDFLogoClick);

    QGroupBox* grpColours = NewGroup(Page, "GroupBox9", "Colour Setup.");
    QGroupBox* grpRows = NewGroup(grpColours, "GroupBox7", "Table Row Background Colour.");
    imgPDFOddColour = NewSwatch(grpRows, "imgPDFOddColour");
    imgPDFEvenColor = NewSwatch(grpRows, "imgPDFEvenColor");
    auto* RowsLayout = new QHBoxLayout(grpRows);
    RowsLayout->addWidget(new QLabel(QStringLiteral("Odd.:"), grpRows));
    RowsLayout->addWidget(imgPDFOddColour->parentWidget());
    RowsLayout->addSpacing(12);
    RowsLayout->addWidget(new QLabel(QStringLiteral("Even.:"), grpRows));
    RowsLayout->addWidget(imgPDFEvenColor->parentWidget());
    RowsLayout->addStretch(1);
    QGroupBox* grpFont = NewGroup(grpColours, "GroupBox6", "Normal Font Style.");
    lblPDFFontNameNormal = new QLabel(grpFont);
    lblPDFFontNameNormal->setObjectName("lblPDFFontNameNormal");
    imgPDFFontColourNormal = NewSwatch(grpFont, "imgPDFFontColourNormal");
    auto* FontLayout = new QHBoxLayout(grpFont);
    FontLayout->addWidget(lblPDFFontNameNormal, 1);
    FontLayout->addWidget(imgPDFFontColourNormal->parentWidget());
    auto* ColoursLayout = new QHBoxLayout(grpColours);
    ColoursLayout->addWidget(grpRows);
    ColoursLayout->addWidget(grpFont);

    QGroupBox* grpChart = NewGroup(Page, "GroupBox10", "PDF Chart.");
    chkPDFChartSessionInfo =
        NewCheck(grpChart, "chkPDFChartSessionInfo", "Include session information in full page PDF chart.");
    (new QVBoxLayout(grpChart))->addWidget(chkPDFChartSessionInfo);

    Layout->addWidget(grpUser);
    Layout->addWidget(grpColours);
    Layout->addWidget(grpChart);
    Layout->addStretch(1);
    return Page;
}

QWidget* TfrmOptions::CreateCSVPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlCSVFile");
    QGroupBox* grp = NewGroup(Page, "GroupBox2", "CSV file options.");
    editCSVSeparationChar = NewEdit(grp, "editCSVSeparationChar", kOneCharacter);
    editCSVDecimalSeparator = NewEdit(grp, "editCSVDecimalSeparator", kOneCharacter);
    chkCSVCR = NewCheck(grp, "chkCSVCR", "Use carriage return.");
    chkCSVLF = NewCheck(grp, "chkCSVLF", "Use Linefeed.");
    chkCSVIncludeSessionInfo = NewCheck(grp, "chkCSVIncludeSessionInfo", "Include session information.");
    auto* Grid = new QGridLayout(grp);
    Grid->addWidget(new QLabel(QStringLiteral("Separation character.:"), grp), 0, 0);
    Grid->addWidget(editCSVSeparationChar, 0, 1);
    Grid->addWidget(new QLabel(QStringLiteral("Decimal separator.:"), grp), 1, 0);
    Grid->addWidget(editCSVDecimalSeparator, 1, 1);
    Grid->addWidget(chkCSVCR, 2, 0, 1, 2);
    Grid->addWidget(chkCSVLF, 3, 0, 1, 2);
    Grid->addWidget(chkCSVIncludeSessionInfo, 4, 0, 1, 2);
    Grid->setColumnStretch(2, 1);
    auto* Layout = new QVBoxLayout(Page);
    Layout->addWidget(grp);
    Layout->addStretch(1);
    return Page;
}

QWidget* TfrmOptions::CreateTCPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlTC");
    const auto Note = [](QWidget* parent, const char* sText) {
        auto* lbl = new QLabel(QString::fromLatin1(sText), parent);
        lbl->setWordWrap(true);
        return lbl;
    };

    QGroupBox* grpEnable = NewGroup(Page, "grpEnableTC", "Timecode Control.");
    chkEnableAdvancedTC = NewCheck(grpEnable, "chkEnableAdvancedTC", "Enable Advanced TimeCode Control.");
    auto* EnableLayout = new QVBoxLayout(grpEnable);
    EnableLayout->addWidget(Note(grpEnable,
                                 "Activating this option will make it possible to have the  logging "
                                 "start and stop at specific timecodes."));
    EnableLayout->addWidget(chkEnableAdvancedTC);

    QGroupBox* grpSource = NewGroup(Page, "GroupBox21", "Timecode Source.");
    rdoInstrumentTime = new QRadioButton(QStringLiteral("Instrument Time."), grpSource);
    rdoInstrumentTime->setObjectName("rdoInstrumentTime");
    rdoLocalPCTime = new QRadioButton(QStringLiteral("Local Computer Time."), grpSource);
    rdoLocalPCTime->setObjectName("rdoLocalPCTime");
    auto* SourceLayout = new QVBoxLayout(grpSource);
    SourceLayout->addWidget(Note(grpSource,
                                 "If \"Instrument Time\" is selected, the timecode used is either the LTC, "
                                 "a free running timecode or the internal realtime clock selected on the "
                                 "instrument, otherwise the local computer time is used."));
    SourceLayout->addWidget(rdoInstrumentTime);
    SourceLayout->addWidget(rdoLocalPCTime);

    QGroupBox* grpRTC = NewGroup(Page, "GroupBox22", "Instrument RTC.");
    chkEnableSyncRTC = NewCheck(grpRTC, "chkEnableSyncRTC", "Synchronize instrument realtime clock.");
    auto* RTCLayout = new QVBoxLayout(grpRTC);
    RTCLayout->addWidget(Note(grpRTC,
                              "Activating this option will synchronize the instrument realtime clock with "
                              "the PC clock when connecting to the instrument."));
    RTCLayout->addWidget(chkEnableSyncRTC);

    auto* Layout = new QVBoxLayout(Page);
    Layout->addWidget(grpEnable);
    Layout->addWidget(grpSource);
    Layout->addWidget(grpRTC);
    Layout->addStretch(1);
    return Page;
}

QWidget* TfrmOptions::CreateDataSelectPage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlDataSelect");
    QGroupBox* grp = NewGroup(Page, "grpDataSelect", "Visible Data Fields.");
    chkListDataTypes = new QListWidget(grp);
    chkListDataTypes->setObjectName("chkListDataTypes");
    for (const char* sCaption : kDataListCaptions) {
        auto* Item = new QListWidgetItem(QString::fromLatin1(sCaption), chkListDataTypes);
        Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        Item->setCheckState(Qt::Unchecked);
    }
    chkListDataTypes->setFixedSize(220, 240);
    btnDefaultDataTypes = new QPushButton(QStringLiteral("Default"), grp);
    btnDefaultDataTypes->setObjectName("btnDefaultDataTypes");
    auto* GroupLayout = new QVBoxLayout(grp);
    GroupLayout->addWidget(chkListDataTypes);
    GroupLayout->addWidget(btnDefaultDataTypes, 0, Qt::AlignLeft);
    auto* Layout = new QVBoxLayout(Page);
    Layout->addWidget(grp, 0, Qt::AlignLeft);
    Layout->addStretch(1);
    connect(chkListDataTypes, &QListWidget::itemChanged, this, &TfrmOptions::chkListDataTypesClickCheck);
    connect(btnDefaultDataTypes, &QPushButton::clicked, this, &TfrmOptions::btnDefaultDataTypesClick);
    return Page;
}

QWidget* TfrmOptions::CreateCompliancePage() {
    auto* Page = new QWidget;
    Page->setObjectName("pnlCompliance");

    grpTargetDefault = NewGroup(Page, "grpTargetDefault", QString());
    lblTargetDefault = new QLabel(grpTargetDefault);
    cboDefaultStandard = new QComboBox(grpTargetDefault);
    cboDefaultStandard->setObjectName("cboDefaultStandard");
    cboDefaultStandard->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblTargetDefault->setBuddy(cboDefaultStandard);
    auto* DefaultLayout = new QVBoxLayout(grpTargetDefault);
    DefaultLayout->addWidget(lblTargetDefault);
    DefaultLayout->addWidget(cboDefaultStandard, 0, Qt::AlignLeft);

    grpTargetCustom = NewGroup(Page, "grpTargetCustom", QString());
    lblTargetCustomHint = new QLabel(grpTargetCustom);
    lblTargetCustomHint->setWordWrap(true);
    auto* Grid = new QGridLayout;
    const char* const aEditNames[kCustomFigureCount] = {"editCustomTarget", "editCustomTolerance",
                                                        "editCustomTruePeak"};
    for (int i = 0; i < kCustomFigureCount; ++i) {
        aCustomFigureLabels[i] = new QLabel(grpTargetCustom);
        aCustomFigureEdits[i] = NewEdit(grpTargetCustom, aEditNames[i], kLevelLength + 2);
        aCustomFigureUnits[i] = new QLabel(grpTargetCustom);
        aCustomFigureLabels[i]->setBuddy(aCustomFigureEdits[i]);
        Grid->addWidget(aCustomFigureLabels[i], i, 0);
        Grid->addWidget(aCustomFigureEdits[i], i, 1);
        Grid->addWidget(aCustomFigureUnits[i], i, 2);
        connect(aCustomFigureEdits[i], &QLineEdit::textEdited, this, &TfrmOptions::ShowTypedCustomFigures);
    }
    Grid->setColumnStretch(3, 1);
    chkCustomRequireTruePeak = NewCheck(grpTargetCustom, "chkCustomRequireTruePeak", QString());
    auto* CustomLayout = new QVBoxLayout(grpTargetCustom);
    CustomLayout->addWidget(lblTargetCustomHint);
    CustomLayout->addLayout(Grid);
    CustomLayout->addWidget(chkCustomRequireTruePeak);

    auto* Layout = new QVBoxLayout(Page);
    Layout->addWidget(grpTargetDefault);
    Layout->addWidget(grpTargetCustom);
    Layout->addStretch(1);
    return Page;
}

void TfrmOptions::ShowCompliance(const TComplianceOptions& rOptions, int iLNG) {
    iComplianceLNG = iLNG;
    const auto T = [iLNG](int iEntry) { return GetText(iEntry, iLNG); };
    nodeCompliance->setText(0, T(kTxtTargetsNode));
    grpTargetDefault->setTitle(T(kTxtTargetDefaultGroup));
    lblTargetDefault->setText(T(kTxtTargetDefaultLabel));
    grpTargetCustom->setTitle(T(kTxtTargetCustomGroup));
    lblTargetCustomHint->setText(T(kTxtTargetCustomHint));
    const int aLabels[kCustomFigureCount] = {kTxtTargetLoudnessLabel, kTxtTargetToleranceLabel,
                                             kTxtTargetTruePeakLabel};
    const int aUnits[kCustomFigureCount] = {kTxtUnitLUFS, kTxtUnitLU, kTxtUnitDBTP};
    for (int i = 0; i < kCustomFigureCount; ++i) {
        aCustomFigureLabels[i]->setText(T(aLabels[i]));
        aCustomFigureUnits[i]->setText(T(aUnits[i]));
    }
    chkCustomRequireTruePeak->setText(T(kTxtTargetRequireTruePeak));

    const QString sDecimalPoint = QLocale().decimalPoint();
    cboDefaultStandard->clear();
    for (const TLoudnessStandard& r : OfferedStandards(rOptions))
        cboDefaultStandard->addItem(StandardCaption(r, iLNG, sDecimalPoint), int(r.eId));
    cboDefaultStandard->setCurrentIndex(cboDefaultStandard->findData(int(rOptions.eDefaultStandard)));
    const TLoudnessStandard& c = rOptions.rCustom;
    aCustomFigureEdits[kFigTargetLoudness]->setText(CustomFigureText(c.fTargetLoudness, sDecimalPoint));
    aCustomFigureEdits[kFigTolerance]->setText(CustomFigureText(c.fTolerance, sDecimalPoint));
    aCustomFigureEdits[kFigMaxTruePeak]->setText(CustomFigureText(c.fMaxTruePeak, sDecimalPoint));
    chkCustomRequireTruePeak->setChecked(c.bRequireTruePeak);
}

void TfrmOptions::ShowTypedCustomFigures() {
    std::array<QString, kCustomFigureCount> aTyped;
    for (int i = 0; i < kCustomFigureCount; ++i)
        aTyped[size_t(i)] = aCustomFigureEdits[i]->text();
    TLoudnessStandard rCustom{TStandardId::Custom};
    // Figures still being typed are told about at OK, not at every key.
    if (!CheckCustomFigures(aTyped, rCustom, iComplianceLNG,
                            [](const QString&, int, int) { return kMsgResultOK; }))
        return;
    const int iItem = cboDefaultStandard->findData(int(TStandardId::Custom));
    if (iItem >= 0)
        cboDefaultStandard->setItemText(iItem,
                                        StandardCaption(rCustom, iComplianceLNG, QLocale().decimalPoint()));
}

void TfrmOptions::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmOptions::FormShow() {
    chkDefaultSettings->setChecked(false);
    btnDefaultSettings->setEnabled(false);
    if (!FServices)
        return;
    const TSettings& r = FServices->Settings();

    rTempPDFOptions = r.rPDFOptions;
    const TPDFOptions& p = rTempPDFOptions;
    editPDFHeadline->setText(p.sHeadline);
    editPDFHeadline1->setText(p.sHeadline1);
    editPDFLogoPath->setText(p.sUserImage);
    chkPDFChartSessionInfo->setChecked(p.bChartSessionInfo);
    memoPDFUserInfo->setPlainText(p.slUserText.join(QLatin1Char('\n')));
    imgPDFOddColour->SetColor(p.clOddLines);
    imgPDFEvenColor->SetColor(p.clEvenLines);
    imgPDFFontColourNormal->SetColor(p.FontNormal.Color);
    lblPDFFontNameNormal->setText(p.FontNormal.Name + " - " + QString::number(p.FontNormal.Size) + "px.");
    lblPDFFontNameNormal->setFont(FontOf(p.FontNormal, font()));

    const TCSVOptions& csv = r.rCSVOptions;
    editCSVSeparationChar->setText(csv.sCSVSeparationChar);
    editCSVDecimalSeparator->setText(csv.sCSVDecimalChar);
    chkCSVCR->setChecked(csv.bCSVCR);
    chkCSVLF->setChecked(csv.bCSVLF);
    chkCSVIncludeSessionInfo->setChecked(csv.bCSVSessionInfo);
    chkAskForSessionInfo->setChecked(r.bAskForSessionInfo);
    chkAllowSessionEdit->setChecked(r.bAllowSessionInfoEdit);
    chkReconnect->setChecked(r.rReconnect.bEnabled);
    chkReconnect->setText(GetText(kTxtReconnectAutomatically, r.iLNG));

    const TChartOptions& c = r.rChartOptions;
    chkAxisLeftAuto->setChecked(c.bLeftAxisAutoScale);
    chkAxisRightAuto->setChecked(c.bRightAxisAutoScale);
    chkSeriesPeakVisible->setChecked(c.bPeakEnabled);
    chkSeriesIntVisible->setChecked(c.bIntEnabled);
    chkSeriesSTMaxVisible->setChecked(c.bSTMaxEnabled);
    imgSeriesPeakLineColor->SetColor(c.clPeakColor);
    imgSeriesIntLineColor->SetColor(c.clIntColor);
    imgSeriesSTMaxLineColor->SetColor(c.clSTMaxColor);
    const std::pair<TCursorGroup*, int> aCursors[] = {{&rCursor1, 1}, {&rCursor2, 2}};
    for (const auto& [g, iCursor] : aCursors) {
        g->chkEnabled->setChecked(iCursor == 1 ? c.bCursor1Enable : c.bCursor2Enable);
        g->chkVisible->setChecked(iCursor == 1 ? c.bCursor1Visible : c.bCursor2Visible);
        g->imgLineColor->SetColor(iCursor == 1 ? c.clCursor1Color : c.clCursor2Color);
        g->editName->setText(iCursor == 1 ? c.sCursor1Name : c.sCursor2Name);
        g->chkPeakAxis->setChecked(iCursor == 1 ? c.bCursor1PeakAxis : c.bCursor2PeakAxis);
        g->chkPeakAxis->setText(GetText(kTxtCursorOnPeakAxis, r.iLNG));
    }
    TSettings rShown = r;
    for (int i = 0; i < kOptionsNumberCount; ++i)
        NumberEdit(TOptionsNumber(i))->setText(FormatLevel(NumberSetting(rShown, TOptionsNumber(i))));
    for (int i = 0; i < kOptionsLineWidthCount; ++i)
        LineWidthEdit(TOptionsLineWidth(i))
            ->setText(QString::number(LineWidthSetting(rShown, TOptionsLineWidth(i))));

    for (int i = 0; i < kTableColumns; ++i) {
        const TTableColorOptions& t = TableOptions(rShown, i);
        TTableColorGroup& g = aTableGroups[i];
        g.chkHigh->setChecked(t.rMax.bEnabled);
        g.imgHigh->SetColor(t.rMax.clColor);
        g.chkDefault->setChecked(t.rDefault.bEnabled);
        g.imgDefault->SetColor(t.rDefault.clColor);
        g.chkLow->setChecked(t.rMin.bEnabled);
        g.imgLow->SetColor(t.rMin.clColor);
    }
    ApplyEnablingRules();

    (r.iTimesource != 0 ? rdoLocalPCTime : rdoInstrumentTime)->setChecked(true);
    chkEnableAdvancedTC->setChecked(r.TCCtrl.OptionEnabled);
    chkEnableSyncRTC->setChecked(r.TCCtrl.SyncRTC);
    ShowDataList(DataListOf(r.DataOptions));
    cboLanguage->setCurrentIndex(r.iLNG == kLanguageDanish ? kLanguageDanish : kLanguageEnglish);
    ShowCompliance(r.rComplianceOptions, r.iLNG);
}

QLineEdit* TfrmOptions::NumberEdit(TOptionsNumber eNumber) const {
    QLineEdit* const aEdits[kOptionsNumberCount] = {
        editAxisLeftMin,          editAxisLeftMax,         editAxisRightMin,         editAxisRightMax,
        rCursor1.editLevel,       rCursor2.editLevel,      aTableGroups[0].editHigh, aTableGroups[0].editLow,
        aTableGroups[1].editHigh, aTableGroups[1].editLow, aTableGroups[2].editHigh, aTableGroups[2].editLow,
        aTableGroups[3].editHigh, aTableGroups[3].editLow,
    };
    return aEdits[eNumber];
}

QLineEdit* TfrmOptions::LineWidthEdit(TOptionsLineWidth eWidth) const {
    QLineEdit* const aEdits[kOptionsLineWidthCount] = {rCursor1.editLineWidth, rCursor2.editLineWidth,
                                                       editSeriesPeakLineWidth, editSeriesIntLineWidth,
                                                       editSeriesSTMaxLineWidth};
    return aEdits[eWidth];
}

void TfrmOptions::ApplyEnablingRules() {
    const bool bLeftManual = !chkAxisLeftAuto->isChecked();
    SetEnabled({editAxisLeftMax, editAxisLeftMin, lblAxisLeftMax, lblAxisLeftMin}, bLeftManual);
    const bool bRightManual = !chkAxisRightAuto->isChecked();
    SetEnabled({editAxisRightMax, editAxisRightMin, lblAxisRightMax, lblAxisRightMin}, bRightManual);

    const bool bPeak = chkSeriesPeakVisible->isChecked();
    SetEnabled({editSeriesPeakLineWidth, aSeriesPeakLabels[0], aSeriesPeakLabels[1]}, bPeak);
    EnableSwatch(imgSeriesPeakLineColor, bPeak);
    const bool bInt = chkSeriesIntVisible->isChecked();
    SetEnabled({editSeriesIntLineWidth, aSeriesIntLabels[0], aSeriesIntLabels[1]}, bInt);
    EnableSwatch(imgSeriesIntLineColor, bInt);

    for (TCursorGroup* g : {&rCursor1, &rCursor2}) {
        const bool bEnabled = g->chkEnabled->isChecked();
        SetEnabled({g->chkVisible, g->chkPeakAxis, g->editName, g->editLevel, g->editLineWidth, g->aLabels[0],
                    g->aLabels[1], g->aLabels[2], g->aLabels[3]},
                   bEnabled);
        EnableSwatch(g->imgLineColor, bEnabled);
    }

    for (TTableColorGroup& g : aTableGroups) {
        const bool bHigh = g.chkHigh->isChecked();
        SetEnabled({g.editHigh, g.lblHighUnit, g.lblHighColour}, bHigh);
        EnableSwatch(g.imgHigh, bHigh);
        const bool bDefault = g.chkDefault->isChecked();
        g.lblDefaultColour->setEnabled(bDefault);
        EnableSwatch(g.imgDefault, bDefault);
        const bool bLow = g.chkLow->isChecked();
        SetEnabled({g.editLow, g.lblLowUnit, g.lblLowColour}, bLow);
        EnableSwatch(g.imgLow, bLow);
    }
}

void TfrmOptions::SetMainGUI(int iState) {
    // The later states leave the dialog as the last of these three did.
    if (iState != kGUINoInstrument && iState != kGUIConnecting && iState != kGUIConnected)
        return;
    iMainGUIState = iState;
    if (!ControlsBuilt())
        return;
    switch (iState) {
    case kGUINoInstrument:
        SetEnabled({grpDefaultSettings, chkDefaultSettings}, true);
        // The button still waits for its check box, also when a connection ends while the dialog is open.
        btnDefaultSettings->setEnabled(chkDefaultSettings->isChecked());
        break;
    case kGUIConnecting:
        SetEnabled({grpDefaultSettings, chkDefaultSettings, btnDefaultSettings}, false);
        break;
    case kGUIConnected:
        SetEnabled({grpDefaultSettings, btnDefaultSettings}, false);
        break;
    default:
        break;
    }
}

QWidget* TfrmOptions::ActivePage() const {
    for (QWidget* Page : aPages) {
        if (!Page->isHidden())
            return Page;
    }
    return nullptr;
}

void TfrmOptions::ShowPage(QWidget* Page) {
    for (QWidget* p : aPages)
        p->setVisible(p == Page);
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == treeOptions->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            treeOptionsMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::MouseButtonRelease)
            treeOptionsClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::treeOptionsMouseDown(const QPoint& Pos) {
    SelectedNode = treeOptions->itemAt(Pos);
}

void TfrmOptions::treeOptionsClick() {
    if (!SelectedNode)
        return;
    for (const auto& [Node, Page] : aNodePages) {
        if (Node == SelectedNode) {
            ShowPage(Page);
            return;
        }
    }
}

void TfrmOptions::SwatchClick(TColorSwatch* Swatch) {
    ColorDialog->setCurrentColor(ColorValueToQColor(Swatch->Color()));
    if (ColorDialog->exec() != QDialog::Accepted)
        return;
    const TColorValue clNew = QColorToColorValue(ColorDialog->selectedColor());
    Swatch->SetColor(clNew);
    if (Swatch == imgPDFOddColour)
        rTempPDFOptions.clOddLines = clNew;
    else if (Swatch == imgPDFEvenColor)
        rTempPDFOptions.clEvenLines = clNew;
    else if (Swatch == imgPDFFontColourNormal)
        rTempPDFOptions.FontNormal.Color = clNew;
}

QFileDialog* TfrmOptions::PictureDialog() {
    if (!FPictureDialog) {
        FPictureDialog = new QFileDialog(this);
        FPictureDialog->setObjectName("PictureDialog");
        FPictureDialog->setOption(QFileDialog::DontUseNativeDialog);
        FPictureDialog->setFileMode(QFileDialog::ExistingFile);
        FPictureDialog->setAcceptMode(QFileDialog::AcceptOpen);
        FPictureDialog->setNameFilter(QString::fromLatin1(kPictureFilter));
    }
    return FPictureDialog;
}

void TfrmOptions::btnPDFLogoClick() {
    QFileDialog* Dialog = PictureDialog();
    if (Dialog->exec() != QDialog::Accepted || Dialog->selectedFiles().isEmpty())
        return;
    editPDFLogoPath->setText(Dialog->selectedFiles().constFirst());
}

TDataList TfrmOptions::DataListShown() const {
    TDataList a{};
    for (int i = 0; i < kDataListItems; ++i)
        a[size_t(i)] = chkListDataTypes->item(i)->checkState() == Qt::Checked;
    return a;
}

void TfrmOptions::ShowDataList(const TDataList& aList) {
    bFillingDataList = true;
    for (int i = 0; i < kDataListItems; ++i)
        chkListDataTypes->item(i)->setCheckState(aList[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    bFillingDataList = false;
}

void TfrmOptions::chkListDataTypesClickCheck(QListWidgetItem* Item) {
    if (bFillingDataList)
        return;
    TDataList aList = DataListShown();
    DataListItemClicked(aList, chkListDataTypes->row(Item));
    ShowDataList(aList);
}

void TfrmOptions::btnDefaultDataTypesClick() {
    ShowDataList(DefaultDataList());
}

TOptionsTyped TfrmOptions::Typed() const {
    TOptionsTyped r{FServices->Settings(), {}, {}, {}};
    for (int i = 0; i < kOptionsNumberCount; ++i)
        r.aNumbers[size_t(i)] = NumberEdit(TOptionsNumber(i))->text();
    for (int i = 0; i < kOptionsLineWidthCount; ++i)
        r.aLineWidths[size_t(i)] = LineWidthEdit(TOptionsLineWidth(i))->text();

    TSettings& s = r.rSettings;
    TChartOptions& c = s.rChartOptions;
    c.bLeftAxisAutoScale = chkAxisLeftAuto->isChecked();
    c.bRightAxisAutoScale = chkAxisRightAuto->isChecked();
    c.bPeakEnabled = chkSeriesPeakVisible->isChecked();
    c.bIntEnabled = chkSeriesIntVisible->isChecked();
    c.bSTMaxEnabled = chkSeriesSTMaxVisible->isChecked();
    c.clPeakColor = imgSeriesPeakLineColor->Color();
    c.clIntColor = imgSeriesIntLineColor->Color();
    c.clSTMaxColor = imgSeriesSTMaxLineColor->Color();
    c.bCursor1Enable = rCursor1.chkEnabled->isChecked();
    c.bCursor1Visible = rCursor1.chkVisible->isChecked();
    c.clCursor1Color = rCursor1.imgLineColor->Color();
    c.sCursor1Name = rCursor1.editName->text();
    c.bCursor1PeakAxis = rCursor1.chkPeakAxis->isChecked();
    c.bCursor2Enable = rCursor2.chkEnabled->isChecked();
    c.bCursor2Visible = rCursor2.chkVisible->isChecked();
    c.clCursor2Color = rCursor2.imgLineColor->Color();
    c.sCursor2Name = rCursor2.editName->text();
    c.bCursor2PeakAxis = rCursor2.chkPeakAxis->isChecked();

    TPDFOptions& p = s.rPDFOptions;
    p.sHeadline = editPDFHeadline->text();
    p.sHeadline1 = editPDFHeadline1->text();
    p.sUserImage = editPDFLogoPath->text();
    p.slUserText = MemoLines(memoPDFUserInfo->toPlainText());
    p.clEvenLines = imgPDFEvenColor->Color();
    p.clOddLines = imgPDFOddColour->Color();
    p.FontNormal = rTempPDFOptions.FontNormal;
    p.bChartSessionInfo = chkPDFChartSessionInfo->isChecked();

    s.rCSVOptions = {editCSVSeparationChar->text(), editCSVDecimalSeparator->text(), chkCSVLF->isChecked(),
                     chkCSVCR->isChecked(), chkCSVIncludeSessionInfo->isChecked()};

    for (int i = 0; i < kTableColumns; ++i) {
        const TTableColorGroup& g = aTableGroups[i];
        TTableColorOptions& t = TableOptions(s, i);
        t.rMax.bEnabled = g.chkHigh->isChecked();
        t.rMax.clColor = g.imgHigh->Color();
        t.rDefault.bEnabled = g.chkDefault->isChecked();
        t.rDefault.clColor = g.imgDefault->Color();
        t.rMin.bEnabled = g.chkLow->isChecked();
        t.rMin.clColor = g.imgLow->Color();
    }

    s.iLNG = cboLanguage->currentIndex() == kLanguageDanish ? kLanguageDanish : kLanguageEnglish;
    s.bAskForSessionInfo = chkAskForSessionInfo->isChecked();
    s.bAllowSessionInfoEdit = chkAllowSessionEdit->isChecked();
    s.rReconnect.bEnabled = chkReconnect->isChecked();
    s.TCCtrl.OptionEnabled = chkEnableAdvancedTC->isChecked();
    s.TCCtrl.SyncRTC = chkEnableSyncRTC->isChecked();
    s.iTimesource = rdoInstrumentTime->isChecked() ? 0 : 1;
    s.DataOptions = DataOptionsOf(DataListShown());

    TComplianceOptions& rCompliance = s.rComplianceOptions;
    // The stored default stays when the list holds no choice.
    if (cboDefaultStandard->currentIndex() >= 0)
        StandardIdFromNumber(cboDefaultStandard->currentData().toInt(), rCompliance.eDefaultStandard);
    rCompliance.rCustom.bRequireTruePeak = chkCustomRequireTruePeak->isChecked();
    for (int i = 0; i < kCustomFigureCount; ++i)
        r.aCustomFigures[size_t(i)] = aCustomFigureEdits[i]->text();
    return r;
}

void TfrmOptions::ShowCheckedNumbers(const TOptionsTyped& rTyped) {
    for (int i = 0; i < kOptionsNumberCount; ++i)
        NumberEdit(TOptionsNumber(i))->setText(rTyped.aNumbers[size_t(i)]);
}

void TfrmOptions::btnOKClick() {
    if (!FServices)
        return;
    TOptionsTyped rTyped = Typed();
    const bool bApplied =
        ApplyOptions(rTyped, FServices->Settings(), [this](const QString& sText, int iKind, int iButtons) {
            return FServices->ShowMessageBox(sText, iKind, iButtons);
        });
    ShowCheckedNumbers(rTyped);
    if (!bApplied)
        return;
    FServices->NotifySettingsChanged();
    accept();
}

void TfrmOptions::btnDefaultSettingsClick() {
    if (!FServices)
        return;
    if (FServices->ShowMessageBox(GetText(kTxtRestoreDefaultSettings, FServices->Settings().iLNG),
                                  kMsgConfirmation, kMsgBtnYes | kMsgBtnNo) != kMsgResultYes)
        return;
    // A file that is not there holds no settings either: the defaults are read all the same.
    const QString sINI = FServices->SettingsFile();
    if (QFile::exists(sINI) && !QFile::remove(sINI))
        return;
    FServices->ReloadSettings();
    accept();
}
