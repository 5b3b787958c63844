// State files for the simulator (KORVSIM_STATE): whatever is wrong with one
// is told on standard error, and the boards come up as the other options
// say, at their power-on values.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "korvio.h"
#include "korvsim.h"
#include "temp_folder.h"

namespace {

class SimState : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KORVSIM_BOARDS", "2", 1);
    setenv("KORVSIM_STATE", path_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KORVSIM_BOARDS");
    unsetenv("KORVSIM_STATE");
    unsetenv("KORVSIM_KEEP");
    KorvSim_Reset();
  }
  // The simulator's message when it starts from the file.
  std::string Start(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
    testing::internal::CaptureStderr();
    KorvSim_Reset();
    return testing::internal::GetCapturedStderr();
  }

  TempFolder folder_;
  const std::string path_ = folder_.Path() + "/state.json";
};

std::string Repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

const std::string kSettings = R"("settings": {"contrast": {"code": 7, "word": null}})";

TEST_F(SimState, BadFilesAreToldAndLeaveThePowerOnBoards) {
  const struct {
    const char* what;
    std::string text;
  } kBad[] = {
      {"empty", ""},
      {"ends early", R"({"boards": [{"index": 0, )" + kSettings},
      {"ends in a word", R"({"boards": [{"opens": tru)"},
      {"ends in a string", R"({"board": 0, "settings": {"contr)"},
      {"not an object", R"([{"board": 0}])"},
      {"neither boards nor settings", R"({"count": 1})"},
      {"opens a string", R"({"boards": [{"opens": "yes"}]})"},
      {"settings a list", R"({"board": 0, "settings": []})"},
      {"code a string", R"({"board": 0, "settings": {"hue": {"code": "7"}}})"},
      {"code a fraction", R"({"board": 0, "settings": {"hue": {"code": 7.5}}})"},
      {"code an exponent", R"({"board": 0, "settings": {"hue": {"code": 1e3}}})"},
      {"code beyond 32 bits", R"({"board": 0, "settings": {"hue": {"code": 2147483648}}})"},
      {"code of 400 digits", R"({"board": 0, "settings": {"hue": {"code": )" + std::string(400, '9') + "}}}"},
      {"type beyond 32 bits", R"({"boards": [{"type": -99999999999}]})"},
      {"count of 17", R"({"count": 17, "boards": []})"},
      {"board 16", R"({"board": 16, )" + kSettings + "}"},
      {"17 boards", R"({"boards": [)" + Repeated("{}, ", 16) + "{}]}"},
      {"boards out of order", R"({"boards": [{"index": 1}, {"index": 0}]})"},
      {"duplicate setting", R"({"board": 0, "settings": {"hue": {"code": 1}, "hue": {"code": 2}}})"},
      {"duplicate key", R"({"board": 0, "board": 1, )" + kSettings + "}"},
      {"unknown setting", R"({"board": 0, "settings": {"colour": {"code": 1}}})"},
      {"device name", R"({"board": 0, "settings": {"Hue": {"code": 1}}})"},
      {"unknown member", R"({"board": 0, "settings": {"hue": {"code": 1, "value": 2}}})"},
      {"word of another setting", R"({"board": 0, "settings": {"video-source": {"word": "pal"}}})"},
      {"word not the code's", R"({"board": 0, "settings": {"video-source": {"code": 1, "word": "yuv"}}})"},
      {"code the table lacks", R"({"board": 0, "settings": {"video-source": {"code": 4, "word": null}}})"},
      {"code beyond the range", R"({"board": 0, "settings": {"contrast": {"code": 100000, "word": null}}})"},
      {"negative code", R"({"board": 0, "settings": {"hue": {"code": -3}}})"},
      {"NUL in a key", R"({"board": 0, "settings": {"contrast\u0000x": {"code": 1}}})"},
      {"NUL in a word", R"({"board": 0, "settings": {"video-source": {"word": "sdi\u0000"}}})"},
      {"not UTF-8", "{\"board\": 0, \"settings\": {\"hue\xff\": {\"code\": 1}}}"},
      {"overlong UTF-8", "{\"board\": 0, \"settings\": {\"\xc0\xafhue\": {\"code\": 1}}}"},
      {"lone surrogate", R"({"board": 0, "settings": {"\udc00": {"code": 1}}})"},
      {"a NUL byte", std::string("{\"board\": 0,\0 ", 14) + kSettings + "}"},
      {"UTF-16 of an odd length", std::string("\xFF\xFE{\0}", 5)},
      {"trailing comma", R"({"board": 0, )" + kSettings + ",}"},
      {"two documents", R"({"board": 0, )" + kSettings + "} {}"},
      {"nested 100 deep", R"({"board": 0, "x": )" + std::string(100, '[') + std::string(100, ']') + ", " + kSettings + "}"},
  };
  for (const auto& bad : kBad) {
    SCOPED_TRACE(bad.what);
    const std::string message = Start(bad.text);
    EXPECT_NE(message.find("KORVSIM_STATE"), std::string::npos) << message;
    EXPECT_EQ(Orbel_GetCardNum(), 2);
    EXPECT_EQ(KorvSim_Peek("Contrast", 0), 128);
  }
  // The good one beside them, so that the cases above fail for their fault.
  EXPECT_EQ(Start(R"({"board": 0, )" + kSettings + "}"), "");
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 7);
  EXPECT_EQ(Orbel_GetCardNum(), 1);
}

