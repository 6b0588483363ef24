#include "app/variants.h"

#include "form/form.h"
#include "form/state.h"

namespace dorive {

const std::vector<Variant>& variants() {
    static const std::vector<Variant> table = {
        {"Harwick", "Harwick", "Harwick", {"ZEPF1", "ZEPF2", "Sipkaf1"}, false, ""},
        {"Zq", "ZEP", "", {"ZEPF1", "ZEPF2"}, false, ""},
        {"GSM uRX", "GSM uRX", "Link GSM uRX Manager", {"ZEPL1", "ZEPL2", "Sipkaf1"}, false, ""},
        {"GSMKelpy",
         "GSM-Quillmore",
         "GSM-Quillmore Set",
         {"ZEPCorvel1", "ZEPCorvel2", "SipkaGA1", "SipkaGB2", "SipkaGA2"},
         true,
         " GSM-Yw Ver:"},
        {"", "ZEP", "", {"ZEP1", "ZEP2", "Sipka1"}, false, ""},
    };
    return table;
}

std::string_view executableFileName(std::string_view path) {
    auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

const Variant& selectVariant(std::string_view executable) {
    std::string_view name = executableFileName(executable);
    for (const Variant& v : variants())
        if (v.marker.empty() || name.find(v.marker) != std::string_view::npos) return v;
    return variants().back();
}

void applyVariant(const Variant& v, Form& form, State& state) {
    state.DeviceName = v.deviceName;
    form.GroupBox4.setCaption(v.deviceName);
    if (!v.caption.empty()) form.TForm1.setCaption(v.caption);
    for (const std::string& name : v.pictures)
        if (Control* c = form.find(name)) c->setVisible(true);
    if (v.moduleTabs) {
        form.ModuleButtons.setVisible(true);
        form.ModuleKeyboard.setVisible(true);
    }
    if (!v.versionPanel.empty()) form.StatusBar1.setPanelText(4, v.versionPanel);
}

}  // namespace dorive
