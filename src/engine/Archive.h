#pragma once
// Reading the picture and sound archives (".dxg", ".dxw") into the
// collections. The byte format itself is in ArchiveFormat.h.
#include <cstdint>
#include <string>
#include <vector>

namespace fusewick {

class TPictureCollection;
class TWaveCollection;

// Reads an image archive held in memory into the collection: removes its
// items, then appends each item read. Raises EStreamError ("Invalid stream
// format", "DIB is invalid", "Stream read error"); items read before the
// error stay.
void ReadPictureArchive(TPictureCollection& into, const std::vector<uint8_t>& bytes);

// The same for a sound archive ("Wave is invalid" for a bad sound).
void ReadWaveArchive(TWaveCollection& into, const std::vector<uint8_t>& bytes);

// The whole file; raises EInOutError when it cannot be opened or read.
std::vector<uint8_t> ReadWholeFile(const std::string& fileName);

}  // namespace fusewick
