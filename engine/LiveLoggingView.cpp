#include "engine/LiveLoggingView.h"

#include "core/AppServices.h"
#include "core/Drawing.h"
#include "core/EngineCodes.h"
#include "core/GridLayouts.h"
#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "engine/InfoGrid.h"
#include "engine/LiveChart.h"
#include "engine/LiveTargetPanel.h"
#include "meter/InstrumentList.h"
#include "meter/MeterInfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Rows of the instrument grid.
enum TInstrumentRow { kRowName = 1, kRowSerialNo = 2, kRowPort = 3, kRowStatus = 4, kRowAutostop = 5 };

// Rows and sizes of the four grids.
constexpr int kSessionInfoRows = 6;
// The title and the five rows the instrument's state fills.
constexpr int kInstrumentInfoRows = 6;
constexpr int kLoudnessCFGRows = 11;
constexpr int kLoudnessDataRows = 11;
constexpr int kLoudnessDataLastValueRow = 10;

// Status texts are told apart by their first characters: "Logging " and "Autostar" in English.
constexpr int kStatusPrefixLength = 8;

// Meter types and the software versions from which they can pause.
constexpr int kPauseVersionMajor = 1;
constexpr int kPauseFromMinorTypes21And23 = 36;
constexpr int kPauseFromMinorTypes22And24 = 28;

constexpr int kIconSize = 20;
// The chart's least height, which the window's default height of 600 leaves it beside the grids.
constexpr int kChartMinimumHeight = 180;
// The gap between the instrument grid and the session grid under it, and the grids' row height: one
// pixel less than elsewhere, which still holds a line of text, so the chart keeps room for its axis titles.
constexpr int kStackedGridSpacing = 0;
constexpr int kGridRowHeight = 19;
constexpr int kStatusPictureSize = 30;
constexpr int kTimeCodePixelSize = 32;
// The clock's colour, and the space left and right of its digits that keeps it where it has always stood.
const QColor clTimeCode(0x1d, 0x2b, 0x3a);
constexpr int kTimeCodeSpaceLeft = 13;
constexpr int kTimeCodeSpaceRight = 14;

const QColor clStatusOrange(0xFF, 0x80, 0x40);
const QColor clStatusGreen(0x00, 0x80, 0x00);
const QColor clStatusNavy(0x00, 0x00, 0x80);
const QColor clStatusRed(0xFF, 0x00, 0x00);

// Pictures of the buttons and the status picture, drawn once.
QPixmap NewCanvas(int iSize) {
    QPixmap Pixmap(iSize, iSize);
    Pixmap.fill(Qt::transparent);
    return Pixmap;
}

// A power symbol: green to connect, red to disconnect.
QPixmap PowerPicture(const QColor& cl) {
    QPixmap Pixmap = NewCanvas(kIconSize);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(cl, 2.4, Qt::SolidLine, Qt::RoundCap));
    const QRectF rRing(3.5, 4.5, 13, 13);
    p.drawArc(rRing, 125 * 16, -250 * 16);
    p.drawLine(QPointF(10, 2.5), QPointF(10, 10));
    return Pixmap;
}

QPixmap PlayPicture(const QColor& cl, int iSize) {
    QPixmap Pixmap = NewCanvas(iSize);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath Triangle;
    Triangle.moveTo(iSize * 0.28, iSize * 0.18);
    Triangle.lineTo(iSize * 0.82, iSize * 0.5);
    Triangle.lineTo(iSize * 0.28, iSize * 0.82);
    Triangle.closeSubpath();
    p.fillPath(Triangle, cl);
    return Pixmap;
}

QPixmap PausePicture(const QColor& cl, int iSize) {
    QPixmap Pixmap = NewCanvas(iSize);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(cl);
    p.drawRoundedRect(QRectF(iSize * 0.22, iSize * 0.18, iSize * 0.2, iSize * 0.64), 1.5, 1.5);
    p.drawRoundedRect(QRectF(iSize * 0.58, iSize * 0.18, iSize * 0.2, iSize * 0.64), 1.5, 1.5);
    return Pixmap;
}

