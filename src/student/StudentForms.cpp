#include "StudentForms.h"

#include "Forms.h"
#include "ResultCourier.h"
#include "StudentRow.h"
#include "frmAutor.h"
#include "frmOtchot.h"
#include "frmTest.h"

#include <QFile>
#include <QTimer>

namespace {
// Results an earlier run kept on this PC go to the store once the program stands.
constexpr int kLeftoversAfterMs = 2000;
} // namespace

void registerStudentForms(Forms& forms) {
    const auto row = std::make_shared<StudentRow>(forms.store());
    forms.add(std::make_unique<frmAutor>(forms, row));
    forms.add(std::make_unique<frmTest>(forms, row));
    forms.add(std::make_unique<frmOtchot>(forms, row));
    // Asked to end by the system, the program gives a courier at work its moment first.
    QObject::connect(&forms, &Forms::ending, row.get(),
                     [student = row.get()] { student->waitWhileTrying(); });
    if (QFile::exists(ResultCourier::outboxOf(forms.store())))
        QTimer::singleShot(kLeftoversAfterMs, row.get(),
                           [student = std::weak_ptr<StudentRow>(row)] {
                               if (const auto stillThere = student.lock())
                                   stillThere->deliverLeftovers();
                           });
}
