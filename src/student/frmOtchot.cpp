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
const QString kUnknown = QStringLiteral("—"); // not scored yet
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
    // A student's PC of a class's server reads no table: after a test the screen shows what
    // the program keeps, and needs no row.
    m_data1->setErrorHandler([this, told = false](const Status& status) mutable {
        if (m_row->finished() || told)
            return;
        told = true;
        platform().MsgBox(status.error, vbOKOnly + vbCritical,
                          QStringLiteral("Ошибка базы данных"));
    });
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

// Shows the student's finished test as the program keeps it, scored by the store where the
// store scores it; no statement runs, the store may be locked or away. Opened without a test,
// the last row of Rezultat as stored now.
void frmOtchot::Timer1_Timer() {
    const StudentRow::Saving saving = m_row->saving();
    m_ui->lblSave->setText(savingNote(saving));
    if (saving == StudentRow::Saving::None) {
        m_row->moveTo(*m_data1);
        std::array<int, kQuestions> values{};
        for (int i = 0; i < kQuestions; ++i)
            values[i] = Value(outcomeBoxes()[i]);
        return showOutcomes(values);
    }
    const FinishedTest& kept = *m_row->finished();
    m_ui->Label2->setText(kept.name);
    const std::optional<int> percent = kept.percent();
    m_ui->lblRes->setText(percent ? QString::number(*percent) : kUnknown);
    showOutcomes(kept.outcomes);
}

QString frmOtchot::savingNote(StudentRow::Saving saving) const {
    const bool scored = m_row->finished() && m_row->finished()->outcomes;
    switch (saving) {
    case StudentRow::Saving::None:
        return {};
    case StudentRow::Saving::Trying:
        return QStringLiteral("Сохранение результата...");
    case StudentRow::Saving::Stored:
        return QStringLiteral("Результат сохранён.");
    case StudentRow::Saving::KeptHere:
        if (!scored)
            return QStringLiteral("Сервер базы данных сейчас недоступен: ответы сохранены на этом "
                                  "компьютере и будут оценены и записаны, как только он ответит. "
                                  "Можно нажать «OK».");
        return QStringLiteral("База данных сейчас недоступна: результат сохранён на этом "
                              "компьютере и будет записан в неё, как только она ответит. "
                              "Можно нажать «OK».");
    case StudentRow::Saving::Refused:
        return QStringLiteral("База данных не принимает результат: %1 Результат сохранён на этом "
                              "компьютере. Сообщите об этом учителю.")
            .arg(m_row->problem());
    case StudentRow::Saving::NotKept:
        return QStringLiteral("Результат пока не сохранён. %1 %2 Не закрывайте программу и "
                              "позовите учителя.")
            .arg(m_row->keepProblem(), m_row->problem());
    }
    return {};
}

// Verdicts the store has not given yet are shown as unknown, never as wrong.
void frmOtchot::showOutcomes(const std::optional<std::array<int, kQuestions>>& values) {
    // A percentage outside the bar's range fills it to the nearer end.
    const int percent = kvz::wholeNumberIn(m_ui->lblRes->text()).value_or(0);
    m_ui->ProgressBar1->setValue(std::clamp(percent, 0, 100));
    for (int i = 0; i < kQuestions; ++i) {
        QLabel* label = outcomeLabels()[i];
        if (!values) {
            label->setText(kUnknown);
        } else if ((*values)[i] == 1) {
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
