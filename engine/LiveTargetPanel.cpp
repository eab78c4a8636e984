#include "engine/LiveTargetPanel.h"

#include "compliance/VerdictTexts.h"
#include "core/TextTable.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const QColor clPass(0x00, 0x80, 0x00);
const QColor clFail(0xFF, 0x00, 0x00);
const QColor clNotVerifiable(0xFF, 0x80, 0x40);

// The least width a cut text keeps: its first letters and the ellipsis.
constexpr int kLeastTextChars = 8;
constexpr int kLabelSpacing = 6;
// Between the loudness and the peak: a clear gap, since both are sentences.
constexpr int kLevelSpacing = 24;

} // namespace

QColor LiveVerdictColor(TVerdictKind eKind) {
    switch (eKind) {
    case TVerdictKind::Pass:
        return clPass;
    case TVerdictKind::Fail:
        return clFail;
    case TVerdictKind::NotVerifiable:
        break;
    }
    return clNotVerifiable;
}

TElidingLabel::TElidingLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void TElidingLabel::SetFullText(const QString& sText) {
    sFullText = sText;
    Elide();
    updateGeometry();
}

QSize TElidingLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().horizontalAdvance(sFullText) + m.left() + m.right(), QLabel::sizeHint().height()};
}

QSize TElidingLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * kLeastTextChars, QLabel::minimumSizeHint().height()};
}

void TElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void TElidingLabel::Elide() {
    const QString sShown = fontMetrics().elidedText(sFullText, Qt::ElideRight, contentsRect().width());
    setText(sShown);
    setToolTip(sShown == sFullText ? QString() : sFullText);
}

TLiveTargetPanel::TLiveTargetPanel(QWidget* parent) : QWidget(parent) {
    // Two lines: the target and the verdict so far, then the integrated loudness and the peak side by side.
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    lblTargetCaption = new QLabel(this);
    lblTarget = new TElidingLabel(this);
    lblSoFarCaption = new QLabel(this);
    lblVerdict = new QLabel(this);
    lblLoudness = new TElidingLabel(this);
    lblPeak = new TElidingLabel(this);
    QFont Bold = lblVerdict->font();
    Bold.setBold(true);
    for (QLabel* Label : {lblTargetCaption, lblSoFarCaption, lblVerdict})
        Label->setFont(Bold);
    auto* TargetLine = new QHBoxLayout;
    TargetLine->setSpacing(kLabelSpacing);
    TargetLine->addWidget(lblTargetCaption);
    TargetLine->addWidget(lblTarget, 1);
    TargetLine->addWidget(lblSoFarCaption);
    TargetLine->addWidget(lblVerdict);
    auto* LevelLine = new QHBoxLayout;
    LevelLine->setSpacing(kLevelSpacing);
    LevelLine->addWidget(lblLoudness, 1);
    LevelLine->addWidget(lblPeak, 1);
    Layout->addLayout(TargetLine);
    Layout->addLayout(LevelLine);
}

void TLiveTargetPanel::Show(const TLiveTargetTexts& r, int iLNG) {
    const bool bTarget = !r.sTarget.isEmpty();
    lblTargetCaption->setText(GetText(kTxtTargetLabel, iLNG));
    lblSoFarCaption->setText(bTarget ? GetText(kTxtLiveSoFarLabel, iLNG) : QString());
    lblTarget->SetFullText(r.sTarget);
    lblVerdict->setText(bTarget ? r.sVerdict : QString());
    QPalette Palette = lblVerdict->palette();
    Palette.setColor(QPalette::WindowText, LiveVerdictColor(r.eKind));
    lblVerdict->setPalette(Palette);
    lblLoudness->SetFullText(r.sLoudness);
    lblPeak->SetFullText(r.sPeak);
    setToolTip(r.sDetail);
}
