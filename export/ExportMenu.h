#pragma once

#include "core/LongOperationHost.h"
#include "core/Settings.h"
#include "export/ExportSources.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// What the save dialog is asked: title, Qt name filters, default extension and the proposed name.
struct TSaveFileRequest {
    QString sTitle;
    QStringList slFilters;
    QString sDefaultSuffix;
    QString sProposedName;
};
// Returns the chosen file name, empty when the user cancelled.
using TAskSaveFileName = std::function<QString(const TSaveFileRequest&)>;
// Opens an exported file in the desktop's viewer.
using TOpenFile = std::function<void(const QString& sFileName)>;
// Writes an export, calling the pump about every 30 ms; false when it failed or the pump cancelled.
using TExportWriter = std::function<bool(const TProgressPump& fnPump)>;

// The Export button's popup of the Database tab and the two exports behind it: the CSV file and the PDF
// level report. Each asks for a file name, writes as a long operation of the host (wait window, no input),
// tells the user when the file could not be written, and ends the long operation in every case. A written
// report is opened in the desktop's viewer after a short pause, without blocking. An export the user
// cancels leaves no file (an earlier one of that name stays as it was) and says it was cancelled.
class TExportMenu : public QObject {
    Q_OBJECT
public:
    // pOwner owns the popup and the save dialog; rHost: the program's message box and long operations (the
    // part of the services the exports use).
    TExportMenu(QWidget* pOwner, const TSettings& rSettings, ILongOperationHost& rHost,
                const IExportSource& Source);

    // The pause before a written report is opened (about 3 seconds, so the wait window has gone).
    static constexpr int kOpenDelayMs = 3010;

    void UpdateGUIStrings();
    // Opens the popup just below pButton, right-aligned with it.
    void Popup(QWidget* pButton);

    void popExportPDFClick();
    void popExportCSVClick();

    // The steps every PDF export shares, for the chart tabs' documents: the save dialog proposing the
    // session's name (empty when the user cancelled), and the writing as a long operation that shows
    // sFailure as an error when fnWrite fails and opens the written file after the pause; a cancelled
    // document is neither opened nor reported as a failure. True when the file was written.
    QString AskPDFFileName(const TSessionInfo& rSession);
    bool WritePDF(const QString& sFileName, const QString& sFailure, const TExportWriter& fnWrite);

    // Replace the save dialog and the viewer (tests); the delay before opening may be shortened.
    void SetAskSaveFileName(TAskSaveFileName fn) { FAskSaveFileName = std::move(fn); }
    void SetOpenFile(TOpenFile fn, int iDelayMs = kOpenDelayMs) {
        FOpenFile = std::move(fn);
        FOpenDelayMs = iDelayMs;
    }

    QMenu* popExport = nullptr;
    QAction* popExportPDF = nullptr;
    QAction* popExportODS = nullptr;
    QAction* popExportCSV = nullptr;

private:
    QString T(int iEntry) const;
    QString AskFileName(int iFilterEntry, const QString& sSuffix, const TSessionInfo& rSession);
    // Runs fnWrite as a long operation showing entry iWaitEntry, with the host's pump; shows sFailure when
    // it fails and that the export was cancelled when the user cancelled it. True when it wrote the file.
    bool RunExport(int iWaitEntry, const QString& sFailure, const TExportWriter& fnWrite);
    // Entry 396 naming the file.
    QString CannotWriteText(const QString& sFileName) const;

    QWidget* FOwner;
    const TSettings& FSettings;
    ILongOperationHost& FHost;
    const IExportSource& FSource;
    TAskSaveFileName FAskSaveFileName;
    TOpenFile FOpenFile;
    int FOpenDelayMs = kOpenDelayMs;
};

// The text table's filter "Name (*.X)|*.X|All (*.*)|*.*" as Qt's name filters.
QStringList SaveDialogFilters(const QString& sFilter);
