// Reply handling: every line the unit sends is recognised by its text and moves the
// display, a value, a control or the running sequence on.
#include "serial/replies.h"

#include <optional>
#include <string>

#include "app/dorive.h"
#include "app/errors.h"
#include "params/fixed_entries.h"

namespace dorive {

namespace {

bool contains(const std::string& line, std::string_view text) {
    return line.find(text) != std::string::npos;
}

std::string trimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return std::string(s.substr(b, e - b));
}

// The text after the first `open` up to the next `close` (or the end of the line when
// `close` is missing). Without `open` there is no text at all.
std::optional<std::string_view> between(std::string_view line, char open, char close) {
    std::size_t a = line.find(open);
    if (a == std::string_view::npos) return std::nullopt;
    std::size_t e = line.find(close, a + 1);
    if (e == std::string_view::npos) e = line.size();
    return line.substr(a + 1, e - a - 1);
}

const Rgb kRed{255, 0, 0};
const Rgb kCyan{0, 255, 255};
const Rgb kGreen{0, 255, 0};

}  // namespace

ListingLine cutListingLine(std::string_view line) {
    ListingLine out;
    if (auto loc = between(line, ':', ',')) out.location = trimBlanks(*loc);

    std::size_t q1 = line.find('"');
    if (q1 == std::string_view::npos) return out;
    std::size_t q2 = line.find('"', q1 + 1);
    if (q2 == std::string_view::npos) return out;
    out.number = std::string(line.substr(q1 + 1, q2 - q1 - 1));

    std::size_t comma = line.find(',', q2 + 1);
    if (comma == std::string_view::npos) return out;
    std::size_t q3 = line.find('"', comma + 1);
    if (q3 == std::string_view::npos) return out;
    std::size_t q4 = line.find('"', q3 + 1);
    if (q4 == std::string_view::npos) return out;
    out.name = std::string(line.substr(q3 + 1, q4 - q3 - 1));
    return out;
}

void Dorive::showRunMode() {
    form.DeviceRun.setVisible(true);
    form.DeviceStop.setVisible(false);
    form.DeviceNic.setVisible(false);
}

void Dorive::showProgMode() {
    form.DeviceStop.setVisible(true);
    form.DeviceRun.setVisible(false);
    form.DeviceNic.setVisible(false);
}

void Dorive::showPending() {
    form.DeviceNic.setVisible(true);
    form.DeviceRun.setVisible(false);
    form.DeviceStop.setVisible(false);
}

void Dorive::clearReadView() {
    form.PhoneBook1.clear();
    st.PhoneBookReload = true;
    clearTrees();
}

void Dorive::addPhoneBookEntry(const std::string& name, const std::string& number) {
    PhoneBookList::Row row{name, number};
    if (st.PhoneBookReload) {
        form.PhoneBook1.setRows({std::move(row)});
        st.PhoneBookReload = false;
    } else {
        form.PhoneBook1.append(std::move(row));
    }
}

// The unit confirmed its stop: the wait ends and programming mode shows.
void Dorive::endStopWait() {
    Cekani.stop();
    form.Prubeh.setVisible(false);
    enableUnlessSaving(form.SaveZEP);
    enableUnlessSaving(form.RunZEP);
    showProgMode();
    enableUnlessSaving(form.LoadZEP);
}

void Dorive::clearTrees() {
    form.TreeButtons.clear();
    form.TreeButtonsSel.clear();
    form.TreeMemo.clear();
    form.TreeMemoSel.clear();
    form.TreeCode.clear();
}

// A reply may enable the device buttons; while a save runs they stay locked until its end.
void Dorive::enableUnlessSaving(Control& c) {
    if (!st.WriteActive) c.setEnabled(true);
}

