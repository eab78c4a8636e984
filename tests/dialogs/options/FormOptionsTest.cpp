#include "dialogs/FormOptions.h"
#include "core/SettingsFile.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The program's services around the dialog: its settings file, its message box, and counters for the
// announcements the dialog makes.
class TOptionsServices : public qxtest::TMessageBoxServices {
public:
    using TMessageBoxServices::TMessageBoxServices;
    QString SettingsFile() const override { return sINI; }
    void NotifySettingsChanged() override { ++iSettingsChanged; }
    void ReloadSettings() override { ++iDefaultsRead; }

    QString sINI;
    int iSettingsChanged = 0;
    int iDefaultsRead = 0;
};

// A left click as the user makes it: pressed and released at Pos of Target.
void Click(QWidget* Target, const QPoint& Pos) {
    const QPointF Local(Pos);
    const QPointF Global(Target->mapToGlobal(Pos));
    QMouseEvent Press(QEvent::MouseButtonPress, Local, Global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(Target, &Press);
    QMouseEvent Release(QEvent::MouseButtonRelease, Local, Global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(Target, &Release);
}

void Type(QLineEdit* Edit, const QString& sText) {
    Edit->setText(sText);
}

// The dialog as the program creates it, with the main window's settings, a settings file, a message box
// answered here, and counters for what the main window is told.
class FormOptionsTest : public ::testing::Test {
protected:
    FormOptionsTest() : MessageBox(Settings.iLNG, &Owner), frmOptions(&Owner) {
        MessageBox.SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            return iAnswer;
        });
        sINI = Home.Path() + "/QXLogging.INI";
        Services.sINI = sINI;
        frmOptions.SetServices(Services);
        frmOptions.EnsureControls();
    }

    // Opens the dialog and runs fnDrive on it; fnDrive ends with OK or Cancel. True when the dialog closed.
    bool Open(const std::function<void()>& fnDrive) {
        return qxtest::DriveModal(
            frmOptions, [this] { frmOptions.exec(); }, fnDrive);
    }

    // Presses OK; when a message keeps the dialog open, the message is kept and Cancel closes it.
    void OKThenCancelIfStillOpen() {
        frmOptions.btnOK->click();
        bStayedOpen = frmOptions.isVisible();
        if (bStayedOpen)
            frmOptions.btnCancel->click();
    }

    QTreeWidgetItem* Node(const QString& sCaption) {
        const QList<QTreeWidgetItem*> Found =
            frmOptions.treeOptions->findItems(sCaption, Qt::MatchExactly | Qt::MatchRecursive);
        return Found.isEmpty() ? nullptr : Found.first();
    }

    void ClickNode(const QString& sCaption) {
        QTreeWidgetItem* Item = Node(sCaption);
        ASSERT_NE(Item, nullptr) << sCaption.toStdString();
        Click(frmOptions.treeOptions->viewport(), frmOptions.treeOptions->visualItemRect(Item).center());
    }

    std::vector<bool> DataListShown() const {
        std::vector<bool> a;
        for (int i = 0; i < frmOptions.chkListDataTypes->count(); ++i)
            a.push_back(frmOptions.chkListDataTypes->item(i)->checkState() == Qt::Checked);
        return a;
    }

    qxtest::TFreshConfigHome Home;
    TSettings Settings;
    QString sINI;
    QWidget Owner;
    TMessageBox MessageBox;
    TOptionsServices Services{Settings, MessageBox};
    TfrmOptions frmOptions;
    std::vector<QString> aMessages;
    int iAnswer = kMsgResultOK;
    int& iSettingsChanged = Services.iSettingsChanged;
    int& iDefaultsRead = Services.iDefaultsRead;
    bool bStayedOpen = false;
};

} // namespace

