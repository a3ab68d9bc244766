#pragma once

#include "Form.h"

#include <memory>

namespace Ui {
class frmAbout;
}

// What the program is, who made it and when; its items appear one after another.
class frmAbout : public Form {
    Q_OBJECT
public:
    explicit frmAbout(Forms& forms);
    ~frmAbout() override;

    Ui::frmAbout* ui() const { return m_ui.get(); }
    int ticks() const { return m_ticks; }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void controlsDestroyed() override;

private:
    void Timer1_Timer();
    void Command1_Click();

    std::unique_ptr<Ui::frmAbout> m_ui;
    FormTimer* m_timer1 = nullptr;
    int m_ticks = 0; // ticks of Timer1 since the window was loaded
};
