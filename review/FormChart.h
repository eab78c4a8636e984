#pragma once

#include <QDialog>

struct TWindowPlacement;

// The separate chart window: created once at start and kept for the whole run. It keeps its caption current
// and its place stored; no command shows it.
class TfrmChart : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChart(QWidget* parent = nullptr);

    // Entry 372 ("Chart") + " - " + sCaption in language iLNG.
    void UpdateCaption(int iLNG);
    // Position, size and maximized state as the settings hold them.
    void ApplyPlacement(const TWindowPlacement& rPlace);
    // While maximized only the flag changes, so the normal bounds stored earlier stay.
    void StorePlacement(TWindowPlacement& rPlace) const;

    QString sCaption;
};
