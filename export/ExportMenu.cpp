#include "export/ExportMenu.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/OwnerDrawnMenu.h"
#include "export/CSVExport.h"
#include "export/LevelReport.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>
#include <QUrl>

namespace {

QString AskWithDialog(QWidget* pOwner, const TSaveFileRequest& r) {
    QFileDialog Dialog(pOwner, r.sTitle);
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setFileMode(QFileDialog::AnyFile);
    Dialog.setNameFilters(r.slFilters);
    Dialog.setDefaultSuffix(r.sDefaultSuffix);
    Dialog.selectFile(r.sProposedName);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return QString();
    return Dialog.selectedFiles().constFirst();
}

} // namespace

QStringList SaveDialogFilters(const QString& sFilter) {
    const QStringList slParts = sFilter.split(QChar('|'));
    QStringList sl;
    for (qsizetype i = 0; i + 1 < slParts.size(); i += 2)
        sl.append(slParts[i].contains(QChar('('))
                      ? slParts[i]
                      : slParts[i] + QStringLiteral(" (") + slParts[i + 1] + QChar(')'));
    return sl;
}

TExportMenu::TExportMenu(QWidget* pOwner, const TSettings& rSettings, ILongOperationHost& rHost,
                         const IExportSource& Source)
    : QObject(pOwner), FOwner(pOwner), FSettings(rSettings), FHost(rHost), FSource(Source) {
    popExport = new QMenu(pOwner);
    popExport->setObjectName(QStringLiteral("popExport"));
    SetOwnerDrawnMenu(popExport, kExportPopupExtraWidth);
    popExportPDF = popExport->addAction(QString());
    popExportPDF->setObjectName(QStringLiteral("popExportPDF"));
    popExportODS = popExport->addAction(QString());
    popExportODS->setObjectName(QStringLiteral("popExportODS"));
    popExportODS->setVisible(false);
    popExportODS->setEnabled(false);
    popExportCSV = popExport->addAction(QString());
    popExportCSV->setObjectName(QStringLiteral("popExportCSV"));
    connect(popExportPDF, &QAction::triggered, this, &TExportMenu::popExportPDFClick);
    connect(popExportCSV, &QAction::triggered, this, &TExportMenu::popExportCSVClick);
    FAskSaveFileName = [this](const TSaveFileRequest& r) { return AskWithDialog(FOwner, r); };
    FOpenFile = [](const QString& sFile) { QDesktopServices::openUrl(QUrl::fromLocalFile(sFile)); };
    UpdateGUIStrings();
}

QString TExportMenu::T(int iEntry) const {
    return GetText(iEntry, FSettings.iLNG);
}

void TExportMenu::UpdateGUIStrings() {
    popExportPDF->setText(T(kTxtExportToPDF));
    popExportODS->setText(T(kTxtExportToODS));
    popExportCSV->setText(T(kTxtExportToCSV));
}

void TExportMenu::Popup(QWidget* pButton) {
    const QSize Size = popExport->sizeHint();
    popExport->popup(pButton->mapToGlobal(QPoint(pButton->width() - Size.width(), pButton->height())));
}

QString TExportMenu::AskFileName(int iFilterEntry, const QString& sSuffix, const TSessionInfo& rSession) {
    return FAskSaveFileName(
        {T(kTxtSelectFileName), SaveDialogFilters(T(iFilterEntry)), sSuffix, ExportFileBaseName(rSession)});
}

bool TExportMenu::RunExport(int iWaitEntry, const QString& sFailure, const TExportWriter& fnWrite) {
    bool bWritten = false;
    bool bCancelled = false;
    {
        TLongOperation Operation(FHost, iWaitEntry);
        bWritten = fnWrite(Operation.Pump());
        bCancelled = Operation.Cancelled();
    }
    // A writer that finished before it saw the cancel has written its file: that is what the user has.
    if (bWritten)
        return true;
    if (bCancelled)
        FHost.ShowMessageBox(T(kTxtExportCancelled), kMsgInformation, kMsgBtnOK);
    else
        FHost.ShowMessageBox(sFailure, kMsgError, kMsgBtnOK);
    return false;
}

QString TExportMenu::CannotWriteText(const QString& sFileName) const {
    return FormatText(T(kTxtCannotWriteFile), {sFileName});
}

QString TExportMenu::AskPDFFileName(const TSessionInfo& rSession) {
    return AskFileName(kTxtPDFFilter, QStringLiteral("PDF"), rSession);
}

bool TExportMenu::WritePDF(const QString& sFileName, const QString& sFailure, const TExportWriter& fnWrite) {
    if (!RunExport(kTxtCreatingPDF, sFailure, fnWrite))
        return false;
    // The viewer opens once the wait window has gone; the window stays usable meanwhile.
    QTimer::singleShot(FOpenDelayMs, this, [this, sFileName] {
        if (FOpenFile)
            FOpenFile(sFileName);
    });
    return true;
}

void TExportMenu::popExportCSVClick() {
    const TSessionInfo rSession = FSource.ExportSession();
    const QString sFileName = AskFileName(kTxtCSVFilter, QStringLiteral("CSV"), rSession);
    if (sFileName.isEmpty())
        return;
    RunExport(kTxtCreatingCSV, CannotWriteText(sFileName), [&](const TProgressPump& fnPump) {
        return WriteCSVFile(sFileName, rSession, FSource.ExportTable(), FSource.ExportDataFilter(),
                            FSource.ExportVerdict(), FSettings.rCSVOptions, FSettings.iLNG, nullptr, fnPump,
                            FSource.ExportGaps());
    });
}

void TExportMenu::popExportPDFClick() {
    TLevelReport Report;
    Report.rSession = FSource.ExportSession();
    const QString sFileName = AskPDFFileName(Report.rSession);
    if (sFileName.isEmpty())
        return;
    Report.pTable = &FSource.ExportTable();
    Report.aStatistics = FSource.ExportStatistics();
    Report.slDataFilter = FSource.ExportDataFilter();
    Report.rVerdict = FSource.ExportVerdict();
    Report.aGaps = FSource.ExportGaps();
    Report.rPDFOptions = FSettings.rPDFOptions;
    Report.rTablePeakColorOptions = FSettings.rTablePeakColorOptions;
    Report.rTableSTMaxColorOptions = FSettings.rTableSTMaxColorOptions;
    Report.rTableSTMinColorOptions = FSettings.rTableSTMinColorOptions;
    Report.rTableIntColorOptions = FSettings.rTableIntColorOptions;
    Report.iLNG = FSettings.iLNG;
    WritePDF(sFileName, CannotWriteText(sFileName),
             [&](const TProgressPump& fnPump) { return CreateLevelReportPDF(sFileName, Report, fnPump); });
}
