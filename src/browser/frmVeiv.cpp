#include "frmVeiv.h"

#include "Accessibility.h"
#include "AttemptTables.h"
#include "Controls.h"
#include "DataControl.h"
#include "FormTimer.h"
#include "Forms.h"
#include "Numbers.h"
#include "PendingDeletion.h"
#include "ResultsGrid.h"
#include "ResultsModel.h"
#include "WindowHints.h"
#include "ui_frmVeiv.h"

#include <QTime>
#include <algorithm>

namespace {

const QString kEditor = QStringLiteral("frmEdit");
const QString kTable = QStringLiteral("Rezultat");
const QString kNameField = QStringLiteral("Фамилия, Имя, Отчество");
const QString kPercentField = QStringLiteral("Результат выполнения");
const QString kDeletionTitle = QStringLiteral("Удаление записей");

// Where the two layouts differ, in twips: the window's Width and Height, and the Left and Top
// of cmdOk, Command1, Command2, cmdIzm and cmdVernut.
struct Layout {
    int width, height;
    QPoint ok, previous, next, izm, vernut;
};
const Layout kStudentView{5700,         5325,         {120, 4320}, {1320, 4320},
                          {2640, 4320}, {4320, 4320}, {4320, 4320}};
const Layout kOverview{9645,         6810,         {2040, 5880}, {3240, 5880},
                       {4560, 5880}, {6240, 5880}, {6240, 5880}};
constexpr int kGridWidth = 9425;
constexpr int kGridHeight = 5610;

void moveTo(QWidget* control, QPoint placeTwips) {
    control->move(twips(placeTwips.x()), twips(placeTwips.y()));
}

} // namespace

frmVeiv::frmVeiv(Forms& forms) : Form(forms, QStringLiteral("frmVeiv")) {}

frmVeiv::~frmVeiv() = default;

void frmVeiv::ShowForTeacher(Forms& forms) {
    if (auto* window = dynamic_cast<frmVeiv*>(forms.find(QStringLiteral("frmVeiv"))))
        window->grantTeacherPowers();
    forms.Show(QStringLiteral("frmVeiv"));
}

void frmVeiv::grantTeacherPowers() {
    m_teacherPowers = true;
    if (isLoaded())
        applyTeacherPowers();
}

void frmVeiv::applyTeacherPowers() {
    m_ui->cmdDelete->setVisible(m_teacherPowers);
    m_grid->model().setReadOnly(!m_teacherPowers);
    reachDeleteAll();
}

// "Удалить все" is the teacher's button of the overview. In the student view it lies outside
// the window: there neither the keyboard nor a screen reader may reach it.
void frmVeiv::reachDeleteAll() {
    Accessibility::setWithinReach(m_ui->cmdDelete,
                                  m_teacherPowers && m_ui->DBGrid1->isVisibleTo(widget()));
}

