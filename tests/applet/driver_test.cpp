// The audio driver: opening it, requests on a closed driver, and the reload
// every editable page asks for, against the simulated card.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "applet_support.h"

namespace fs = std::filesystem;

namespace {

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadedApplet();
        fs::remove(fs::path(MachineRoot()) / "requests.log");
    }
    void TearDown() override {
        PutSampleFiles(MachineRoot());
    }
    void PutCard(const std::string& lines) {
        std::ofstream(fs::path(MachineRoot()) / "card.ini", std::ios::binary) << lines;
    }
    std::string Log() {
        std::ifstream in(fs::path(MachineRoot()) / "requests.log", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

const char kDriverMissing[] =
    "Harmonaire Plug & Play Configuration Panel Error: | Error opening VZPD.VXD.  Is your Harmonaire Plug & Play "
    "audio device installed?  Is your Harmonaire Plug & Play software installed?";

TEST_F(DriverTest, ReloadAsksTheDriverOrSaysItIsMissing) {
    struct Case {
        const char* name;
        const char* card;  // null: no card.ini
        int result;
        bool box;
        const char* log;
    };
    const Case cases[] = {
        {"present", "[devices]\r\nvzpd=present\r\n", 1, false, "16\n"},
        {"request fails", "[devices]\r\nvzpd=present\r\n[request 16]\r\nresult=0\r\n", 0, false, "16\n"},
        {"absent", "[devices]\r\nvzpd=absent\r\n", 1, true, ""},
        {"no card", nullptr, 1, true, ""},
    };
    for (const Case& c : cases) {
        fs::remove(fs::path(MachineRoot()) / "card.ini");
        fs::remove(fs::path(MachineRoot()) / "requests.log");
        if (c.card) {
            PutCard(c.card);
        }
        RecordingAgent agent;
        EXPECT_EQ(ReloadDriverConfig(), c.result) << c.name;
        std::vector<std::string> boxes;
        for (const BoxSeen& box : agent.boxes) {
            boxes.push_back(box.caption + " | " + box.text);
        }
        EXPECT_EQ(boxes, c.box ? std::vector<std::string>{kDriverMissing} : std::vector<std::string>{}) << c.name;
        EXPECT_EQ(Show(Log()), Show(c.log)) << c.name;
    }
}

TEST_F(DriverTest, RequestsOnlyThroughAnOpenDriver) {
    PutCard("[devices]\r\nvzpd=present\r\n[mixer]\r\nsettings=zp8a1 10 20\r\n");
    AudioDriver driver;
    DWORD size = 0;
    DWORD returned = 99;
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(driver.Control(DIOC_GET_MIXER_SETTINGS_SIZE, nullptr, 0, &size, sizeof size, &returned));
    EXPECT_EQ(Log(), "") << "a closed driver sends nothing";

    ASSERT_TRUE(driver.Open());
    ASSERT_TRUE(driver.Open()) << "opening again replaces the handle";
    EXPECT_TRUE(driver.Control(DIOC_GET_MIXER_SETTINGS_SIZE, nullptr, 0, &size, sizeof size, &returned));
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(returned, 4u);
    EXPECT_TRUE(driver.Control(DIOC_RELOAD_CONFIG, nullptr, 0, nullptr, 0, nullptr)) << "no count asked for";
    driver.Close();
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(driver.Control(DIOC_RELOAD_CONFIG, nullptr, 0, nullptr, 0, nullptr));
    EXPECT_EQ(Log(), "12\n16\n");

    PutCard("[devices]\r\nvzpd=absent\r\n");
    EXPECT_FALSE(driver.Open());
    EXPECT_FALSE(driver.IsOpen());
}

}  // namespace
