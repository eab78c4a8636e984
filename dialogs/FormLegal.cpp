#include "dialogs/FormLegal.h"

#include "dialogs/AboutTexts.h"

#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char* const kLegalResource = ":/about/LEGAL.html";

} // namespace

TfrmLegalInfo::TfrmLegalInfo(QWidget* parent) : TDeferredDialog(parent) {
    setObjectName("frmLegalInfo");
    setWindowTitle(QStringLiteral("Legal information."));
    setModal(true);
    setFixedSize(620, 520);
    QFont Font(QStringLiteral("Tahoma"));
    Font.setPixelSize(11);
    setFont(Font);
}

void TfrmLegalInfo::CreateControls() {
    InitAboutResources();
    reLegal = new QTextBrowser(this);
    reLegal->setObjectName("reLegal");
    reLegal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Links leave for the system's browser; a link that cannot be opened is ignored.
    reLegal->setOpenExternalLinks(true);
    QFile Legal(QString::fromLatin1(kLegalResource));
    if (Legal.open(QIODevice::ReadOnly))
        reLegal->setHtml(QString::fromUtf8(Legal.readAll()));

    btnClose = new QPushButton(QStringLiteral("OK"), this);
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(reLegal, 1);
    Layout->addWidget(btnClose, 0, Qt::AlignRight);
}
