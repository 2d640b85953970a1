#pragma once
// Picks the receiver's configuration interface out of the machine's HID interfaces, holds at most
// one, hands its input reports to the owner and tells the owner when one is gained or lost.
// The console window shows what it logs; this half knows the window only through ConsoleView.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hid/HidDeviceController.h"
#include "hidMain/HexText.h"

namespace orvix {

using TcbDevChange = std::function<void(bool devOn)>;
using TcbDevDataIn = std::function<void(const TByteDynArray& d)>;

// What the connection needs of its console window.
class ConsoleView {
public:
    virtual ~ConsoleView() = default;
    virtual bool showing() const = 0;  // the window and its parents are visible
    virtual void appendLine(const std::string& s) = 0;
    virtual void setCaption(const std::string& s) = 0;
    // What the user can do about a held receiver that cannot be written; empty when there is
    // nothing to say. Shown for as long as it is set, not as a log line.
    virtual void setAccessHint(const std::string& s) { (void)s; }
};

class ReceiverConnection {
public:
    static constexpr uint16_t defaultVid = 0x0E8F;
    static constexpr uint16_t defaultPid = 0x00A6;

    ReceiverConnection(std::unique_ptr<HidPlatform> platform, EventLoop& loop, ConsoleView& view);
    ReceiverConnection(const ReceiverConnection&) = delete;
    ReceiverConnection& operator=(const ReceiverConnection&) = delete;
    // Gives a held device back, silently.
    ~ReceiverConnection();

    bool devOn() const { return cd != nullptr; }
    void sMsg(const std::string& s);

    // Writes one 8-byte output report: reportID, then up to 7 bytes of d, zero padded.
    bool uSendData(const TByteDynArray& d);
    // Sends the A4 frame 02 01 A4 a0 a1 a2 ck for the low three bytes of the argument.
    bool uSendA4(uint32_t d);

    const TcbDevChange& OnDevChange() const { return cbDevChange; }
    void setOnDevChange(TcbDevChange cb) { cbDevChange = std::move(cb); }
    const TcbDevDataIn& OnDevDataIn() const { return cbDataIn; }
    void setOnDevDataIn(TcbDevDataIn cb) { cbDataIn = std::move(cb); }

    // The receiver's configuration interface: 8-byte input and output reports, and either the
    // built-in family (vendor 0x0E8F, product 0x00A5 or above) or the configured vid:pid.
    bool isTargetDevice(THidDevice& HidDev);

    // The controller's events.
    bool chidEnumerate(THidDevice& HidDev, int Idx);
    void chidDeviceChange();
    void chidDeviceData(THidDevice& HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size);
    void chidDeviceUnplug(THidDevice& HidDev);

    THidDevice* heldDevice() const { return cd; }

    uint16_t vid = defaultVid;
    uint16_t pid = defaultPid;
    uint8_t reportID = 4;

private:
    ConsoleView& view_;
    TcbDevChange cbDevChange;
    TcbDevDataIn cbDataIn;
    THidDevice* cd = nullptr;

public:
    THidDeviceController chid;  // last: its first scan may only come once the rest is built
};

// The A4 frame for an argument: bits 24-31 are dropped.
TByteDynArray a4Frame(uint32_t argument);

}  // namespace orvix
