#pragma once
// The SIM phone book of the simulated unit: locations 1..capacity, each holding a number and
// a name as raw single-byte text, plus a plain-text image file to keep a SIM between runs.
//
// Image file format (ASCII text, one item per line, LF or CR LF line ends):
//
//     # comment lines and blank lines are ignored
//     capacity 250
//     12 "0123456789" "ADMIN1"
//
// - "capacity N" is optional (default 250), may appear once, and must come before any entry.
// - An entry line is the location in decimal, the number and the name, each of the two in
//   double quotes, separated by blanks. Inside the quotes every byte from 0x20 to 0x7E
//   stands for itself except '"' and '\', which are written \" and \\; any byte may be
//   written \xHH (two hex digits). Written images use \xHH for every byte outside
//   0x20..0x7E, so a file stays ASCII and every byte comes back exactly.
// - Each location may appear once and must lie within the capacity; the number and the name
//   obey the same length limits as writes from the serial line.
// Anything else is rejected with SimImageError naming the line; a rejected image changes
// nothing.
#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dorive::sim {

// A SIM image that cannot be read, parsed or written; the text says where and why.
class SimImageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct StoredEntry {
    std::string number;
    std::string name;
    bool operator==(const StoredEntry&) const = default;
};

class SimCard {
  public:
    static constexpr int kDefaultCapacity = 250;
    static constexpr int kMaxCapacity = 9999;
    static constexpr std::size_t kMaxNumberLength = 20;
    static constexpr std::size_t kMaxNameLength = 18;

    // Throws std::invalid_argument for a capacity outside 1..kMaxCapacity.
    explicit SimCard(int capacity = kDefaultCapacity);

    int capacity() const { return capacity_; }
    // Entries beyond a smaller capacity are dropped. Throws std::invalid_argument when out of range.
    void setCapacity(int capacity);

    const std::map<int, StoredEntry>& entries() const { return entries_; }
    const StoredEntry* find(int location) const;
    bool validLocation(int location) const { return location >= 1 && location <= capacity_; }
    static bool validEntry(std::string_view number, std::string_view name) {
        return number.size() <= kMaxNumberLength && name.size() <= kMaxNameLength;
    }

    // False (and nothing changed) for a location out of range or a number or name too long.
    bool write(int location, std::string number, std::string name);
    // Writes to the lowest free location; returns it, or 0 when the SIM is full or the entry invalid.
    int writeFirstFree(std::string number, std::string name);
    // Empties a location; false for a location out of range.
    bool erase(int location);
    // The lowest free location, 0 when the SIM is full.
    int firstFree() const;
    void clear() { entries_.clear(); }

    std::string toImage() const;
    // Throws SimImageError for a malformed image.
    static SimCard fromImage(std::string_view text);
    // Throws SimImageError when the file cannot be written.
    void saveImage(const std::string& path) const;
    // Throws SimImageError when the file cannot be read or is malformed.
    static SimCard loadImage(const std::string& path);

    // A plausible configured unit: administrators, call buttons, alarm texts, the four
    // parameter records, the version, memories, codes, the detection switch and contacts.
    static SimCard withDefaultContent(int capacity = kDefaultCapacity);

  private:
    int capacity_;
    std::map<int, StoredEntry> entries_;
};

}  // namespace dorive::sim
