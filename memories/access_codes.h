#pragma once
// Keypad access codes on the KeyBoardCode page: a code entry "C" code "C" whose number is
// its rule (relay, mode and the mode's fields, see code_rules.h). A click in TreeCode
// decodes the selected code into the page of its mode; each of the five pages composes
// the rule of its mode and writes the code, replacing the selected one or creating a new
// one; AddCode clears the selection, DelCode deletes the selected code.
#include <array>
#include <string>

#include "loop/task.h"
#include "serial/context.h"

namespace dorive {

class MemoryWrites;

class AccessCodes {
  public:
    AccessCodes(Context& ctx, MemoryWrites& writes);
    AccessCodes(const AccessCodes&) = delete;
    AccessCodes& operator=(const AccessCodes&) = delete;

    void OnClickCode();
    // CodeM0Change ... CodeM4Change.
    void CodeChange(int mode);
    // WriteCode0Click ... WriteCode4Click.
    Task WriteCodeClick(int mode);
    Task AddCodeClick();
    Task DelCodeClick();

    // The rule the page of `mode` composes from its controls now.
    std::string composeRule(int mode) const;

  private:
    struct Page {
        Edit* code;
        Label* label;
        RadioButton* rel1;
        RadioButton* rel2;
        CheckBox* sms;  // none on page M0
        Button* write;
    };
    void decode(const std::string& line);
    void setList(ComboBox& list, const std::string& text, int starItem);

    Context& ctx_;
    MemoryWrites& writes_;
    std::array<Page, 5> pages_;
};

}  // namespace dorive
