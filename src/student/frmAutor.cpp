#include "frmAutor.h"

#include "Characters.h"
#include "Controls.h"
#include "DataControl.h"
#include "Forms.h"
#include "StudentResults.h"
#include "StudentRow.h"
#include "StudentTables.h"
#include "mdF.h"
#include "ui_frmAutor.h"

namespace {
// Characters as a person sees them, as many as the name field holds.
constexpr int kNameLimit = 255;
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
    limitCharacters(m_ui->Text1, kNameLimit);
    m_data1 = addData(QStringLiteral("Data1"), QStringLiteral("Rezultat"));
    m_data1->bind(m_ui->Text2, QStringLiteral("Фамилия, Имя, Отчество"));
    m_data1->setErrorHandler([this](const Status& status) { Data1_Error(status); });
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmAutor::Command1_Click);
    m_ui->Text1->setFocus();
}

void frmAutor::controlsDestroyed() {
    m_ui.reset();
    m_data1 = nullptr;
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

void frmAutor::Command1_Click() {
    m_studentName = m_ui->Text1->text();
    if (!storeStudentRow())
        return;
    forms().Show(QStringLiteral("frmTest"));
    Unload();
}

// The student's row is taken in one step the store makes whole (the single blank row of an
// emptied table, or a new one), so that two PCs signing in at once never share a row, and it
// costs no step per row. Known by its key from then on; a row that could not be stored leaves
// the student here, and nothing is ever written to another row.
bool frmAutor::storeStudentRow() {
    Status status = m_fault;
    qint64 key = 0;
    if (status.ok()) {
        const BusyCursor busy;
        if (const auto db = Database::open(forms().store(), status))
            status = StudentResults::claimRow(*db, m_studentName, key);
    }
    m_fault = Status::success();
    if (!status.ok()) {
        platform().MsgBox(status.error + kNotStored, vbOKOnly + vbCritical, kDatabaseError);
        return false;
    }
    m_row->signedIn(key, m_studentName);
    return true;
}
