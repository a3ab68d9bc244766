#include "frmAutor.h"

#include "Controls.h"
#include "DataControl.h"
#include "FormTimer.h"
#include "Forms.h"
#include "StudentRow.h"
#include "StudentTables.h"
#include "mdF.h"
#include "ui_frmAutor.h"

namespace {
const QString kDatabaseError = QStringLiteral("Ошибка базы данных");
const QString kCannotRun =
    QStringLiteral("\n\nТест сейчас не может быть проведён. Сообщите об этом "
                   "учителю: возможно, программу нужно переустановить.");
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
    m_data1 = addData(QStringLiteral("Data1"), QStringLiteral("Rezultat"));
    m_data1->bind(m_ui->Text2, QStringLiteral("Фамилия, Имя, Отчество"));
    m_data1->setErrorHandler([this](const Status& status) { Data1_Error(status); });
    m_timer1 = addTimer(QStringLiteral("Timer1"), 10, true, [this] { Timer1_Timer(); });
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmAutor::Command1_Click);
    m_ui->Text1->setFocus();
}

void frmAutor::controlsDestroyed() {
    m_ui.reset();
    m_data1 = nullptr;
    m_timer1 = nullptr;
}

void frmAutor::Form_Load() {
    // The start window has already reported a title file it could not read; the default
    // title stands in for it here.
    mdF::LoadTitle();
    setCaption(QStringLiteral("Авторизация ") + mdF::TestTitle + QStringLiteral(" V-1.01"));
    m_ui->Text1->setText(QString());
    m_fault = Status::success();
    // Once the window stands and its record source has tried to open.
    QMetaObject::invokeMethod(this, &frmAutor::refuseWhenTestCannotRun, Qt::QueuedConnection);
}

// Each step after a fault would fail on the same fault: the window tells the first one, once.
void frmAutor::Data1_Error(const Status& status) {
    if (m_fault.ok())
        m_fault = status;
}

// A test whose result cannot be stored is never started: one message saying why and what to
// do, then back to the start window.
void frmAutor::refuseWhenTestCannotRun() {
    if (!isLoaded())
        return;
    const Status fault = m_fault.ok() ? StudentTables::check(forms().store()) : m_fault;
    if (fault.ok())
        return;
    platform().MsgBox(fault.error + kCannotRun, vbOKOnly + vbCritical, kDatabaseError);
    forms().Show(QStringLiteral("frmStart"));
    Unload();
}

// One row per tick, starting on the first row.
void frmAutor::Timer1_Timer() {
    if (m_data1->eof()) // an empty table has no first row to count
        return m_timer1->setEnabled(false);
    ++m_rowCount;
    if (m_data1->MoveNext() && !m_data1->eof())
        return;
    m_data1->MoveFirst();
    m_timer1->setEnabled(false);
}

// An early OK must not decide on a partial count: with a blank first row and other rows behind
// it, a count of 1 would write the new name over another student's row.
void frmAutor::finishCounting() {
    while (m_timer1->Enabled() && !m_timer1->isTicking())
        m_timer1->fire();
}

void frmAutor::Command1_Click() {
    finishCounting();
    m_data1->MoveFirst();
    m_firstNameLength = int(m_ui->Text2->text().length());
    m_data1->MoveLast();
    m_studentName = m_ui->Text1->text();
    if (m_rowCount != 1 || m_firstNameLength != 0)
        m_data1->AddNew();
    m_ui->Text2->setText(m_studentName);
    if (!storeStudentRow())
        return;
    forms().Show(QStringLiteral("frmTest"));
    Unload();
}

// Stored before the test starts, and known by its key from then on. A row that could not be
// stored is dropped and the student stays here: nothing is ever written to another row.
bool frmAutor::storeStudentRow() {
    const bool stored = m_data1->Update() && m_fault.ok();
    if (const std::optional<qint64> key = m_data1->Bookmark(); stored && key) {
        m_row->key = key;
        m_row->resultPending = false;
        return true;
    }
    m_data1->CancelUpdate();
    const QString why =
        m_fault.ok() ? QStringLiteral("Запись таблицы «Rezultat» не сохранена.") : m_fault.error;
    m_fault = Status::success();
    platform().MsgBox(why + kNotStored, vbOKOnly + vbCritical, kDatabaseError);
    return false;
}
