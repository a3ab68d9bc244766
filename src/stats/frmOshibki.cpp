#include "frmOshibki.h"

#include "Accessibility.h"
#include "ui_frmOshibki.h"

#include <QShortcut>

frmOshibki::frmOshibki(Forms& forms) : Form(forms, QStringLiteral("frmOshibki")) {}

frmOshibki::~frmOshibki() = default;

void frmOshibki::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmOshibki>();
    m_ui->setupUi(&widget);
    setClientSize(6000, 5400, Border::Dialog);
    connect(m_ui->cmdOk, &QPushButton::clicked, this, [this] { Unload(); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), &widget), &QShortcut::activated, this,
            [this] { Unload(); });
}

void frmOshibki::controlsDestroyed() {
    m_ui.reset();
}

void frmOshibki::Form_Load() {
    setCaption(QStringLiteral("Ответили неверно"));
}

// Shown afresh for each question: a window of another question is replaced.
void frmOshibki::showFor(const QString& question, const QStringList& names) {
    m_question = question;
    m_names = names;
    Show();
    m_ui->lblVopros->setText(m_question);
    m_ui->lstUchashchiesya->clear();
    m_ui->lstUchashchiesya->addItems(m_names);
    if (m_names.isEmpty())
        m_ui->lstUchashchiesya->addItem(QStringLiteral("Никто не ответил неверно."));
    m_ui->lstUchashchiesya->setCurrentRow(0);
    m_ui->lstUchashchiesya->setFocus();
    Accessibility::setDescription(
        m_ui->lstUchashchiesya,
        QStringLiteral("%1. Ответили неверно: %2").arg(m_question).arg(m_names.size()));
}