QPixmap StopPicture(const QColor& cl, int iSize) {
    QPixmap Pixmap = NewCanvas(iSize);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(cl);
    p.drawRoundedRect(QRectF(iSize * 0.22, iSize * 0.22, iSize * 0.56, iSize * 0.56), 2, 2);
    return Pixmap;
}

// The status picture: a white sign on a round lamp of the state's colour.
QPixmap StatusLamp(IMainView::TStatusPicture e) {
    const int s = kStatusPictureSize;
    QPixmap Pixmap = NewCanvas(s);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor clLamp = e == IMainView::StatusPlaying  ? QColor(0x2E, 0x9E, 0x4F)
                          : e == IMainView::StatusPaused ? QColor(0xE8, 0x9A, 0x1C)
                                                         : QColor(0xC8, 0x32, 0x32);
    p.setPen(QPen(clLamp.darker(130), 1));
    p.setBrush(clLamp);
    p.drawEllipse(QRectF(1.5, 1.5, s - 3, s - 3));
    const QPixmap Sign = e == IMainView::StatusPlaying  ? PlayPicture(Qt::white, s)
                         : e == IMainView::StatusPaused ? PausePicture(Qt::white, s)
                                                        : StopPicture(Qt::white, s);
    p.drawPixmap(QRect(s / 5, s / 5, s * 3 / 5, s * 3 / 5), Sign);
    return Pixmap;
}

QString RealText(double f) {
    return LevelText(f, QLocale().decimalPoint());
}

