#pragma once
// The five memory trees: every memory entry of a read listed in the trees whose test its
// name passes, each tree kept in name order after every addition, the clicks that pick a
// memo or a button and fill the tree of its entries, and the emptying for a fresh read.
#include <functional>
#include <string>

#include "serial/context.h"

namespace dorive {

class MemoryTrees {
  public:
    explicit MemoryTrees(Context& ctx);
    MemoryTrees(const MemoryTrees&) = delete;
    MemoryTrees& operator=(const MemoryTrees&) = delete;

    // Lists one entry of a SIM listing in every tree whose test its name passes.
    void ListMemoryEntry(const std::string& location, const std::string& number, const std::string& name);

    // A click in TreeMemo / TreeButtons: picks the memo or button of the selected line and
    // lists its entries in TreeMemoSel / TreeButtonsSel.
    void TreeMemoClick();
    void TreeButtonsClick();

    // Empties the five trees.
    void clearTrees();
    // Empties the phone-book list and the trees and marks the next listing as a fresh read.
    void clearReadView();
    // The program's own clearing of the read view, which keeps what a broken read would lose.
    std::function<void()> readViewClear;

  private:
    void pick(Tree& all, std::string& selectedName, Tree& sel);
    Context& ctx_;
};

}  // namespace dorive
