#include "frmEdit.h"

#include "Accessibility.h"
#include "Characters.h"
#include "Controls.h"
#include "DataControl.h"
#include "Forms.h"
#include "ResultCourier.h"
#include "ResultsCsv.h"
#include "frmVeiv.h"
#include "mdF.h"
#include "ui_frmEdit.h"

#include <QDir>
#include <QFocusEvent>
#include <QRegularExpression>
#include <QTextCursor>
#include <algorithm>

namespace {

constexpr int kClientWidth = 7125;
constexpr int kClientHeight = 4500;
constexpr int kQuestionLimit = 255;
constexpr int kAnswerLimit = 64;
const QString kCannotEdit = QStringLiteral(
    "\n\nРедактор теста не может работать: вопросы теста нельзя ни прочитать, ни сохранить. "
    "Когда база данных будет исправлена, снова выберите «Режим Учителя».");
const QString kTeachersPc =
    QStringLiteral("\n\nРежим учителя на этом компьютере ничего не изменит: откройте его на "
                   "компьютере учителя.");

// The editor's two kinds of text box, the single-line answers and the multi-line question,
// seen through one set of words.
QString textOf(const QLineEdit* box) {
    return box->text();
}
QString textOf(const QPlainTextEdit* box) {
    return box->toPlainText();
}

void keepFirst(QLineEdit* box, qsizetype end) {
    box->setText(box->text().left(end));
}
void keepFirst(QPlainTextEdit* box, qsizetype end) {
    // Cutting through a cursor keeps the undo history of what the teacher typed.
    QTextCursor cursor(box->document());
    cursor.setPosition(int(end));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void putCaretAtEnd(QLineEdit* box) {
    box->end(false);
}
void putCaretAtEnd(QPlainTextEdit* box) {
    box->moveCursor(QTextCursor::End);
}

// The counter shows what is left of the limit; a longer text is cut to it between two
// characters, and the caret goes to the end after every change. A screen reader names the
// counter by the box it counts.
template <class Box> void countAndCut(Box* box, QLabel* counter, int limit) {
    const Characters counted = characters(textOf(box), limit);
    counter->setText(QString::number(limit - counted.total));
    Accessibility::setName(counter, box->accessibleName() + QStringLiteral(": осталось символов ") +
                                        counter->text());
    if (counted.total > limit)
        keepFirst(box, counted.end);
    putCaretAtEnd(box);
}

// An answer is one line: a tab or a line break (CR LF as one) pasted into it is a blank.
QString asOneLine(const QString& text) {
    static const QRegularExpression breaks(
        QStringLiteral("\\r\\n|[\\t\\n\\v\\f\\r\\x{85}\\x{2028}\\x{2029}]"));
    return QString(text).replace(breaks, QStringLiteral(" "));
}

// The focus leaves for a menu or another window and comes back to the same box.
bool isPassingFocus(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason ||
           reason == Qt::ActiveWindowFocusReason;
}

void selectWholeText(QWidget* box) {
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->selectAll();
}

} // namespace

frmEdit::frmEdit(Forms& forms) : Form(forms, QStringLiteral("frmEdit")) {}

frmEdit::~frmEdit() = default;

void frmEdit::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmEdit>();
    m_ui->setupUi(&widget);
    placeMenuBar();
    setForeColor(m_ui->lblSimvol, kDarkBlue);
    for (QLabel* counter : answerCounters())
        setForeColor(counter, kDarkBlue);
    connectCounters();
    bindFields();
    connectButtons();
    connectMenu();
}

void frmEdit::controlsDestroyed() {
    m_ui.reset();
    m_data1 = nullptr;
    m_focusLentBy = nullptr;
}

// The menu bar sits above the client area, whose controls keep their places below it.
void frmEdit::placeMenuBar() {
    const int menuHeight = m_ui->menuBar->sizeHint().height();
    m_ui->menuBar->setGeometry(0, 0, twips(kClientWidth), menuHeight);
    m_ui->Client->move(0, menuHeight);
    setClientSize(kClientWidth, kClientHeight + twipsOfPixels(menuHeight));
}

void frmEdit::bindFields() {
    m_data1 = addData(QStringLiteral("Data1"), QStringLiteral("Zadanie"));
    m_data1->setErrorHandler([this](const Status& status) { Data1_Error(status); });
    m_data1->bind(m_ui->Label3, QStringLiteral("Numer"));
    m_data1->bind(m_ui->txtVopros, QStringLiteral("Text_Zadan"));
    const std::array<QCheckBox*, 4> checks{m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4};
    for (int k = 0; k < 4; ++k) {
        m_data1->bind(answerBoxes()[k], QStringLiteral("Otvet_%1").arg(k + 1));
        m_data1->bind(checks[k], QStringLiteral("Rezult_%1").arg(k + 1));
    }
}

