#include "frmOtchot.h"

#include "Accessibility.h"
#include "Controls.h"
#include "DataControl.h"
#include "Forms.h"
#include "Numbers.h"
#include "StudentRow.h"
#include "ui_frmOtchot.h"

#include <algorithm>

using QuestionNumbers::kQuestions;

namespace {
const QString kRight = QStringLiteral("Ответ правильный");
const QString kWrong = QStringLiteral("Ответ неверный");
} // namespace

frmOtchot::frmOtchot(Forms& forms, std::shared_ptr<StudentRow> row)
    : Form(forms, QStringLiteral("frmOtchot")), m_row(std::move(row)) {}

frmOtchot::~frmOtchot() = default;

void frmOtchot::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmOtchot>();
    m_ui->setupUi(&widget);
    setClientSize(5700, 4740); // with the line that says where the result is
    setFontSize(m_ui->Label2, 9.75);
    setFontSize(m_ui->lblRes, 9.75);
    m_data1 = addData(QStringLiteral("Data1"), QStringLiteral("Rezultat"));
    m_data1->bind(m_ui->Label2, QStringLiteral("Фамилия, Имя, Отчество"));
    m_data1->bind(m_ui->lblRes, QStringLiteral("Результат выполнения"));
    for (int i = 0; i < kQuestions; ++i)
        m_data1->bind(outcomeBoxes()[i], QStringLiteral("Вопрос %1").arg(i + 1));
    addTimer(QStringLiteral("Timer1"), 100, true, [this] { Timer1_Timer(); });
    connect(m_ui->cmdOk, &QPushButton::clicked, this, &frmOtchot::cmdOk_Click);
    m_ui->cmdOk->setFocus();
}

void frmOtchot::controlsDestroyed() {
    m_ui.reset();
    m_data1 = nullptr;
}

std::array<QCheckBox*, kQuestions> frmOtchot::outcomeBoxes() const {
    return {m_ui->chOt1, m_ui->chOt2, m_ui->chOt3, m_ui->chOt4, m_ui->chOt5,
            m_ui->chOt6, m_ui->chOt7, m_ui->chOt8, m_ui->chOt9, m_ui->chOt10};
}

std::array<QLabel*, kQuestions> frmOtchot::outcomeLabels() const {
    return {m_ui->lb1, m_ui->lb2, m_ui->lb3, m_ui->lb4, m_ui->lb5,
            m_ui->lb6, m_ui->lb7, m_ui->lb8, m_ui->lb9, m_ui->lb10};
}

void frmOtchot::Form_Load() {
    platform().Beep();
}

// Shows the student's row as stored now. Until the store has the finished test, the test as
// the program keeps it, and no statement runs: the store may be locked or away.
void frmOtchot::Timer1_Timer() {
    const StudentRow::Saving saving = m_row->saving();
    m_ui->lblSave->setText(savingNote(saving));
    if (saving == StudentRow::Saving::None || saving == StudentRow::Saving::Stored) {
        m_row->moveTo(*m_data1);
        std::array<int, kQuestions> values{};
        for (int i = 0; i < kQuestions; ++i)
            values[i] = Value(outcomeBoxes()[i]);
        return showOutcomes(values);
    }
    const FinishedTest& kept = *m_row->finished();
    m_ui->Label2->setText(kept.name);
    m_ui->lblRes->setText(QString::number(kept.percent));
    showOutcomes(kept.outcomes);
}

QString frmOtchot::savingNote(StudentRow::Saving saving) const {
    switch (saving) {
    case StudentRow::Saving::None:
        return {};
    case StudentRow::Saving::Trying:
        return QStringLiteral("Сохранение результата...");
    case StudentRow::Saving::Stored:
        return QStringLiteral("Результат сохранён.");
    case StudentRow::Saving::KeptHere:
        return QStringLiteral("База данных сейчас недоступна: результат сохранён на этом "
                              "компьютере и будет записан в неё, как только она ответит. "
                              "Можно нажать «OK».");
    case StudentRow::Saving::NotKept:
        return QStringLiteral("Результат пока не сохранён: база данных недоступна. Не "
                              "закрывайте программу и позовите учителя.");
    }
    return {};
}

void frmOtchot::showOutcomes(const std::array<int, kQuestions>& values) {
    // A percentage outside the bar's range fills it to the nearer end.
    const int percent = kvz::wholeNumberIn(m_ui->lblRes->text()).value_or(0);
    m_ui->ProgressBar1->setValue(std::clamp(percent, 0, 100));
    for (int i = 0; i < kQuestions; ++i) {
        QLabel* label = outcomeLabels()[i];
        if (values[i] == 1) {
            label->setText(kRight);
        } else {
            setForeColor(label, kRed);
            label->setText(kWrong);
        }
    }
    nameResult();
}

// Tab reaches the name, each verdict and the percentage, each read as a sentence; OK, which has
// the focus as the screen opens, tells the whole result, and tells it again once it changes.
void frmOtchot::nameResult() {
    const auto labels = outcomeLabels();
    const QList<QLabel*> verdicts(labels.begin(), labels.end());
    Accessibility::setDescription(
        m_ui->cmdOk, Accessibility::nameResult({m_ui->Label1, m_ui->Label2, verdicts, m_ui->Label23,
                                                m_ui->lblRes, m_ui->Label25}));
}

void frmOtchot::cmdOk_Click() {
    {
        const BusyCursor busy;
        m_row->waitWhileTrying();
    }
    if (!isLoaded() || forms().ended()) // closed meanwhile
        return;
    // "Тест закончен!" would say the result is kept: it must be in the store, or on this PC
    // once the store has not answered for a while (the screen says so).
    if (const auto saving = m_row->saving();
        saving == StudentRow::Saving::Trying || saving == StudentRow::Saving::NotKept)
        return tellNotStored();
    Hide();
    platform().MsgBox(QStringLiteral("Тест закончен!"), vbOKOnly + vbInformation,
                      QStringLiteral("Сообщение"));
    startPusk();
    forms().End();
}

// What follows the test is the school's own choice: without it the test ends as a test that went
// well should, and the system's log tells the administrator why nothing followed.
void frmOtchot::startPusk() {
    if (const QString error = platform().Shell(QStringLiteral("pusk.exe"), vbNormalFocus);
        !error.isEmpty())
        platform().Log(error);
}

// The close box ends the program, unless that would lose a result only the program holds.
void frmOtchot::Form_Unload(int& cancel) {
    if (!m_row->safe()) {
        cancel = 1;
        return tellNotStored();
    }
    forms().End();
}

void frmOtchot::tellNotStored() {
    platform().MsgBox(QStringLiteral("Ваш результат ещё не сохранён в базе данных. Подождите "
                                     "несколько секунд и нажмите «OK» ещё раз; если сообщение "
                                     "повторится, позовите учителя."),
                      vbOKOnly + vbExclamation, QStringLiteral("Сообщение"));
}
