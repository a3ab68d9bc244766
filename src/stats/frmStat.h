#pragma once

#include "Form.h"
#include "QuestionStatistics.h"

#include <memory>

namespace Ui {
class frmStat;
}
class Database;

// How the class did on each question: per question how many participants answered it right and
// the share, as bars with the figures on them and as text a screen reader reads, above them
// the participants and the class average. Results other programs store appear while it is open.
class frmStat : public Form {
    Q_OBJECT
public:
    explicit frmStat(Forms& forms);
    ~frmStat() override;

    Ui::frmStat* ui() const { return m_ui.get(); }
    const QuestionStatistics& statistics() const { return m_statistics; }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Activate() override;
    void controlsDestroyed() override;

private:
    void cmdOk_Click();
    void Timer1_Timer();

    void resultsChanged();
    Status readStatistics();
    void ShowStatistics();
    void showFailure(const Status& status);

    std::unique_ptr<Ui::frmStat> m_ui;
    FormTimer* Timer1 = nullptr;
    std::shared_ptr<Database> m_db;
    Status m_openStatus;
    QuestionStatistics m_statistics;
};
