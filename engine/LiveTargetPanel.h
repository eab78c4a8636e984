#pragma once

#include "engine/LiveTarget.h"

#include <QLabel>
#include <QWidget>

// A label that shows as much of its text as its width allows, ending in "…", with the whole text as its
// tooltip when it is cut: a long reason never widens the logging tab.
class TElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit TElidingLabel(QWidget* parent = nullptr);
    void SetFullText(const QString& sText);
    const QString& FullText() const { return sFullText; }
    // As wide as the whole text, and no less than a few letters.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString sFullText;
};

// The logging tab's strip with the running session against its target, in two lines: the target with its
// figures and the verdict so far (in words, coloured), then the integrated loudness against the target and
// the peak against its limit. Every reason of the verdict so far is the strip's tooltip.
class TLiveTargetPanel : public QWidget {
    Q_OBJECT
public:
    explicit TLiveTargetPanel(QWidget* parent = nullptr);

    // Shows rTexts with the labels of language iLNG; an empty target empties the strip.
    void Show(const TLiveTargetTexts& rTexts, int iLNG);

    QLabel* lblTargetCaption = nullptr;
    TElidingLabel* lblTarget = nullptr;
    QLabel* lblSoFarCaption = nullptr;
    QLabel* lblVerdict = nullptr;
    TElidingLabel* lblLoudness = nullptr;
    TElidingLabel* lblPeak = nullptr;
};

// The colour a verdict so far is shown in: green for a pass, red for a fail, orange when it cannot be
// proven.
QColor LiveVerdictColor(TVerdictKind eKind);