QString GeneralText(double f) {
    return QLocale().toString(f, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QColor InstrumentStatusColor(const QString& sText, int iLNG) {
    if (sText == GetText(kTxtConnecting, iLNG))
        return clStatusOrange;
    if (sText == GetText(kTxtReadyForLogging, iLNG))
        return clStatusNavy;
    if (sText == GetText(kTxtLogging, iLNG) || sText == GetText(kTxtLoggingStarted, iLNG))
        return clStatusGreen;
    if (sText == GetText(kTxtDisconnected, iLNG))
        return clStatusRed;
    if (sText.left(kStatusPrefixLength) == GetText(kTxtPausedAt, iLNG).left(kStatusPrefixLength))
        return clStatusOrange;
    if (sText.left(kStatusPrefixLength) == GetText(kTxtAutostartWaiting, iLNG).left(kStatusPrefixLength))
        return clStatusGreen;
    return Qt::black;
}

TLiveLoggingView::TLiveLoggingView(ILoggingControl& rControl, IAppServices& rServices,
                                   ILiveLoggingHost& rHost, QWidget* parent)
    : QWidget(parent), Control(rControl), Services(rServices), Host(rHost) {
    CreateControls();
}

QString TLiveLoggingView::T(int iEntry) const {
    return GetText(iEntry, Services.Language());
}

void TLiveLoggingView::CreateControls() {
    // Margins and spacing a little tighter than elsewhere, for the same reason.
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(8, 6, 8, 6);
    Layout->setSpacing(5);

    // The check box stands under the buttons, so that the bar leaves the window room to be 800 wide.
    auto* Bar = new QGridLayout;
    Bar->setHorizontalSpacing(6);
    Bar->setVerticalSpacing(2);
    btnConnect = new QPushButton(this);
    btnStartLog = new QPushButton(this);
    btnStopLog = new QPushButton(this);
    int iColumn = 0;
    for (QPushButton* Button : {btnConnect, btnStartLog, btnStopLog}) {
        Button->setIconSize(QSize(kIconSize, kIconSize));
        Bar->addWidget(Button, 0, iColumn++);
    }
    btnStopLog->setIcon(QIcon(StopPicture(QColor(0xC8, 0x32, 0x32), kIconSize)));
    btnStartLog->setEnabled(false);
    btnStopLog->setEnabled(false);
    SetConnectButton(false);
    SetStartButtonPause(false);
    chkAutoStart = new QCheckBox(this);
    Bar->addWidget(chkAutoStart, 1, 0, 1, 3);
    Bar->setColumnStretch(3, 1);

    imgStat = new QLabel(this);
    imgStat->setFixedSize(kStatusPictureSize, kStatusPictureSize);
    lblTimeCode = new QLabel(QStringLiteral("00:00:00:00"), this);
    QFont TimeFont(QStringLiteral("DejaVu Sans Mono"));
    TimeFont.setStyleHint(QFont::Monospace);
    TimeFont.setPixelSize(kTimeCodePixelSize);
    TimeFont.setBold(true);
    lblTimeCode->setFont(TimeFont);
    lblTimeCode->setObjectName(QStringLiteral("lblTimeCode"));
    // Colour and the space beside the digits are set directly: a style sheet on this one label would cost
    // start-up the whole sheet machinery.
    QPalette TimePalette = lblTimeCode->palette();
    TimePalette.setColor(QPalette::WindowText, clTimeCode);
    lblTimeCode->setPalette(TimePalette);
    lblTimeCode->setContentsMargins(kTimeCodeSpaceLeft, 0, kTimeCodeSpaceRight, 0);
    // Blinking hides and shows them; the bar keeps their place so nothing moves.
    for (QWidget* w : std::initializer_list<QWidget*>{imgStat, lblTimeCode}) {
        QSizePolicy Policy = w->sizePolicy();
        Policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(Policy);
    }
    lblTimeCode->setVisible(false);
    imgStat->setVisible(false);
    SetStatusPicture(IMainView::StatusStopped);
    Bar->addWidget(imgStat, 0, 4, 2, 1, Qt::AlignVCenter);
    Bar->addWidget(lblTimeCode, 0, 5, 2, 1, Qt::AlignVCenter);
    Layout->addLayout(Bar);

    // The instrument and the session stand one above the other, so that at the window's least width each
    // of the three columns keeps room for its values.
    auto* Grids = new QHBoxLayout;
    Grids->setSpacing(8);
    sgInstrumentInfo = new TInfoGrid(kInstrumentInfoRows, this);
    sgSessionInfo = new TInfoGrid(kSessionInfoRows, this);
    sgLoudnessCFG = new TInfoGrid(kLoudnessCFGRows, this);
    sgLoudnessData = new TInfoGrid(kLoudnessDataRows, this);
    for (TInfoGrid* Grid : {sgInstrumentInfo, sgSessionInfo, sgLoudnessCFG, sgLoudnessData})
        Grid->SetRowHeight(kGridRowHeight);
    auto* Session = new QVBoxLayout;
    Session->setSpacing(kStackedGridSpacing);
    Session->addWidget(sgInstrumentInfo);
    Session->addWidget(sgSessionInfo);
    Session->addStretch(1);
    // In a wider window the instrument column grows fastest: its status and autostop lines are the longest.
    Grids->addLayout(Session, 2);
    for (TInfoGrid* Grid : {sgLoudnessCFG, sgLoudnessData})
        Grids->addWidget(Grid, 1, Qt::AlignTop);
    // A value that commonly appears shows whole; longer ones (a network meter's own name, the timecode
    // waits) end in an ellipsis and show whole in their tooltip.
    // Levels in the font of a peak, which stands out in bold.
    sgLoudnessData->SetValueReserve({QStringLiteral("00:00:00:00")}, {RealText(-100.0)});
    // The instrument status row and the autostop line stand out in bold.
    sgInstrumentInfo->SetCellStyle(kRowAutostop, 1, {clStatusRed, true, {}, {}});
    Layout->addLayout(Grids);

    // Under the grids, where it takes its lines from the chart's height and moves no other control.
    pnlLiveTarget = new TLiveTargetPanel(this);
    Layout->addWidget(pnlLiveTarget);

    ChartLogging = new TLiveChart(this);
    ChartLogging->setMinimumHeight(kChartMinimumHeight);
    Layout->addWidget(ChartLogging, 1);

    tmrBlink = new QTimer(this);
    tmrBlink->setInterval(kBlinkIntervalMs);

    connect(btnConnect, &QPushButton::clicked, this, &TLiveLoggingView::btnConnectClick);
    connect(btnStartLog, &QPushButton::clicked, this, &TLiveLoggingView::btnStartLogClick);
    connect(btnStopLog, &QPushButton::clicked, this, &TLiveLoggingView::btnStopLogClick);
    connect(chkAutoStart, &QCheckBox::clicked, this, &TLiveLoggingView::chkAutoStartClick);
    connect(tmrBlink, &QTimer::timeout, this, &TLiveLoggingView::tmrBlinkTimer);
    connect(ChartLogging, &TLiveChart::SeriesLegendClicked, this, &TLiveLoggingView::ChartLoggingClickLegend);
}

void TLiveLoggingView::SetConnectButton(bool bConnected) {
    btnConnect->setText(T(bConnected ? kTxtDisconnect : kTxtConnect));
    btnConnect->setIcon(
        QIcon(PowerPicture(bConnected ? QColor(0xC8, 0x32, 0x32) : QColor(0x2E, 0x9E, 0x4F))));
}

void TLiveLoggingView::SetStartButtonPause(bool bPause) {
    SetStartButtonCaption(bPause ? kTxtPauseLogging : kTxtStartLogging);
}

void TLiveLoggingView::btnConnectClick() {
    if (Control.HasLoggingThread()) {
        Control.DisconnectInstrument();
        Services.SetMainGUI(kGUIConnected);
        SetConnectButton(false);
        // The connection is closing: a start now would reach a thread that is ending.
        btnStartLog->setEnabled(false);
        return;
    }
    if (!InstrumentChosen(Services.Settings().rActiveNetworkCFG)) {
        Services.ShowMessageBox(T(kTxtSelectInstrumentFirst), kMsgInformation, kMsgBtnOK);
        Host.ShowInstrumentManager();
        UpdateSGInstrumentInfo();
        if (!InstrumentChosen(Services.Settings().rActiveNetworkCFG))
            return;
    }
    Services.SetMainGUI(kGUIConnecting);
    // Shown at the opacity it has (whole after its last close): connecting is short, and a window that
    // fades in would barely be seen before it closes again.
    Services.ShowWait(QString(), false);
    if (!Control.ConnectInstrument()) {
        // No logging thread could be made: nothing will ever report, so the tab must not wait for it.
        Services.CloseWaitWindow();
        Services.SetMainGUI(kGUINoInstrument);
    }
}

void TLiveLoggingView::btnStartLogClick() {
    if (Control.IsLoggingInProgress()) {
        Control.ThreadSendMessage(kEngineCommandPause);
        return;
    }
    const TSettings& rSettings = Services.Settings();
    const bool bAsk = rSettings.bAskForSessionInfo;
    TSessionTexts rTexts;
    const bool bConfirmed = !bAsk || Host.AskNewSessionInfo(rTexts);
    sgSessionInfo->SetEditable(rSettings.bAllowSessionInfoEdit);
    if (!bConfirmed)
        return;
    Services.SetMainGUI(kGUILogging);

    TSessionInfo r = Control.SessionInfo();
    if (bAsk) {
        if (!VerifySessionTexts(rTexts))
            Services.ShowMessageBox(ForbiddenCharsMessage(Services.Language()), kMsgError, kMsgBtnOK);
        SetSessionTexts(r, rTexts);
    }
    r.sTimeCodeStart.clear();
    r.sTimeCodeEnd.clear();
    SetUnnamedTitle(r.sShowTitle, Services.Language());
    Control.SetSessionInfo(r);
    UpdateSGSessionInfo();
    Control.ThreadSendMessage(kEngineCommandStart);
    UpdateSGInstrumentInfo();
}

void TLiveLoggingView::btnStopLogClick() {
    Control.ThreadSendMessage(kEngineCommandStop);
    tmrBlink->stop();
    lblTimeCode->setVisible(true);
}

void TLiveLoggingView::chkAutoStartClick() {
    Services.Settings().TCCtrl.Enabled = chkAutoStart->isChecked();
    Control.ThreadSendMessage(kEngineCommandTCChanged);
}

void TLiveLoggingView::tmrBlinkTimer() {
    // Hidden state, not visibility: the tab may be off screen while it blinks.
    lblTimeCode->setVisible(lblTimeCode->isHidden());
    imgStat->setVisible(!lblTimeCode->isHidden());
}

bool TLiveLoggingView::IsPauseAvailable() const {
    const TUDPInstrumentInfo& r = Control.InstrumentInfo();
    // Major and minor are each compared on their own, as the meters' release notes count them.
    switch (r.iTypeNo) {
    case 21:
    case 23:
        return r.iRunVerMajor >= kPauseVersionMajor && r.iRunVerMinor >= kPauseFromMinorTypes21And23;
    case 22:
    case 24:
        return r.iRunVerMajor >= kPauseVersionMajor && r.iRunVerMinor >= kPauseFromMinorTypes22And24;
    case 25:
    case 26:
        return true;
    default:
        return false;
    }
}

void TLiveLoggingView::SetMainGUI(int iState) {
    switch (iState) {
    case kGUINoInstrument:
        sgSessionInfo->SetEditable(false);
        btnConnect->setEnabled(true);
        SetConnectButton(false);
        btnStartLog->setEnabled(false);
        SetStartButtonPause(false);
        btnStopLog->setEnabled(false);
        imgStat->setVisible(false);
        break;
    case kGUIConnecting:
        // A connect can be cancelled: a meter that stops answering must not hold the tab until its waits
        // run out.
        sgSessionInfo->SetEditable(false);
        btnConnect->setEnabled(true);
        SetConnectButton(true);
        btnStartLog->setEnabled(false);
        btnStopLog->setEnabled(false);
        break;
    case kGUIConnected:
        sgSessionInfo->SetEditable(false);
        btnConnect->setEnabled(true);
        SetConnectButton(true);
        btnStartLog->setEnabled(true);
        SetStartButtonPause(false);
        btnStopLog->setEnabled(false);
        SetStatusPicture(IMainView::StatusStopped);
        imgStat->setVisible(true);
        break;
    case kGUILogging:
        if (IsPauseAvailable())
            SetStartButtonPause(true);
        else
            btnStartLog->setEnabled(false);
        SetStatusPicture(IMainView::StatusPlaying);
        imgStat->setVisible(true);
        btnStopLog->setEnabled(true);
        break;
    default:
        break;
    }
}

void TLiveLoggingView::UpdateGUIStrings() {
    chkAutoStart->setText(T(kTxtTimecodeControlled));
    SetConnectButton(Control.HasLoggingThread());
    // The start button keeps its meaning (start, pause or resume) in the new language.
    SetStartButtonCaption(iStartCaption);
    btnStopLog->setText(T(kTxtStopLogging));
    FitButtonWidths();
    ApplyGridLabels();
}

void TLiveLoggingView::FitButtonWidths() {
    // As wide as the longest caption a button can show in this language, and no wider: a change of
    // caption moves nothing, and the bar leaves the window room to be narrow.
    const auto Fit = [this](QPushButton* Button, std::initializer_list<int> aEntries) {
        const QString sShown = Button->text();
        int iWidest = 0;
        for (const int iEntry : aEntries) {
            Button->setText(T(iEntry));
            iWidest = std::max(iWidest, Button->sizeHint().width());
        }
        Button->setText(sShown);
        Button->setMinimumWidth(iWidest);
    };
    Fit(btnConnect, {kTxtConnect, kTxtDisconnect});
    Fit(btnStartLog, {kTxtStartLogging, kTxtResumeLogging, kTxtPauseLogging});
    Fit(btnStopLog, {kTxtStopLogging});
}

void TLiveLoggingView::ApplyGridLabels() {
    const auto Apply = [this](TInfoGrid* Grid, const TGridLabels& r, int iLastLabelRow) {
        Grid->SetTitle(T(r.iHeader));
        for (int iRow = 1; iRow <= iLastLabelRow && iRow < Grid->rowCount(); ++iRow) {
            const size_t i = size_t(iRow - 1);
            Grid->SetCell(iRow, 0, i < r.aRowLabels.size() ? T(r.aRowLabels[i]) : QString());
        }
        Grid->FitColumns();
    };
    Apply(sgSessionInfo, SessionInfoLabels(), kSessionInfoRows - 1);
    Apply(sgLoudnessCFG, LoudnessCFGLabels(), kLoudnessCFGRows - 1);
    Apply(sgLoudnessData, LoudnessDataLabels(Services.Settings().DataOptions), kDataGridLastRow);
    sgLoudnessCFG->SetValueReserve(LoudnessConfigValueSamples(Services.Language()));
    // The model names, and the states in the status row's bold.
    QStringList slStates;
    for (const int iEntry :
         {kTxtConnecting, kTxtReadyForLogging, kTxtLogging, kTxtDisconnected, kTxtLoggingStarted})
        slStates.append(T(iEntry));
    sgInstrumentInfo->SetValueReserve(TypeNames(), slStates);
    UpdateSGInstrumentInfo();
    sgInstrumentInfo->FitColumns();
    ShowLoudnessValues();
    ShowLiveTarget();
}

void TLiveLoggingView::UpdateSGSessionInfo() {
    const TSessionInfo& r = Control.SessionInfo();
    const QString aValues[] = {r.sShowTitle, r.sShowNumber, r.sOperatorName, r.sFormat, r.sNotes};
    for (int i = 0; i < 5; ++i)
        sgSessionInfo->SetCell(i + 1, 1, aValues[i]);
}

void TLiveLoggingView::UpdateSGInstrumentInfo() {
    const TInstrumentInfo& rInfo = Services.Settings().rActiveNetworkCFG;
    const TTimecodeControl& rTC = Services.Settings().TCCtrl;
    TInfoGrid* g = sgInstrumentInfo;
    g->SetTitle(T(kTxtInstrumentInformation));
    const QString sSerialNo = rInfo.iSerialNo > 0 ? QString::number(rInfo.iSerialNo) : QString();
    if (rInfo.bComPort) {
        g->SetCell(kRowName, 0, T(kTxtInstrumentTypeLabel));
        g->SetCell(kRowPort, 0, T(kTxtPortLabel));
        g->SetCell(kRowPort, 1, QStringLiteral("COM") + QString::number(rInfo.iPort));
        Services.SetStatusText(3, QStringLiteral("COM") + QString::number(rInfo.iPort));
    } else {
        g->SetCell(kRowName, 0, T(kTxtInstrumentNameLabel));
        g->SetCell(kRowPort, 0, T(kTxtHostNameLabel));
        g->SetCell(kRowPort, 1, rInfo.sHostName);
        Services.SetStatusText(3, rInfo.sHostName);
    }
    g->SetCell(kRowSerialNo, 0, T(kTxtSerialNumberLabel));
    g->SetCell(kRowStatus, 0, T(kTxtStatusLabel));
    g->SetCell(kRowName, 1, rInfo.sInstrumentName);
    g->SetCell(kRowSerialNo, 1, sSerialNo);

    switch (rInfo.iLoggingStatus) {
    case kStatusConnecting:
        g->SetCell(kRowStatus, 1, T(kTxtConnecting));
        break;
    case kStatusReady:
        g->SetCell(kRowStatus, 1, T(kTxtReadyForLogging));
        break;
    case kStatusLogging:
        g->SetCell(kRowStatus, 1, T(kTxtLogging));
        break;
    case kStatusWaitingStartTC:
        g->SetCell(kRowStatus, 1, FormatText(T(kTxtAutostartWaiting), {rTC.TCStart}));
        break;
    case kStatusWaitingStopTC:
        break;
    case kStatusLoggingStarted:
        g->SetCell(kRowStatus, 1, T(kTxtLoggingStarted));
        break;
    case kStatusPaused:
        g->SetCell(kRowStatus, 1, FormatText(T(kTxtPausedAt), {rTC.TCPaused}));
        break;
    case kStatusWaitingForTC:
        g->SetCell(kRowStatus, 1, FormatText(T(kTxtPausedWaitingForTC), {rTC.TCPaused}));
        break;
    default:
        g->SetCell(kRowStatus, 1, T(kTxtDisconnected));
        break;
    }
    g->SetCellStyle(kRowStatus, 1,
                    {InstrumentStatusColor(g->Cell(kRowStatus, 1), Services.Language()), true, {}, {}});

    const bool bAutostop =
        (rInfo.iLoggingStatus == kStatusLogging || rInfo.iLoggingStatus == kStatusWaitingStopTC) &&
        rTC.Enabled && rTC.EnabledStop;
    g->SetCell(kRowAutostop, 1, bAutostop ? FormatText(T(kTxtAutostopWaiting), {rTC.TCStop}) : QString());
}

void TLiveLoggingView::UpdateSGLoudnessSetup() {
    const TLoudnessSetup& s = Control.SessionInfo().rLoudnessSetup;
    const QString sScale = ScaleModeName(s.iScaleMode);
    const QString aValues[] = {
        PeakModeName(s.iPeakMode),
        CaptureModeName(s.iCapture),
        sScale,
        ReferenceName(s.iReference),
        SlidingWindowName(s.iSlidingWindow),
        GeneralText(s.fGateLevel) + ' ' + sScale,
        GateModeName(s.iGateMode),
        GeneralText(s.fReferenceLevel) + T(kTxtDBFSSuffix),
        GeneralText(s.fMeterPeakLevel) + T(kTxtDBFSSuffix),
        FilterName(s.iFilter),
    };
    for (int i = 0; i < 10; ++i)
        sgLoudnessCFG->SetCell(i + 1, 1, aValues[i]);
}

void TLiveLoggingView::ShowLoudnessValues() {
    const TMainLoudnessData& r = Control.LoudnessData();
    TInfoGrid* g = sgLoudnessData;
    for (int iRow = 1; iRow <= kLoudnessDataLastValueRow; ++iRow)
        g->SetCellStyle(iRow, 1, {});
    if (r.sTimeCode.isEmpty()) {
        g->ClearColumn(1, 1, kLoudnessDataLastValueRow);
        return;
    }
    int iRow = 1;
    for (const int iLabel : LoudnessDataLabels(Services.Settings().DataOptions).aRowLabels) {
        QString sValue;
        bool bPeakRow = false;
        switch (iLabel) {
        case kTxtTimeCodeLabel:
            sValue = r.sTimeCode;
            break;
        case kTxtShortTermLabel:
        case kTxtShortTermMaxLabel:
            sValue = RealText(r.nLoudnessHi);
            break;
        case kTxtShortTermMinLabel:
            sValue = RealText(r.nLoudnessLow);
            break;
        case kTxtIntegratingLabel:
            sValue = RealText(r.nLoudnessIntegrating);
            break;
        case kTxtPeakLevelLabel:
            sValue = RealText(r.nInstantaneousPeak);
            break;
        case kTxtPeakChannelLabel:
            sValue = QString::number(r.iPeakChannel);
            bPeakRow = true;
            break;
        case kTxtPeakCountLabel:
            sValue = QString::number(r.iPeakCount);
            bPeakRow = true;
            break;
        default:
            break;
        }
        g->SetCell(iRow, 1, sValue);
        // A peak above the limit must catch the operator's eye.
        if (bPeakRow && !sValue.isEmpty() && sValue != QStringLiteral("0"))
            g->SetCellStyle(iRow, 1, {clStatusRed, true, TintOf(clStatusRed, 0.9), TintOf(clStatusRed, 0.5)});
        ++iRow;
    }
    g->ClearColumn(1, iRow, kDataGridLastRow);
}

void TLiveLoggingView::ShowLiveTarget() {
    pnlLiveTarget->Show(LiveTargetTexts(Control.LiveTarget(), Services.Language(), QLocale().decimalPoint()),
                        Services.Language());
}

void TLiveLoggingView::UpdateSGLoudnessData() {
    ShowLoudnessValues();
    ShowLiveTarget();
    const TMainLoudnessData& r = Control.LoudnessData();
    if (r.sTimeCode.isEmpty())
        return;
    ChartLogging->AddPoint(r.sTimeCode, r.nInstantaneousPeak, r.nLoudnessIntegrating, r.nLoudnessHi);
    lblTimeCode->setText(r.sTimeCode);
}

void TLiveLoggingView::ShowSessionStarted() {
    for (QWidget* w : std::initializer_list<QWidget*>{sgSessionInfo, sgInstrumentInfo, sgLoudnessData,
                                                      sgLoudnessCFG, lblTimeCode})
        w->setVisible(true);
    ShowLiveTarget();
    ChartLogging->ClearSeries();
    RefreshChartLoggingSettings();
    ChartLogging->xAxis->setVisible(true);
    ChartLogging->legend->setVisible(true);
    ChartLogging->RefreshNow();
}

void TLiveLoggingView::ClearMeterValues() {
    ShowLoudnessValues();
    ShowLiveTarget();
    UpdateSGSessionInfo();
    sgLoudnessCFG->ClearColumn(1, 1, kLoudnessCFGRows - 1);
    ChartLogging->ClearSeries();
    ChartLogging->RefreshNow();
}

void TLiveLoggingView::ShowTimeCode(const QString& sTimeCode) {
    lblTimeCode->setVisible(true);
    lblTimeCode->setText(sTimeCode);
}

void TLiveLoggingView::SetBlinking(bool bOn) {
    if (bOn) {
        if (!tmrBlink->isActive())
            tmrBlink->start();
        return;
    }
    tmrBlink->stop();
    lblTimeCode->setVisible(true);
    imgStat->setVisible(true);
}

void TLiveLoggingView::SetStatusPicture(IMainView::TStatusPicture ePicture) {
    eStatusPicture = ePicture;
    imgStat->setPixmap(StatusLamp(ePicture));
}

void TLiveLoggingView::SetStartButtonCaption(int iEntry) {
    iStartCaption = iEntry;
    btnStartLog->setText(T(iEntry));
    if (iEntry == kTxtPauseLogging)
        btnStartLog->setIcon(QIcon(PausePicture(QColor(0xE8, 0x9A, 0x1C), kIconSize)));
    else
        btnStartLog->setIcon(QIcon(PlayPicture(QColor(0x2E, 0x9E, 0x4F), kIconSize)));
}

void TLiveLoggingView::RefreshChartLoggingSettings() {
    const int iScaleMode = Control.SessionInfo().rLoudnessSetup.iScaleMode;
    ApplyLevelChartSettings(*ChartLogging, Services.Settings().rChartOptions, iScaleMode,
                            ScaleModeName(iScaleMode), kTxtShortTermMaxHeading, true, Services.Language());
    ChartLogging->UpdateLegendLook();
}

void TLiveLoggingView::ChartLoggingClickLegend(int iSeries) {
    if (iSeries < 0 || iSeries >= ChartLogging->graphCount())
        return;
    QCPGraph* Series = ChartLogging->graph(iSeries);
    Series->setVisible(!Series->visible());
    ::ChartLoggingClickLegend(*ChartLogging, Services.Settings().rChartOptions, Services.Language());
    ChartLogging->UpdateLegendLook();
    ChartLogging->RefreshNow();
}
