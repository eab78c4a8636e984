#pragma once

#include "dialogs/SplashShape.h"

#include <QDialog>
#include <QImage>
#include <QRegion>

class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

// The splash picture and the window shape cut from it. Both are plain data, so the program makes them on
// another thread while its main window is being built.
struct TSplashPicture {
    QImage Picture;
    QRegion Shape;
};

// Picture: the splash picture; a null one means the program's own.
TSplashPicture MakeSplashPicture(const QImage& Picture = QImage());

// The splash window shown while the program starts: our picture with its magenta cut away, the product
// name and build, and a progress bar. Once shown it runs its own timer, fades out and destroys itself.
class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 568;
    static constexpr int kHeight = 465;
    static constexpr int kTickMs = 10;

    // Picture: the splash picture; the program's own unless a test gives another.
    explicit TfrmSplash(QWidget* parent = nullptr, const QImage& Picture = QImage());
    TfrmSplash(QWidget* parent, TSplashPicture rPicture);

    QLabel* imgSplash = nullptr;
    QFrame* pnlSplash = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* BuildLabel = nullptr;
    QProgressBar* SplashProgress = nullptr;
    QTimer* Timer1 = nullptr;

    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TSplashPicture rSplash;
    TSplashFade rFade;
};
