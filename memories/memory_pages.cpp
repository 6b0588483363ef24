#include "memories/memory_pages.h"

#include "memories/memory_entries.h"
#include "memories/memory_writes.h"
#include "params/edit_rules.h"

namespace dorive {

MemoryPage::MemoryPage(Context& ctx, MemoryWrites& writes, char letter)
    : ctx_(ctx),
      writes_(writes),
      letter_(letter),
      c_(letter == 'M' ? ctx.form.MemoControls : ctx.form.ButtonControls),
      all_(letter == 'M' ? ctx.form.TreeMemo : ctx.form.TreeButtons),
      sel_(letter == 'M' ? ctx.form.TreeMemoSel : ctx.form.TreeButtonsSel),
      selectedName_(letter == 'M' ? ctx.st.SelectedMemoName : ctx.st.SelectedButtonName) {
    c_.Number.onChange = [this] { NumberChange(); };
    c_.Pos.onChange = [this] { PosChange(); };
    c_.PNumber.onChange = [this] { PNumberChange(); };
    sel_.onClick = [this] { TreeSelClick(); };
    ctx_.onClick(c_.Add, [this] { return AddClick(); });
    ctx_.onClick(c_.Write, [this] { return WriteClick(); });
    ctx_.onClick(c_.DelSel, [this] { return DelSelClick(); });
    ctx_.onClick(c_.Del, [this] { return DelClick(); });
}

void MemoryPage::setLabel() {
    c_.LabelName.setCaption("(" + memoryName(letter_, c_.Number.text(), c_.Pos.text()) + ")");
}

void MemoryPage::NumberChange() {
    c_.Number.setText(FilterDigits(c_.Number.text()));
    c_.Number.setCaret(c_.Number.text().size());
    setLabel();
}

void MemoryPage::PosChange() {
    if (!c_.Number.text().empty()) setLabel();
}

void MemoryPage::PNumberChange() {
    c_.PNumber.setText(FilterPhoneNumber(c_.PNumber.text()));
    c_.PNumber.setCaret(c_.PNumber.text().size());
}

void MemoryPage::TreeSelClick() {
    const Tree::Node* picked = sel_.selected();
    if (!picked) return;
    const std::string line = picked->text;
    c_.Number.setText(lineMemoryNumber(line, letter_));
    const std::string position = linePosition(line);
    // A stored position the list does not offer is shown as it stands.
    if (isMemoryPosition(position))
        c_.Pos.setItemIndex(position[0] - '1');
    else
        c_.Pos.setText(position);
    setLabel();
    c_.PNumber.setText(lineNumber(line));
}

Task MemoryPage::AddClick() {
    sel_.clearSelection();
    int item = proposedPositionItem(sel_.nodes().size());
    if (item < 0) {
        // Seven entries listed: the lowest position none of them holds, if there is one.
        bool taken[7] = {};
        for (const Tree::Node& n : sel_.nodes()) {
            const std::string p = linePosition(n.text);
            if (isMemoryPosition(p)) taken[p[0] - '1'] = true;
        }
        for (int i = 0; i < 7 && item < 0; ++i)
            if (!taken[i]) item = i;
    }
    if (item >= 0) {
        c_.Pos.setItemIndex(item);
        setLabel();
        co_return;
    }
    c_.Pos.setText("");
    setLabel();
    const std::string memory =
        selectedName_.size() >= 2 ? selectedName_.substr(1, selectedName_.size() - 2) : "";
    ctx_.showError(std::string(letter_ == 'M' ? "Memo " : "Button ") + memory +
                   " already has a number at every position from 1 to 7. Pick one of its entries to change "
                   "it, or delete one first.");
}

Task MemoryPage::WriteClick() {
    const std::string& number = c_.Number.text();
    const std::string& position = c_.Pos.text();
    if (!isMemoryPosition(position)) {
        ctx_.showError(std::string(letter_ == 'M' ? "Memo " : "Button ") + number +
                       " was not written: choose a position from 1 to 7.");
        co_return;
    }
    const std::string name = memoryName(letter_, number, position);
    const Tree::Node* picked = sel_.selected();
    const std::string command = picked ? writeAtCommand(lineLocation(picked->text), c_.PNumber.text(), name)
                                       : writeFirstFreeCommand(c_.PNumber.text(), name);
    writes_.send(command, describe(number, position), false);
}

Task MemoryPage::DelSelClick() {
    return deleteSelected(sel_);
}
Task MemoryPage::DelClick() {
    return deleteSelected(all_);
}

Task MemoryPage::deleteSelected(Tree& tree) {
    const Tree::Node* picked = tree.selected();
    if (picked && ctx_.com.portChosen()) {
        const std::string line = picked->text;
        writes_.send(deleteCommand(lineLocation(line)),
                     describe(lineMemoryNumber(line, letter_), linePosition(line)), true);
    }
    ctx_.st.RefreshAfterWrite = true;
    co_return;
}

std::string MemoryPage::describe(const std::string& number, const std::string& position) const {
    return std::string(letter_ == 'M' ? "Memo " : "Button ") + number + ", position " + position + " (" +
           memoryName(letter_, number, position) + ")";
}

}  // namespace dorive
