#pragma once

#include "Form.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class frmVeiv;
}
class DataControl;
class FormTimer;
class QCheckBox;
class QLabel;
class ResultsGrid;

// The teacher's window onto the results: one student's answers at a time with the class
// statistics, or all rows at once in a grid, from where all results can be cleared.
//
// Opened with Forms::Show("frmVeiv") (the start window's keyboard-only button, no password
// asked) it shows everything and changes nothing: the grid is read only, "Удалить все" is not
// offered and OK only closes it. The question editor, whose teacher has signed in, opens it
// with ShowForTeacher, which gives it every power.
class frmVeiv : public Form {
    Q_OBJECT
public:
    explicit frmVeiv(Forms& forms);
    ~frmVeiv() override;

    // Shows the window for the signed-in teacher: editable grid, delete-all, and OK back to the
    // question editor; also for a window that is already open. The powers last until it unloads.
    static void ShowForTeacher(Forms& forms);
    void grantTeacherPowers();
    bool hasTeacherPowers() const { return m_teacherPowers; }

    Ui::frmVeiv* ui() const { return m_ui.get(); }
    ResultsGrid* grid() const { return m_grid; }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void controlsDestroyed() override;

private:
    void cmdOk_Click();
    void Command1_Click();
    void Command2_Click();
    void cmdIzm_Click();
    void cmdVernut_Click();
    void cmdDelete_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    void ShowAnswers();
    void nameAnswers();
    void ShowStudentView();
    void ShowOverview();
    void ShowStatistics();
    bool BlankFirstRecord();

    void bindControls();
    void applyLayout(bool overview);
    void CentreOnScreen();
    void applyTeacherPowers();
    void reachDeleteAll();
    void gridRefreshed(const Status& status);
    void showRefreshNotice(bool overview);
    std::int32_t currentCode() const;
    bool returnToWalkPlace();
    void stopWalk();
    void setBusy(bool busy);
    void noteDeletion();
    void deletionDone();
    void stopDeletion();
    void tellOfUnfinishedDeletion();
    bool currentRowBlank() const;

    std::unique_ptr<Ui::frmVeiv> m_ui;
    DataControl* Data1 = nullptr;
    FormTimer* Timer1 = nullptr;
    FormTimer* Timer2 = nullptr;
    FormTimer* Timer3 = nullptr;
    ResultsGrid* m_grid = nullptr;
    std::array<QLabel*, 10> lb{};
    std::array<QCheckBox*, 10> chOt{};

    std::int32_t firstCode = 0;
    std::int32_t participantCount = 0;
    std::int32_t resultSum = 0;
    // Where the statistics walk stands: it goes on from there whatever the teacher picks
    // meanwhile, so every row is counted once.
    std::optional<qint64> m_walkPlace;
    bool m_deletionNoted = false;
    // The last row when delete-all was confirmed: rows added after it (a student signing in
    // meanwhile) are not the teacher's to delete.
    std::optional<qint64> m_deleteUpTo;
    bool m_teacherPowers = false;
};
