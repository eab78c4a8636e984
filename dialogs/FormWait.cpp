#include "dialogs/FormWait.h"

#include "core/ColorValue.h"
#include "core/Drawing.h"
#include "core/TextTable.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

// The turning circle at the panel's left: twelve spokes, the brightest one moving on each frame.
class TSpinner : public QWidget {
public:
    static constexpr int kSize = 48;
    static constexpr int kSpokes = 12;
    static constexpr int kFrameMs = 80;

    explicit TSpinner(QWidget* parent) : QWidget(parent) {
        setFixedSize(kSize, kSize);
        tmrFrame.setInterval(kFrameMs);
        connect(&tmrFrame, &QTimer::timeout, this, [this] {
            iFrame = (iFrame + 1) % kSpokes;
            update();
        });
    }

    void Start() { tmrFrame.start(); }
    void Stop() { tmrFrame.stop(); }
    bool IsRunning() const { return tmrFrame.isActive(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(width() / 2.0, height() / 2.0);
        const QColor clSpoke = ColorValueToQColor(clNavy);
        for (int i = 0; i < kSpokes; ++i) {
            QColor cl = clSpoke;
            // The spoke of the current frame is solid; those behind it fade out.
            cl.setAlphaF(1.0 - static_cast<double>((iFrame - i + kSpokes) % kSpokes) / kSpokes);
            p.setPen(QPen(cl, 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(0, -10), QPointF(0, -18));
            p.rotate(360.0 / kSpokes);
        }
    }

private:
    QTimer tmrFrame;
    int iFrame = 0;
};

namespace {

constexpr TColorValue kPanelColor = 0xF0F0F0;
constexpr int kPermilleRange = 1000;
constexpr int kProgressBarHeight = 10;
constexpr int kOpaque = 255;
// From this opacity on the next tick makes the window opaque.
constexpr int kNearlyOpaque = 250;

} // namespace

TfrmWait::TfrmWait(QWidget* parent) : QDialog(parent) {
    setObjectName("frmWait");
    setWindowTitle(QStringLiteral("Please wait"));
    // On top of every window, without a frame, never taking the focus from the window the user works in.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setModal(false);
    setFixedSize(kWidth, kHeight);

    pnlWait = new QFrame(this);
    pnlWait->setObjectName("pnlWait");
    pnlWait->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlWait->setLineWidth(1);
    pnlWait->setAutoFillBackground(true);
    QPalette Palette = pnlWait->palette();
    Palette.setColor(QPalette::Window, ColorValueToQColor(kPanelColor));
    pnlWait->setPalette(Palette);

    imgCircle1 = new TSpinner(pnlWait);
    lblWait = new QLabel(QStringLiteral("Please wait..."), pnlWait);
    lblWait->setAlignment(Qt::AlignCenter);
    pbWait = new QProgressBar(pnlWait);
    pbWait->setObjectName(QStringLiteral("pbWait"));
    pbWait->setRange(0, kPermilleRange);
    pbWait->setFixedHeight(kProgressBarHeight);
    pbWait->setTextVisible(false);
    pbWait->hide();
    btnCancel = new QPushButton(pnlWait);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // A click cancels; the keyboard stays with the window the user works in.
    btnCancel->setFocusPolicy(Qt::NoFocus);
    btnCancel->hide();
    connect(btnCancel, &QPushButton::clicked, this, &TfrmWait::CancelClicked);
    auto* Text = new QVBoxLayout;
    Text->setContentsMargins(0, 0, 0, 0);
    Text->setSpacing(2);
    Text->addStretch(1);
    Text->addWidget(lblWait);
    Text->addWidget(pbWait);
    Text->addStretch(1);
    auto* Row = new QHBoxLayout(pnlWait);
    Row->setContentsMargins(4, 2, 4, 2);
    Row->addWidget(imgCircle1);
    Row->addLayout(Text, 1);
    Row->addWidget(btnCancel);
    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(pnlWait);

    tmrSpin = new QTimer(this);
    tmrSpin->setInterval(kSpinIntervalMs);
    connect(tmrSpin, &QTimer::timeout, this, &TfrmWait::tmrSpinTimer);
}

void TfrmWait::SetAlphaBlendValue(int iValue) {
    FAlphaBlendValue = std::clamp(iValue, 0, kOpaque);
    setWindowOpacity(FAlphaBlendValue / static_cast<double>(kOpaque));
}

void TfrmWait::SetWaitText(const QString& sText) {
    lblWait->setText(sText);
    if (isVisible())
        lblWait->repaint();
}

void TfrmWait::SetWaitTextEntry(int iEntry) {
    SetWaitText(GetText(iEntry, FLanguage ? *FLanguage : kLanguageEnglish));
}

QString TfrmWait::WaitText() const {
    return lblWait->text();
}

void TfrmWait::ShowWait() {
    show();
    raise();
    repaint();
}

bool TfrmWait::IsSpinning() const {
    return imgCircle1->IsRunning();
}

bool TfrmWait::IsFading() const {
    return tmrSpin->isActive();
}

void TfrmWait::ShowProgress(int iPermille) {
    btnCancel->setText(GetText(kTxtCancel, FLanguage ? *FLanguage : kLanguageEnglish));
    if (iPermille < 0) {
        pbWait->setRange(0, 0);
    } else {
        pbWait->setRange(0, kPermilleRange);
        pbWait->setValue(std::min(iPermille, kPermilleRange));
    }
    if (IsShowingProgress())
        return;
    setFixedSize(kProgressWidth, kHeight);
    pbWait->show();
    btnCancel->show();
    if (QWidget* pOwner = parentWidget() != nullptr ? parentWidget()->window() : nullptr)
        move(CentreOver(pOwner->frameGeometry(), size()));
}

void TfrmWait::HideProgress() {
    pbWait->hide();
    btnCancel->hide();
    setFixedSize(kWidth, kHeight);
}

bool TfrmWait::IsShowingProgress() const {
    return !btnCancel->isHidden();
}

void TfrmWait::showEvent(QShowEvent* event) {
    if (QWidget* pOwner = parentWidget() != nullptr ? parentWidget()->window() : nullptr)
        move(CentreOver(pOwner->frameGeometry(), size()));
    // The opacity may have been set while hidden; make the window take it now.
    setWindowOpacity(FAlphaBlendValue / static_cast<double>(kOpaque));
    imgCircle1->Start();
    tmrSpin->start();
    QDialog::showEvent(event);
}

void TfrmWait::hideEvent(QHideEvent* event) {
    // Closed or only hidden: nothing keeps running behind a window nobody sees, and the next showing
    // without a new opacity is opaque at once.
    tmrSpin->stop();
    imgCircle1->Stop();
    SetAlphaBlendValue(kOpaque);
    HideProgress();
    QDialog::hideEvent(event);
}

void TfrmWait::tmrSpinTimer() {
    SetAlphaBlendValue(FAlphaBlendValue >= kNearlyOpaque ? kOpaque : FAlphaBlendValue + kOpacityStep);
}