Task Dorive::dispatchReply(std::string& line) {
    if (contains(line, "AT#tone=i,4]")) showRunMode();

    if (line == "OK") {
        if (st.RefreshAfterWrite) {
            st.RefreshAfterWrite = false;
            form.Prubeh.setPosition(0);
            enableUnlessSaving(form.SaveZEP);
            clearReadView();
            co_await pause(200);
            send("AT#SPN\r\n");
        }
        if (st.UploadActive && !st.AudioSendActive) {
            co_await upload_.onOk();  // the upload's next step
        } else if (st.ProgModeEntered && st.LteModule) {
            st.ProgModeEntered = false;
            co_await pause(200);
            note("----------------------2");
            send("AT#SPN\r\n");
            note(">AT#SPN");
        } else if (st.WriteActive) {
            co_await saveStep();
        }
        co_return;
    }

    if (line == "STOP" || contains(line, "#APLAYEV:")) {
        if (contains(line, "#APLAYEV:")) st.LteModule = true;
        if (!com.dtr()) co_return;
        endStopWait();
        note("----------------------1");
        send("ATE0\r\n");
        note(">ATE0");
        st.ProgModeEntered = true;
        note(std::string("ATE0=") + (st.ProgModeEntered ? "-1" : "0"));
        note(std::string("LTE=") + (st.LteModule ? "-1" : "0"));
        co_await pause(1000);
    } else if (line == "Telit") {
        showProgMode();
        send("AT#SPN\r\n");
        form.Prubeh.setPosition(0);
        enableUnlessSaving(form.SaveZEP);
        enableUnlessSaving(form.LoadZEP);
        clearReadView();
    } else if (line == "[AT#SLED=1]=") {
        co_await pause(1000);
        send("ATE0;#SPN\r\n");
        st.ProgModeEntered = false;
        endStopWait();
    } else if (st.AudioSendActive && contains(line, "#ASENDEV:")) {
        co_await upload_.onVoiceSent();  // the end of a voice send
    } else if (line == "+CREG: 0,1" || line == "+CREG: 0,5") {
        co_await pause(200);
    } else if (contains(line, "#CBC:")) {
        Cekani.stop();
        form.Prubeh.setVisible(false);
        std::size_t comma = line.find(',');
        std::string rest = comma == std::string::npos ? line : line.substr(comma + 1);
        note(rest);
        form.StatusBar1.setPanelText(1, " board voltage: " + rest + "0 mV");
        form.BVoltage.setPosition(toInt(rest));
        form.Voltage.setCaption(rest + "0 mV");
    } else if (contains(line, "+CSQ:")) {
        std::size_t colon = line.find(':');
        std::size_t comma = line.find(',', colon + 1);
        // A reply without "," carries no value.
        std::string value =
            comma == std::string::npos ? std::string() : line.substr(colon + 1, comma - colon - 1);
        int level = toInt(trimBlanks(value));
        st.SignalLevel = level;
        Rgb colour = kRed;
        if (level >= 15 && level <= 21)
            colour = kCyan;
        else if (level >= 22 && level <= 31)
            colour = kGreen;
        form.Smeter.setColor(colour);
        form.Smeter.setPosition(level);
        if ((runModeShown() || pendingShown()) && st.ProgModeEntered) {
            showRunMode();
            form.LoadZEP.setEnabled(false);
            form.SaveZEP.setEnabled(false);
        }
    } else if (contains(line, "+CPBR: (1-")) {
        int capacity = toInt(trimBlanks(between(line, '-', ')').value_or("")));
        st.SimCapacity = capacity;
        form.StatusBar1.setPanelText(2, " SIM: " + std::to_string(capacity));
        if (capacity > 10) {
            co_await pause(100);
            if (com.portChosen()) send("AT+CPBR=1," + std::to_string(capacity) + "\r\n");
        }
    } else if (contains(line, "+CPBR")) {
        ListingLine entry = cutListingLine(line);
        if (st.PhoneBookReload && !isFixedEntryName(entry.name)) {
            // A fresh read: the memory trees are filled anew by this read.
            clearTrees();
        }
        if (entry.name == "DETECT" && entry.number == "1") {
            st.DetectEntry = entry.location + ":" + entry.name + "[" + entry.number + "]";
            note(st.DetectEntry);
            // Shows the state only: the box's own switching reaction must not run.
            auto reaction = std::move(form.DetBut.onClick);
            form.DetBut.onClick = nullptr;
            form.DetBut.setChecked(true);
            form.DetBut.onClick = std::move(reaction);
        }
        if (applyFixedEntry(form, st, entry.name, entry.number)) {
            if (entry.name == "VER") {
                const bool zep = contains(form.StatusBar1.panelText(4), "ZEP");
                form.StatusBar1.setPanelText(4, (zep ? " ZEP Ver: " : " GSM-Yw Ver: ") + entry.number);
            }
        } else {
            addPhoneBookEntry(entry.name, entry.number);
        }
    } else if (contains(line, "#SPN")) {
        std::size_t colon = line.find(':');
        std::string op = colon == std::string::npos ? line : line.substr(colon + 1);
        form.StatusBar1.setPanelText(0, "Operator: " + op);
        co_await pause(200);
        if (com.portChosen() && com.dtr()) send("AT+CPBR=?\r\n");
    } else if (contains(line, "COPS")) {
        showRunMode();
        form.LoadZEP.setEnabled(false);
        form.SaveZEP.setEnabled(false);
    } else if (st.WriteActive && (line == "ERROR" || line.starts_with("+CME ERROR"))) {
        co_await abortSave("the unit answered " + line);
    }
    // Every other line was only logged.
}

}  // namespace dorive