TEST_F(FormOptionsTest, TableLevelWithACommaIsStoredAndShownWithAPoint) {
    ASSERT_TRUE(Open([this] {
        Type(frmOptions.aTableGroups[TfrmOptions::kTablePeak].editHigh, "-6,5");
        OKThenCancelIfStillOpen();
    }));
    EXPECT_FALSE(bStayedOpen);
    EXPECT_TRUE(aMessages.empty());
    EXPECT_DOUBLE_EQ(Settings.rTablePeakColorOptions.rMax.fLevel, -6.5);
    EXPECT_EQ(frmOptions.aTableGroups[TfrmOptions::kTablePeak].editHigh->text(), "-6.5");
    EXPECT_EQ(iSettingsChanged, 1);
}

TEST_F(FormOptionsTest, LettersInADisabledTableRuleShowItsMessageAndKeepTheDialogOpen) {
    Settings.rTableSTMinColorOptions.rMin.bEnabled = false;
    ASSERT_TRUE(Open([this] {
        EXPECT_FALSE(frmOptions.aTableGroups[TfrmOptions::kTableSTMin].editLow->isEnabled());
        Type(frmOptions.aTableGroups[TfrmOptions::kTableSTMin].editLow, "abc");
        OKThenCancelIfStillOpen();
    }));
    EXPECT_TRUE(bStayedOpen);
    EXPECT_EQ(aMessages, (std::vector<QString>{
                             "Please enter a valid minimum value for the \"Shortterm Minimum Colour\"."}));
    EXPECT_EQ(Settings.rTableSTMinColorOptions.rMin.fLevel, TTableColorOptions().rMin.fLevel);
    EXPECT_EQ(iSettingsChanged, 0);
}

// The axis values checked before a bad line width stay applied, even when the user then cancels.
TEST_F(FormOptionsTest, BadCursorLineWidthKeepsTheAxisValuesTypedBeforeEvenAfterCancel) {
    for (const char* sWidth : {"0", "x"}) {
        SCOPED_TRACE(sWidth);
        Settings = TSettings();
        aMessages.clear();
        ASSERT_TRUE(Open([this, sWidth] {
            Type(frmOptions.editAxisLeftMin, "-55,5");
            Type(frmOptions.editAxisRightMax, "3");
            Type(frmOptions.rCursor1.editLineWidth, QString::fromLatin1(sWidth));
            OKThenCancelIfStillOpen();
        }));
        EXPECT_TRUE(bStayedOpen);
        EXPECT_EQ(aMessages,
                  (std::vector<QString>{"Please enter a valid line width between 1 and 9 for Cursor 1."}));
        EXPECT_DOUBLE_EQ(Settings.rChartOptions.fLeftAxisMin, -55.5);
        EXPECT_DOUBLE_EQ(Settings.rChartOptions.fRightAxisMax, 3.0);
        EXPECT_EQ(Settings.rChartOptions.iCursor1LineWidth, 1);
    }
    // The edit holds one character, so 10 can only be pasted in part; the check still refuses a wider value.
    EXPECT_EQ(frmOptions.rCursor1.editLineWidth->maxLength(), 1);
}

TEST_F(FormOptionsTest, ValuesAreShownWithOneDecimalInTheUsersRegion) {
    const QLocale Old;
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    Settings.rChartOptions.fCursor2 = -23.26;
    Settings.rTableIntColorOptions.rMax.fLevel = -22;
    ASSERT_TRUE(Open([this] {
        EXPECT_EQ(frmOptions.rCursor2.editLevel->text(), "-23,3");
        EXPECT_EQ(frmOptions.aTableGroups[TfrmOptions::kTableInt].editHigh->text(), "-22,0");
        frmOptions.btnOK->click();
    }));
    QLocale::setDefault(Old);
    EXPECT_TRUE(aMessages.empty());
    EXPECT_DOUBLE_EQ(Settings.rChartOptions.fCursor2, -23.3);
}