void frmVeiv::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmVeiv>();
    m_ui->setupUi(&widget);
    setClientSize(kStudentView.width - kFixedFrameWidthTwips,
                  kStudentView.height - kFixedFrameHeightTwips);
    widget.setWindowIcon(programIcon());
    lb = {m_ui->lb1, m_ui->lb2, m_ui->lb3, m_ui->lb4, m_ui->lb5,
          m_ui->lb6, m_ui->lb7, m_ui->lb8, m_ui->lb9, m_ui->lb10};
    chOt = {m_ui->chOt1, m_ui->chOt2, m_ui->chOt3, m_ui->chOt4, m_ui->chOt5,
            m_ui->chOt6, m_ui->chOt7, m_ui->chOt8, m_ui->chOt9, m_ui->chOt10};
    setForeColor(m_ui->Label2, kBlue);
    for (QLabel* question :
         {m_ui->Label3, m_ui->Label4, m_ui->Label5, m_ui->Label6, m_ui->Label7, m_ui->Label13,
          m_ui->Label14, m_ui->Label15, m_ui->Label16, m_ui->Label17})
        setForeColor(question, kDarkBlue);
    setForeColor(m_ui->Label8, kBlue);
    setForeColor(m_ui->lblRes, kRed);
    setForeColor(m_ui->Label25, kBlue);
    setForeColor(m_ui->lblVsego, kNavy);
    setForeColor(m_ui->lblTest, kNavy);
    bindControls();
    Timer1 = addTimer(QStringLiteral("Timer1"), 10, false, [this] { Timer1_Timer(); });
    Timer2 = addTimer(QStringLiteral("Timer2"), 10, false, [this] { Timer2_Timer(); });
    Timer3 = addTimer(QStringLiteral("Timer3"), 10, false, [this] { Timer3_Timer(); });
    connect(m_ui->cmdOk, &QPushButton::clicked, this, &frmVeiv::cmdOk_Click);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmVeiv::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmVeiv::Command2_Click);
    connect(m_ui->cmdIzm, &QPushButton::clicked, this, &frmVeiv::cmdIzm_Click);
    connect(m_ui->cmdVernut, &QPushButton::clicked, this, &frmVeiv::cmdVernut_Click);
    connect(m_ui->cmdDelete, &QPushButton::clicked, this, &frmVeiv::cmdDelete_Click);
}

void frmVeiv::bindControls() {
    Data1 = addData(QStringLiteral("Data1"), kTable);
    Data1->bind(m_ui->Label2, kNameField);
    Data1->bind(m_ui->txtName, kNameField);
    Data1->bind(m_ui->lblRes, kPercentField);
    Data1->bind(m_ui->txtVss, kPercentField);
    Data1->bind(m_ui->txtIndex, QStringLiteral("Код"));
    for (int k = 0; k < 10; ++k)
        Data1->bind(chOt[k], QStringLiteral("Вопрос %1").arg(k + 1));
    m_grid = new ResultsGrid(*m_ui->DBGrid1, *Data1, *this);
    connect(&m_grid->model(), &ResultsModel::refreshFailed, this, &frmVeiv::gridRefreshed);
    connect(&m_grid->model(), &ResultsModel::refreshed, this,
            [this] { gridRefreshed(Status::success()); });
}

// The grid keeps its lines while the store does not answer, and says so under them, as the
// statistics window does; nothing pops up on its own.
void frmVeiv::gridRefreshed(const Status& status) {
    if (!isLoaded() || (status.ok() && m_ui->lblSvyaz->text().isEmpty()))
        return;
    const QString notice =
        status.ok()
            ? QString()
            : QStringLiteral("Не удалось обновить (%1): %2 Показаны прежние строки.")
                  .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), status.error);
    m_ui->lblSvyaz->setText(notice);
    showRefreshNotice(m_ui->DBGrid1->isVisibleTo(widget()));
    Accessibility::setDescription(m_ui->DBGrid1, notice);
}

// In the overview only, and within Tab's reach only while it says something.
void frmVeiv::showRefreshNotice(bool overview) {
    const bool shown = overview && !m_ui->lblSvyaz->text().isEmpty();
    m_ui->lblSvyaz->setVisible(shown);
    m_ui->lblSvyaz->setFocusPolicy(shown ? Qt::TabFocus : Qt::NoFocus);
}

void frmVeiv::controlsDestroyed() {
    m_ui.reset();
    Data1 = nullptr;
    Timer1 = Timer2 = Timer3 = nullptr;
    m_grid = nullptr;
    lb = {};
    chOt = {};
}

void frmVeiv::Form_Load() {
    Timer1->setEnabled(true);
    Timer2->setEnabled(true);
    Timer3->setEnabled(false);
    applyTeacherPowers();
    ShowStudentView();
    setBusy(true);
}

// Over the window while either loop walks the rows.
void frmVeiv::setBusy(bool busy) {
    if (busy)
        widget()->setCursor(Qt::BusyCursor);
    else
        widget()->unsetCursor();
}

