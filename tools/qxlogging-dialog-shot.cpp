// Renders the options dialog page by page, the about box, the splash window and the legal window as
// pictures for the documentation, each as the program shows it with the default settings.
//
// Usage: qxlogging-dialog-shot <folder>

#include "core/MainRecords.h"
#include "core/Settings.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormLegal.h"
#include "dialogs/FormOptions.h"
#include "dialogs/FormSplash.h"
#include "dialogs/VisualStyle.h"
#include "tests/support/RecordingServices.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

bool Save(QWidget* Window, const QString& sFile) {
    Settle();
    return Window->grab().save(sFile);
}

} // namespace

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    if (argc != 2) {
        fprintf(stderr, "Usage: qxlogging-dialog-shot <folder>\n");
        return 2;
    }
    const QString sFolder = QString::fromLocal8Bit(argv[1]);
    ApplyVisualStyle();
    bool bOk = true;

    // The defaults, with a few rules and a cursor switched on so that the pages show their controls at work.
    TSettings Settings;
    Settings.rTablePeakColorOptions.rMax.bEnabled = true;
    Settings.rTablePeakColorOptions.rDefault.bEnabled = true;
    Settings.rTableIntColorOptions.rMin.bEnabled = true;
    Settings.rChartOptions.bCursor1Enable = true;
    Settings.rChartOptions.bCursor1Visible = true;
    Settings.rChartOptions.fCursor1 = -23.0;
    Settings.rChartOptions.sCursor1Name = "Target -23 LUFS.";
    Settings.rChartOptions.bLeftAxisAutoScale = false;
    TfrmOptions frmOptions;
    // Services without a main window: the pictures need the settings only.
    qxtest::TRecordingServices Services(Settings);
    frmOptions.SetServices(Services);
    frmOptions.show();
    const std::pair<const char*, const char*> aPages[] = {
        {"Global Options.", "options-global"},
        {"Table Colour Rules.", "options-table-colours"},
        {"Loudness Graph.", "options-loudness-graph"},
        {"Peak Level Graph.", "options-peak-graph"},
        {"Cursors.", "options-cursors"},
        {"PDF Files.", "options-pdf"},
        {"CSV Files.", "options-csv"},
        {"Timecode Options.", "options-timecode"},
        {"Data Selection.", "options-data-selection"},
    };
    for (const auto& [sNode, sFile] : aPages) {
        QTreeWidgetItem* Item =
            frmOptions.treeOptions->findItems(sNode, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        if (!Item)
            return 1;
        frmOptions.treeOptions->setCurrentItem(Item);
        frmOptions.treeOptionsMouseDown(frmOptions.treeOptions->visualItemRect(Item).center());
        frmOptions.treeOptionsClick();
        bOk = Save(&frmOptions, sFolder + "/" + sFile + ".png") && bOk;
    }
    frmOptions.hide();

    TUDPInstrumentInfo rInstrument;
    rInstrument.sTypeName = "qxMeter Q5 Desk";
    rInstrument.iSerialNo = 12345;
    rInstrument.iSoftwarePackage = 14;
    rInstrument.iRunVerMajor = 2;
    rInstrument.iRunVerMinor = 5;
    rInstrument.iFPGAVersion = 7;
    rInstrument.bValid = true;
    TfrmAbout frmAbout;
    frmAbout.SetContext(&rInstrument);
    frmAbout.show();
    bOk = Save(&frmAbout, sFolder + "/about.png") && bOk;
    frmAbout.hide();

    TfrmLegalInfo frmLegalInfo;
    frmLegalInfo.show();
    bOk = Save(&frmLegalInfo, sFolder + "/legal.png") && bOk;
    frmLegalInfo.hide();

    // The splash as it stands on a desktop: its shape cut out of the picture, the progress under way.
    auto* frmSplash = new TfrmSplash;
    frmSplash->show();
    frmSplash->Timer1->stop();
    for (int i = 0; i < 30; ++i)
        frmSplash->Timer1Timer();
    Settle();
    QImage Desktop(frmSplash->size() + QSize(40, 40), QImage::Format_RGB32);
    Desktop.fill(QColor(0x5a, 0x6e, 0x84));
    {
        QPainter p(&Desktop);
        p.setClipRegion(frmSplash->mask().translated(20, 20));
        p.drawPixmap(20, 20, frmSplash->grab());
    }
    bOk = Desktop.save(sFolder + "/splash.png") && bOk;
    delete frmSplash;
    return bOk ? 0 : 1;
}