TEST_F(FormOptionsTest, DataListRulesAndDefault) {
    ASSERT_TRUE(Open([this] {
        QListWidget* List = frmOptions.chkListDataTypes;
        ASSERT_EQ(List->count(), 11);
        EXPECT_EQ(List->item(7)->text(), "Shortterm Max.");
        List->item(7)->setCheckState(Qt::Checked);
        EXPECT_EQ(DataListShown(), (std::vector<bool>{1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0}))
            << "Shortterm Max. unchecks Shortterm.";
        List->item(6)->setCheckState(Qt::Checked);
        List->item(5)->setCheckState(Qt::Checked);
        EXPECT_EQ(DataListShown(), (std::vector<bool>{1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 0}))
            << "Shortterm. unchecks both its minimum and maximum";
        List->item(1)->setCheckState(Qt::Checked);
        List->item(10)->setCheckState(Qt::Checked);
        List->item(3)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(DataListShown(), (std::vector<bool>{0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1}));
        frmOptions.btnOK->click();
    }));
    EXPECT_TRUE(Settings.DataOptions.bEnablePeakLevelMin);
    EXPECT_FALSE(Settings.DataOptions.bEnablePeakChannel);

    ASSERT_TRUE(Open([this] {
        EXPECT_EQ(DataListShown(), (std::vector<bool>{0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1})) << "shown as stored";
        frmOptions.btnDefaultDataTypes->click();
        EXPECT_EQ(DataListShown(), (std::vector<bool>{1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 0}));
        frmOptions.btnOK->click();
    }));
    EXPECT_EQ(DataListOf(Settings.DataOptions), DefaultDataList());
}

TEST_F(FormOptionsTest, CSVPageShowsTheStoredStateAndOKKeepsIt) {
    for (bool bStored : {false, true}) {
        SCOPED_TRACE(bStored);
        Settings.rCSVOptions = {"|", ".", false, true, bStored};
        ASSERT_TRUE(Open([this, bStored] {
            EXPECT_EQ(frmOptions.chkCSVIncludeSessionInfo->isChecked(), bStored);
            EXPECT_EQ(frmOptions.editCSVSeparationChar->text(), "|");
            frmOptions.btnOK->click();
        }));
        EXPECT_EQ(Settings.rCSVOptions, (TCSVOptions{"|", ".", false, true, bStored}));
    }
}

// The reconnect box shows the stored choice in the window's language, and OK keeps what it shows.
TEST_F(FormOptionsTest, ReconnectBoxShowsTheStoredChoiceAndOKKeepsIt) {
    for (const int iLNG : {kLanguageEnglish, kLanguageDanish}) {
        for (const bool bStored : {false, true}) {
            SCOPED_TRACE(testing::Message() << "language " << iLNG << ", stored " << bStored);
            Settings.iLNG = iLNG;
            Settings.rReconnect.bEnabled = bStored;
            ASSERT_TRUE(Open([this, bStored, iLNG] {
                EXPECT_EQ(frmOptions.chkReconnect->isChecked(), bStored);
                EXPECT_EQ(frmOptions.chkReconnect->text(), GetText(kTxtReconnectAutomatically, iLNG));
                frmOptions.chkReconnect->click();
                frmOptions.btnOK->click();
            }));
            EXPECT_EQ(Settings.rReconnect.bEnabled, !bStored);
        }
    }
    EXPECT_EQ(GetText(kTxtReconnectAutomatically, kLanguageEnglish), "Reconnect automatically");
}

