#include "StatsForms.h"

#include "Forms.h"
#include "frmOshibki.h"
#include "frmStat.h"

void registerStatsForms(Forms& forms) {
    forms.add(std::make_unique<frmStat>(forms));
    forms.add(std::make_unique<frmOshibki>(forms));
}
