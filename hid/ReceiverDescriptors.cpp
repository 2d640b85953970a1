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

const std::vector<uint8_t>& bootKeyboardDescriptor() {
    static const std::vector<uint8_t> descriptor{
        0x05, 0x01,  // Usage Page (Generic Desktop)
        0x09, 0x06,  // Usage (Keyboard)
        0xA1, 0x01,  // Collection (Application)
        0x05, 0x07,  //   Usage Page (Key Codes)
        0x19, 0xE0,  //   Usage Minimum (224)
        0x29, 0xE7,  //   Usage Maximum (231)
        0x15, 0x00,  //   Logical Minimum (0)
        0x25, 0x01,  //   Logical Maximum (1)
        0x75, 0x01,  //   Report Size (1)
        0x95, 0x08,  //   Report Count (8)
        0x81, 0x02,  //   Input (Data, Variable, Absolute): modifier byte
        0x95, 0x01,  //   Report Count (1)
        0x75, 0x08,  //   Report Size (8)
        0x81, 0x01,  //   Input (Constant): reserved byte
        0x95, 0x05,  //   Report Count (5)
        0x75, 0x01,  //   Report Size (1)
        0x05, 0x08,  //   Usage Page (LEDs)
        0x19, 0x01,  //   Usage Minimum (1)
        0x29, 0x05,  //   Usage Maximum (5)
        0x91, 0x02,  //   Output (Data, Variable, Absolute): LEDs
        0x95, 0x01,  //   Report Count (1)
        0x75, 0x03,  //   Report Size (3)
        0x91, 0x01,  //   Output (Constant): LED padding
        0x95, 0x06,  //   Report Count (6)
        0x75, 0x08,  //   Report Size (8)
        0x15, 0x00,  //   Logical Minimum (0)
        0x25, 0x65,  //   Logical Maximum (101)
        0x05, 0x07,  //   Usage Page (Key Codes)
        0x19, 0x00,  //   Usage Minimum (0)
        0x29, 0x65,  //   Usage Maximum (101)
        0x81, 0x00,  //   Input (Data, Array): key array
        0xC0,        // End Collection
    };
    return descriptor;
}

const std::vector<uint8_t>& sharedReceiverDescriptor() {
    static const std::vector<uint8_t> descriptor = [] {
        // The boot keyboard with Report ID 1 as its first item.
        const std::vector<uint8_t>& keyboard = bootKeyboardDescriptor();
        const size_t collectionOpened = 6;  // after Usage Page, Usage and Collection (Application)
        std::vector<uint8_t> d;
        for (size_t i = 0; i < keyboard.size(); ++i) {
            if (i == collectionOpened) d.insert(d.end(), {0x85, kKeyboardReportId});
            d.push_back(keyboard[i]);
        }
        // clang-format off
        d.insert(d.end(), {
                              0x05, 0x0C,                    // Usage Page (Consumer)
                              0x09, 0x01,                    // Usage (Consumer Control)
                              0xA1, 0x01,                    // Collection (Application)
                              0x85, kConsumerReportId,       //   Report ID (3)
                              0x15, 0x00,                    //   Logical Minimum (0)
                              0x26, 0xFF, 0x03,              //   Logical Maximum (1023)
                              0x19, 0x00,                    //   Usage Minimum (0)
                              0x2A, 0xFF, 0x03,              //   Usage Maximum (1023)
                              0x75, 0x10,                    //   Report Size (16)
                              0x95, 0x01,                    //   Report Count (1)
                              0x81, 0x00,                    //   Input (Data, Array): one usage
                              0xC0,                          // End Collection
                          });
        // clang-format on
        const std::vector<uint8_t>& config = receiverConfigDescriptor();  // Report ID 4
        d.insert(d.end(), config.begin(), config.end());
        return d;
    }();
    return descriptor;
}

}  // namespace orvix
