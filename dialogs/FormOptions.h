#pragma once

#include "core/Settings.h"
#include "dialogs/DeferredDialog.h"
#include "dialogs/OptionsRules.h"

#include <functional>

class IAppServices;
class QCheckBox;
class QColorDialog;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// A colour swatch: a small picture painted in one colour. A click asks for another colour.
class TColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit TColorSwatch(QWidget* parent = nullptr);

    TColorValue Color() const { return clColor; }
    void SetColor(TColorValue clNew);

Q_SIGNALS:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColorValue clColor = clBlack;
};

// The controls of one column's colour rules on the table colour page.
struct TTableColorGroup {
    QGroupBox* grp = nullptr;
    QCheckBox* chkHigh = nullptr;
    QLineEdit* editHigh = nullptr;
    QLabel* lblHighUnit = nullptr;
    QLabel* lblHighColour = nullptr;
    TColorSwatch* imgHigh = nullptr;
    QCheckBox* chkDefault = nullptr;
    QLabel* lblDefaultColour = nullptr;
    TColorSwatch* imgDefault = nullptr;
    QCheckBox* chkLow = nullptr;
    QLineEdit* editLow = nullptr;
    QLabel* lblLowUnit = nullptr;
    QLabel* lblLowColour = nullptr;
    TColorSwatch* imgLow = nullptr;
};

// The controls of one chart cursor on the cursors page.
struct TCursorGroup {
    QGroupBox* grp = nullptr;
    QCheckBox* chkEnabled = nullptr;
    QCheckBox* chkVisible = nullptr;
    // The level is a peak level, drawn against the peak axis.
    QCheckBox* chkPeakAxis = nullptr;
    QLineEdit* editLineWidth = nullptr;
    TColorSwatch* imgLineColor = nullptr;
    QLineEdit* editLevel = nullptr;
    QLineEdit* editName = nullptr;
    QLabel* aLabels[4] = {};
};

