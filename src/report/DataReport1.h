#pragma once

#include "Form.h"

#include <memory>

namespace Ui {
class DataReport1;
}
namespace report {
class ReportRenderer;
}
class QPrinter;

// The results report in its preview window: every showing runs DataEnvironment1's command
// again, so the pages show the results as they are now. From here the teacher prints the
// report or saves it as a PDF file.
class DataReport1 : public Form {
    Q_OBJECT
public:
    explicit DataReport1(Forms& forms);
    ~DataReport1() override;

    Ui::DataReport1* ui() const { return m_ui.get(); }
    const report::ReportRenderer* renderer() const { return m_renderer.get(); }

    // Writes the whole report to a PDF file on A4 paper; a failure is shown to the person.
    bool saveAsPdf(const QString& fileName);
    // Prints on the printer as it is set up (paper, pages); what the print system refuses is
    // shown, and the preview stays.
    bool printTo(QPrinter& printer);

protected:
    void createControls(FormWidget& widget) override;
    void Form_Load() override;
    void Form_Activate() override;
    void controlsDestroyed() override;

private:
    void cmdPrint_Click();
    void cmdExport_Click();
    void cmdClose_Click();
    void cboZoom_Click();
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void showPageNumber();
    void fitToScreen();

    std::unique_ptr<Ui::DataReport1> m_ui;
    std::shared_ptr<const report::ReportRenderer> m_renderer;
};