void frmVeiv::Form_Unload(int& cancel) {
    (void)cancel;
    participantCount = 0;
    resultSum = 0;
    m_walkPlace.reset();
    m_teacherPowers = false; // the next opening grants them again, or not
}

std::int32_t frmVeiv::currentCode() const {
    return kvz::wholeNumberIn(m_ui->txtIndex->text()).value_or(0);
}

void frmVeiv::Timer1_Timer() {
    firstCode = currentCode();
    m_walkPlace = Data1->Bookmark();
    Timer1->setEnabled(false);
    ShowAnswers();
    if (m_teacherPowers)
        tellOfUnfinishedDeletion();
}

// A delete-all cut short (the program ended, or this window was closed) leaves results behind
// that the teacher believes gone: the teacher's next opening says so, once.
void frmVeiv::tellOfUnfinishedDeletion() {
    const Recordset* rs = Data1->recordset();
    if (!rs)
        return;
    const PendingDeletion note(rs->database(), kTable);
    bool remain = false;
    if (!Data1->check(note.rowsRemain(firstCode, remain)))
        return;
    note.end();
    if (remain && !currentRowBlank())
        platform().MsgBox(QStringLiteral("Удаление всех записей не было закончено: в базе данных "
                                         "остались результаты участников теста. Чтобы удалить "
                                         "их, откройте «Обзор» и нажмите «Удалить все»."),
                          vbOKOnly + vbExclamation, kDeletionTitle);
}

// As delete-all leaves the row it keeps: no name, no answer right.
bool frmVeiv::currentRowBlank() const {
    return m_ui->txtName->text().isEmpty() &&
           std::all_of(chOt.begin(), chOt.end(),
                       [](QCheckBox* answer) { return Value(answer) == 0; });
}

void frmVeiv::ShowAnswers() {
    // A percentage beyond the bar's range (typed in the grid) fills it or leaves it empty.
    const double percent = std::clamp(kvz::leadingNumber(m_ui->lblRes->text()), 0.0, 100.0);
    m_ui->ProgressBar1->setValue(kvz::roundToInt32(percent).value_or(0));
    std::array<int, 10> answers{};
    for (int k = 0; k < 10; ++k)
        answers[k] = Value(chOt[k]);
    for (int k = 0; k < 10; ++k) {
        if (answers[k] == 1) {
            lb[k]->setText(QStringLiteral("Ответ правильный"));
            setForeColor(lb[k], kButtonText);
        } else {
            setForeColor(lb[k], kRed);
            lb[k]->setText(QStringLiteral("Ответ неверный"));
        }
    }
    nameAnswers();
}

// Tab reaches the name, each verdict and the percentage, each read as a sentence; "<<<" and ">>>",
// which keep the focus as they step, tell the whole answer of the student stepped to.
void frmVeiv::nameAnswers() {
    const QString answer =
        Accessibility::nameResult({m_ui->Label1, m_ui->Label2, QList<QLabel*>(lb.begin(), lb.end()),
                                   m_ui->Label8, m_ui->lblRes, m_ui->Label25});
    Accessibility::setDescription(m_ui->Command1, answer);
    Accessibility::setDescription(m_ui->Command2, answer);
}

void frmVeiv::Command1_Click() {
    if (Timer1->Enabled())
        return; // the first row is not noted yet
    if (currentCode() == firstCode) {
        m_ui->Command1->setEnabled(false);
        return;
    }
    m_ui->Command2->setEnabled(true);
    if (Data1->MovePrevious())
        ShowAnswers();
}

