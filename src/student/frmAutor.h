#pragma once

#include "Form.h"
#include "Status.h"

#include <QString>
#include <memory>

namespace Ui {
class frmAutor;
}
class DataControl;
struct StudentRow;

// The student's sign-in: takes the full name and stores the student's own row of Rezultat,
// reusing the single blank row of an emptied table, before the test starts.
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
    void Data1_Error(const Status& status);
    bool storeStudentRow();
    void refuseWhenTestCannotRun();

    std::unique_ptr<Ui::frmAutor> m_ui;
    DataControl* m_data1 = nullptr;
    std::shared_ptr<StudentRow> m_row;
    Status m_fault; // the first failure of Data1 not yet told

    QString m_studentName;
};
