// Makes a fresh run's directories for the settings fuzzer: SEEDS gets the
// settings files of the tests (hostile ones, INI texts of many shapes, a
// good Board.ini), CORPUS starts empty.
//   settings_fuzz_seeds SEEDS CORPUS
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "settings_testing.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SEEDS CORPUS\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  for (int i = 1; i <= 2; ++i) {
    fs::remove_all(argv[i]);
    fs::create_directories(argv[i]);
  }
  std::vector<std::string> texts = HostileBoardInis();
  for (const std::string& shape : IniShapes()) texts.push_back(shape);
  texts.push_back("[BOARD]\r\nParam=" + EncodeProfileStruct(SomeValues().data(), 88) + "\r\n");
  int n = 0;
  for (const std::string& text : texts) {
    std::ofstream out(fs::path(argv[1]) / ("seed" + std::to_string(n++) + ".ini"), std::ios::binary);
    out << text;
    if (!out) return 1;
  }
  std::printf("%d seeds\n", n);
  return 0;
}
