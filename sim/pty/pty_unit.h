#pragma once
// The simulated unit on a pseudo-terminal, for any serial program. The pty has no DTR line,
// so the unit's stop is triggered in the line itself:
//
// - A command line (a line that starts with "AT") that arrives while the script runs stops
//   the script as asserting DTR would: about a second later the unit reports "STOP" (the
//   older module "[AT#SLED=1]=" after that) and the module answers commands from then on.
//   The line that stopped it is taken by the script and gets no answer.
// - That stop lasts until "AT#REBOOT" restarts the module, or until the program on the other
//   end closes the pty, as a real port drops DTR on closing (the newer module's script then
//   runs again at once; the older module's stays stopped until AT#REBOOT).
// - assertDtr()/releaseDtr() work the line by hand, as a real DTR line would.
//
// While no program has the pty open, what the unit sends is lost, as on a real line.
#include <cstdint>
#include <memory>
#include <string>

#include "sim/sim_port.h"
#include "sim/sim_unit.h"

namespace dorive::sim {

class PtyUnit {
  public:
    // Creates the pty (raw, 115200 8N1). Throws std::runtime_error when it cannot.
    PtyUnit(Clock& clock, std::shared_ptr<SimUnit> unit, Pacing pacing);
    ~PtyUnit();
    PtyUnit(const PtyUnit&) = delete;
    PtyUnit& operator=(const PtyUnit&) = delete;

    // The device the other programs open, e.g. /dev/pts/5.
    const std::string& path() const { return path_; }
    int fd() const { return master_; }
    bool connected() const { return connected_; }
    // The poll() events to wait for on fd(); 0 while no program has the pty open.
    short events() const;
    // Handles what poll() reported on fd().
    void handle(short revents);
    // Looks whether a program has opened the pty meanwhile.
    void checkConnection();
    // After timers fired: applies the in-line stop and its end.
    void afterEvents();

    void assertDtr();
    void releaseDtr();

  private:
    void disconnected();
    void flushOutput();

    std::shared_ptr<SimUnit> unit_;
    SimPort port_;
    int master_ = -1;
    std::string path_;
    bool connected_ = false;
    bool lineStop_ = false;  // DTR asserted by a command line, not by hand
    bool handDtr_ = false;
    std::string output_;  // bytes for the other end that the pty did not take yet
};

}  // namespace dorive::sim
