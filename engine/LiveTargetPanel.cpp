#include "engine/LiveTargetPanel.h"

#include "compliance/VerdictTexts.h"
#include "core/TextTable.h"

#include <QGridLayout>

namespace {

const QColor clPass(0x00, 0x80, 0x00);
const QColor clFail(0xFF, 0x00, 0x00);
const QColor clNotVerifiable(0xFF, 0x80, 0x40);

// The least width a cut text keeps: its first letters and the ellipsis.
constexpr int kLeastTextChars = 8;

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
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void TElidingLabel::SetFullText(const QString& sText) {
    sFullText = sText;
    Elide();
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
    auto* Layout = new QGridLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setHorizontalSpacing(6);
    Layout->setVerticalSpacing(0);
    lblTargetCaption = new QLabel(this);
    lblTarget = new TElidingLabel(this);
    lblSoFarCaption = new QLabel(this);
    lblVerdict = new QLabel(this);
    lblLoudness = new TElidingLabel(this);
    lblPeak = new TElidingLabel(this);
    QFont Bold = lblVerdict->font();
    Bold.setBold(true);
    for (QLabel* Caption : {lblTargetCaption, lblSoFarCaption})
        Caption->setFont(Bold);
    lblVerdict->setFont(Bold);
    Layout->addWidget(lblTargetCaption, 0, 0, Qt::AlignRight);
    Layout->addWidget(lblTarget, 0, 1);
    Layout->addWidget(lblSoFarCaption, 0, 2, Qt::AlignRight);
    Layout->addWidget(lblVerdict, 0, 3);
    Layout->addWidget(lblLoudness, 1, 1, 1, 3);
    Layout->addWidget(lblPeak, 2, 1, 1, 3);
    Layout->setColumnStretch(1, 1);
}

void TLiveTargetPanel::Show(const TLiveTargetTexts& r, int iLNG) {
    const bool bTarget = !r.sTarget.isEmpty();
    lblTargetCaption->setText(GetText(kTxtLiveTargetLabel, iLNG));
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