TEST_F(FormOptionsTest, AClickedNodeShowsItsPageAndTheKeyboardDoesNot) {
    ASSERT_TRUE(Open([this] {
        EXPECT_EQ(frmOptions.ActivePage(), frmOptions.pnlDefault) << "the first time";
        const std::pair<const char*, QWidget*> aClicks[] = {
            {"Cursors.", frmOptions.pnlChartCursors},      {"Chart Options.", nullptr},
            {"CSV Files.", frmOptions.pnlCSVFile},         {"Advanced Options.", frmOptions.pnlAdvanced},
            {"Data Selection.", frmOptions.pnlDataSelect}, {"Table Colour Rules.", frmOptions.pnlTableColor},
        };
        for (const auto& [sNode, Page] : aClicks) {
            ClickNode(sNode);
            EXPECT_EQ(frmOptions.ActivePage(), Page) << sNode;
        }
        // A click on empty space and keys moving through the tree leave the page as it is.
        Click(frmOptions.treeOptions->viewport(),
              QPoint(5, frmOptions.treeOptions->viewport()->height() - 3));
        frmOptions.treeOptions->setFocus();
        qxtest::TypeKey(*frmOptions.treeOptions, Qt::Key_Down);
        qxtest::TypeKey(*frmOptions.treeOptions, Qt::Key_Down);
        EXPECT_EQ(frmOptions.ActivePage(), frmOptions.pnlTableColor);
        frmOptions.btnCancel->click();
    }));
    ASSERT_TRUE(Open([this] {
        EXPECT_EQ(frmOptions.ActivePage(), frmOptions.pnlTableColor) << "the page shown last time";
        frmOptions.btnCancel->click();
    }));
}

TEST_F(FormOptionsTest, EnablingRulesFollowTheirBoxes) {
    Settings.rChartOptions.bLeftAxisAutoScale = true;
    Settings.rChartOptions.bPeakEnabled = false;
    Settings.rChartOptions.bCursor2Enable = false;
    Settings.rTablePeakColorOptions.rMax.bEnabled = false;
    ASSERT_TRUE(Open([this] {
        TfrmOptions& f = frmOptions;
        const TTableColorGroup& g = f.aTableGroups[TfrmOptions::kTablePeak];
        struct TRule {
            const char* sName;
            QCheckBox* chk;
            QWidget* Governed;
            TColorSwatch* Swatch;
            bool bEnabledWhenChecked;
        };
        const TRule aRules[] = {
            {"left auto range", f.chkAxisLeftAuto, f.editAxisLeftMin, nullptr, false},
            {"peak series", f.chkSeriesPeakVisible, f.editSeriesPeakLineWidth, f.imgSeriesPeakLineColor,
             true},
            {"cursor 2", f.rCursor2.chkEnabled, f.rCursor2.editName, f.rCursor2.imgLineColor, true},
            {"cursor 2 visible box", f.rCursor2.chkEnabled, f.rCursor2.chkVisible, nullptr, true},
            {"cursor 2 peak axis box", f.rCursor2.chkEnabled, f.rCursor2.chkPeakAxis, nullptr, true},
            {"peak table high", g.chkHigh, g.editHigh, g.imgHigh, true},
        };
        for (const TRule& r : aRules) {
            SCOPED_TRACE(r.sName);
            for (int iClick = 0; iClick < 2; ++iClick) {
                const bool bOn = r.chk->isChecked() == r.bEnabledWhenChecked;
                EXPECT_EQ(r.Governed->isEnabled(), bOn);
                if (r.Swatch) {
                    EXPECT_EQ(r.Swatch->isHidden(), !bOn);
                    EXPECT_EQ(r.Swatch->parentWidget()->isEnabled(), bOn);
                }
                r.chk->click();
            }
        }
        EXPECT_FALSE(f.btnDefaultSettings->isEnabled()) << "until restoring is allowed";
        f.chkDefaultSettings->click();
        EXPECT_TRUE(f.btnDefaultSettings->isEnabled());
        f.btnCancel->click();
    }));
    ASSERT_TRUE(Open([this] {
        EXPECT_FALSE(frmOptions.chkDefaultSettings->isChecked()) << "unchecked at every show";
        EXPECT_FALSE(frmOptions.btnDefaultSettings->isEnabled());
        frmOptions.btnCancel->click();
    }));
}

