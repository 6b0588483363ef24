#include "memories/memory_trees.h"

#include "memories/memory_entries.h"

namespace dorive {

MemoryTrees::MemoryTrees(Context& ctx) : ctx_(ctx) {
    Form& f = ctx_.form;
    // The addition events of the five trees (TreeMemoAddition ... TreeCodeAddition) keep
    // each tree in name order.
    for (Tree* t : {&f.TreeMemo, &f.TreeMemoSel, &f.TreeButtons, &f.TreeButtonsSel, &f.TreeCode})
        t->onAddition = [](std::vector<Tree::Node>& lines) { sortTreeLines(lines); };
    f.TreeMemo.onClick = [this] { TreeMemoClick(); };
    f.TreeButtons.onClick = [this] { TreeButtonsClick(); };
}

void MemoryTrees::ListMemoryEntry(const std::string& location, const std::string& number,
                                  const std::string& name) {
    Form& f = ctx_.form;
    const TreeMembership in = memoryTreesFor(name, ctx_.st.SelectedMemoName, ctx_.st.SelectedButtonName);
    if (!(in.memo || in.memoSel || in.buttons || in.buttonsSel || in.code)) return;
    const std::string line = treeLine(location, name, number);
    if (in.memo) f.TreeMemo.add(line);
    if (in.memoSel) f.TreeMemoSel.add(line);
    if (in.buttons) f.TreeButtons.add(line);
    if (in.buttonsSel) f.TreeButtonsSel.add(line);
    if (in.code) f.TreeCode.add(line);
}

void MemoryTrees::TreeMemoClick() {
    pick(ctx_.form.TreeMemo, ctx_.st.SelectedMemoName, ctx_.form.TreeMemoSel);
}

void MemoryTrees::TreeButtonsClick() {
    pick(ctx_.form.TreeButtons, ctx_.st.SelectedButtonName, ctx_.form.TreeButtonsSel);
}

void MemoryTrees::pick(Tree& all, std::string& selectedName, Tree& sel) {
    const Tree::Node* picked = all.selected();
    if (!picked) return;
    selectedName = memoryPrefix(picked->text);
    sel.clear();
    if (selectedName.empty()) return;
    for (const Tree::Node& n : all.nodes())
        if (n.text.find(selectedName) != std::string::npos) sel.add(n.text);
}

void MemoryTrees::clearTrees() {
    Form& f = ctx_.form;
    for (Tree* t : {&f.TreeButtons, &f.TreeButtonsSel, &f.TreeMemo, &f.TreeMemoSel, &f.TreeCode}) t->clear();
}

void MemoryTrees::clearReadView() {
    if (readViewClear) {
        readViewClear();
        return;
    }
    ctx_.form.PhoneBook1.clear();
    ctx_.st.PhoneBookReload = true;
    clearTrees();
}

}  // namespace dorive
