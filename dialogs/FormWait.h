#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TSpinner;

// The wait window: a small borderless panel with a turning spinner and a text, shown without modality
// over the main window while a slow operation runs. It never takes the focus and never blocks its
// caller. A caller that wants it to fade in sets its opacity to 0 before showing it. An operation that
// reports its progress gets a progress bar under the text and a Cancel button beside it; the window then
// widens to make room, and takes its width back when hidden.
class TfrmWait : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 336;
    static constexpr int kHeight = 56;
    // The opacity timer's interval and step.
    static constexpr int kSpinIntervalMs = 100;
    static constexpr int kOpacityStep = 10;
    // The width while the progress shows.
    static constexpr int kProgressWidth = 456;

    explicit TfrmWait(QWidget* parent = nullptr);

    // The main window's language, for texts given by table entry.
    void SetLanguage(const int* piLNG) { FLanguage = piLNG; }

    // Window transparency, 0 (invisible) to 255 (opaque).
    int AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(int iValue);

    // The waiting text; may change while the window shows.
    void SetWaitText(const QString& sText);
    void SetWaitTextEntry(int iEntry);
    QString WaitText() const;

    // Shows the window without modality and paints it at once; returns at once.
    void ShowWait();

    bool IsSpinning() const;
    bool IsFading() const;

    // Shows the progress bar at iPermille tenths of a percent (below 0: busy, how far not known) and the
    // Cancel button; the button's text follows the language.
    void ShowProgress(int iPermille);
    void HideProgress();
    bool IsShowingProgress() const;

    QFrame* pnlWait = nullptr;
    QProgressBar* pbWait = nullptr;
    QPushButton* btnCancel = nullptr;

Q_SIGNALS:
    // The user chose Cancel.
    void CancelClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void tmrSpinTimer();

    const int* FLanguage = nullptr;
    int FAlphaBlendValue = 255;
    QLabel* lblWait = nullptr;
    TSpinner* imgCircle1 = nullptr;
    QTimer* tmrSpin = nullptr;
};