// Whether a cursor's level is a peak level is shown from the settings and applied at OK.
TEST_F(FormOptionsTest, TheCursorsAxisChoiceIsShownAndApplied) {
    Settings.rChartOptions.bCursor1Enable = Settings.rChartOptions.bCursor2Enable = true;
    Settings.rChartOptions.bCursor1PeakAxis = true;
    Settings.rChartOptions.bCursor2PeakAxis = false;
    ASSERT_TRUE(Open([this] {
        EXPECT_TRUE(frmOptions.rCursor1.chkPeakAxis->isChecked());
        EXPECT_FALSE(frmOptions.rCursor2.chkPeakAxis->isChecked());
        EXPECT_EQ(frmOptions.rCursor2.chkPeakAxis->text(), "Level on the Peak Level axis (dBFS).");
        frmOptions.rCursor1.chkPeakAxis->click();
        frmOptions.rCursor2.chkPeakAxis->click();
        EXPECT_TRUE(Settings.rChartOptions.bCursor1PeakAxis) << "nothing applied before OK";
        frmOptions.btnOK->click();
    }));
    EXPECT_FALSE(Settings.rChartOptions.bCursor1PeakAxis);
    EXPECT_TRUE(Settings.rChartOptions.bCursor2PeakAxis);
}

TEST_F(FormOptionsTest, ChosenColoursApplyAtOKAndPDFColoursGoThroughTheWorkingCopy) {
    const auto ChooseColour = [this](TColorSwatch* Swatch, const QColor& Colour, bool bAccept) {
        EXPECT_TRUE(qxtest::DriveModal(
            *frmOptions.ColorDialog, [&] { Click(Swatch, QPoint(2, 2)); },
            [&] {
                frmOptions.ColorDialog->setCurrentColor(Colour);
                if (bAccept)
                    frmOptions.ColorDialog->accept();
                else
                    frmOptions.ColorDialog->reject();
            }));
    };
    Settings.rTableSTMaxColorOptions.rMin.bEnabled = true;
    ASSERT_TRUE(Open([&] {
        ChooseColour(frmOptions.aTableGroups[TfrmOptions::kTableSTMax].imgLow, QColor(0x12, 0x34, 0x56),
                     true);
        ChooseColour(frmOptions.imgSeriesIntLineColor, QColor(0x65, 0x43, 0x21), false);
        ChooseColour(frmOptions.imgPDFFontColourNormal, QColor(0, 0, 0xFF), true);
        EXPECT_EQ(frmOptions.rTempPDFOptions.FontNormal.Color, clBlue);
        EXPECT_EQ(Settings.rTableSTMaxColorOptions.rMin.clColor, TTableColorOptions().rMin.clColor)
            << "nothing applied before OK";
        frmOptions.btnOK->click();
    }));
    EXPECT_EQ(Settings.rTableSTMaxColorOptions.rMin.clColor, TColorValue(0x563412));
    EXPECT_EQ(Settings.rChartOptions.clIntColor, TChartOptions().clIntColor)
        << "the colour dialog was cancelled";
    EXPECT_EQ(Settings.rPDFOptions.FontNormal.Color, clBlue);
}

TEST_F(FormOptionsTest, LogoPickerPutsTheChosenPictureIntoThePath) {
    const QString sPicture = Home.Path() + "/logo.png";
    QFile File(sPicture);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.close();
    EXPECT_TRUE(frmOptions.PictureDialog()->nameFilters().first().contains("*.png"));
    EXPECT_TRUE(frmOptions.PictureDialog()->nameFilters().first().contains("*.jpg"));
    EXPECT_TRUE(frmOptions.PictureDialog()->nameFilters().first().contains("*.bmp"));
    ASSERT_TRUE(Open([&] {
        EXPECT_TRUE(qxtest::DriveModal(
            *frmOptions.PictureDialog(), [this] { frmOptions.btnPDFLogo->click(); },
            [&] {
                // The path typed into the dialog's file name box, as a user may.
                auto* FileName = frmOptions.PictureDialog()->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(FileName, nullptr);
                FileName->setText(sPicture);
                // Through QDialog, where accepting is public, as the dialog's own Open button does.
                static_cast<QDialog*>(frmOptions.PictureDialog())->accept();
            }));
        EXPECT_EQ(frmOptions.editPDFLogoPath->text(), sPicture);
        frmOptions.memoPDFUserInfo->setPlainText("Line 1\nLine 2\n");
        frmOptions.btnOK->click();
    }));
    EXPECT_EQ(Settings.rPDFOptions.sUserImage, sPicture);
    EXPECT_EQ(Settings.rPDFOptions.slUserText, (QStringList{"Line 1", "Line 2"}));
}

