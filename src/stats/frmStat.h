#pragma once

#include "Form.h"
#include "QuestionStatistics.h"

#include <memory>

namespace Ui {
class frmStat;
}
class Database;

// The teacher's analysis of the test: who has finished and who is still writing, the class
// average and the test's reliability, per question how many answered it right, how well it
// separates strong from weak and how many ticked each option, and the spread of the scores;
// over all results, today's or those since a moment. Results other programs store appear while
// it is open; a question's line opens the list of those who got it wrong.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdOk_Click();
    void cmdSave_Click();
    void cboVybor_Click();
    void lstVoprosy_DblClick();
    void Timer1_Timer();

    void resultsChanged();
    ResultSelection selection() const;
    Status readStatistics();
    void ShowStatistics();
    void showFailure(const Status& status);
    // Tells a screen reader, politely, through the control that has the focus.
    void announce(const QString& news);

    std::unique_ptr<Ui::frmStat> m_ui;
    FormTimer* Timer1 = nullptr;
    std::shared_ptr<Database> m_db;
    Status m_openStatus;
    QuestionStatistics m_statistics;
    QString m_summary; // what the figures said last, to announce a change
};
