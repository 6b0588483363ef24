#include "device/device_ops.h"

#include <algorithm>

namespace dorive {

DeviceOps::DeviceOps(Context& ctx, ReadView& view)
    : ctx_(ctx), view_(view), Cekani(ctx.loop, 1000, [this] { return CekaniTimer(); }) {
    Form& f = ctx.form;
    ctx.onClick(f.StopZEP, [this] { return StopZEPClick(); });
    ctx.onClick(f.RunZEP, [this] { return RunZEPClick(); });
    ctx.onClick(f.LoadZEP, [this] { return LoadZEPClick(); });
    ctx.onClick(f.signal, [this] { return signalClick(); });
    ctx.onClick(f.Inicializace, [this] { return InicializaceClick(); });
    ctx.onClick(f.IMEI, [this] { return IMEIClick(); });
}

void DeviceOps::startWaitIndicator() {
    ctx_.form.Prubeh.setMax(250);
    ctx_.form.Prubeh.setPosition(0);
    Cekani.start();
}

void DeviceOps::stopWaitIndicator() {
    Cekani.stop();
    ctx_.form.Prubeh.setVisible(false);
}

Task DeviceOps::CekaniTimer() {
    ProgressBar& bar = ctx_.form.Prubeh;
    bar.setPosition(std::min(bar.position() + 1, bar.max()));
    bar.setVisible(true);
    co_return;
}

void DeviceOps::endStopWait() {
    Form& f = ctx_.form;
    stopWaitIndicator();
    enableUnlessSaving(ctx_.st, f.SaveZEP);
    enableUnlessSaving(ctx_.st, f.RunZEP);
    showProgMode(f);
    enableUnlessSaving(ctx_.st, f.LoadZEP);
}

Task DeviceOps::StopZEPClick() {
    if (ctx_.st.WriteActive) co_return;
    ctx_.com.setDtr(true);
    startWaitIndicator();
    ctx_.st.PhoneBookReload = true;
    showPending(ctx_.form);
}

Task DeviceOps::RunZEPClick() {
    if (ctx_.st.WriteActive) co_return;
    ctx_.com.setDtr(false);
    co_await ctx_.pause(1000);
    // A newer module restarts the script itself once DTR is released.
    if (!ctx_.st.LteModule) ctx_.send("AT#REBOOT\r\n");
    startWaitIndicator();
    Form& f = ctx_.form;
    showPending(f);
    f.LoadZEP.setEnabled(false);
    f.SaveZEP.setEnabled(false);
}

Task DeviceOps::LoadZEPClick() {
    if (ctx_.st.WriteActive) co_return;
    Form& f = ctx_.form;
    if (pendingShown(f)) {
        ctx_.send("AT+CGMI\r\n");
        f.DeviceRun.setVisible(true);
        f.DeviceNic.setVisible(false);
        f.LoadZEP.setEnabled(false);
        f.SaveZEP.setEnabled(false);
    }
    if (progModeShown(f)) {
        ctx_.send("AT#SPN\r\n");
        f.Prubeh.setPosition(0);
        f.SaveZEP.setEnabled(true);
        view_.clear();
        showProgMode(f);
    }
    co_return;
}

Task DeviceOps::signalClick() {
    if (ctx_.st.WriteActive) co_return;
    ctx_.send("AT+CSQ\r\n");
}

Task DeviceOps::InicializaceClick() {
    if (ctx_.st.WriteActive) co_return;
    ctx_.send("AT#ESCRIPT=zep.pyo\r\n");
}

Task DeviceOps::IMEIClick() {
    if (ctx_.st.WriteActive) co_return;
    ctx_.send("AT#CGSN\r\n");
}

}  // namespace dorive
