#pragma once

#include "Form.h"

#include <QString>
#include <memory>

namespace Ui {
class frmAutor;
}
class StudentRow;

// The student's sign-in: takes the full name, reads the questions and stores the student's own
// row of Rezultat, reusing the single blank row of an emptied table, before the test starts.
class frmAutor : public Form {
    Q_OBJECT
public:
    frmAutor(Forms& forms, std::shared_ptr<StudentRow> row);
    ~frmAutor() override;

    Ui::frmAutor* ui() const { return m_ui.get(); }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void controlsDestroyed() override;

private:
    void Command1_Click();
    bool storeStudentRow();
    void refuseWhenTestCannotRun();

    std::unique_ptr<Ui::frmAutor> m_ui;
    std::shared_ptr<StudentRow> m_row;

    QString m_studentName;
};
