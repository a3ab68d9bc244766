#include "frmSek.h"

#include "Forms.h"
#include "Numbers.h"
#include "ui_frmSek.h"

#include <QEvent>

namespace {
constexpr std::int32_t kTeacherPassword = 5826;
}

frmSek::frmSek(Forms& forms) : Form(forms, QStringLiteral("frmSek")) {}

frmSek::~frmSek() = default;

void frmSek::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmSek>();
    m_ui->setupUi(&widget);
    setClientSize(4200, 1515, Border::None);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmSek::cmdOK_Click);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &frmSek::cmdCancel_Click);
    widget.installEventFilter(this);
    m_ui->txtSek->setFocus();
}

// The window's only ways out are its two buttons: a close request from the window manager
// (Alt+F4) would otherwise leave no window loaded and end the program.
bool frmSek::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return Form::eventFilter(watched, event);
}

void frmSek::controlsDestroyed() {
    m_ui.reset();
}

void frmSek::Form_Load() {
    m_ui->txtSek->setText(QString());
}

void frmSek::cmdOK_Click() {
    // A number beyond the 32-bit range is no password either.
    m_enteredNumber = kvz::wholeNumberIn(m_ui->txtSek->text());
    if (m_enteredNumber == kTeacherPassword) {
        forms().Show(QStringLiteral("frmEdit"));
        Unload();
        return;
    }
    platform().MsgBox(QStringLiteral("Bзвините, пароль введен неверно!"), vbOKOnly + vbExclamation,
                      QStringLiteral("Ошибка пользователя"));
    backToStart();
}

void frmSek::cmdCancel_Click() {
    backToStart();
}

void frmSek::backToStart() {
    Unload();
    forms().Show(QStringLiteral("frmStart"));
}
