#include "engine/ImageList.h"

#include <algorithm>
#include <cctype>

#include "engine/Archive.h"
#include "engine/Display.h"
#include "engine/Errors.h"

namespace fusewick {

namespace {
char LowerChar(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }
}  // namespace

// Looked up every frame: no copy of the name is made.
uint8_t NameHash(const std::string& name) {
  uint32_t h = uint32_t(name.size()) * 16;
  if (name.size() >= 2)
    h += static_cast<unsigned char>(LowerChar(name[name.size() - 2])) + static_cast<unsigned char>(LowerChar(name[0]));
  return uint8_t(h & 0xFF);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// ---- THashCollectionItem / THashCollection

THashCollectionItem::THashCollectionItem(THashCollection* owner) : collection_(owner) {}

THashCollectionItem::~THashCollectionItem() = default;

void THashCollectionItem::SetName(const std::string& name) {
  collection_->Unlink(this);
  name_ = name;
  collection_->Link(this);
}

THashCollection::~THashCollection() { Clear(); }

void THashCollection::Link(THashCollectionItem* item) {
  item->bucket_ = NameHash(item->name_);
  item->prev_ = nullptr;
  item->next_ = buckets_[item->bucket_];
  if (item->next_) item->next_->prev_ = item;
  buckets_[item->bucket_] = item;
}

void THashCollection::Unlink(THashCollectionItem* item) {
  if (item->prev_)
    item->prev_->next_ = item->next_;
  else if (buckets_[item->bucket_] == item)
    buckets_[item->bucket_] = item->next_;
  if (item->next_) item->next_->prev_ = item->prev_;
  item->prev_ = item->next_ = nullptr;
}

void THashCollection::Append(std::unique_ptr<THashCollectionItem> item) {
  item->index_ = int(items_.size());
  Link(item.get());  // a new item enters its bucket with its empty name
  items_.push_back(std::move(item));
}

int THashCollection::IndexOf(const std::string& name) const {
  for (THashCollectionItem* p = buckets_[NameHash(name)]; p; p = p->next_)
    if (SameName(p->name_, name)) return p->index_;
  return -1;
}

void THashCollection::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  Unlink(items_[size_t(index)].get());
  items_.erase(items_.begin() + index);
  for (size_t i = size_t(index); i < items_.size(); ++i) items_[i]->index_ = int(i);
}

void THashCollection::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

// ---- TPictureCollectionItem

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection* owner) : THashCollectionItem(owner), owner_(owner) {}

TPictureCollectionItem::~TPictureCollectionItem() = default;

int32_t TPictureCollectionItem::PatternWidth() const {
  if (patternWidth_ > 0) return patternWidth_;
  return Picture ? Picture->Width : 0;
}

int32_t TPictureCollectionItem::PatternHeight() const {
  if (patternHeight_ > 0) return patternHeight_;
  return Picture ? Picture->Height : 0;
}

void TPictureCollectionItem::SetTransparentColor(TColor c) {
  transparentColor_ = c;
  for (auto& s : surfaces_) s->SetColorKey(s->ColorMatch(c));
}

int TPictureCollectionItem::PatternCount() const {
  if (!surfaces_.empty()) return int(patterns_.size());
  if (!Picture || Picture->Empty()) return 0;
  // Before the patterns exist, counted from the stored sizes. An axis whose
  // stored pattern size and skip are both 0 holds one pattern (the whole
  // picture), as it will once the patterns are built.
  auto axis = [](int32_t whole, int32_t pattern, int32_t skip) {
    const int32_t step = pattern + skip;
    if (step <= 0) return 1;
    int32_t n = whole / step;
    if (whole - n * step == pattern) ++n;
    return int(n);
  };
  return axis(Picture->Width, patternWidth_, SkipWidth) * axis(Picture->Height, patternHeight_, SkipHeight);
}

TRect TPictureCollectionItem::PatternRect(int index) const {
  if (index < 0 || index >= int(patterns_.size())) return {};
  return patterns_[size_t(index)].Rect;
}

TDirectDrawSurface* TPictureCollectionItem::PatternSurface(int index) const {
  if (index < 0 || index >= int(patterns_.size())) return nullptr;
  return patterns_[size_t(index)].Surface;
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* dest, int32_t x, int32_t y, int patternIndex) const {
  if (!initialized_ || !dest || patternIndex < 0 || patternIndex >= PatternCount()) return;
  dest->Draw(x, y, PatternRect(patternIndex), PatternSurface(patternIndex), Transparent);
}

void TPictureCollectionItem::StretchDraw(TDirectDrawSurface* dest, const TRect& destRect, int patternIndex) const {
  if (!initialized_ || !dest || patternIndex < 0 || patternIndex >= PatternCount()) return;
  dest->StretchDraw(destRect, PatternRect(patternIndex), PatternSurface(patternIndex), Transparent);
}

void TPictureCollectionItem::Initialize() {
  Finalize();
  initialized_ = owner_->DXDraw() && owner_->DXDraw()->Initialized();
}

void TPictureCollectionItem::Finalize() {
  patterns_.clear();
  surfaces_.clear();
  initialized_ = false;
}

