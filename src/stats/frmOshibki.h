#pragma once

#include "Form.h"

#include <QStringList>
#include <memory>

namespace Ui {
class frmOshibki;
}

// Who got one question wrong: the question and the names, as the statistics window read them.
class frmOshibki : public Form {
    Q_OBJECT
public:
    explicit frmOshibki(Forms& forms);
    ~frmOshibki() override;

    Ui::frmOshibki* ui() const { return m_ui.get(); }
    void showFor(const QString& question, const QStringList& names);

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void controlsDestroyed() override;

private:
    std::unique_ptr<Ui::frmOshibki> m_ui;
    QString m_question;
    QStringList m_names;
};
