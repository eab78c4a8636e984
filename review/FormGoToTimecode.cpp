#include "review/FormGoToTimecode.h"

#include "core/TextTable.h"
#include "dialogs/TimecodeFields.h"
#include "review/TwoDigitEdits.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmGoToTimecode::TfrmGoToTimecode(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmGoToTimecode"));
    lblTimecode = new QLabel(this);
    editHr = NewTwoDigitEdit(this, "editHr");
    editMin = NewTwoDigitEdit(this, "editMin");
    editSec = NewTwoDigitEdit(this, "editSec");
    editFrame = NewTwoDigitEdit(this, "editFrame");
    new TTwoDigitEditChain({editHr, editMin, editSec, editFrame}, 0, this);
    auto* Fields = new QHBoxLayout;
    Fields->addWidget(lblTimecode);
    for (QLineEdit* edit : {editHr, editMin, editSec, editFrame}) {
        if (edit != editHr)
            Fields->addWidget(new QLabel(QStringLiteral(":"), this));
        Fields->addWidget(edit);
    }
    btnOK = new QPushButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Fields);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
    SetLanguage(0);
}

void TfrmGoToTimecode::SetLanguage(int iLNG) {
    setWindowTitle(GetText(kTxtGoToTimecode, iLNG));
    lblTimecode->setText(GetText(kTxtGoToTimecodeLabel, iLNG));
    btnOK->setText(GetText(kTxtOK, iLNG));
    btnCancel->setText(GetText(kTxtCancel, iLNG));
}

void TfrmGoToTimecode::SetTimecode(const QString& sTimecode) {
    const TTimecodeFields Fields = SplitTimecode(sTimecode);
    editHr->setText(Fields.sHours);
    editMin->setText(Fields.sMinutes);
    editSec->setText(Fields.sSeconds);
    editFrame->setText(sTimecode.mid(9, 2));
    for (QLineEdit* edit : {editHr, editMin, editSec, editFrame}) {
        if (edit->text().size() < 2)
            edit->setText((QStringLiteral("00") + edit->text()).right(2));
    }
    editHr->setFocus(Qt::OtherFocusReason);
    editHr->selectAll();
}

QString TfrmGoToTimecode::Timecode() const {
    // ComposeTimecode gives hh:mm:ss:00; the frames are asked for here.
    return ComposeTimecode(editHr->text(), editMin->text(), editSec->text()).left(9) +
           (QStringLiteral("00") + editFrame->text()).right(2);
}
