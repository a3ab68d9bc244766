#pragma once

#include "Form.h"

#include <array>
#include <memory>

namespace Ui {
class frmEdit;
}
class QLabel;
class QLineEdit;

// The teacher's question editor: one row of Zadanie at a time, edited in place, with the menu
// to the other teacher's tools and live counters that keep each text within its limit.
class frmEdit : public Form {
    Q_OBJECT
public:
    explicit frmEdit(Forms& forms);
    ~frmEdit() override;

    Ui::frmEdit* ui() const { return m_ui.get(); }

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_Activate() override;
    void controlsDestroyed() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tellSetAsideResults();
    void placeMenuBar();
    void bindFields();
    void connectButtons();
    void connectMenu();
    void connectCounters();
    std::array<QLineEdit*, 4> answerBoxes() const;
    std::array<QLabel*, 4> answerCounters() const;

    void Command1_Click();
    void Command2_Click();
    void cmdDelete_Click();
    void cmdExit_Click();
    void cmdHelp_Click();
    void TitleEdit_Click();
    void ExitForm_Click();
    void Exit_Click();
    void Veiv_Click();
    void ViewStat_Click();
    void ViewOthsot_Click();
    void ExportCsv_Click();
    void RukUser_Click();
    void About_Click();
    void txtVopros_Change();
    void txtOtvet_Change(int index);
    void txtBox_GotFocus(QWidget* box);
    void Data1_Error(const Status& status);

    bool hasQuestions() const;
    bool confirmLeaving() const;

    std::unique_ptr<Ui::frmEdit> m_ui;
    DataControl* m_data1 = nullptr;
    // The first fault of opening the questions; the editor does not stay open after one.
    Status m_fault;
    bool m_rightsAsked = false; // whether this PC may change the questions, asked once a load
    // The box that had the focus when a menu or another window took it.
    QWidget* m_focusLentBy = nullptr;
};