void TPictureCollectionItem::Restore() {
  if (!Picture || Picture->Empty()) return;
  if (!initialized_) {
    if (owner_->DXDraw() && owner_->DXDraw()->Initialized()) initialized_ = true;
    if (!initialized_) return;
  }
  patterns_.clear();
  surfaces_.clear();

  const TDIB& pic = *Picture;
  const int32_t W = pic.Width, H = pic.Height;
  const int32_t PW = PatternWidth(), PH = PatternHeight();
  const int32_t stepX = PW + SkipWidth, stepY = PH + SkipHeight;
  if (stepX <= 0 || stepY <= 0) return;
  const int32_t columns = (W + SkipWidth) / stepX, rows = (H + SkipHeight) / stepY;

  auto makeSurface = [&](const TRect& r) {
    auto s = std::make_unique<TDirectDrawSurface>(SystemMemory);
    s->SetSize(r.Width(), r.Height());
    s->CopyFromPicture(pic, r);
    s->SetColorKey(s->ColorMatch(transparentColor_));
    surfaces_.push_back(std::move(s));
    return surfaces_.back().get();
  };

  // The run tables of keyed pattern draws are made with the patterns.
  auto prepare = [&] {
    if (Transparent)
      for (const TPattern& p : patterns_) p.Surface->PrepareKeyedDraw(p.Rect.Left, p.Rect.Right);
  };
  if (PW == W && PH == H) {
    patterns_.push_back({{0, 0, W, H}, makeSurface({0, 0, W, H})});
    prepare();
    return;
  }
  if (SystemMemory) {
    TDirectDrawSurface* s = makeSurface({0, 0, W, H});
    for (int32_t r = 0; r < rows; ++r)
      for (int32_t c = 0; c < columns; ++c) patterns_.push_back({Bounds(c * stepX, r * stepY, PW, PH), s});
    prepare();
    return;
  }
  // Blocks of whole steps, at least 512 pixels a side where the picture is
  // that large, so that a pattern draw is one rectangle copy from one block.
  const int32_t bw = std::min(((stepX + 511) / stepX) * stepX, columns * stepX);
  const int32_t bh = std::min(((stepY + 511) / stepY) * stepY, rows * stepY);
  if (bw <= 0 || bh <= 0) return;
  const int32_t blocksX = (W + bw - 1) / bw, blocksY = (H + bh - 1) / bh;
  std::vector<TDirectDrawSurface*> blocks;
  for (int32_t by = 0; by < blocksY; ++by)
    for (int32_t bx = 0; bx < blocksX; ++bx) {
      const int32_t x = bx * bw, y = by * bh;
      const int32_t w = (W - x) < bw ? W - x : bw, h = (H - y) < bh ? H - y : bh;
      blocks.push_back(makeSurface(Bounds(x, y, w, h)));
    }
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c) {
      const int32_t px = c * stepX, py = r * stepY;
      TDirectDrawSurface* s = blocks[size_t(px / bw + (py / bh) * blocksX)];
      patterns_.push_back({Bounds(px % bw, py % bh, PW, PH), s});
    }
  prepare();
}

// ---- TPictureCollection

TPictureCollection::~TPictureCollection() { Clear(); }

TPictureCollectionItem* TPictureCollection::Add() {
  auto item = std::make_unique<TPictureCollectionItem>(this);
  TPictureCollectionItem* p = item.get();
  Append(std::move(item));
  return p;
}

TPictureCollectionItem* TPictureCollection::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return static_cast<TPictureCollectionItem*>(ItemAt(index));
}

TPictureCollectionItem* TPictureCollection::Find(const std::string& name) const {
  const int i = IndexOf(name);
  if (i < 0) throw EPictureCollectionError(Format("Image '%s' not found", name));
  return Items(i);
}

void TPictureCollection::LoadFromFile(const std::string& fileName) {
  const std::vector<uint8_t> bytes = ReadWholeFile(fileName);
  ReadPictureArchive(*this, bytes);
  if (dxDraw_ && dxDraw_->Initialized()) {
    Initialize(dxDraw_);
    Restore();
  }
}

void TPictureCollection::Initialize(TDXDraw* dxDraw) {
  Finalize();
  dxDraw_ = dxDraw;
  if (!dxDraw_ || !dxDraw_->Initialized())
    throw EPictureCollectionError(Format("%s cannot be initialized", std::string("TPictureCollection")));
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TPictureCollection::Finalize() {
  for (int i = 0; i < Count(); ++i) Items(i)->Finalize();
  dxDraw_ = nullptr;
}

void TPictureCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// ---- TDXImageList

TDXImageList::~TDXImageList() { SetDXDraw(nullptr); }

void TDXImageList::SetDXDraw(TDXDraw* d) {
  if (d == dxDraw_) return;
  if (dxDraw_) dxDraw_->UnRegisterNotifyEvent(this);
  dxDraw_ = d;
  if (dxDraw_)
    dxDraw_->RegisterNotifyEvent(this, [this](TDXDraw* sender, TDXDrawNotifyType code) { Notify(sender, code); });
}

void TDXImageList::Notify(TDXDraw* sender, TDXDrawNotifyType code) {
  switch (code) {
    case dnInitialize: Items.Initialize(sender); break;
    case dnRestore: Items.Restore(); break;
    case dnFinalize: Items.Finalize(); break;
    case dnDestroying: dxDraw_ = nullptr; break;
    default: break;
  }
}

}  // namespace fusewick