void frmEdit::connectButtons() {
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmEdit::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmEdit::Command2_Click);
    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &frmEdit::cmdDelete_Click);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &frmEdit::cmdExit_Click);
    connect(m_ui->cmdHelp, &QPushButton::clicked, this, &frmEdit::cmdHelp_Click);
}

void frmEdit::connectMenu() {
    connect(m_ui->TitleEdit, &QAction::triggered, this, &frmEdit::TitleEdit_Click);
    connect(m_ui->ExitForm, &QAction::triggered, this, &frmEdit::ExitForm_Click);
    connect(m_ui->Exit, &QAction::triggered, this, &frmEdit::Exit_Click);
    connect(m_ui->Veiv, &QAction::triggered, this, &frmEdit::Veiv_Click);
    connect(m_ui->ViewStat, &QAction::triggered, this, &frmEdit::ViewStat_Click);
    connect(m_ui->ViewOthsot, &QAction::triggered, this, &frmEdit::ViewOthsot_Click);
    connect(m_ui->ExportCsv, &QAction::triggered, this, &frmEdit::ExportCsv_Click);
    connect(m_ui->RukUser, &QAction::triggered, this, &frmEdit::RukUser_Click);
    connect(m_ui->About, &QAction::triggered, this, &frmEdit::About_Click);
}

void frmEdit::connectCounters() {
    connect(m_ui->txtVopros, &QPlainTextEdit::textChanged, this, &frmEdit::txtVopros_Change);
    m_ui->txtVopros->installEventFilter(this);
    for (int k = 0; k < 4; ++k) {
        connect(answerBoxes()[k], &QLineEdit::textChanged, this, [this, k] { txtOtvet_Change(k); });
        answerBoxes()[k]->installEventFilter(this);
    }
}

std::array<QLineEdit*, 4> frmEdit::answerBoxes() const {
    return {m_ui->txtOtvet1, m_ui->txtOtvet2, m_ui->txtOtvet3, m_ui->txtOtvet4};
}

std::array<QLabel*, 4> frmEdit::answerCounters() const {
    return {m_ui->lblOtv1, m_ui->lblOtv2, m_ui->lblOtv3, m_ui->lblOtv4};
}

bool frmEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        auto* box = static_cast<QWidget*>(watched);
        const bool passing = isPassingFocus(static_cast<QFocusEvent*>(event)->reason());
        if (event->type() == QEvent::FocusOut) {
            m_focusLentBy = passing ? box : nullptr;
        } else {
            // A box the focus only comes back to (from a menu, another window) is as it was.
            if (!passing || m_focusLentBy != box)
                txtBox_GotFocus(box);
            m_focusLentBy = nullptr;
        }
    }
    return Form::eventFilter(watched, event);
}

void frmEdit::Form_Load() {
    forms().setHelpFile(QStringLiteral("HELP_TEST.HLP"));
    m_fault = Status::success();
    m_rightsAsked = false;
}

// Opening the questions fails alike at every step after it: the window tells the first fault,
// once, as it stands.
void frmEdit::Data1_Error(const Status& status) {
    if (m_fault.ok())
        m_fault = status;
}

// Without its questions the editor has nothing to show and nowhere to store an edit, and on a
// student's PC of a class's server it may change nothing: one message saying why and what to
// do, then back to the start window.
void frmEdit::Form_Activate() {
    m_data1->setErrorHandler({}); // from now on each fault is shown as it happens
    QString advice = kCannotEdit;
    if (!m_rightsAsked) {
        m_rightsAsked = true;
        // Asked first: a student's PC of a class's server cannot even read the questions.
        Status status;
        const auto db = Database::open(forms().store(), status);
        if (const Status rights = db ? db->teacherRights() : status;
            rights.cause == Status::Cause::RefusedForGood) {
            m_fault = rights;
            advice = kTeachersPc;
        }
    }
    if (m_fault.ok())
        return tellSetAsideResults();
    platform().MsgBox(m_fault.error + advice, vbOKOnly + vbCritical,
                      QStringLiteral("Ошибка базы данных"));
    Unload();
}

// What this PC's outbox had to set aside since the teacher was last told, once.
void frmEdit::tellSetAsideResults() {
    const Outbox outbox(ResultCourier::outboxOf(forms().store()));
    const QStringList untold = outbox.takeUntold();
    if (untold.isEmpty())
        return;
    platform().MsgBox(
        QStringLiteral("На этом компьютере отложены результаты, которые нельзя было "
                       "записать в базу данных:\n\n%1\n\nВсё это записано в файле «%2».")
            .arg(untold.join(u'\n'), QDir::toNativeSeparators(outbox.record())),
        vbOKOnly + vbExclamation, QStringLiteral("Внимание!"));
}

