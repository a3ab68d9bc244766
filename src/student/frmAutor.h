#pragma once

#include "Form.h"

#include <QString>
#include <memory>

namespace Ui {
class frmAutor;
}
class DataControl;
class FormTimer;

// The student's sign-in: takes the full name and makes the last row of Rezultat the
// student's own, reusing the single blank row of an emptied table.
class frmAutor : public Form {
    Q_OBJECT
public:
    explicit frmAutor(Forms& forms);
    ~frmAutor() override;

    Ui::frmAutor* ui() const { return m_ui.get(); }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void controlsDestroyed() override;

private:
    void Timer1_Timer();
    void Command1_Click();
    void finishCounting();

    std::unique_ptr<Ui::frmAutor> m_ui;
    DataControl* m_data1 = nullptr;
    FormTimer* m_timer1 = nullptr;

    QString m_studentName;
    int m_firstNameLength = 0;
    int m_rowCount = 0; // ticks so far: the number of rows once the timer has stopped
};
