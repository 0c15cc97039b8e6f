#pragma once
// Named images cut into patterns, and the image-list component that keeps
// their pattern surfaces in step with the display.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/Picture.h"
#include "engine/Surface.h"
#include "engine/Types.h"

namespace fusewick {

class TDXDraw;
enum TDXDrawNotifyType : int;
class THashCollection;

// Name hash of the collections: 256 buckets.
uint8_t NameHash(const std::string& name);
// Case-insensitive comparison of names.
bool SameName(const std::string& a, const std::string& b);

class THashCollectionItem {
 public:
  virtual ~THashCollectionItem();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Index() const { return index_; }
  THashCollection* Collection() const { return collection_; }

 protected:
  explicit THashCollectionItem(THashCollection* owner);

 private:
  friend class THashCollection;
  THashCollection* collection_;
  std::string name_;
  int index_ = 0;
  uint8_t bucket_ = 0;
  THashCollectionItem* prev_ = nullptr;
  THashCollectionItem* next_ = nullptr;
};

// A collection of named items with a bucket hash: Find is case-insensitive
// and, among items of the same name, answers the one named last.
class THashCollection {
 public:
  THashCollection() = default;
  virtual ~THashCollection();
  THashCollection(const THashCollection&) = delete;
  THashCollection& operator=(const THashCollection&) = delete;

  int Count() const { return int(items_.size()); }
  // Index of the item with that name, or -1.
  int IndexOf(const std::string& name) const;
  void Clear();
  void Delete(int index);

 protected:
  THashCollectionItem* ItemAt(int index) const { return items_[size_t(index)].get(); }
  void Append(std::unique_ptr<THashCollectionItem> item);

 private:
  friend class THashCollectionItem;
  void Link(THashCollectionItem* item);
  void Unlink(THashCollectionItem* item);

  std::vector<std::unique_ptr<THashCollectionItem>> items_;
  std::array<THashCollectionItem*, 256> buckets_{};
};

class TPictureCollection;

class TPictureCollectionItem : public THashCollectionItem {
 public:
  struct TPattern {
    TRect Rect;
    TDirectDrawSurface* Surface = nullptr;
  };

  explicit TPictureCollectionItem(TPictureCollection* owner);
  ~TPictureCollectionItem() override;

  // The picture the patterns are cut from; null = no graphic.
  PictureRef Picture;

  // Pattern size as read: the stored value when > 0, else the picture's.
  int32_t PatternWidth() const;
  int32_t PatternHeight() const;
  int32_t StoredPatternWidth() const { return patternWidth_; }
  int32_t StoredPatternHeight() const { return patternHeight_; }
  void SetPatternWidth(int32_t v) { patternWidth_ = v; }
  void SetPatternHeight(int32_t v) { patternHeight_ = v; }
  int32_t SkipWidth = 0;
  int32_t SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  TColor TransparentColor() const { return transparentColor_; }
  // Re-keys every surface of the item at once.
  void SetTransparentColor(TColor c);

  int PatternCount() const;
  TRect PatternRect(int index) const;
  TDirectDrawSurface* PatternSurface(int index) const;
  bool Initialized() const { return initialized_; }
  int SurfaceCount() const { return int(surfaces_.size()); }

  void Draw(TDirectDrawSurface* dest, int32_t x, int32_t y, int patternIndex) const;
  void StretchDraw(TDirectDrawSurface* dest, const TRect& destRect, int patternIndex) const;

  // Lifecycle, driven by the collection.
  void Initialize();
  void Finalize();
  void Restore();

  TPictureCollection* Owner() const { return owner_; }

 private:
  TPictureCollection* owner_;
  bool initialized_ = false;
  int32_t patternWidth_ = 0, patternHeight_ = 0;
  TColor transparentColor_ = 0;
  std::vector<TPattern> patterns_;
  std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
};

class TPictureCollection : public THashCollection {
 public:
  TPictureCollection() = default;
  ~TPictureCollection() override;

  TPictureCollectionItem* Add();
  TPictureCollectionItem* Items(int index) const;
  // Raises EPictureCollectionError "Image '%s' not found".
  TPictureCollectionItem* Find(const std::string& name) const;

  // Replaces every item by those of an image archive, then initializes and
  // restores them when the collection is bound to an initialized display.
  void LoadFromFile(const std::string& fileName);

  void Initialize(TDXDraw* dxDraw);
  void Finalize();
  void Restore();
  TDXDraw* DXDraw() const { return dxDraw_; }

  // 256 palette entries (blue, green, red, reserved), kept but not used.
  std::array<uint8_t, 1024> ColorTable{};

 private:
  TDXDraw* dxDraw_ = nullptr;
};

// The image-list component: its items follow the notifications of the
// display it belongs to.
class TDXImageList {
 public:
  TDXImageList() = default;
  ~TDXImageList();
  TDXImageList(const TDXImageList&) = delete;
  TDXImageList& operator=(const TDXImageList&) = delete;

  TPictureCollection Items;
  TDXDraw* DXDraw() const { return dxDraw_; }
  void SetDXDraw(TDXDraw* d);

 private:
  void Notify(TDXDraw* sender, TDXDrawNotifyType code);
  TDXDraw* dxDraw_ = nullptr;
};

}  // namespace fusewick