void frmEdit::Form_Unload(int& cancel) {
    if (m_fault.ok() && !confirmLeaving()) { // a refused editor has nothing to lose
        cancel = 1;
        return;
    }
    // No teacher's window stays beside the start window for the next student.
    forms().Unload(QStringLiteral("frmAbout"));
    forms().Unload(QStringLiteral("frmVeiv"));
    forms().Unload(QStringLiteral("frmStat"));
    forms().Unload(QStringLiteral("DataReport1"));
    forms().Show(QStringLiteral("frmStart"));
}

bool frmEdit::confirmLeaving() const {
    return platform().MsgBox(QStringLiteral("Вы действительно хотите выйти из программы?"),
                             vbOKCancel + vbExclamation + vbDefaultButton2,
                             QStringLiteral("Предупреждение")) != vbCancel;
}

// On a table without rows there is nothing to step to; a table that did not open has been
// reported already.
bool frmEdit::hasQuestions() const {
    if (!m_data1->isOpen())
        return false;
    if (!m_data1->bof() || !m_data1->eof())
        return true;
    report(Status::failure(
               QStringLiteral("В таблице «Zadanie» нет ни одного вопроса: редактировать нечего.")),
           QStringLiteral("Редактор теста."));
    return false;
}

void frmEdit::Command1_Click() {
    if (hasQuestions()) {
        m_data1->MovePrevious();
        if (m_data1->bof())
            m_data1->MoveNext();
    }
    m_ui->txtVopros->setFocus();
}

void frmEdit::Command2_Click() {
    if (hasQuestions()) {
        m_data1->MoveNext();
        if (m_data1->eof())
            m_data1->MoveLast();
    }
    m_ui->txtVopros->setFocus();
}

void frmEdit::cmdDelete_Click() {
    if (platform().MsgBox(QStringLiteral("Вы действительно хотите все очитстить?"),
                          vbOKCancel + vbQuestion + vbDefaultButton2,
                          QStringLiteral("Предупреждение")) == vbCancel)
        return;
    m_ui->txtVopros->clear();
    for (QLineEdit* box : answerBoxes())
        box->clear();
    for (QCheckBox* check : {m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4})
        setValue(check, 0);
    m_ui->txtVopros->setFocus();
}

// Ending at once still writes the question being edited: a confirmed exit loses nothing.
void frmEdit::cmdExit_Click() {
    if (confirmLeaving())
        forms().End();
}

void frmEdit::cmdHelp_Click() {
    setHelpContextID(m_ui->cmdHelp, 1008);
    m_ui->cmdHelp->setFocus();
    forms().SendF1();
}

void frmEdit::TitleEdit_Click() {
    report(mdF::EditTitle([this](const QString& prompt, const QString& caption) {
               return platform().InputBox(prompt, caption);
           }),
           QStringLiteral("Заголовок теста"));
}

void frmEdit::ExitForm_Click() {
    Unload();
}

void frmEdit::Exit_Click() {
    forms().End();
}

void frmEdit::Veiv_Click() {
    frmVeiv::ShowForTeacher(forms()); // the teacher is signed in: every power
}

void frmEdit::ViewStat_Click() {
    forms().Show(QStringLiteral("frmStat"));
}

void frmEdit::ViewOthsot_Click() {
    forms().Show(QStringLiteral("DataReport1"));
}

// All results for a spreadsheet, sorted as the report sorts them.
void frmEdit::ExportCsv_Click() {
    const std::optional<QString> fileName =
        askCsvFile(QStringLiteral("Сохранить результаты"), QStringLiteral("Результаты теста.csv"));
    if (!fileName)
        return;
    report(report::saveResultsCsv(forms().store(), *fileName),
           QStringLiteral("Сохранение результатов"));
}

// F1 reaches the control that has the focus once the menu has closed; the item's own topic
// serves F1 pressed while the item is highlighted.
void frmEdit::RukUser_Click() {
    forms().SendF1();
    setHelpContextID(m_ui->RukUser, 1003);
}

void frmEdit::About_Click() {
    forms().Show(QStringLiteral("frmAbout"));
}

void frmEdit::txtVopros_Change() {
    countAndCut(m_ui->txtVopros, m_ui->lblSimvol, kQuestionLimit);
}

void frmEdit::txtOtvet_Change(int index) {
    QLineEdit* box = answerBoxes()[index];
    if (const QString line = asOneLine(box->text()); line != box->text())
        return box->setText(line); // the change this makes counts and cuts
    countAndCut(box, answerCounters()[index], kAnswerLimit);
}

// Deferred, so that the mouse click that brought the focus does not place the caret over
// the selection afterwards.
void frmEdit::txtBox_GotFocus(QWidget* box) {
    QMetaObject::invokeMethod(
        box, [box] { selectWholeText(box); }, Qt::QueuedConnection);
}
