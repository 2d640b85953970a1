#include "hid/ReportDescriptor.h"

namespace orvix {

const std::vector<uint8_t>& receiverConfigDescriptor() {
    static const std::vector<uint8_t> descriptor{
        0x06, 0x00, 0xFF,  // Usage Page (vendor defined 0xFF00)
        0x09, 0x01,        // Usage (1)
        0xA1, 0x01,        // Collection (Application)
        0x85, 0x04,        //   Report ID (4)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x07,        //   Report Count (7)
        0x09, 0x01,        //   Usage (1)
        0x81, 0x02,        //   Input (Data, Variable, Absolute)
        0x09, 0x01,        //   Usage (1)
        0x91, 0x02,        //   Output (Data, Variable, Absolute)
        0xC0,              // End Collection
    };
    return descriptor;
}

const std::vector<uint8_t>& bootMouseDescriptor() {
    static const std::vector<uint8_t> descriptor{
        0x05, 0x01,  // Usage Page (Generic Desktop)
        0x09, 0x02,  // Usage (Mouse)
        0xA1, 0x01,  // Collection (Application)
        0x09, 0x01,  //   Usage (Pointer)
        0xA1, 0x00,  //   Collection (Physical)
        0x05, 0x09,  //     Usage Page (Buttons)
        0x19, 0x01,  //     Usage Minimum (1)
        0x29, 0x03,  //     Usage Maximum (3)
        0x15, 0x00,  //     Logical Minimum (0)
        0x25, 0x01,  //     Logical Maximum (1)
        0x95, 0x03,  //     Report Count (3)
        0x75, 0x01,  //     Report Size (1)
        0x81, 0x02,  //     Input (Data, Variable, Absolute)
        0x95, 0x01,  //     Report Count (1)
        0x75, 0x05,  //     Report Size (5)
        0x81, 0x01,  //     Input (Constant): padding
        0x05, 0x01,  //     Usage Page (Generic Desktop)
        0x09, 0x30,  //     Usage (X)
        0x09, 0x31,  //     Usage (Y)
        0x15, 0x81,  //     Logical Minimum (-127)
        0x25, 0x7F,  //     Logical Maximum (127)
        0x75, 0x08,  //     Report Size (8)
        0x95, 0x02,  //     Report Count (2)
        0x81, 0x06,  //     Input (Data, Variable, Relative)
        0xC0,        //   End Collection
        0xC0,        // End Collection
    };
    return descriptor;
}

}  // namespace orvix
