#pragma once
// Keypad and button-module memories as one part of the program: the memory trees, the
// memo and button pages, the access codes and button detection, and the hooks through
// which the reply handling feeds them.
//
// Hooks, in the order the reply handling meets them:
//   onOk()             every line "OK", before anything else reacts to it
//   onListingEntry()   every phone-book listing line, after the trees were emptied for a
//                      fresh read and before the entry is filed as a fixed entry or a row
//   awaitsAnswer(), onErrorReply()   an "ERROR" / "+CME ERROR" line while a memory write
//                      waits for its answer
//   close()            the window closes
#include <string>

#include "loop/task.h"
#include "memories/access_codes.h"
#include "memories/button_detection.h"
#include "memories/memory_pages.h"
#include "memories/memory_trees.h"
#include "memories/memory_writes.h"
#include "serial/context.h"
#include "serial/listing.h"

namespace dorive {

class Memories {
  public:
    explicit Memories(Context& ctx);
    Memories(const Memories&) = delete;
    Memories& operator=(const Memories&) = delete;

    void onOk() { writes.onOk(); }
    void onListingEntry(const ListingLine& entry);
    bool awaitsAnswer() const { return writes.awaitsAnswer(); }
    Task onErrorReply(std::string line) { return writes.onErrorReply(std::move(line)); }
    void close() { writes.close(); }

    MemoryTrees trees;
    MemoryWrites writes;
    MemoryPage memos;
    MemoryPage buttons;
    AccessCodes codes;
    ButtonDetection detection;
};

// The unit's refusal of a command.
bool isErrorReply(const std::string& line);

}  // namespace dorive
