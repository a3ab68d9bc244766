#pragma once

#include "Form.h"
#include "QuestionNumbers.h"
#include "StudentRow.h"

#include <array>
#include <memory>

namespace Ui {
class frmOtchot;
}
class DataControl;
class QCheckBox;
class QLabel;

// The result screen: shows the last row of Rezultat, re-read on every tick, and ends the
// program.
class frmOtchot : public Form {
    Q_OBJECT
public:
    frmOtchot(Forms& forms, std::shared_ptr<StudentRow> row);
    ~frmOtchot() override;

    Ui::frmOtchot* ui() const { return m_ui.get(); }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void controlsDestroyed() override;

private:
    void Timer1_Timer();
    void showOutcomes(const std::optional<std::array<int, QuestionNumbers::kQuestions>>& values);
    QString savingNote(StudentRow::Saving saving) const;
    void cmdOk_Click();
    void startPusk();
    void tellNotStored();
    void nameResult();

    std::array<QCheckBox*, QuestionNumbers::kQuestions> outcomeBoxes() const;
    std::array<QLabel*, QuestionNumbers::kQuestions> outcomeLabels() const;

    std::unique_ptr<Ui::frmOtchot> m_ui;
    DataControl* m_data1 = nullptr;
    std::shared_ptr<StudentRow> m_row;
};
