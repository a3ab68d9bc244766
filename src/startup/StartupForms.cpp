#include "StartupForms.h"

#include "Forms.h"
#include "frmAbout.h"
#include "frmSek.h"
#include "frmStart.h"

// The resources live in this static library; naming them keeps the linker from dropping them.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

void registerStartupForms(Forms& forms) {
    initResources();
    forms.add(std::make_unique<frmStart>(forms));
    forms.add(std::make_unique<frmSek>(forms));
    forms.add(std::make_unique<frmAbout>(forms));
}
