// orvixctl list: every HID interface the controller lists, and the one the matching rule takes.

#include <cstdio>
#include <iostream>

#include "ctl/Command.h"
#include "ctl/CommandError.h"
#include "ctl/Options.h"
#include "ctl/ReceiverSession.h"
#include "ctl/TextFormat.h"

namespace orvix {

namespace {

struct Listed {
    HidAttributes attributes;
    HidCaps caps;
    std::string identity;
    std::string path;
    bool receiver = false;
};

std::vector<Listed> listInterfaces(ReceiverSession& session) {
    ReceiverConnection& c = session.connection();
    std::vector<Listed> listed;
    bool taken = false;
    // Each interface is looked at while the controller offers it, as the connection's own choice
    // is made; nothing is checked out.
    c.chid.setOnEnumerate([&](THidDevice& dev, int) {
        Listed l{dev.Attributes(), dev.Caps(), dev.PnPInfo().DeviceID, dev.PnPInfo().DevicePath, false};
        l.receiver = !taken && c.isTargetDevice(dev);
        taken = taken || l.receiver;
        listed.push_back(l);
        return true;
    });
    session.scan(false);
    c.chid.Enumerate();
    return listed;
}

void printText(const std::vector<Listed>& listed, const ReceiverConnection& c) {
    std::printf("  VID  PID  VER   IN OUT PAGE USAGE IDENTITY\n");
    for (const Listed& l : listed) {
        std::printf("%c %04X %04X %04X %3u %3u %04X %04X  %s\n", l.receiver ? '*' : ' ', l.attributes.VendorID,
                    l.attributes.ProductID, l.attributes.VersionNumber, unsigned{l.caps.InputReportByteLength},
                    unsigned{l.caps.OutputReportByteLength}, l.caps.UsagePage, l.caps.Usage, l.identity.c_str());
    }
    std::printf("* the receiver: 8-byte reports, vendor %04X with product 00A5 or above, or %04X:%04X (settings)\n",
                ReceiverConnection::defaultVid, c.vid, c.pid);
}

void printJson(const std::vector<Listed>& listed) {
    std::string json = "[";
    for (size_t i = 0; i < listed.size(); ++i) {
        const Listed& l = listed[i];
        json += i ? ",\n " : "\n ";
        json += "{\"vendor\": " + jsonString(hex4(l.attributes.VendorID)) +
                ", \"product\": " + jsonString(hex4(l.attributes.ProductID)) +
                ", \"version\": " + jsonString(hex4(l.attributes.VersionNumber)) +
                ", \"inputReportLength\": " + std::to_string(l.caps.InputReportByteLength) +
                ", \"outputReportLength\": " + std::to_string(l.caps.OutputReportByteLength) +
                ", \"usagePage\": " + jsonString(hex4(l.caps.UsagePage)) +
                ", \"usage\": " + jsonString(hex4(l.caps.Usage)) + ", \"identity\": " + jsonString(l.identity) +
                ", \"path\": " + jsonString(l.path) + ", \"receiver\": " + (l.receiver ? "true" : "false") + "}";
    }
    json += listed.empty() ? "]\n" : "\n]\n";
    std::fputs(json.c_str(), stdout);
}

int run(const std::vector<std::string>& args) {
    Options options(args, {{"--json"}});
    if (!options.operands().empty()) throw usageError("list: unexpected '" + options.operands()[0] + "'");
    CommandLoop loop;
    ReceiverSession session(loop, readStoredSettings());
    std::vector<Listed> listed = listInterfaces(session);
    if (options.has("--json"))
        printJson(listed);
    else
        printText(listed, session.connection());
    return kDone;
}

}  // namespace

const Command listCommand{
    "list",
    "the HID interfaces, and which one is the receiver",
    R"(usage: orvixctl list [--json]

Lists every HID interface in the order the device controller keeps them: vendor, product and
version (hex), input and output report lengths (the report ID byte counted), usage page and usage
of the collection, and the identity. "*" marks the interface the matching rule takes: 8-byte input
and output reports, and vendor 0E8F with product 00A5 or above, or the VID and PID configured in
the settings. Nothing is taken or written.

  --json    one JSON array of objects: vendor, product, version, usagePage, usage (hex text),
            inputReportLength, outputReportLength (numbers), identity, path, receiver (true for
            the one the rule takes)
)",
    run,
};

}  // namespace orvix
