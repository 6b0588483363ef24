// zep-sim: the simulated ZEP unit on a pseudo-terminal, at the pace of a real one, for DORive,
// dorive-cli or any other serial program.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "ports/files.h"
#include "sim/pty/poll_clock.h"
#include "sim/pty/pty_unit.h"
#include "sim/sim_card.h"
#include "sim/sim_unit.h"

using namespace dorive;
using namespace dorive::sim;

namespace {

const char* const kHelp =
    "Usage: zep-sim [--image FILE] [--module old|new] [--capacity N]\n"
    "\n"
    "Serves a simulated ZEP unit (GSM module, script and SIM) on a new pseudo-terminal at the\n"
    "pace of a real one (115200 baud, the module's reply latency) until it is stopped. The first\n"
    "line of standard output is the pty's path; point DORive, dorive-cli, picocom or gammu at it.\n"
    "\n"
    "Options:\n"
    "  --image FILE     the SIM image: loaded when FILE exists, otherwise the demo SIM; the SIM is\n"
    "                   saved to FILE when zep-sim stops (SIGTERM, SIGINT or Ctrl-C)\n"
    "  --module old|new the GSM module: the older one (default) or the newer one\n"
    "  --capacity N     the SIM's number of locations (1-9999; default 250, or the image's)\n"
    "  -h, --help       this help\n"
    "\n"
    "Stop and run without DTR:\n"
    "  A pty has no DTR line. While the unit's script runs, the first command line (a line that\n"
    "  starts with AT) stops it as asserting DTR would: about a second later the unit reports\n"
    "  STOP (the older module also [AT#SLED=1]=), and from then on the module answers commands.\n"
    "  The line that stopped it gets no answer. The stop lasts until AT#REBOOT restarts the\n"
    "  module, or until the program closes the pty (a port drops DTR on closing: the newer\n"
    "  module's script runs again at once, the older module's stays stopped until AT#REBOOT).\n"
    "  By hand: kill -USR1 PID asserts DTR (stop), kill -USR2 PID releases it.\n"
    "\n"
    "  dorive-cli needs nothing more: its start-up greeting stops the script and it waits for\n"
    "  the STOP report. In the DORive window the greeting stops the unit before Stop is pressed:\n"
    "  press Stop, then Load, and the window reads the unit. Run restarts the older module\n"
    "  (AT#REBOOT); for the newer module use kill -USR2 or close the port.\n"
    "\n"
    "Example:\n"
    "  zep-sim --image unit.sim --capacity 40 &\n";

volatile sig_atomic_t gSignalPipe = -1;

void onSignal(int sig) {
    int saved = errno;
    unsigned char byte = static_cast<unsigned char>(sig);
    if (gSignalPipe >= 0) [[maybe_unused]]
        auto n = ::write(gSignalPipe, &byte, 1);
    errno = saved;
}

int usage(const std::string& error) {
    std::cerr << "zep-sim: " << error << "\n\n" << kHelp;
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::string image;
    ModuleType module = ModuleType::Older;
    std::optional<int> capacity;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::cout << kHelp;
            return 0;
        }
        std::string value;
        std::string name = a;
        if (std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        } else if (a == "--image" || a == "--module" || a == "--capacity") {
            if (i + 1 >= argc) return usage("option " + a + " needs a value");
            value = argv[++i];
        } else {
            return usage("unknown option " + a);
        }
        if (name == "--image") {
            if (value.empty()) return usage("--image needs a file name");
            image = value;
        } else if (name == "--module") {
            if (value == "old")
                module = ModuleType::Older;
            else if (value == "new")
                module = ModuleType::Newer;
            else
                return usage("--module takes old or new, not \"" + value + "\"");
        } else if (name == "--capacity") {
            char* end = nullptr;
            long n = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || n < 1 || n > SimCard::kMaxCapacity)
                return usage("--capacity takes a number from 1 to " + std::to_string(SimCard::kMaxCapacity));
            capacity = int(n);
        } else {
            return usage("unknown option " + a);
        }
    }

    SimCard card = SimCard::withDefaultContent(capacity.value_or(SimCard::kDefaultCapacity));
    try {
        if (!image.empty() && diskFiles().exists(image)) {
            card = SimCard::loadImage(image);
            if (capacity) card.setCapacity(*capacity);
        }
    } catch (const SimImageError& e) {
        std::cerr << "zep-sim: " << e.what() << '\n';
        return 2;
    }

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        std::cerr << "zep-sim: cannot create a pipe: " << std::strerror(errno) << '\n';
        return 1;
    }
    gSignalPipe = pipeFds[1];
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    PollClock clock;
    SimOptions options;
    options.type = module;
    // The script notices a stop within a second, so a program that stops the unit right after
    // its greeting sees the report.
    options.stopDelayMs = 1000;
    auto unit = std::make_shared<SimUnit>(clock, options, std::move(card));
    std::unique_ptr<PtyUnit> pty;
    try {
        pty = std::make_unique<PtyUnit>(clock, unit, Pacing::realistic());
    } catch (const std::exception& e) {
        std::cerr << "zep-sim: " << e.what() << '\n';
        return 1;
    }
    std::cout << pty->path() << std::endl;
    std::cerr << "zep-sim: the " << (module == ModuleType::Older ? "older" : "newer")
              << " module with a SIM of " << unit->sim().capacity() << " locations on " << pty->path()
              << " (pid " << ::getpid() << "); stop with Ctrl-C or SIGTERM"
              << (image.empty() ? "" : ", which saves the SIM to " + image) << ".\n";

    // While no program has the pty open, look for one this often.
    constexpr int kConnectionCheckMs = 100;
    bool quit = false;
    while (!quit) {
        pty->checkConnection();
        pollfd fds[2] = {{pipeFds[0], POLLIN, 0}, {pty->fd(), pty->events(), 0}};
        const nfds_t count = pty->connected() ? 2 : 1;
        int wait = clock.msUntilNext();
        if (!pty->connected() && (wait < 0 || wait > kConnectionCheckMs)) wait = kConnectionCheckMs;
        int n = ::poll(fds, count, wait);
        if (n < 0 && errno != EINTR) {
            std::cerr << "zep-sim: poll failed: " << std::strerror(errno) << '\n';
            break;
        }
        if (n > 0 && (fds[0].revents & POLLIN)) {
            unsigned char sigs[16];
            ssize_t got = ::read(pipeFds[0], sigs, sizeof sigs);
            for (ssize_t i = 0; i < got; ++i) {
                if (sigs[i] == SIGUSR1)
                    pty->assertDtr();
                else if (sigs[i] == SIGUSR2)
                    pty->releaseDtr();
                else
                    quit = true;
            }
        }
        if (n > 0 && count == 2 && fds[1].revents) pty->handle(fds[1].revents);
        clock.fireDue();
        pty->afterEvents();
    }

    pty.reset();
    int status = 0;
    if (!image.empty()) {
        try {
            diskFiles().write(image, unit->sim().toImage());
            std::cerr << "zep-sim: SIM saved to " << image << ".\n";
        } catch (const FileError& e) {
            std::cerr << "zep-sim: " << e.what() << '\n';
            status = 1;
        }
    }
    return status;
}