// The options dialog: every setting a user may change, on pages chosen in a tree. It is created once and
// shown modally; OK checks what was typed and applies it to the main window's settings at once, Cancel
// leaves the rest, and the defaults can be restored while no instrument is connected. Its own texts are
// English whatever the interface language.
class TfrmOptions : public TDeferredDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);

    // The program's services: the settings the dialog edits, the settings file (deleted when the defaults
    // are restored), the message box, and the announcement that the settings have changed.
    void SetServices(IAppServices& rServices) { FServices = &rServices; }

    // The dialog's part of the main window's states: restoring the defaults is not offered while an
    // instrument is connecting (1) or connected (2), and is offered again with none (0).
    void SetMainGUI(int iState);

    // The page shown now, or none.
    QWidget* ActivePage() const;

    // Indexed by column: peak, short-term maximum, short-term minimum, integrating.
    enum TTableColumn : int { kTablePeak, kTableSTMax, kTableSTMin, kTableInt, kTableColumns };

    QTreeWidget* treeOptions = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    QWidget* pnlDefault = nullptr;
    QGroupBox* grpLanguage = nullptr;
    QComboBox* cboLanguage = nullptr;
    QCheckBox* chkAskForSessionInfo = nullptr;
    QCheckBox* chkAllowSessionEdit = nullptr;
    QCheckBox* chkReconnect = nullptr;
    QGroupBox* grpDefaultSettings = nullptr;
    QCheckBox* chkDefaultSettings = nullptr;
    QPushButton* btnDefaultSettings = nullptr;

    QWidget* pnlTableColor = nullptr;
    TTableColorGroup aTableGroups[kTableColumns];

    QWidget* pnlChartInt = nullptr;
    QCheckBox* chkAxisLeftAuto = nullptr;
    QLineEdit* editAxisLeftMax = nullptr;
    QLineEdit* editAxisLeftMin = nullptr;
    QLabel* lblAxisLeftMax = nullptr;
    QLabel* lblAxisLeftMin = nullptr;
    QCheckBox* chkSeriesIntVisible = nullptr;
    QLineEdit* editSeriesIntLineWidth = nullptr;
    TColorSwatch* imgSeriesIntLineColor = nullptr;
    QLabel* aSeriesIntLabels[2] = {};
    QCheckBox* chkSeriesSTMaxVisible = nullptr;
    QLineEdit* editSeriesSTMaxLineWidth = nullptr;
    TColorSwatch* imgSeriesSTMaxLineColor = nullptr;

    QWidget* pnlChartPeak = nullptr;
    QCheckBox* chkAxisRightAuto = nullptr;
    QLineEdit* editAxisRightMax = nullptr;
    QLineEdit* editAxisRightMin = nullptr;
    QLabel* lblAxisRightMax = nullptr;
    QLabel* lblAxisRightMin = nullptr;
    QCheckBox* chkSeriesPeakVisible = nullptr;
    QLineEdit* editSeriesPeakLineWidth = nullptr;
    TColorSwatch* imgSeriesPeakLineColor = nullptr;
    QLabel* aSeriesPeakLabels[2] = {};

    QWidget* pnlChartCursors = nullptr;
    TCursorGroup rCursor1;
    TCursorGroup rCursor2;

    QWidget* pnlPDF = nullptr;
    QLineEdit* editPDFHeadline = nullptr;
    QLineEdit* editPDFHeadline1 = nullptr;
    QLineEdit* editPDFLogoPath = nullptr;
    QPushButton* btnPDFLogo = nullptr;
    QPlainTextEdit* memoPDFUserInfo = nullptr;
    TColorSwatch* imgPDFOddColour = nullptr;
    TColorSwatch* imgPDFEvenColor = nullptr;
    QLabel* lblPDFFontNameNormal = nullptr;
    TColorSwatch* imgPDFFontColourNormal = nullptr;
    QCheckBox* chkPDFChartSessionInfo = nullptr;

    QWidget* pnlCSVFile = nullptr;
    QLineEdit* editCSVSeparationChar = nullptr;
    QLineEdit* editCSVDecimalSeparator = nullptr;
    QCheckBox* chkCSVCR = nullptr;
    QCheckBox* chkCSVLF = nullptr;
    QCheckBox* chkCSVIncludeSessionInfo = nullptr;

    QWidget* pnlTC = nullptr;
    QCheckBox* chkEnableAdvancedTC = nullptr;
    QRadioButton* rdoInstrumentTime = nullptr;
    QRadioButton* rdoLocalPCTime = nullptr;
    QCheckBox* chkEnableSyncRTC = nullptr;

    // The delivery targets: the program-wide default and the Custom target's figures. Unlike the other
    // pages its texts follow the interface language.
    QWidget* pnlCompliance = nullptr;
    QGroupBox* grpTargetDefault = nullptr;
    QLabel* lblTargetDefault = nullptr;
    QComboBox* cboDefaultStandard = nullptr;
    QGroupBox* grpTargetCustom = nullptr;
    QLabel* lblTargetCustomHint = nullptr;
    QLineEdit* aCustomFigureEdits[kCustomFigureCount] = {};
    QLabel* aCustomFigureLabels[kCustomFigureCount] = {};
    QLabel* aCustomFigureUnits[kCustomFigureCount] = {};
    QCheckBox* chkCustomRequireTruePeak = nullptr;

    QWidget* pnlAdvanced = nullptr;
    QWidget* pnlDataSelect = nullptr;
    QListWidget* chkListDataTypes = nullptr;
    QPushButton* btnDefaultDataTypes = nullptr;

    // The colour dialog the swatches open.
    QColorDialog* ColorDialog = nullptr;
    // The picture dialog of the logo, made at its first use: a file dialog reads its folder as soon as it
    // exists, which must not slow the program's start.
    QFileDialog* PictureDialog();

    // The working copy of the PDF options, taken at each show; the PDF swatches change it.
    TPDFOptions rTempPDFOptions;

    void btnOKClick();
    void btnDefaultSettingsClick();
    void btnDefaultDataTypesClick();
    void btnPDFLogoClick();
    // The tree node under the mouse at the last press in the tree (none over empty space) and the click
    // that shows its page.
    void treeOptionsMouseDown(const QPoint& Pos);
    void treeOptionsClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls() override;
    void CreatePages();
    QWidget* CreateDefaultPage();
    QWidget* CreateTableColorPage();
    QWidget* CreateChartIntPage();
    QWidget* CreateChartPeakPage();
    QWidget* CreateCursorsPage();
    QWidget* CreatePDFPage();
    QWidget* CreateCSVPage();
    QWidget* CreateTCPage();
    QWidget* CreateDataSelectPage();
    QWidget* CreateCompliancePage();
    // The compliance page's texts in language iLNG and its controls filled from rOptions.
    void ShowCompliance(const TComplianceOptions& rOptions, int iLNG);
    // The Custom entry of the default list shows the figures typed, once they check.
    void ShowTypedCustomFigures();
    void CreateTree();
    QGroupBox* CreateTableColorGroup(TTableColorGroup& g, const QString& sKey, const QString& sCaption,
                                     const QString& sUnit);
    QGroupBox* CreateCursorGroup(TCursorGroup& g, const QString& sCaption, int iCursor);
    TColorSwatch* NewSwatch(QWidget* parent, const QString& sName);

    void FormShow();
    void ShowPage(QWidget* Page);
    // The enabling rules of the axes, series, cursors and table rules.
    void ApplyEnablingRules();
    void SwatchClick(TColorSwatch* Swatch);
    void chkListDataTypesClickCheck(QListWidgetItem* Item);
    TDataList DataListShown() const;
    void ShowDataList(const TDataList& aList);
    // The dialog's values as the controls hold them.
    TOptionsTyped Typed() const;
    // Shows the numbers as they stand after OK checked them.
    void ShowCheckedNumbers(const TOptionsTyped& rTyped);
    QLineEdit* NumberEdit(TOptionsNumber eNumber) const;
    QLineEdit* LineWidthEdit(TOptionsLineWidth eWidth) const;

    IAppServices* FServices = nullptr;
    QTreeWidgetItem* SelectedNode = nullptr;
    // Pages by tree node; a node without a page shows none.
    QList<QPair<QTreeWidgetItem*, QWidget*>> aNodePages;
    QList<QWidget*> aPages;
    QTreeWidgetItem* nodeCompliance = nullptr;
    // The language the compliance page was last filled in.
    int iComplianceLNG = 0;
    QFileDialog* FPictureDialog = nullptr;
    // Set while the data list is filled by the program rather than clicked.
    bool bFillingDataList = false;
    // The main window's last state, applied when the controls are built (0: no instrument).
    int iMainGUIState = 0;
};
