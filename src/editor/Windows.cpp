#include "editor/Windows.h"

#include "catalogue/ConfigSelectU.h"
#include "catalogue/CountryU.h"
#include "editor/MainFormU.h"
#include "localisation/LanguageU.h"
#include "support/DebugU.h"
#include "support/HelpU.h"
#include "support/IconU.h"
#include "support/InfoBox2U.h"

namespace {
template <class T> void Destroy(T*& window) {
    delete window;
    window = nullptr;
}
} // namespace

TMainForm* CreateWindows() {
    auto* mainForm = new TMainForm;
    DebugForm = new TDebugForm;
    CountryForm = new TCountryForm;
    ConfigSelectForm = new TConfigSelectForm;
    InfoForm2 = new TInfoForm2;
    ICONForm = new TICONForm; // before the help window, whose toolbar uses its images
    HelpForm = new THelpForm;
    // The windows translated at start-up, in their order.
    SetLanguageWindows({mainForm, CountryForm, HelpForm});
    return mainForm;
}

void DestroyWindows(TMainForm* mainForm) {
    SetLanguageWindows({});
    delete mainForm;
    Destroy(ConfigSelectForm);
    Destroy(CountryForm);
    Destroy(HelpForm);
    Destroy(ICONForm);
    Destroy(InfoForm2);
    Destroy(DebugForm);
}
