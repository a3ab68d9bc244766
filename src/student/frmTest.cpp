#include "frmTest.h"

#include "Accessibility.h"
#include "Controls.h"
#include "DataControl.h"
#include "Forms.h"
#include "Numbers.h"
#include "QuestionNumbers.h"
#include "StudentRow.h"
#include "TextFit.h"
#include "mdF.h"
#include "ui_frmTest.h"

#include <QUuid>
#include <numeric>

using QuestionNumbers::kQuestions;

namespace {
const QString kAttention = QStringLiteral("Внимание!");

int sum(const auto& values) {
    return std::accumulate(values.begin(), values.end(), 0);
}
} // namespace

frmTest::frmTest(Forms& forms, std::shared_ptr<StudentRow> row)
    : Form(forms, QStringLiteral("frmTest")), m_row(std::move(row)) {}

frmTest::~frmTest() = default;

void frmTest::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmTest>();
    m_ui->setupUi(&widget);
    setClientSize(7305, 4800);
    setFontSize(m_ui->Label8, 8.25);
    bindControls();
    addTimer(QStringLiteral("Timer1"), 100, true, [this] { Timer1_Timer(); });
    connect(m_ui->cmdNext, &QPushButton::clicked, this, &frmTest::cmdNext_Click);
    m_ui->cmdNext->setFocus();
}

void frmTest::bindControls() {
    m_data1 = addData(QStringLiteral("Data1"), QStringLiteral("Zadanie"));
    m_data1->bind(m_ui->lblVopros, QStringLiteral("Text_Zadan"));
    m_data1->bind(m_ui->Label8, QStringLiteral("Numer"));
    m_data1->bind(m_ui->txtNomer, QStringLiteral("Numer"));
    for (int i = 0; i < 4; ++i) {
        m_data1->bind(options()[i], QStringLiteral("Otvet_%1").arg(i + 1));
        m_data1->bind(keys()[i], QStringLiteral("Rezult_%1").arg(i + 1));
    }
    connect(m_data1, &DataControl::rowLoaded, this, &frmTest::showQuestionText);
    connect(m_data1, &DataControl::rowLoaded, this, &frmTest::nameQuestion);
    m_data2 = addData(QStringLiteral("Data2"), QStringLiteral("Rezultat"));
    // It only gives the caption its name; the sign-in has told of any fault of the store.
    m_data2->setErrorHandler([](const Status&) {});
    m_data2->bind(m_ui->txtImya, QStringLiteral("Фамилия, Имя, Отчество"));
    m_data2->bind(m_ui->txtProcent, QStringLiteral("Результат выполнения"));
    for (int i = 0; i < kQuestions; ++i)
        m_data2->bind(outcomeBoxes()[i], QStringLiteral("Вопрос %1").arg(i + 1));
}

void frmTest::controlsDestroyed() {
    m_ui.reset();
    m_data1 = nullptr;
    m_data2 = nullptr;
}

std::array<QCheckBox*, 4> frmTest::picks() const {
    return {m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4};
}

std::array<QLabel*, 4> frmTest::options() const {
    return {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4};
}

std::array<QCheckBox*, 4> frmTest::keys() const {
    return {m_ui->chIst1, m_ui->chIst2, m_ui->chIst3, m_ui->chIst4};
}

std::array<QCheckBox*, kQuestions> frmTest::outcomeBoxes() const {
    return {m_ui->chOtv1, m_ui->chOtv2, m_ui->chOtv3, m_ui->chOtv4, m_ui->chOtv5,
            m_ui->chOtv6, m_ui->chOtv7, m_ui->chOtv8, m_ui->chOtv9, m_ui->chOtv10};
}

// The question box shows the stored question through its hidden accessor, so that a question
// too long to show is cut for the box alone.
void frmTest::showQuestionText() {
    m_ui->Text1->setWholeText(m_ui->lblVopros->text());
}

// A screen reader names the question box by the question's number and each box by the option
// it ticks; an option without text by its place. "Далее >>", which has the focus as the window
// opens, describes the question shown.
void frmTest::nameQuestion() {
    Accessibility::setName(m_ui->Text1,
                           QStringLiteral("Вопрос %1").arg(m_ui->Label8->text()).trimmed());
    Accessibility::setDescription(m_ui->cmdNext, m_ui->Text1->accessibleName() +
                                                     QStringLiteral(": ") +
                                                     m_ui->Text1->toPlainText());
    for (int i = 0; i < 4; ++i) {
        const QString option = options()[i]->text().trimmed();
        Accessibility::setName(
            picks()[i], option.isEmpty() ? QStringLiteral("Вариант ответа %1").arg(i + 1) : option);
    }
}

