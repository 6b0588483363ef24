#include "memories/memories.h"

namespace dorive {

Memories::Memories(Context& ctx)
    : trees(ctx),
      writes(ctx, trees),
      memos(ctx, writes, 'M'),
      buttons(ctx, writes, 'B'),
      codes(ctx, writes),
      detection(ctx, writes) {}

void Memories::onListingEntry(const ListingLine& entry) {
    trees.ListMemoryEntry(entry.location, entry.number, entry.name);
    detection.onListingEntry(entry.location, entry.number, entry.name);
}

bool isErrorReply(const std::string& line) {
    return line == "ERROR" || line.starts_with("+CME ERROR");
}

}  // namespace dorive
