#pragma once

#include "Form.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class frmSek;
}

// The teacher's password: the way into the question editor.
class frmSek : public Form {
    Q_OBJECT
public:
    explicit frmSek(Forms& forms);
    ~frmSek() override;

    Ui::frmSek* ui() const { return m_ui.get(); }
    // The whole number of the last entry tested; empty when it lay outside the 32-bit range.
    std::optional<std::int32_t> enteredNumber() const { return m_enteredNumber; }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void controlsDestroyed() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    void backToStart();

    std::unique_ptr<Ui::frmSek> m_ui;
    std::optional<std::int32_t> m_enteredNumber;
};