TEST_F(FormOptionsTest, RestoreDefaultSettingsAsksThenDeletesTheFileAndReadsTheDefaults) {
    QFile File(sINI);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write("[Global]\n");
    File.close();

    iAnswer = kMsgResultNo;
    ASSERT_TRUE(Open([this] {
        frmOptions.chkDefaultSettings->click();
        frmOptions.btnDefaultSettings->click();
        EXPECT_TRUE(frmOptions.isVisible()) << "No keeps the dialog";
        frmOptions.btnCancel->click();
    }));
    EXPECT_EQ(aMessages, (std::vector<QString>{"Are you sure you wish to restore all settings to default?"}));
    EXPECT_TRUE(QFile::exists(sINI));
    EXPECT_EQ(iDefaultsRead, 0);

    iAnswer = kMsgResultYes;
    ASSERT_TRUE(Open([this] {
        frmOptions.chkDefaultSettings->click();
        frmOptions.btnDefaultSettings->click();
    }));
    EXPECT_FALSE(QFile::exists(sINI));
    EXPECT_EQ(iDefaultsRead, 1);
    EXPECT_EQ(iSettingsChanged, 0);
}

TEST_F(FormOptionsTest, RestoringIsNotOfferedWhileAnInstrumentIsConnectingOrConnected) {
    struct TCase {
        int iState;
        bool bGroup;
        bool bCheck;
        bool bButton;
    };
    const TCase aCases[] = {{1, false, false, false}, {0, true, true, true}, {2, false, true, false}};
    frmOptions.chkDefaultSettings->setChecked(true);
    frmOptions.SetMainGUI(0);
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.iState);
        frmOptions.SetMainGUI(c.iState);
        EXPECT_EQ(frmOptions.grpDefaultSettings->isEnabled(), c.bGroup);
        EXPECT_EQ(frmOptions.chkDefaultSettings->testAttribute(Qt::WA_ForceDisabled), !c.bCheck);
        EXPECT_EQ(frmOptions.btnDefaultSettings->testAttribute(Qt::WA_ForceDisabled), !c.bButton);
    }
    // A connection that ends while restoring is not allowed leaves the button waiting for its box.
    frmOptions.chkDefaultSettings->setChecked(false);
    frmOptions.SetMainGUI(1);
    frmOptions.SetMainGUI(0);
    EXPECT_FALSE(frmOptions.btnDefaultSettings->isEnabled());
    EXPECT_TRUE(frmOptions.chkDefaultSettings->isEnabled());
}