void frmVeiv::Command2_Click() {
    const std::optional<qint64> here = Data1->Bookmark();
    if (!here)
        return; // the row was just deleted: there is nowhere to step from
    Data1->MoveLast();
    const std::int32_t last = currentCode();
    if (!Data1->setBookmark(*here))
        return;
    if (currentCode() == last) {
        m_ui->Command2->setEnabled(false);
        return;
    }
    m_ui->Command1->setEnabled(true);
    if (Data1->MoveNext())
        ShowAnswers();
}

void frmVeiv::cmdIzm_Click() {
    ShowOverview();
}

void frmVeiv::cmdVernut_Click() {
    ShowStudentView();
}

void frmVeiv::ShowOverview() {
    applyLayout(true);
}

void frmVeiv::ShowStudentView() {
    applyLayout(false);
}

// Both layout changes take the same steps in the same order; neither moves the current row.
void frmVeiv::applyLayout(bool overview) {
    const Layout& layout = overview ? kOverview : kStudentView;
    for (QWidget* part : std::initializer_list<QWidget*>{m_ui->Label1, m_ui->Label2, m_ui->Label8,
                                                         m_ui->Label25, m_ui->Frame1, m_ui->Frame2})
        part->setVisible(!overview);
    moveTo(m_ui->cmdOk, layout.ok);
    moveTo(m_ui->Command1, layout.previous);
    moveTo(m_ui->Command2, layout.next);
    moveTo(m_ui->cmdIzm, layout.izm);
    moveTo(m_ui->cmdVernut, layout.vernut);
    widget()->setFixedSize(twips(layout.width - kFixedFrameWidthTwips),
                           twips(layout.height - kFixedFrameHeightTwips));
    m_ui->DBGrid1->setVisible(overview);
    showRefreshNotice(overview);
    if (overview)
        m_ui->DBGrid1->resize(twips(kGridWidth), twips(kGridHeight));
    m_ui->cmdVernut->setVisible(overview);
    m_ui->cmdIzm->setVisible(!overview);
    // The percentage stays where it is, under the grid: Tab goes no more where no one can see.
    m_ui->lblRes->setFocusPolicy(overview ? Qt::NoFocus : Qt::TabFocus);
    reachDeleteAll();
    CentreOnScreen();
}

// Half of what the screen leaves free, in twips, the remainder dropped; the window is its
// frame as drawn, as every window centres.
void frmVeiv::CentreOnScreen() {
    const QSize screen = platform().ScreenSize();
    const QSize window = frameSize();
    const int left = (twipsOfPixels(screen.width()) - twipsOfPixels(window.width())) / 2;
    const int top = (twipsOfPixels(screen.height()) - twipsOfPixels(window.height())) / 2;
    widget()->move(twips(left), twips(top));
    widget()->setProperty("placed", true); // placed here: showing it must not centre it again
}

void frmVeiv::cmdOk_Click() {
    const bool backToEditor = m_teacherPowers;
    Unload();
    if (backToEditor)
        forms().Show(kEditor);
}

// One step of the statistics walk: count the current row, then step to the next.
void frmVeiv::Timer2_Timer() {
    if (Timer1->Enabled())
        return; // the first row is noted before the walk starts
    if (!returnToWalkPlace())
        return stopWalk();
    const std::optional<std::int32_t> sum =
        kvz::roundToInt32(double(resultSum) + kvz::leadingNumber(m_ui->txtVss->text()));
    if (!sum) {
        report(Status::failure(QStringLiteral("Сумма процентов всех участников не помещается в "
                                              "целое число: статистика не подсчитана.")),
               QStringLiteral("Статистика"));
        return stopWalk();
    }
    ++participantCount;
    resultSum = *sum;
    if (!Data1->MoveNext())
        return stopWalk();
    if (Data1->eof()) {
        Data1->MoveFirst();
        if (isLoaded()) // a failure shown meanwhile may have been followed by closing
            ShowStatistics();
        return stopWalk();
    }
    m_walkPlace = Data1->Bookmark();
}

