#pragma once

#include "Form.h"
#include "QuestionNumbers.h"

#include <array>
#include <memory>

namespace Ui {
class frmTest;
}
class DataControl;
class QCheckBox;
struct StudentRow;
class QLabel;

// The test itself: puts the questions of Zadanie one by one, scores each answer all or
// nothing against the key, and files the ten outcomes and the percentage in the student's row.
class frmTest : public Form {
    Q_OBJECT
public:
    frmTest(Forms& forms, std::shared_ptr<StudentRow> row);
    ~frmTest() override;

    Ui::frmTest* ui() const { return m_ui.get(); }
    int answerOk() const { return m_answerOk; }
    int outcome(int questionNo) const { return m_outcome.at(questionNo - 1); }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void controlsDestroyed() override;

private:
    void Timer1_Timer();
    void cmdNext_Click();
    void CheckAnswer();
    void RecordAnswer();
    void FinishTest();
    void ClearChecks();
    void nextQuestion();
    void bindControls();
    void moveToStudentRow();
    void tellMissingNumbers(const QList<int>& missing);
    void showQuestionText();
    void nameQuestion();

    std::array<QCheckBox*, 4> picks() const;
    std::array<QLabel*, 4> options() const;
    std::array<QCheckBox*, 4> keys() const;
    std::array<QCheckBox*, QuestionNumbers::kQuestions> outcomeBoxes() const;

    std::unique_ptr<Ui::frmTest> m_ui;
    DataControl* m_data1 = nullptr;
    DataControl* m_data2 = nullptr;
    std::shared_ptr<StudentRow> m_row;
    // Without a row numbered 10 the test can never end: then the window may always close.
    bool m_hasLastQuestion = false;

    int m_questionNo = 0;
    int m_answerOk = 0;
    std::array<int, QuestionNumbers::kQuestions> m_outcome{};
    std::array<int, 4> m_pick{}, m_key{}, m_match{};
    int m_matchCount = 0, m_keyCount = 0, m_pickCount = 0;
};
