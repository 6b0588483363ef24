#pragma once
// Device operations: stop and run the unit's script, read its settings again, and the small
// service commands; the wait indicator that fills while the unit is expected to report.
#include "device/read_view.h"
#include "loop/event_loop.h"
#include "serial/context.h"

namespace dorive {

class DeviceOps {
  public:
    DeviceOps(Context& ctx, ReadView& view);
    DeviceOps(const DeviceOps&) = delete;
    DeviceOps& operator=(const DeviceOps&) = delete;

    Task StopZEPClick();
    Task RunZEPClick();
    Task LoadZEPClick();
    Task signalClick();
    Task InicializaceClick();
    Task IMEIClick();

    // The wait indicator: the bar fills one step a second, up to 250, until the unit reports.
    void startWaitIndicator();
    void stopWaitIndicator();
    Task CekaniTimer();
    bool waiting() const { return Cekani.active(); }
    // The unit confirmed its stop: the wait ends and programming mode shows.
    void endStopWait();
    void stopTimers() { Cekani.stop(); }

  private:
    Context& ctx_;
    ReadView& view_;
    RepeatingTimer Cekani;  // 1000 ms
};

}  // namespace dorive
