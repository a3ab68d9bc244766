#include "frmAutor.h"

#include "DataControl.h"
#include "FormTimer.h"
#include "Forms.h"
#include "mdF.h"
#include "ui_frmAutor.h"

frmAutor::frmAutor(Forms& forms) : Form(forms, QStringLiteral("frmAutor")) {}

frmAutor::~frmAutor() = default;

void frmAutor::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmAutor>();
    m_ui->setupUi(&widget);
    setClientSize(3930, 1425, Border::Tool);
    m_data1 = addData(QStringLiteral("Data1"), QStringLiteral("Rezultat"));
    m_data1->bind(m_ui->Text2, QStringLiteral("Фамилия, Имя, Отчество"));
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
    forms().Show(QStringLiteral("frmTest"));
    Unload();
}
