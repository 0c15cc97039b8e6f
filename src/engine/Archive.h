#pragma once
// Reading the picture and sound archives (".dxg", ".dxw") into the
// collections. The byte format itself is in ArchiveFormat.h.
#include <cstddef>
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

// Largest archive file read: several times the game's own archives.
constexpr size_t kMaxArchiveBytes = size_t(128) << 20;

// The whole file. Raises EInOutError, naming the file, when it cannot be
// opened or read, is a folder or anything else than a plain file (a FIFO or
// a device is refused at once, never waited on or read), or is larger than
// maxBytes.
std::vector<uint8_t> ReadWholeFile(const std::string& fileName, size_t maxBytes = kMaxArchiveBytes);

}  // namespace fusewick
