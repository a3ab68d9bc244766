#pragma once

#include "Form.h"

#include <memory>

namespace Ui {
class frmStart;
}
class ComboListIndex;

// Where every run begins: the title, and the choice between the student's test and the
// teacher's mode.
class frmStart : public Form {
    Q_OBJECT
public:
    explicit frmStart(Forms& forms);
    ~frmStart() override;

    Ui::frmStart* ui() const { return m_ui.get(); }
    int listPosition() const { return m_listPosition; }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void controlsDestroyed() override;

private:
    void cmdAdd_Click();
    void cmdHelp_Click();
    void Command1_Click();
    void Command2_Click();
    int Combo1ListIndex() const;

    std::unique_ptr<Ui::frmStart> m_ui;
    ComboListIndex* m_combo1Index = nullptr;
    int m_listPosition = -1; // read from Combo1 by the last OK or help click
};
