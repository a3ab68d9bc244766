#include "frmAutor.h"

#include "Characters.h"
#include "Controls.h"
#include "Forms.h"
#include "StudentRow.h"
#include "mdF.h"
#include "ui_frmAutor.h"

namespace {
// Characters as a person sees them, as many as the name field holds.
constexpr int kNameLimit = 255;
const QString kDatabaseError = QStringLiteral("Ошибка базы данных");
const QString kCannotRun =
    QStringLiteral("\n\nТест сейчас не может быть проведён. Сообщите об этом учителю.");
const QString kRefused = QStringLiteral(
    "\n\nВаше имя не сохранено, поэтому тест ещё не начат. Сообщите об этом учителю.");
const QString kNotStored =
    QStringLiteral("\n\nВаше имя не сохранено, поэтому тест ещё не начат. Нажмите «OK» ещё раз "
                   "через несколько секунд; если сообщение повторится, сообщите об этом учителю.");
} // namespace

frmAutor::frmAutor(Forms& forms, std::shared_ptr<StudentRow> row)
    : Form(forms, QStringLiteral("frmAutor")), m_row(std::move(row)) {}

frmAutor::~frmAutor() = default;

void frmAutor::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmAutor>();
    m_ui->setupUi(&widget);
    setClientSize(3930, 1425, Border::Tool);
    setFontSize(m_ui->Label1, 9.75);
    setFontSize(m_ui->Text1, 9.75);
    limitCharacters(m_ui->Text1, kNameLimit);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmAutor::Command1_Click);
    m_ui->Text1->setFocus();
}

void frmAutor::controlsDestroyed() {
    m_ui.reset();
}

void frmAutor::Form_Load() {
    // The start window has already reported a title file it could not read; the default
    // title stands in for it here.
    mdF::LoadTitle();
    setCaption(QStringLiteral("Авторизация ") + mdF::TestTitle + QStringLiteral(" V-1.01"));
    m_ui->Text1->setText(QString());
    // Once the window stands.
    QMetaObject::invokeMethod(this, &frmAutor::refuseWhenTestCannotRun, Qt::QueuedConnection);
}

// A store that answers but whose tables cannot give the test never starts it: one message
// saying why, then back to the start window. A store that does not answer now may answer at
// the sign-in, which tells it then.
void frmAutor::refuseWhenTestCannotRun() {
    if (!isLoaded())
        return;
    Status fault;
    {
        const BusyCursor busy;
        fault = m_row->readTest();
    }
    if (fault.ok() || fault.cause == Status::Cause::Unanswered)
        return;
    platform().MsgBox(fault.error + kCannotRun, vbOKOnly + vbCritical, kDatabaseError);
    forms().Show(QStringLiteral("frmStart"));
    Unload();
}

void frmAutor::Command1_Click() {
    m_studentName = m_ui->Text1->text();
    if (!storeStudentRow())
        return;
    forms().Show(QStringLiteral("frmTest"));
    Unload();
}

// The questions are read and the student's row taken in one step the store makes whole (the
// single blank row of an emptied table, or a new one), so that two PCs signing in at once never
// share a row. Known by its key from then on; a row that could not be stored leaves the student
// here, and nothing is ever written to another row.
bool frmAutor::storeStudentRow() {
    Status status;
    {
        const BusyCursor busy;
        status = m_row->signIn(m_studentName);
    }
    if (status.ok())
        return true;
    const bool later = status.cause == Status::Cause::Unanswered;
    platform().MsgBox(status.error + (later ? kNotStored : kRefused), vbOKOnly + vbCritical,
                      kDatabaseError);
    return false;
}
