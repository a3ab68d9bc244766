#pragma once

#include "Form.h"
#include "QuestionNumbers.h"
#include "QuestionSheet.h"

#include <array>
#include <memory>

namespace Ui {
class frmTest;
}
class QCheckBox;
class StudentRow;
class QLabel;

// The test itself: puts the questions read at the sign-in one by one and keeps the options
// ticked at each question number; at the tenth the test goes to the store, which scores it.
class frmTest : public Form {
    Q_OBJECT
public:
    frmTest(Forms& forms, std::shared_ptr<StudentRow> row);
    ~frmTest() override;

    Ui::frmTest* ui() const { return m_ui.get(); }
    // The options ticked at a question number so far (bit 0 option 1 ... bit 3 option 4).
    int ticks(int questionNo) const { return m_ticks.at(questionNo - 1); }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void controlsDestroyed() override;

private:
    void Timer1_Timer();
    void cmdNext_Click();
    void RecordAnswer();
    void FinishTest();
    void ClearChecks();
    void nextQuestion();
    void showQuestion();
    void tellMissingNumbers(const QList<int>& missing);
    void showQuestionText();
    void nameQuestion();

    const QVector<Question>& questions() const;
    std::array<QCheckBox*, 4> picks() const;
    std::array<QLabel*, 4> options() const;

    std::unique_ptr<Ui::frmTest> m_ui;
    std::shared_ptr<StudentRow> m_row;
    // Without a row numbered 10 the test can never end: then the window may always close.
    bool m_hasLastQuestion = false;

    int m_index = 0; // the question shown, in the order of the sheet
    int m_questionNo = 0;
    std::array<int, QuestionNumbers::kQuestions> m_ticks{};
};
