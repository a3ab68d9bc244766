#include "frmTest.h"

#include "Accessibility.h"
#include "Controls.h"
#include "Forms.h"
#include "QuestionNumbers.h"
#include "StudentRow.h"
#include "TextFit.h"
#include "mdF.h"
#include "ui_frmTest.h"

using QuestionNumbers::kQuestions;

namespace {
const QString kAttention = QStringLiteral("Внимание!");
} // namespace

frmTest::frmTest(Forms& forms, std::shared_ptr<StudentRow> row)
    : Form(forms, QStringLiteral("frmTest")), m_row(std::move(row)) {}

frmTest::~frmTest() = default;

void frmTest::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmTest>();
    m_ui->setupUi(&widget);
    setClientSize(7305, 4800);
    setFontSize(m_ui->Label8, 8.25);
    addTimer(QStringLiteral("Timer1"), 100, true, [this] { Timer1_Timer(); });
    connect(m_ui->cmdNext, &QPushButton::clicked, this, &frmTest::cmdNext_Click);
    m_ui->cmdNext->setFocus();
}

void frmTest::controlsDestroyed() {
    m_ui.reset();
}

std::array<QCheckBox*, 4> frmTest::picks() const {
    return {m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4};
}

std::array<QLabel*, 4> frmTest::options() const {
    return {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4};
}

const QVector<Question>& frmTest::questions() const {
    return m_row->sheet().questions;
}

// The questions were read at the sign-in: nothing of the test waits on the store.
void frmTest::showQuestion() {
    if (m_index >= questions().size())
        return;
    const Question& question = questions()[m_index];
    m_ui->lblVopros->setText(question.text);
    m_ui->Label8->setText(question.numberText);
    m_ui->txtNomer->setText(question.numberText);
    for (int i = 0; i < 4; ++i)
        options()[i]->setText(question.options[i]);
    showQuestionText();
    nameQuestion();
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
    // Opened without a sign-in, the test reads its questions now.
    if (questions().isEmpty())
        m_row->readTest();
    const QuestionNumbers::Check check = QuestionNumbers::check(m_row->sheet());
    m_hasLastQuestion = !check.missing.contains(kQuestions);
    if (!check.missing.isEmpty())
        tellMissingNumbers(check.missing);
    m_ui->txtImya->setText(m_row->name);
    m_index = 0;
    m_ticks = {};
    showQuestion();
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

void frmTest::Timer1_Timer() {
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
    if (m_index + 1 < questions().size())
        ++m_index;
    showQuestion();
}

// The ticks are kept per question number; the store scores them at the end (the database file
// through this PC, the class's server itself).
void frmTest::RecordAnswer() {
    m_questionNo = QuestionNumbers::read(m_ui->txtNomer->text()).value_or(0);
    if (m_questionNo < 1 || m_questionNo > kQuestions)
        return;
    std::array<bool, 4> ticked{};
    for (int i = 0; i < 4; ++i)
        ticked[i] = Value(picks()[i]) != 0;
    m_ticks[m_questionNo - 1] = ticksOf(ticked);
    if (m_questionNo == kQuestions) {
        FinishTest();
        Hide();
    }
}

// The test goes to the store by the student's courier: kept in the program and on this PC
// first, it is stored once and on the student's row whatever the store does meanwhile, and no
// tick of this window ever waits for it.
void frmTest::FinishTest() {
    m_row->finish(m_ticks);
    forms().Show(QStringLiteral("frmOtchot"));
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
