#pragma once
// Memory entries of the SIM phone book and their tree lines: which tree lists a name, the
// tree line and the fields read back from it, the order of a tree, and the three
// phone-book commands that write, create and delete an entry. Pure functions, no state.
//
// Names: memo entries "M" number "-" position, button entries "B" number "-" position,
// code entries "C" code "C". A tree line is location ":" name "[" number "]".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "form/controls.h"

namespace dorive {

// The trees whose test a name passes; the tests are independent, so a name can be in two.
struct TreeMembership {
    bool memo = false;        // TreeMemo
    bool memoSel = false;     // TreeMemoSel
    bool buttons = false;     // TreeButtons
    bool buttonsSel = false;  // TreeButtonsSel
    bool code = false;        // TreeCode
    bool operator==(const TreeMembership&) const = default;
};

// `letter` followed by anything, the first "-" being the second-to-last character (a name
// of the letter alone passes: the missing "-" counts as position 0, its length minus one).
bool isMemoryName(std::string_view name, char letter);
// "C" followed by anything, the first "C" after the leading one being the last character
// ("C" alone passes, as for memory names).
bool isCodeName(std::string_view name);
TreeMembership memoryTreesFor(std::string_view name, std::string_view selectedMemo,
                              std::string_view selectedButton);

std::string treeLine(std::string_view location, std::string_view name, std::string_view number);

// Fields read back from a tree line, each from the first occurrence of its marks; a mark
// that is missing gives what the line offers there, usually an empty text.
std::string lineLocation(std::string_view line);                   // before ":", blanks trimmed
std::string lineName(std::string_view line);                       // between ":" and "["
std::string lineNumber(std::string_view line);                     // between "[" and "]"
std::string lineMemoryNumber(std::string_view line, char letter);  // between ":M" (":B") and "-"
std::string linePosition(std::string_view line);                   // the one character after "-"
std::string lineCode(std::string_view line);                       // between ":C" and "C["
// The memory a line belongs to, as the name prefix "M12-": the text after the first ":"
// up to and including its first "-"; empty when it has no "-".
std::string memoryPrefix(std::string_view line);

// Orders tree lines by name (the text between ":" and "["), byte by byte, a prefix first;
// lines of equal names keep their order. This is the order that repeated passes of
// exchanging adjacent lines out of order give, reached without the quadratic passes.
void sortTreeLines(std::vector<Tree::Node>& lines);

// "M12-3": the name a write gives a memo or button entry.
std::string memoryName(char letter, std::string_view number, std::string_view position);
// The item of the position list that a new entry proposes when `listed` entries of the
// memory are listed: item k is position k + 1. -1 when all seven positions are listed.
int proposedPositionItem(std::size_t listed);
// A position a memory can hold: one character, "1" to "7".
bool isMemoryPosition(std::string_view position);

// Phone-book commands, each closed by CR LF; number and name are sent unquoted.
std::string writeAtCommand(std::string_view location, std::string_view number, std::string_view name);
std::string writeFirstFreeCommand(std::string_view number, std::string_view name);
std::string deleteCommand(std::string_view location);

}  // namespace dorive
