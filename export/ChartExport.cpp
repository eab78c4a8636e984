#include "export/ChartExport.h"

#include "core/TextTable.h"
#include "export/ChartPDF.h"
#include "export/ExportMenu.h"
#include "review/ChartTab.h"

namespace {

constexpr int kTagFullPage = 1;

} // namespace

void ChartExportPDF(TExportMenu& rExport, const TSettings& rSettings, TChartTab& Tab, int iTag) {
    TChartDocument Document;
    Document.aSnapshot = Tab.Snapshot();
    Document.slDataFilter = Tab.DataFilterTexts();
    Document.sTarget = Tab.Chart->TargetText();
    Document.sShownRange = Tab.ShownRangeText();
    Document.slGaps = Tab.GapsShownTexts();
    const QString sFileName = rExport.AskPDFFileName(ChartSessionInfo(Document.aSnapshot));
    if (sFileName.isEmpty())
        return;
    Document.rPDFOptions = rSettings.rPDFOptions;
    Document.iLNG = rSettings.iLNG;
    rExport.WritePDF(
        sFileName, GetText(kTxtFileAccessDenied, rSettings.iLNG), [&](const TProgressPump& fnPump) {
            Document.ChartPicture = Tab.PDFPicture(kChartPictureSize);
            return iTag == kTagFullPage ? CreateChartPDFFullPage(sFileName, Document, nullptr, fnPump)
                                        : CreateChartPDF(sFileName, Document, nullptr, fnPump);
        });
}
