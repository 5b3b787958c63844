// korvctl picture: the configuration dialog's test pictures on a board's
// output, by their words in the test-picture table.
#include <new>

#include "commands.h"
#include "test_pictures.h"
#include "tga_reader.h"

namespace {

// The alpha test frame into the board's frame memory, from path.
int SendAlphaTest(Korvctl& k, const std::filesystem::path& path, int index) {
  const char* problem = nullptr;
  try {
    switch (RunAlphaTestFile(path, index, *k.context.platform,
                             k.context.frameMemory ? k.context.frameMemory : AnyFrameMemory)) {
      case AlphaTestResult::Written: return kDone;
      case AlphaTestResult::CannotOpen: problem = "cannot be opened"; break;
      case AlphaTestResult::Unsupported: problem = "is not a TGA picture of type 2 or 10"; break;
      case AlphaTestResult::NoImage: problem = "holds no picture"; break;
      case AlphaTestResult::NoMemory: problem = "needs more memory than there is"; break;
      case AlphaTestResult::NoFrameMemory:
        k.err << "korvctl: board " << index << " gave no usable frame memory\n";
        return kBoardFailed;
    }
  } catch (const TgaReadError&) {
    problem = "cannot be read";
  } catch (const std::bad_alloc&) {
    problem = "is larger than 4096 x 4096 pixels, or needs more memory than there is";
  }
  k.err << "korvctl: the picture " << k.Shown(path) << " " << problem << "\n";
  return kBoardFailed;
}

}  // namespace

int PictureCommand(Korvctl& k, const CommandLine& line) {
  if (line.words.size() != 1) return k.Usage("picture takes one of " + ListedWords(kTestPictures, ", "));
  const TestPicture* picture = FindWord(kTestPictures, line.words[0]);
  if (!picture)
    return k.Usage("no picture '" + line.words[0] + "'; the pictures are " + ListedWords(kTestPictures, " and "));
  if (line.Has(kFile) && picture->kind != TestPictureKind::AlphaTest)
    return k.Usage("--file goes only with the alpha picture");
  // The alpha picture is the file --file names or TestAlpha.tga in
  // korvctl's folder.
  const std::filesystem::path path =
      line.Has(kFile) ? std::filesystem::u8path(line.file) : k.context.directory / "TestAlpha.tga";
  if (picture->kind == TestPictureKind::AlphaTest && k.RefusesNoFile(path, "sent")) return kBadCommandLine;
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = k.OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  switch (picture->kind) {
    case TestPictureKind::Clear:
      ClearOutput(index);
      return kDone;
    case TestPictureKind::ColorBars:
      if (SendColorBars(ColorBarPattern(picture - kTestPictures), index)) return kDone;
      k.err << "korvctl: no memory for the frame\n";
      return kBoardFailed;
    case TestPictureKind::AlphaTest:
      break;
  }
  return SendAlphaTest(k, path, index);
}
