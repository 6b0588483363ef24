#pragma once
// The memo page (keypad memos, letter "M") and the button page (button-module memories,
// letter "B"): one class, one instance per page. Each memory holds up to seven phone
// numbers, one entry per position; the page shows the entries of the picked memory, loads
// one into its fields, proposes a position for a new one, writes and deletes entries.
//
// Handlers, memo page / button page:
//   NumberChange   MemoChange / ButtonChange          PosChange     PosMemoChange / PosButtonChange
//   PNumberChange  MemoPNumberChange / ButtonPNumberChange
//   TreeSelClick   TreeMemoSelClick / TreeButtonsSelClick
//   AddClick       AddMemoClick / AddButtonClick      WriteClick    WriteMemoClick / WriteButtonClick
//   DelSelClick    DelMemoSelClick / DelButtonSelClick
//   DelClick       DelMemoClick / DelButtonClick
#include <string>

#include "loop/task.h"
#include "serial/context.h"

namespace dorive {

class MemoryWrites;

class MemoryPage {
  public:
    // `letter` is 'M' for the memo page, 'B' for the button page.
    MemoryPage(Context& ctx, MemoryWrites& writes, char letter);
    MemoryPage(const MemoryPage&) = delete;
    MemoryPage& operator=(const MemoryPage&) = delete;

    void NumberChange();
    void PosChange();
    void PNumberChange();
    void TreeSelClick();
    Task AddClick();
    Task WriteClick();
    Task DelSelClick();
    Task DelClick();

  private:
    void setLabel();
    Task deleteSelected(Tree& tree);
    // "Memo 12, position 3 (M12-3)".
    std::string describe(const std::string& number, const std::string& position) const;

    Context& ctx_;
    MemoryWrites& writes_;
    const char letter_;
    Form::MemoryPageControls& c_;
    Tree& all_;
    Tree& sel_;
    std::string& selectedName_;
};

}  // namespace dorive
