// list, status and functions against the simulated receiver, through the real program.

#include <gmock/gmock.h>

#include <fstream>

#include "tests/ctl/CtlProgram.h"

namespace orvix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const char* const kStatusQuery = "OUT 04 02 01 A4 1F 00 00 3D";

TEST_F(CtlTest, ListShowsBothInterfacesInOrderAndMarksTheConfigurationOne) {
    CtlResult r = run({"list"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "  VID  PID  VER   IN OUT PAGE USAGE IDENTITY\n"
              "  0E8F 00A6 0100   4   0 0001 0002  sim-0003:0E8F:00A6.0001\n"
              "* 0E8F 00A6 0100   8   8 FF00 0001  sim-0003:0E8F:00A6.0002\n"
              "* the receiver: 8-byte reports, vendor 0E8F with product 00A5 or above, or 0E8F:00A6 (settings)\n");
    EXPECT_TRUE(written().empty());  // listing takes nothing and writes nothing
}

TEST_F(CtlTest, ListAsJsonForScripts) {
    CtlResult r = run({"list", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("{\"vendor\": \"0E8F\", \"product\": \"00A6\", \"version\": \"0100\", "
                                 "\"inputReportLength\": 8, \"outputReportLength\": 8, \"usagePage\": \"FF00\", "
                                 "\"usage\": \"0001\", \"identity\": \"sim-0003:0E8F:00A6.0002\", "
                                 "\"path\": \"sim:0003:0E8F:00A6.0002\", \"receiver\": true}"));
    EXPECT_THAT(r.out, HasSubstr("\"inputReportLength\": 4, \"outputReportLength\": 0"));
    EXPECT_EQ(r.out.front(), '[');
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n");
}

TEST_F(CtlTest, ListOfTheSharedLayoutMarksTheConfigurationCollection) {
    env["ORVIX_SIM_LAYOUT"] = "shared";
    CtlResult r = run({"list"});
    EXPECT_EQ(r.code, 0) << r.err;
    std::string marked = r.out.substr(r.out.find("\n*") + 1);
    EXPECT_THAT(marked.substr(0, marked.find('\n')), HasSubstr("   8   8 FF00 0001"));
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '*'), 2);  // the one line and the legend
}

TEST_F(CtlTest, ListShowsTheConfiguredIdentifiersAndAnUnreadableStoreIsReported) {
    std::filesystem::create_directories(dir / "config/Quano/OrvixMouseV1");
    std::ofstream(dir / "config/Quano/OrvixMouseV1/Config.reg")
        << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\r\n"
           "\"VID\"=dword:00001234\r\n\"PID\"=dword:00000001\r\n";
    CtlResult configured = run({"list"});
    EXPECT_EQ(configured.code, 0) << configured.err;
    EXPECT_THAT(configured.out, HasSubstr("or 1234:0001 (settings)"));

    std::ofstream(dir / "config/Quano/OrvixMouseV1/Config.reg") << "this is no registry file\n";
    CtlResult broken = run({"list"});
    EXPECT_EQ(broken.code, 0);
    EXPECT_THAT(broken.err, HasSubstr("the stored settings cannot be read"));
    EXPECT_THAT(broken.out, HasSubstr("or 0E8F:00A6 (settings)"));
}

struct StatusCase {
    std::vector<std::string> control;
    std::vector<std::string> args;
    int code;
    std::string out;
    std::string err;
};

TEST_F(CtlTest, StatusSaysWhetherTheMouseIsLinkedAndTheExitCodeSaysItToo) {
    const std::vector<StatusCase> cases{
        {{}, {}, 0, "linked\n", ""},
        {{"delay 300"}, {}, 0, "linked\n", ""},
        {{"unlink"}, {}, 1, "not linked\n", ""},
        {{"unplug"}, {}, 1, "", "orvixctl: status: no receiver found"},
        {{"delay 3000"},
         {"--timeout", "0.3"},
         1,
         "",
         "orvixctl: status: the receiver did not answer the status query within 0.3 s"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.control.empty() ? "as it starts" : c.control[0]);
        std::filesystem::remove(dir / "trace.txt");
        for (const auto& line : c.control) control(line);
        std::vector<std::string> args{"status"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CtlResult r = run(args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out, c.out);
        if (c.err.empty()) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_THAT(r.err, HasSubstr(c.err));
        }
        bool plugged = c.control.empty() || c.control[0] != "unplug";
        EXPECT_EQ(written(), plugged ? std::vector<std::string>{kStatusQuery} : std::vector<std::string>{});
    }
}

TEST_F(CtlTest, FunctionsShowTheCatalogueInTheStoredOrAskedLanguage) {
    CtlResult en = run({"functions"});
    EXPECT_EQ(en.code, 0) << en.err;
    EXPECT_THAT(en.out, HasSubstr("0x4000  key 1   mnCur_SCR            CURSOR/SCROLL MODE  (fixed key only)\n"));
    EXPECT_THAT(en.out, HasSubstr("0x104B  key 5   mnBackPage           BACK PAGER\n"));
    EXPECT_THAT(en.out, HasSubstr("                mnsMulButton         MULTIMEDIA BUTTON:\n"));
    EXPECT_THAT(en.out, HasSubstr("0x20CD          mnMul_Play             PLAY/PAUSE\n"));
    EXPECT_THAT(en.out, Not(HasSubstr(" N1 ")));  // the separator is no function

    CtlResult asked = run({"functions", "--lang", "chn"});
    EXPECT_EQ(asked.code, 0) << asked.err;
    EXPECT_THAT(asked.out, HasSubstr("0x0000  key 4   mnLeft               左键\n"));

    std::filesystem::create_directories(dir / "config/Quano/OrvixMouseV1");
    std::ofstream(dir / "config/Quano/OrvixMouseV1/Config.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n\"Lang\"=\"CHN\"\n";
    EXPECT_EQ(run({"functions"}).out, asked.out);
}

}  // namespace
}  // namespace orvix::test
