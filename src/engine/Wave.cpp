#include "engine/Wave.h"

#include "engine/Archive.h"
#include "engine/Errors.h"
#include "engine/SoundDevice.h"

namespace fusewick {

TWaveCollectionItem::TWaveCollectionItem(TWaveCollection* owner) : THashCollectionItem(owner), owner_(owner) {}

TWaveCollectionItem::~TWaveCollectionItem() { Finalize(); }

TWaveCollection::~TWaveCollection() { Clear(); }

TWaveCollectionItem* TWaveCollection::Add() {
  auto item = std::make_unique<TWaveCollectionItem>(this);
  TWaveCollectionItem* raw = item.get();
  Append(std::move(item));
  return raw;
}

TWaveCollectionItem* TWaveCollection::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return static_cast<TWaveCollectionItem*>(ItemAt(index));
}

TWaveCollectionItem* TWaveCollection::Find(const std::string& name) const {
  const int i = IndexOf(name);
  if (i < 0) throw EWaveCollectionError(Format("Wave '%s' not found", name));
  return Items(i);
}

void TWaveCollection::LoadFromFile(const std::string& fileName) {
  ReadWaveArchive(*this, ReadWholeFile(fileName));
  if (dxSound_ && dxSound_->Initialized()) Initialize();
}

}  // namespace fusewick
