#pragma once
// Named sounds of a sound archive. Items keep their format and sample bytes
// for the program's lifetime, so that a sound device can (re)build its
// buffers from them whenever it is initialized.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ImageList.h"

namespace fusewick {

class TWaveCollection;

class TWaveCollectionItem : public THashCollectionItem {
 public:
  explicit TWaveCollectionItem(TWaveCollection* owner);
  ~TWaveCollectionItem() override;

  bool Looped = false;
  int32_t MaxPlayingCount = 0;      // 0 = no limit
  std::vector<uint8_t> Format;      // WAVEFORMATEX bytes
  std::vector<uint8_t> Samples;     // sample bytes

  TWaveCollection* Owner() const { return owner_; }

 private:
  TWaveCollection* owner_;
};

class TWaveCollection : public THashCollection {
 public:
  TWaveCollection() = default;
  ~TWaveCollection() override;

  TWaveCollectionItem* Add();
  TWaveCollectionItem* Items(int index) const;
  // Case-insensitive; with duplicate names the item named last. Raises
  // EWaveCollectionError "Wave '%s' not found".
  TWaveCollectionItem* Find(const std::string& name) const;

  // Replaces every item by those of a sound archive. Raises EInOutError
  // when the file cannot be read and EStreamError for a bad archive (the
  // items read before the error stay).
  void LoadFromFile(const std::string& fileName);
};

}  // namespace fusewick
