#include "frmAbout.h"

#include "FormTimer.h"
#include "WindowHints.h"
#include "ui_frmAbout.h"

#include <array>

frmAbout::frmAbout(Forms& forms) : Form(forms, QStringLiteral("frmAbout")) {}

frmAbout::~frmAbout() = default;

void frmAbout::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmAbout>();
    m_ui->setupUi(&widget);
    setClientSize(4725, 1410, Border::Tool);
    widget.setWindowIcon(programIcon());
    setCaption(QStringLiteral("Томск"));
    m_timer1 = addTimer(QStringLiteral("Timer1"), 30, false, [this] { Timer1_Timer(); });
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
}

void frmAbout::controlsDestroyed() {
    m_ui.reset();
    m_timer1 = nullptr;
}

void frmAbout::Form_Load() {
    m_ui->Label1->setVisible(false);
    m_ui->Label2->setVisible(false);
    m_ui->Label3->setVisible(false);
    m_ui->Image1->setVisible(false);
    m_ui->Command1->setVisible(false);
    m_timer1->setEnabled(true);
}

// Every tenth tick reveals the next item, up to the fiftieth; later ticks only count on.
void frmAbout::Timer1_Timer() {
    ++m_ticks;
    const std::array<QWidget*, 5> inOrder{m_ui->Image1, m_ui->Label1, m_ui->Label2, m_ui->Label3,
                                          m_ui->Command1};
    if (m_ticks % 10 == 0 && m_ticks / 10 <= int(inOrder.size()))
        inOrder[m_ticks / 10 - 1]->setVisible(true);
    // The button is all that takes the focus: once it is there, Enter closes the window.
    if (m_ui->Command1->isVisible() && !widget()->focusWidget())
        m_ui->Command1->setFocus();
}

void frmAbout::Command1_Click() {
    Unload();
}

void frmAbout::Form_Unload(int& cancel) {
    (void)cancel;
    m_timer1->setEnabled(false);
    m_ticks = 0;
}
