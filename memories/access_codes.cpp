#include "memories/access_codes.h"

#include "memories/code_rules.h"
#include "memories/memory_entries.h"
#include "memories/memory_writes.h"
#include "params/edit_rules.h"
#include "text/text.h"

namespace dorive {

AccessCodes::AccessCodes(Context& ctx, MemoryWrites& writes) : ctx_(ctx), writes_(writes) {
    Form& f = ctx_.form;
    pages_ = {Page{&f.CodeM0, &f.LabelCodeM0, &f.M0Rel1, &f.M0Rel2, nullptr, &f.WriteCode0},
              Page{&f.CodeM1, &f.LabelCodeM1, &f.M1Rel1, &f.M1Rel2, &f.M1SMS, &f.WriteCode1},
              Page{&f.CodeM2, &f.LabelCodeM2, &f.M2Rel1, &f.M2Rel2, &f.M2SMS, &f.WriteCode2},
              Page{&f.CodeM3, &f.LabelCodeM3, &f.M3Rel1, &f.M3Rel2, &f.M3SMS, &f.WriteCode3},
              Page{&f.CodeM4, &f.LabelCodeM4, &f.M4Rel1, &f.M4Rel2, &f.M4SMS, &f.WriteCode4}};
    for (int m = 0; m < 5; ++m) {
        pages_[m].code->onChange = [this, m] { CodeChange(m); };
        ctx_.onClick(*pages_[m].write, [this, m] { return WriteCodeClick(m); });
    }
    f.TreeCode.onClick = [this] { OnClickCode(); };
    ctx_.onClick(f.AddCode, [this] { return AddCodeClick(); });
    ctx_.onClick(f.DelCode, [this] { return DelCodeClick(); });
}

void AccessCodes::CodeChange(int mode) {
    Page& p = pages_[mode];
    p.code->setText(FilterDigits(p.code->text()));
    p.code->setCaret(p.code->text().size());
    p.label->setCaption("(C" + p.code->text() + "C)");
}

std::string AccessCodes::composeRule(int mode) const {
    const Form& f = ctx_.form;
    const Page& p = pages_[mode];
    CodeRuleFields fields;
    fields.relay = (p.rel1->checked() ? 1 : 0) + (p.rel2->checked() ? 2 : 0);
    fields.sms = p.sms && p.sms->checked();
    switch (mode) {
        case 1:
            fields.days = {f.Po.checked(), f.Ut.checked(), f.St.checked(), f.Ct.checked(),
                           f.Pa.checked(), f.So.checked(), f.Ne.checked()};
            fields.access = f.M1Acces.text();
            break;
        case 2:
            fields.fromMonth = f.FromM2.text();
            fields.fromDay = f.FromD2.text();
            fields.toMonth = f.ToM2.text();
            fields.toDay = f.ToD2.text();
            break;
        case 3:
            fields.fromMonth = f.FromM3.text();
            fields.fromDay = f.FromD3.text();
            fields.access = f.M3Acces.text();
            break;
        case 4:
            fields.fromHour = f.FromHours.text();
            fields.toHour = f.ToHours.text();
            fields.access = f.M4Acces.text();
            break;
        default:
            break;
    }
    return composeCodeRule(mode, fields);
}

Task AccessCodes::WriteCodeClick(int mode) {
    const std::string code = pages_[mode].code->text();
    const std::string name = "C" + code + "C";
    const std::string rule = composeRule(mode);
    const Tree::Node* picked = ctx_.form.TreeCode.selected();
    const std::string command =
        picked ? writeAtCommand(lineLocation(picked->text), rule, name) : writeFirstFreeCommand(rule, name);
    writes_.send(command, "Code " + code + " (" + name + ")", false);
    co_return;
}

Task AccessCodes::AddCodeClick() {
    ctx_.form.TreeCode.clearSelection();
    co_return;
}

Task AccessCodes::DelCodeClick() {
    const Tree::Node* picked = ctx_.form.TreeCode.selected();
    if (picked && ctx_.com.portChosen()) {
        const std::string line = picked->text;
        writes_.send(deleteCommand(lineLocation(line)),
                     "Code " + lineCode(line) + " (" + lineName(line) + ")", true);
    }
    ctx_.st.RefreshAfterWrite = true;
    co_return;
}

void AccessCodes::OnClickCode() {
    const Tree::Node* picked = ctx_.form.TreeCode.selected();
    if (!picked) return;
    const std::string line = picked->text;
    try {
        decode(line);
    } catch (const ConversionError& e) {
        ctx_.showError("The code " + line + " cannot be shown in full: " + e.what() + ".");
    }
}

void AccessCodes::decode(const std::string& line) {
    Form& f = ctx_.form;
    const int mode = codeLineMode(line);
    f.ModeCode.setActiveIndex(mode);
    if (mode < 0 || mode > 4) return;
    const CodeLineFields fields = codeLineFields(line, mode);
    Page& p = pages_[mode];
    p.code->setText(fields.code);
    if (fields.relay == '1') p.rel1->select();
    if (fields.relay == '2') p.rel2->select();
    switch (mode) {
        case 1: {
            CheckBox* days[] = {&f.Po, &f.Ut, &f.St, &f.Ct, &f.Pa, &f.So, &f.Ne};
            for (std::size_t d = 0; d < 7; ++d)
                days[d]->setChecked(d < fields.days.size() && fields.days[d] == '1');
            setList(f.M1Acces, fields.lists[0], 0);
            break;
        }
        case 2:
            setList(f.FromM2, fields.lists[0], 0);
            setList(f.FromD2, fields.lists[1], 0);
            setList(f.ToM2, fields.lists[2], 0);
            setList(f.ToD2, fields.lists[3], 0);
            break;
        case 3:
            setList(f.FromM3, fields.lists[0], 0);
            setList(f.FromD3, fields.lists[1], 0);
            setList(f.M3Acces, fields.lists[2], 0);
            break;
        case 4:
            setList(f.FromHours, fields.lists[0], 24);
            setList(f.ToHours, fields.lists[1], 24);
            setList(f.M4Acces, fields.lists[2], 0);
            break;
        default:
            break;
    }
    if (p.sms) p.sms->setChecked(fields.sms == '1');
}

void AccessCodes::setList(ComboBox& list, const std::string& text, int starItem) {
    const int item = listItemFor(text, list.items(), starItem);
    // A stored value the list does not offer is shown as it stands, so writing the code
    // again keeps it.
    if (item >= 0)
        list.setItemIndex(item);
    else
        list.setText(text);
}

}  // namespace dorive