// The targets page: the default chosen from the presets and Custom, each shown with its figures; the
// Custom figures typed with the region's decimal separator. OK keeps them in the settings, which the
// settings file gives back whole; the page speaks the interface language.
TEST_F(FormOptionsTest, TargetsPageStoresTheDefaultAndTheCustomFiguresThroughTheSettingsFile) {
    const QLocale Old;
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    Settings.iLNG = kLanguageDanish;
    Settings.rComplianceOptions.rCustom = {TStandardId::Custom, -14.25, 1.0, -1.0, true};
    QStringList slOffered;
    QStringList slFigures;
    QString sNode;
    QString sCustomAfterTyping;
    ASSERT_TRUE(Open([&] {
        sNode =
            frmOptions.treeOptions->topLevelItem(frmOptions.treeOptions->topLevelItemCount() - 1)->text(0);
        ClickNode(sNode);
        EXPECT_EQ(frmOptions.ActivePage(), frmOptions.pnlCompliance);
        QComboBox* List = frmOptions.cboDefaultStandard;
        for (int i = 0; i < List->count(); ++i)
            slOffered << List->itemText(i);
        EXPECT_EQ(List->currentIndex(), 0);
        for (QLineEdit* Edit : frmOptions.aCustomFigureEdits)
            slFigures << Edit->text();
        List->setCurrentIndex(5);
        frmOptions.aCustomFigureEdits[kFigTargetLoudness]->setText("-16,5");
        Q_EMIT frmOptions.aCustomFigureEdits[kFigTargetLoudness]->textEdited("-16,5");
        sCustomAfterTyping = List->itemText(5);
        frmOptions.aCustomFigureEdits[kFigMaxTruePeak]->setText("-2");
        frmOptions.chkCustomRequireTruePeak->setChecked(false);
        OKThenCancelIfStillOpen();
    }));
    QLocale::setDefault(Old);
    EXPECT_FALSE(bStayedOpen);
    EXPECT_TRUE(aMessages.empty());
    EXPECT_EQ(sNode, QString::fromUtf8("Lydstyrkemål."));
    ASSERT_EQ(slOffered.size(), 6);
    EXPECT_EQ(slOffered[0], QString::fromUtf8("EBU R128 (-23,0 LUFS ± 0,5 LU, maks. -1,0 dBTP)"));
    EXPECT_EQ(slOffered[2], QString::fromUtf8("ATSC A/85 (-24,0 LKFS ± 2,0 dB, maks. -2,0 dBTP)"));
    EXPECT_EQ(slOffered[5], QString::fromUtf8("Brugerdefineret (-14,3 LUFS ± 1,0 LU, maks. -1,0 dBTP)"));
    EXPECT_EQ(sCustomAfterTyping,
              QString::fromUtf8("Brugerdefineret (-16,5 LUFS ± 1,0 LU, maks. -1,0 dBTP)"));
    EXPECT_EQ(slFigures, (QStringList{"-14,25", "1,0", "-1,0"})) << "every decimal the figure has";
    const TComplianceOptions rExpected{TStandardId::Custom, {TStandardId::Custom, -16.5, 1.0, -2.0, false}};
    EXPECT_EQ(Settings.rComplianceOptions, rExpected);
    EXPECT_EQ(iSettingsChanged, 1);

    QString sError;
    ASSERT_TRUE(WriteIni(sINI, Settings, sError)) << sError.toStdString();
    TSettings rRead;
    ASSERT_TRUE(ReadIni(sINI, rRead));
    EXPECT_EQ(rRead.rComplianceOptions, rExpected);
}

// Figures outside their ranges are refused with a message naming the range, the dialog stays open and no
// target setting changes; Cancel after any change leaves the settings as they were.
TEST_F(FormOptionsTest, TargetFiguresOutOfRangeAreRefusedAndCancelKeepsTheTargets) {
    struct TCase {
        TCustomFigure eFigure;
        const char* sTyped;
        const char* sMessage;
    };
    const TCase aCases[] = {
        {kFigTargetLoudness, "3",
         "Please enter a target loudness from -70.0 to 0.0 LUFS for the Custom target."},
        {kFigTargetLoudness, "-70,1",
         "Please enter a target loudness from -70.0 to 0.0 LUFS for the Custom target."},
        {kFigTolerance, "12", "Please enter a tolerance from 0.0 to 10.0 LU for the Custom target."},
        {kFigMaxTruePeak, "minus one",
         "Please enter a maximum true peak from -30.0 to 0.0 dBTP for the Custom target."},
    };
    const TComplianceOptions rBefore = Settings.rComplianceOptions;
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sTyped);
        aMessages.clear();
        ASSERT_TRUE(Open([&] {
            frmOptions.cboDefaultStandard->setCurrentIndex(3);
            frmOptions.chkCustomRequireTruePeak->setChecked(false);
            frmOptions.aCustomFigureEdits[c.eFigure]->setText(QString::fromLatin1(c.sTyped));
            OKThenCancelIfStillOpen();
        }));
        EXPECT_TRUE(bStayedOpen);
        EXPECT_EQ(aMessages, (std::vector<QString>{QString::fromLatin1(c.sMessage)}));
        EXPECT_EQ(Settings.rComplianceOptions, rBefore);
    }
    aMessages.clear();
    ASSERT_TRUE(Open([&] {
        EXPECT_EQ(frmOptions.aCustomFigureEdits[kFigTolerance]->text(), "0.5") << "shown again as stored";
        frmOptions.cboDefaultStandard->setCurrentIndex(1);
        frmOptions.aCustomFigureEdits[kFigTolerance]->setText("2");
        frmOptions.btnCancel->click();
    }));
    EXPECT_TRUE(aMessages.empty());
    EXPECT_EQ(Settings.rComplianceOptions, rBefore);
    EXPECT_EQ(iSettingsChanged, 0);
}