TEST_F(SimState, AMissingOrHugeFileIsRefusedUnread) {
  unlink(path_.c_str());
  testing::internal::CaptureStderr();
  KorvSim_Reset();
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(Orbel_GetCardNum(), 2);

  // 100 MB, of which nothing need be read.
  { std::ofstream(path_, std::ios::binary) << "{\"board\": 0, " << kSettings << "}"; }
  ASSERT_EQ(truncate(path_.c_str(), 100 << 20), 0);
  const auto start = std::chrono::steady_clock::now();
  testing::internal::CaptureStderr();
  KorvSim_Reset();
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_NE(message.find("104857600 bytes"), std::string::npos) << message;
  EXPECT_EQ(Orbel_GetCardNum(), 2);
}

TEST_F(SimState, AReportsBoardsComeUpAsItSays) {
  // What a report of two boards holds (more than the simulator reads), with
  // escapes and a word given without its code.
  EXPECT_EQ(Start(R"({"report": 1, "korvctl": {"path": "C:\\Korvex\\korvctl.exe", "version": null},
    "count": 3, "boards": [
      {"index": 0, "opens": true, "type": 4660, "sdiSubBoard": true,
       "settings": {"video-source": {"word": "sdi"}, "hue": {"code": 3, "word": null},
                    "sdi-sub-board": {"code": 1, "word": "present"}, "pause-mode": {"code": null, "word": null}},
       "differsFromDefaults": {}},
      {"index": 1, "opens": false, "type": null, "sdiSubBoard": null, "settings": null}]})"),
            "");
  EXPECT_EQ(Orbel_GetCardNum(), 3);
  int type = 0;
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  EXPECT_EQ(Orbel_GetCardTypeNo(&type, 0), 1);
  EXPECT_EQ(type, 4660);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 3);
  EXPECT_EQ(KorvSim_Peek("Hue", 0), 3);
  EXPECT_EQ(KorvSim_Peek("PlayBufferRepeatMode", 0), 1);  // not reported: power-on
  EXPECT_EQ(Orbel_SetAudioSrc(1, 0), 1);                   // SDI audio: the sub-board is there
  EXPECT_EQ(Orbel_Initial(1, 1, 0), 0);
  EXPECT_EQ(Orbel_Initial(2, 1, 0), 1);  // listed by the count alone: power-on
  EXPECT_EQ(KorvSim_Peek("Contrast", 2), 128);
}

TEST_F(SimState, KeptBoardsAreThereForTheNextProcess) {
  setenv("KORVSIM_KEEP", "1", 1);
  ASSERT_EQ(Start(R"({"count": 2, "boards": [{}, {"opens": false, "type": 7}]})"), "");
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  ASSERT_EQ(Orbel_SetCmpsOrSvideo(5, 0), 1);
  ASSERT_EQ(Orbel_Close(0), 1);
  KorvSim_Reset();  // as a fresh process starts
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 5);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 128);
  EXPECT_EQ(Orbel_GetCardNum(), 2);
  EXPECT_EQ(Orbel_Initial(1, 1, 0), 0);
  // A bad file is left as it was for whoever wrote it.
  EXPECT_NE(Start("{\"count\": 2,"), "");
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  ASSERT_EQ(Orbel_Close(0), 1);
  std::ifstream file(path_, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "{\"count\": 2,");
}

}  // namespace