void frmTest::Form_Load() {
    mdF::LoadTitle();
    const QuestionNumbers::Check questions = QuestionNumbers::check(forms().store());
    m_hasLastQuestion = questions.readable && !questions.missing.contains(kQuestions);
    if (questions.readable && !questions.missing.isEmpty())
        tellMissingNumbers(questions.missing);
}

// Told over the test window, once it is shown and the sign-in has gone.
void frmTest::tellMissingNumbers(const QList<int>& missing) {
    QMetaObject::invokeMethod(
        this,
        [this, missing] {
            if (isVisible())
                platform().MsgBox(QuestionNumbers::describeMissing(missing),
                                  vbOKOnly + vbExclamation, kAttention);
        },
        Qt::QueuedConnection);
}

// Keeps the student's row current and shows the name; the questions, should the store not have
// answered when the window loaded, come as soon as it does.
void frmTest::Timer1_Timer() {
    m_data1->retryOpen();
    moveToStudentRow();
    setCaption(mdF::TestTitle + QStringLiteral(" Режим пользователя. (") + m_ui->txtImya->text() +
               QStringLiteral(")"));
}

void frmTest::cmdNext_Click() {
    const auto picked = picks();
    if (std::all_of(picked.begin(), picked.end(), [](QCheckBox* box) { return Value(box) == 0; })) {
        platform().MsgBox(QStringLiteral("Вы не выбрали ни одного из предложенных вариантов! "
                                         "Прочтите внимательно вопрос и постарайтесь ответить "
                                         "правильно."),
                          vbOKOnly + vbExclamation, kAttention);
        return;
    }
    RecordAnswer();
    ClearChecks();
    nextQuestion();
    // A screen reader reads the question that now has the focus: it reads no change of a control
    // that keeps it.
    m_ui->Text1->setFocus();
}

// The last question stays on screen once the table ends.
void frmTest::nextQuestion() {
    if (m_data1->eof()) // no question at all
        return;
    m_data1->MoveNext();
    if (m_data1->eof())
        m_data1->MovePrevious();
}

void frmTest::RecordAnswer() {
    m_questionNo = QuestionNumbers::read(m_ui->txtNomer->text()).value_or(0);
    if (m_questionNo < 1 || m_questionNo > kQuestions)
        return;
    CheckAnswer();
    m_outcome[m_questionNo - 1] = m_answerOk;
    if (m_questionNo == kQuestions) {
        FinishTest();
        Hide();
    }
}

// Right only when exactly the options of the key are ticked, and the key has at least one.
void frmTest::CheckAnswer() {
    for (int i = 0; i < 4; ++i) {
        m_pick[i] = Value(picks()[i]);
        m_key[i] = Value(keys()[i]);
        m_match[i] = m_pick[i] > 0 && m_key[i] > 0 && m_pick[i] == m_key[i] ? 1 : 0;
    }
    m_matchCount = sum(m_match);
    m_keyCount = sum(m_key);
    m_pickCount = sum(m_pick);
    const bool right = m_matchCount == m_keyCount && m_keyCount == m_pickCount &&
                       m_matchCount > 0 && m_keyCount > 0;
    m_answerOk = right ? 1 : 0;
}

// The outcomes go to the store by the student's courier, not by this window's record source:
// kept in the program and on this PC first, they are stored once and on the student's row
// whatever the store does meanwhile, and no tick of this window ever waits for it.
void frmTest::FinishTest() {
    const double percent = double(sum(m_outcome)) / kQuestions * 100;
    FinishedTest test;
    test.attempt = QUuid::createUuid().toString(QUuid::WithoutBraces);
    test.key = m_row->key.value_or(0);
    test.name = m_row->key ? m_row->name : m_ui->txtImya->text();
    std::copy(m_outcome.begin(), m_outcome.end(), test.outcomes.begin());
    test.percent = kvz::roundToInt32(percent).value_or(0);
    m_row->finish(test);
    forms().Show(QStringLiteral("frmOtchot"));
}

// Only reads: the caption shows the name as stored.
void frmTest::moveToStudentRow() {
    m_row->moveTo(*m_data2);
}

void frmTest::ClearChecks() {
    for (QCheckBox* box : picks())
        setValue(box, 0);
}

void frmTest::Form_Unload(int& cancel) {
    if (!m_hasLastQuestion) // the student was told the test cannot end
        return;
    const std::optional<int> n = QuestionNumbers::read(m_ui->txtNomer->text());
    if (n && *n < kQuestions) {
        platform().MsgBox(QStringLiteral("Вы не на все вопросы ответили! Вам осталось ") +
                              QString::number(kQuestions - *n) + QStringLiteral(" вопросов"),
                          vbOKOnly + vbExclamation, kAttention);
        cancel = 1;
    } else if (n == kQuestions) {
        cancel = 1;
        RecordAnswer();
    }
}