// At the dialog's own size, in English and in Danish, the targets page shows every caption, label, list
// entry and edit whole inside the page.
TEST_F(FormOptionsTest, TargetsPageShowsEveryTextWholeInEitherLanguage) {
    Settings.rComplianceOptions.rCustom = {TStandardId::Custom, -16.0, 1.0, -1.0, true};
    for (const int iLNG : {kLanguageEnglish, kLanguageDanish}) {
        SCOPED_TRACE(iLNG);
        Settings.iLNG = iLNG;
        ASSERT_TRUE(Open([&] {
            QTreeWidgetItem* Node =
                frmOptions.treeOptions->topLevelItem(frmOptions.treeOptions->topLevelItemCount() - 1);
            const QString sNode = Node->text(0);
            EXPECT_EQ(sNode, GetText(kTxtTargetsNode, iLNG));
            EXPECT_LE(frmOptions.treeOptions->fontMetrics().horizontalAdvance(sNode) +
                          frmOptions.treeOptions->indentation(),
                      frmOptions.treeOptions->viewport()->width());
            ClickNode(sNode);
            QWidget* Page = frmOptions.pnlCompliance;
            ASSERT_EQ(frmOptions.ActivePage(), Page);
            QCoreApplication::processEvents();
            const QRect rPage = Page->rect();
            for (QWidget* w : Page->findChildren<QWidget*>()) {
                // A list's drop-down is a window of its own, shown only while open.
                if (!w->isVisibleTo(Page))
                    continue;
                const QRect rOnPage(w->mapTo(Page, QPoint(0, 0)), w->size());
                EXPECT_TRUE(rPage.contains(rOnPage))
                    << w->metaObject()->className() << " " << w->objectName().toStdString();
                EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
            }
            for (QLabel* Label : Page->findChildren<QLabel*>()) {
                if (Label->wordWrap()) {
                    EXPECT_GE(Label->height(), Label->heightForWidth(Label->width()));
                    continue;
                }
                EXPECT_LE(Label->fontMetrics().horizontalAdvance(Label->text()),
                          Label->contentsRect().width())
                    << Label->text().toStdString();
            }
            QCheckBox* Check = frmOptions.chkCustomRequireTruePeak;
            EXPECT_GE(Check->width(), Check->sizeHint().width());
            for (QGroupBox* Group : Page->findChildren<QGroupBox*>())
                EXPECT_LE(Group->fontMetrics().horizontalAdvance(Group->title()) + 16, Group->width());
            QComboBox* List = frmOptions.cboDefaultStandard;
            for (int i = 0; i < List->count(); ++i)
                EXPECT_LE(List->fontMetrics().horizontalAdvance(List->itemText(i)), List->width())
                    << List->itemText(i).toStdString();
            for (QLineEdit* Edit : frmOptions.aCustomFigureEdits)
                EXPECT_LE(Edit->fontMetrics().horizontalAdvance(Edit->text()), Edit->contentsRect().width());
            frmOptions.btnCancel->click();
        }));
    }
}
