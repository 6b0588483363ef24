#include "device/read_view.h"

namespace dorive {

void showRunMode(Form& form) {
    form.DeviceRun.setVisible(true);
    form.DeviceStop.setVisible(false);
    form.DeviceNic.setVisible(false);
}

void showProgMode(Form& form) {
    form.DeviceStop.setVisible(true);
    form.DeviceRun.setVisible(false);
    form.DeviceNic.setVisible(false);
}

void showPending(Form& form) {
    form.DeviceNic.setVisible(true);
    form.DeviceRun.setVisible(false);
    form.DeviceStop.setVisible(false);
}

void enableUnlessSaving(const State& st, Control& c) {
    if (!st.WriteActive) c.setEnabled(true);
}

void ReadView::clear() {
    // Keep what the list showed before the first of possibly several clearings of one read.
    if (!before_) before_ = ctx_.form.PhoneBook1.rows();
    ctx_.form.PhoneBook1.clear();
    ctx_.st.PhoneBookReload = true;
    clearTrees();
}

void ReadView::clearTrees() {
    Form& form = ctx_.form;
    form.TreeButtons.clear();
    form.TreeButtonsSel.clear();
    form.TreeMemo.clear();
    form.TreeMemoSel.clear();
    form.TreeCode.clear();
    if (onClearTrees) onClearTrees();
}

void ReadView::addPhoneBookEntry(const std::string& name, const std::string& number) {
    PhoneBookList::Row row{name, number};
    if (ctx_.st.PhoneBookReload) {
        ctx_.form.PhoneBook1.setRows({std::move(row)});
        ctx_.st.PhoneBookReload = false;
    } else {
        ctx_.form.PhoneBook1.append(std::move(row));
    }
}

void ReadView::completed() {
    listing_ = false;
    before_.reset();
    if (onCompleted) onCompleted();
}

void ReadView::broken(const std::string& why) {
    const bool listing = listing_;
    listing_ = false;
    if (listing && onBroken) onBroken(why);
    if (!before_) return;
    ctx_.form.PhoneBook1.setRows(std::move(*before_));
    before_.reset();
    ctx_.note("The SIM could not be read (" + why +
              "): its content is unknown. The phone book shows what it held before the read.");
}

}  // namespace dorive
