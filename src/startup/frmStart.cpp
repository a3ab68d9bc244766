#include "frmStart.h"

#include "ComboBox.h"
#include "Controls.h"
#include "Forms.h"
#include "WindowHints.h"
#include "mdF.h"
#include "ui_frmStart.h"

#include <QFileInfo>

namespace {
const QString kStudentItem = QStringLiteral("Тест для учащегося.");
const QString kTeacherItem = QStringLiteral("Режим Учителя");
} // namespace

frmStart::frmStart(Forms& forms) : Form(forms, QStringLiteral("frmStart")) {}

frmStart::~frmStart() = default;

void frmStart::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmStart>();
    m_ui->setupUi(&widget);
    setClientSize(3765, 1545, Border::Dialog);
    setFontSize(m_ui->cmdHelp, 13.5);
    widget.setWindowIcon(programIcon());
    m_combo1Index = new ComboListIndex(m_ui->Combo1);
    connect(m_ui->cmdAdd, &QPushButton::clicked, this, &frmStart::cmdAdd_Click);
    connect(m_ui->cmdHelp, &QPushButton::clicked, this, &frmStart::cmdHelp_Click);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmStart::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmStart::Command2_Click);
    m_ui->cmdAdd->setFocus();
}

void frmStart::controlsDestroyed() {
    m_ui.reset();
    m_combo1Index = nullptr;
}

void frmStart::Form_Load() {
    forms().setHelpFile(QStringLiteral("HELP_TEST.HLP"));
    const Status title =
        QFileInfo::exists(mdF::kTitleFile) ? mdF::LoadTitle() : mdF::CreateTitleFile();
    report(title, QStringLiteral("Заголовок теста"));
    setCaption(mdF::TestTitle + QStringLiteral(" V-1.01"));
    m_ui->Combo1->setEditText(kStudentItem);
    m_ui->Combo1->addItem(kStudentItem);
    m_ui->Combo1->addItem(kTeacherItem);
    // Adding the first item selects it in Qt; here the text stands with no item selected.
    m_ui->Combo1->setCurrentIndex(-1);
    m_ui->Combo1->setEditText(kStudentItem);
    m_combo1Index->setListIndex(-1);
}

int frmStart::Combo1ListIndex() const {
    return m_combo1Index->ListIndex();
}

void frmStart::cmdAdd_Click() {
    m_listPosition = Combo1ListIndex();
    // The results browser opened here shows everyone's results: it does not stay open through a
    // student's test (the teacher's editor opens its own).
    forms().Unload(QStringLiteral("frmVeiv"));
    forms().Show(m_listPosition == 1 ? QStringLiteral("frmSek") : QStringLiteral("frmAutor"));
    Unload();
}

void frmStart::cmdHelp_Click() {
    m_listPosition = Combo1ListIndex();
    setHelpContextID(m_ui->cmdHelp, m_listPosition == 1 ? 1006 : 1005);
    m_ui->cmdHelp->setFocus();
    forms().SendF1();
}

void frmStart::Command1_Click() {
    forms().Show(QStringLiteral("frmOtchot"));
}

void frmStart::Command2_Click() {
    forms().Show(QStringLiteral("frmVeiv"));
}
