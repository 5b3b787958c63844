// Makes the README's pictures of the test output on a simulated board:
// colour bars "100-0-75-00" as the board's output shows them, and the alpha
// test frame as it lands in the board's frame memory (transparent parts over
// a checkerboard).
//
//   make_readme_pictures DIRECTORY_OF_TESTALPHA_TGA OUTPUT_DIRECTORY
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "korvio.h"
#include "korvsim.h"
#include "test_pictures.h"
#include "tga_stdio.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_readme_pictures TGA_DIRECTORY OUTPUT_DIRECTORY\n");
    return 2;
  }
  const std::string tgaDirectory = std::string(argv[1]) + "/";
  const fs::path outDir = argv[2];
  const fs::path work = fs::temp_directory_path() / "korv-readme-pictures";
  fs::remove_all(work);
  fs::create_directories(work);
  fs::create_directories(outDir);

  setenv("KORVSIM_BOARDS", "1", 1);
  setenv("KORVSIM_PICTURES", work.c_str(), 1);
  KorvSim_Reset();
  Orbel_Initial(0, 1, 0);

  const ColorBarPattern pattern = ColorBarPattern::Bars100_0_75_00;
  SendColorBars(pattern, 0);
  fs::copy_file(work / "board0-output.png", outDir / (std::string("colorbars-") + ColorBarCaption(pattern) + ".png"),
                fs::copy_options::overwrite_existing);

  StdioTgaPlatform platform;
  if (RunAlphaTest(tgaDirectory, 0, platform) != AlphaTestResult::Written) {
    std::fprintf(stderr, "make_readme_pictures: no alpha test frame from %sTestAlpha.tga\n", tgaDirectory.c_str());
    return 1;
  }
  Orbel_Close(0);  // the simulator draws the frame memory now
  fs::copy_file(work / "board0-memory.png", outDir / "alpha-test.png", fs::copy_options::overwrite_existing);
  fs::remove_all(work);
  return 0;
}
