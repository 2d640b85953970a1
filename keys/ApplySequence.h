#pragma once
// Writes the functions of the five key rows to the receiver one row at a time, each write
// acknowledged before the next. A plain state machine without timer or I/O: the front end sends the
// key write a step names, shows its progress, and hands in the receiver's acknowledgements.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvix {

// One row's key write: its device key index and its function code as the row's getKeyCode gives
// it (the code's two bytes exchanged). A negative code means the row has none: it is passed over.
struct KeyWrite {
    int keyIndex = 0;
    int32_t code = -1;
};
using KeyWrites = std::array<KeyWrite, 5>;

// The A4 argument of a key write: the device key index, then the code's high and low byte
// (BACK PAGER 0x104B on device key index 3 is the frame 02 01 A4 03 10 4B FE).
uint32_t keyWriteArgument(const KeyWrite& write);

// What the front end does after an event of the sequence, in this order.
struct ApplyStep {
    std::vector<int> progress;     // the gauge's values in percent, in order; empty: unchanged
    std::optional<uint32_t> send;  // the A4 argument of the key write to send now
    bool finished = false;         // every row is done: the gauge goes
};

class ApplySequence {
public:
    // Starts, or starts again, at row 0 with the gauge at 0. The pairs are taken now: a pick, RESET
    // or language switch while the sequence runs changes nothing it writes.
    ApplyStep start(const KeyWrites& writes);
    // An acknowledgement naming keyIndex: on to the next row when it names the row being written,
    // else the same row is written again. Nothing while no sequence runs.
    ApplyStep acknowledge(int keyIndex);
    // The receiver went: the sequence ends where it stands; nothing more is sent.
    void stop() { uSetting = false; }

    bool running() const { return uSetting; }
    // The position of the row being written, 0 to 4, while the sequence runs.
    int row() const { return uSetStep; }

private:
    ApplyStep sendNextKey(ApplyStep step);

    bool uSetting = false;
    int uSetStep = 0;
    KeyWrites uSetKeys;
};

}  // namespace orvix
