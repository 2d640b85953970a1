#include "hidMain/ReceiverConnection.h"

#include <algorithm>
#include <cstdio>

namespace orvix {

namespace {

THidDeviceController::Events bindTo(ReceiverConnection& c) {
    THidDeviceController::Events events;
    events.OnEnumerate = [&c](THidDevice& d, int idx) { return c.chidEnumerate(d, idx); };
    events.OnDeviceChange = [&c](THidDeviceController&) { c.chidDeviceChange(); };
    events.OnDeviceData = [&c](THidDevice& d, uint8_t id, const uint8_t* data, uint16_t size) {
        c.chidDeviceData(d, id, data, size);
    };
    events.OnDeviceUnplug = [&c](THidDevice& d) { c.chidDeviceUnplug(d); };
    return events;
}

}  // namespace

ReceiverConnection::ReceiverConnection(std::unique_ptr<HidPlatform> platform, EventLoop& loop, ConsoleView& view)
    : view_(view), chid(std::move(platform), loop, bindTo(*this)) {}

ReceiverConnection::~ReceiverConnection() {
    if (cd) chid.CheckIn(cd);
}

void ReceiverConnection::sMsg(const std::string& s) {
    if (view_.showing()) view_.appendLine(s);
}

bool ReceiverConnection::isTargetDevice(THidDevice& HidDev) {
    if (HidDev.Caps().InputReportByteLength != 8) return false;
    if (HidDev.Caps().OutputReportByteLength != 8) return false;
    const HidAttributes& a = HidDev.Attributes();
    bool family = a.VendorID == defaultVid && a.ProductID >= 0x00A5;
    bool configured = a.VendorID == vid && a.ProductID == pid;
    return family || configured;
}

bool ReceiverConnection::chidEnumerate(THidDevice& HidDev, int Idx) {
    if (cd) return false;
    if (!isTargetDevice(HidDev)) return true;
    if (!chid.CheckOutByIndex(cd, Idx)) return true;
    cd->setOnData(chid.OnDeviceData());
    cd->setOnUnplug(chid.OnDeviceUnplug());
    view_.setCaption("Dev On");
    const HidAttributes& a = cd->Attributes();
    // Taken although this user may not write to it: say how to change that.
    view_.setAccessHint(cd->HasReadWriteAccess() ? std::string() : chid.platform().writeAccessHint(a));
    char line[64];
    std::snprintf(line, sizeof line, "Dev on-> V:%4X P:%4X N:%4X", a.VendorID, a.ProductID, a.VersionNumber);
    sMsg(line);
    if (cbDevChange) cbDevChange(true);
    return false;
}

void ReceiverConnection::chidDeviceChange() {
    if (!cd) chid.Enumerate();
}

void ReceiverConnection::chidDeviceData(THidDevice&, uint8_t, const uint8_t* Data, uint16_t Size) {
    TByteDynArray d(Data, Data + Size);
    sMsg("R: " + bytesToHex(d));
    if (cbDataIn) cbDataIn(d);
}

void ReceiverConnection::chidDeviceUnplug(THidDevice&) {
    // Any listed device going releases the receiver; the rescan's change event takes it again
    // when it is still there.
    if (!cd) return;
    chid.CheckIn(cd);
    view_.setCaption("---");
    view_.setAccessHint({});
    sMsg("Dev out");
    if (cbDevChange) cbDevChange(false);
}

bool ReceiverConnection::uSendData(const TByteDynArray& d) {
    if (!cd) return false;
    uint8_t report[8] = {};
    report[0] = reportID;
    std::copy_n(d.begin(), std::min<size_t>(d.size(), 7), report + 1);
    size_t written = 0;
    bool ok = cd->WriteFile(report, sizeof report, written) && written == sizeof report;
    if (ok) sMsg("W: " + bytesToHex(d));
    return ok;
}

TByteDynArray a4Frame(uint32_t argument) {
    uint8_t a0 = argument & 0xFF, a1 = (argument >> 8) & 0xFF, a2 = (argument >> 16) & 0xFF;
    uint8_t ck = static_cast<uint8_t>(0x5C - a0 - a1 - a2);
    return {0x02, 0x01, 0xA4, a0, a1, a2, ck};
}

bool ReceiverConnection::uSendA4(uint32_t d) { return uSendData(a4Frame(d)); }

}  // namespace orvix