// The teacher may have stepped or picked another row since the last step.
bool frmVeiv::returnToWalkPlace() {
    if (!m_walkPlace || Data1->Bookmark() == m_walkPlace)
        return true;
    return Data1->setBookmark(*m_walkPlace);
}

// Also after a failure shown in a message box, during which the window may have been closed: its
// unloading stopped every timer then.
void frmVeiv::stopWalk() {
    if (!isLoaded())
        return;
    Timer2->setEnabled(false);
    m_walkPlace.reset();
    setBusy(Timer3->Enabled());
}

void frmVeiv::ShowStatistics() {
    const double average = double(resultSum) / participantCount;
    m_ui->lblVsego->setText(QStringLiteral("Всего в тесте приняло участие ") +
                            QString::number(participantCount) + QStringLiteral(" учащихся"));
    m_ui->lblTest->setText(QStringLiteral("В среднем тест участниками выполнен на ") +
                           QString::number(kvz::roundToInt32(average).value_or(0)) +
                           QStringLiteral("%"));
}

void frmVeiv::cmdDelete_Click() {
    if (!m_teacherPowers)
        return;
    const int answer = platform().MsgBox(
        QStringLiteral("Внимание! Вы пытаетесь удалить всю информацию по участникам теста! Вы "
                       "действительно хотите удалить все записи?"),
        vbOKCancel + vbQuestion, QStringLiteral("Предупреждение"));
    if (answer != vbOK || !isLoaded())
        return;
    stopWalk(); // both move the one cursor, and its figures are about to be stale
    m_deletionNoted = false;
    m_deleteUpTo.reset();
    Timer3->setEnabled(true);
    setBusy(true);
}

// One step of delete-all: the last row goes, until the first row is the last; that one is
// blanked instead. The last row is the last of those there when the deletion began.
void frmVeiv::Timer3_Timer() {
    if (Timer1->Enabled())
        return; // the first row, which is kept, is not noted yet
    if (!m_deleteUpTo) {
        if (!Data1->MoveLast())
            return stopDeletion();
        m_deleteUpTo = Data1->Bookmark().value_or(0);
    }
    if (!Data1->MoveLastUpTo(*m_deleteUpTo))
        return stopDeletion();
    if (Data1->eof())
        return deletionDone(); // no row at all: nothing to delete, nothing to blank
    if (currentCode() != firstCode) {
        noteDeletion();
        if (!isLoaded() || !Data1->Delete())
            stopDeletion();
        return;
    }
    if (const Status status =
            AttemptTables::forgetResults(Data1->recordset()->database(), *m_deleteUpTo);
        !status.ok()) {
        report(status, kDeletionTitle);
        return stopDeletion(); // the ticks would outlive their results
    }
    if (!BlankFirstRecord())
        return stopDeletion(); // the failure is shown; all is not deleted
    deletionDone();
}

// Before the first row goes: should the deletion be cut short, the next opening can say so.
void frmVeiv::noteDeletion() {
    if (m_deletionNoted)
        return;
    m_deletionNoted = true;
    const Status status =
        PendingDeletion(Data1->recordset()->database(), kTable).begin(*m_deleteUpTo);
    if (!status.ok())
        report(status, kDeletionTitle);
}

void frmVeiv::deletionDone() {
    if (const Recordset* rs = Data1->recordset())
        PendingDeletion(rs->database(), kTable).end();
    setBusy(false);
    platform().MsgBox(QStringLiteral("Все записи успешно удалены!"), vbOKOnly + vbExclamation,
                      kDeletionTitle);
    stopDeletion();
}

void frmVeiv::stopDeletion() {
    if (!isLoaded())
        return;
    Timer3->setEnabled(false);
    setBusy(Timer2->Enabled());
}

bool frmVeiv::BlankFirstRecord() {
    if (!Data1->Edit())
        return false;
    for (QCheckBox* answer : chOt)
        setValue(answer, 0);
    m_ui->txtName->setText(QString());
    return Data1->Update();
}
