#include "engine/Archive.h"

#include <fstream>
#include <iterator>

#include "engine/Errors.h"
#include "engine/ImageList.h"

namespace fusewick {

std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInOutError("Cannot open file \"" + fileName + "\"");
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EInOutError("Cannot read file \"" + fileName + "\"");
  return bytes;
}

// The archive reader comes with the archive formats; until then every
// archive is refused.
void ReadPictureArchive(TPictureCollection& into, const std::vector<uint8_t>&) {
  into.Clear();
  throw EStreamError("Invalid stream format");
}

}  // namespace fusewick
