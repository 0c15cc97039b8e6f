#include "game/Level.h"

#include <cmath>

#include "engine/Random.h"
#include "game/Bullets.h"
#include "game/Items.h"
#include "game/Monsters.h"
#include "game/Player.h"
#include "game/Scenery.h"
#include "services/Captions.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Text.h"

namespace fusewick {

TLevelState LevelState;

// ---- slots

namespace {
auto& platformSerial = LevelSlots.PlatformSerial;
auto& wallSerial = LevelSlots.WallSerial;
auto& nextSerial = LevelSlots.NextSerial;

template <typename Used>
int32_t FirstFree(const Used& used) {
  for (size_t i = 1; i < used.size(); ++i)
    if (!used[i]) return int32_t(i);
  return 0;
}

template <typename Used>
int32_t CountUsed(const Used& used) {
  int32_t n = 0;
  for (size_t i = 1; i < used.size(); ++i)
    if (used[i]) ++n;
  return n;
}

template <typename Used>
bool InUse(const Used& used, int32_t slot) {
  return slot >= 1 && size_t(slot) < used.size() && used[size_t(slot)];
}
}  // namespace

TSlotRef PlatformRef(int32_t slot) {
  if (!InUse(PlatformUsed, slot)) return {};
  return {slot, platformSerial[size_t(slot)]};
}

TSlotRef WallRef(int32_t slot) {
  if (!InUse(WallUsed, slot)) return {};
  return {slot, wallSerial[size_t(slot)]};
}

int32_t PlatformSlot(const TSlotRef& ref) {
  return InUse(PlatformUsed, ref.Slot) && platformSerial[size_t(ref.Slot)] == ref.Serial ? ref.Slot : 0;
}

int32_t WallSlot(const TSlotRef& ref) {
  return InUse(WallUsed, ref.Slot) && wallSerial[size_t(ref.Slot)] == ref.Serial ? ref.Slot : 0;
}

TPlatform* PlatformAt(const TSlotRef& ref) {
  const int32_t s = PlatformSlot(ref);
  return s ? Platforms[size_t(s)] : nullptr;
}

TWall* WallAt(const TSlotRef& ref) {
  const int32_t s = WallSlot(ref);
  return s ? Walls[size_t(s)] : nullptr;
}

int32_t AddPlatform(const std::string& image, TPlatformKind kind, double x, double y, double minX, double rightX,
                    double speed) {
  const int32_t slot = FirstFree(PlatformUsed);
  if (!slot) return 0;
  Platforms[size_t(slot)] = new TPlatform(image, kind, x, y, minX, rightX, speed, slot);
  PlatformUsed[size_t(slot)] = true;
  platformSerial[size_t(slot)] = ++nextSerial;
  return slot;
}

int32_t AddCloud(const std::string& image, double x, double y, double speed) {
  const int32_t slot = FirstFree(CloudUsed);
  if (!slot) return 0;
  Clouds[size_t(slot)] = new TCloud(image, x, y, speed, slot);
  CloudUsed[size_t(slot)] = true;
  return slot;
}

int32_t AddWall(const std::string& image, double x, double y) {
  const int32_t slot = FirstFree(WallUsed);
  if (!slot) return 0;
  Walls[size_t(slot)] = new TWall(image, x, y, slot);
  WallUsed[size_t(slot)] = true;
  wallSerial[size_t(slot)] = ++nextSerial;
  return slot;
}

int32_t AddLevelItem(TItemKind kind, double x, double y) {
  if (kind == ItemNone) return 0;
  const int32_t slot = FirstFree(LevelItemUsed);
  if (!slot) return 0;
  LevelItems[size_t(slot)] = new TLevelItem(kind, x, y, slot);
  LevelItemUsed[size_t(slot)] = true;
  return slot;
}

int32_t AddMonster(TMonsterKind kind, double x, double y) {
  const int32_t slot = FirstFree(MonsterUsed);
  if (!slot) return 0;
  Monsters[size_t(slot)] = new TMonster(kind, slot, x, y);
  MonsterUsed[size_t(slot)] = true;
  return slot;
}

int32_t AddBullet(const TBulletShot& shot) {
  const int32_t slot = FirstFree(BulletUsed);
  if (!slot) return 0;
  Bullets[size_t(slot)] = new TBullet(shot, slot);
  BulletUsed[size_t(slot)] = true;
  return slot;
}

void RemovePlatform(int32_t slot) {
  if (!InUse(PlatformUsed, slot)) return;
  TPlatform* p = Platforms[size_t(slot)];
  PlatformUsed[size_t(slot)] = false;
  Platforms[size_t(slot)] = nullptr;
  platformSerial[size_t(slot)] = 0;
  if (p->HasEngines) {
    p->LeftFlame->Kill();
    p->RightFlame->Kill();
  }
  p->Kill();
}

void RemoveCloud(int32_t slot) {
  if (!InUse(CloudUsed, slot)) return;
  TCloud* c = Clouds[size_t(slot)];
  CloudUsed[size_t(slot)] = false;
  Clouds[size_t(slot)] = nullptr;
  c->Kill();
}

void RemoveWall(int32_t slot) {
  if (!InUse(WallUsed, slot)) return;
  TWall* w = Walls[size_t(slot)];
  WallUsed[size_t(slot)] = false;
  Walls[size_t(slot)] = nullptr;
  wallSerial[size_t(slot)] = 0;
  w->Kill();
}

void RemoveLevelItem(int32_t slot) {
  if (!InUse(LevelItemUsed, slot)) return;
  TLevelItem* item = LevelItems[size_t(slot)];
  LevelItemUsed[size_t(slot)] = false;
  LevelItems[size_t(slot)] = nullptr;
  if (item->HasFlame) item->Flame->Kill();
  item->Kill();
}

void RemoveMonster(int32_t slot) {
  if (!InUse(MonsterUsed, slot)) return;
  TMonster* m = Monsters[size_t(slot)];
  MonsterUsed[size_t(slot)] = false;
  Monsters[size_t(slot)] = nullptr;
  if (m->HasBurst) m->Explosion->Kill();
  for (int32_t i = 1; i <= m->FlameCount; ++i) m->Flames[size_t(i)]->Kill();
  m->Kill();
}

void RemoveBullet(int32_t slot) {
  if (!InUse(BulletUsed, slot)) return;
  TBullet* b = Bullets[size_t(slot)];
  BulletUsed[size_t(slot)] = false;
  Bullets[size_t(slot)] = nullptr;
  if (b->Exploded && b->Blast) b->Blast->Kill();
  b->Kill();
}

int32_t CountPlatforms() { return CountUsed(PlatformUsed); }
int32_t CountClouds() { return CountUsed(CloudUsed); }
int32_t CountWalls() { return CountUsed(WallUsed); }
int32_t CountLevelItems() { return CountUsed(LevelItemUsed); }
int32_t CountMonsters() { return CountUsed(MonsterUsed); }
int32_t CountBullets() { return CountUsed(BulletUsed); }

namespace {
int32_t CountMonstersOfKind(TMonsterKind kind) {
  int32_t n = 0;
  for (int32_t i = 1; i <= kMonsterSlots; ++i)
    if (MonsterUsed[size_t(i)] && Monsters[size_t(i)]->Kind == kind) ++n;
  return n;
}

int32_t CountWaitingBombs() {
  int32_t n = 0;
  for (int32_t i = 1; i <= kLevelItemSlots; ++i) {
    const TLevelItem* it = LevelItems[size_t(i)];
    if (LevelItemUsed[size_t(i)] && IsBombKind(it->Kind) && it->ItemState == Waiting) ++n;
  }
  return n;
}

int32_t CountWaitingOfKind(TItemKind kind) {
  int32_t n = 0;
  for (int32_t i = 1; i <= kLevelItemSlots; ++i) {
    const TLevelItem* it = LevelItems[size_t(i)];
    if (LevelItemUsed[size_t(i)] && it->Kind == kind && it->ItemState == Waiting) ++n;
  }
  return n;
}
}  // namespace

int32_t CountBombsLeft() {
  int32_t n = 0;
  for (int32_t i = 1; i <= kLevelItemSlots; ++i)
    if (LevelItemUsed[size_t(i)] && IsBombKind(LevelItems[size_t(i)]->Kind)) ++n;
  return n;
}

// ---- layout

const std::array<int32_t, 6> ItemLaneY = {0, 121, 234, 292, 402, 509};

namespace {
auto& MonsterKindEnabled = LevelState.MonsterKindEnabled;
auto& LevelGrid = LevelState.LevelGrid;
auto& RowY = LevelState.RowY;

// Cell codes of the layout grid.
enum TCellCode : int32_t { CellEmpty = 0, CellWall = 3, CellFixed = 21, CellShuttle = 23, CellCloud = 24 };

const std::array<int32_t, kRows + 1> RowCellCount = {0, 5, 10, 5, 10, 3, 10, 5, 3, 5};
const std::array<int32_t, kRows + 1> RowTemplateCount = {0, 5, 4, 4, 4, 4, 4, 4, 3, 0};
const std::array<int32_t, kRows + 1> RowGap = {0, 45, 94, 19, 94, 19, 94, 66, 20, 38};

// RowTemplates[row][template][column]. Only rows 2 to 6 and 8 are
// generated; each keeps only its own code.
const std::array<std::array<std::array<int32_t, kMaxCells + 1>, 5>, kRows + 1> RowTemplates = {{
    {},  // row 0 unused
    {},  // row 1 stays empty
    {{{},
      {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 3},
      {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 3},
      {0, 0, 3, 0, 0, 0, 0, 0, 0, 3, 0},
      {0, 0, 3, 0, 0, 0, 0, 0, 0, 3, 0}}},
    {{{}, {0, 0, 21, 0, 21, 0}, {0, 21, 0, 0, 21, 0}, {0, 0, 0, 21, 0, 21}, {0, 21, 0, 21, 0, 21}}},
    {{{},
      {0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0}}},
    {{{}, {0, 23, 0, 0}, {0, 23, 0, 23}, {0, 0, 0, 23}, {0, 0, 23, 0}}},
    {{{},
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0},
      {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3},
      {0, 0, 3, 0, 0, 0, 0, 0, 3, 0, 0}}},
    {},  // row 7 stays empty
    {{{}, {0, 24, 0, 24}, {0, 24, 0, 24}, {0, 24, 0, 24}, {}}},
    {},  // row 9 stays empty
}};

// BombCountTable[kind 1..3][band 1..5]: items of the kind are Random(entry) + 1.
const std::array<std::array<int32_t, 6>, 4> BombCountTable = {{
    {},
    {0, 3, 6, 9, 12, 15},  // bombs
    {0, 2, 4, 6, 8, 10},   // mines
    {0, 1, 2, 3, 4, 5},    // dynamite
}};

// The monster kind each of the levels 2..6 brings, and how many of each
// kind may be about at once.
const std::array<TMonsterKind, 7> LevelNewMonsterKind = {TMonsterKind::None,  TMonsterKind::None, TMonsterKind::Pod,
                                                         TMonsterKind::Shark, TMonsterKind::Toad, TMonsterKind::Drone,
                                                         TMonsterKind::Bomber};
const std::array<int32_t, kMonsterKinds + 1> MaxMonstersOfKind = {0, 1, 2, 2, 1, 2, 3, 2};

// Placement footprint of an item kind.
void ItemFootprint(TItemKind kind, int32_t& w, int32_t& h) {
  switch (kind) {
    case ItemBomb:
      w = 24;
      h = 45;
      break;
    case ItemMine:
      w = 291;
      h = 21;
      break;  // 291, not 29: a mine keeps a wide berth, on purpose
    case ItemDynamit:
      w = 55;
      h = 40;
      break;
    default:
      w = 80;
      h = 80;
      break;
  }
}
}  // namespace

// ---- level-wide operations

int32_t Interval() { return MForm->MDXTimer.Interval(); }

void ComputeRowY() {
  RowY[1] = kScreenHeight - RowGap[1];
  for (int32_t r = 2; r <= kRows; ++r) RowY[size_t(r)] = RowY[size_t(r - 1)] - RowGap[size_t(r)];
}

void FreeAllSlots() {
  const uint32_t next = nextSerial;  // serials keep counting across games
  LevelSlots = {};
  nextSerial = next;
}

void ClearLevel() {
  for (int32_t i = 1; i <= kPlatformSlots; ++i) RemovePlatform(i);
  for (int32_t i = 1; i <= kCloudSlots; ++i) RemoveCloud(i);
  for (int32_t i = 1; i <= kWallSlots; ++i) RemoveWall(i);
  for (int32_t i = 1; i <= kLevelItemSlots; ++i) RemoveLevelItem(i);
  for (int32_t i = 1; i <= kMonsterSlots; ++i) RemoveMonster(i);
  for (int32_t i = 1; i <= kBulletSlots; ++i) RemoveBullet(i);
}

void CreateGroundTiles() {
  // One below the hero's Z, so the hero is drawn over the ground.
  for (int32_t i = 1; i <= 8; ++i) {
    TCaption* tile = new TCaption("Green", (i - 1) * 100, kGroundTop);
    tile->SetZ(kZPlatforms);
    GroundTiles[size_t(i)] = tile;
  }
}

void RemoveGroundTiles() {
  for (int32_t i = 1; i <= 8; ++i) {
    if (GroundTiles[size_t(i)]) GroundTiles[size_t(i)]->Kill();
    GroundTiles[size_t(i)] = nullptr;
  }
}

namespace {
void ClearLevelGrid() {
  for (auto& row : LevelGrid) row.fill(CellEmpty);
}

// A crowded level may have no free place: a placement search gives up
// after this many random draws and a scan of every column and lane.
constexpr int32_t kPlacementDraws = 100;

constexpr int32_t kGeneratedRows[] = {2, 3, 4, 5, 6, 8};

int32_t RowCode(int32_t row) {
  switch (row) {
    case 3: return CellFixed;
    case 5: return CellShuttle;
    case 8: return CellCloud;
    default: return CellWall;
  }
}

int32_t ItemColumnX(int32_t column) { return column * 58 + 40; }

// Looks for a free place of the kind's footprint on the item columns and
// lanes: random draws as long as the level has room, then every column and
// lane in turn. Centred places stand on the column and lane with their
// middle. False when no place is free; a full level then gets nothing.
bool FindPlace(TItemKind kind, bool centred, double& x, double& y) {
  int32_t w, h;
  ItemFootprint(kind, w, h);
  const int32_t dx = centred ? w / 2 : 0, dy = centred ? h / 2 : 0;
  for (int32_t draw = 0; draw < kPlacementDraws; ++draw) {
    const int32_t c = ItemColumnX(Random(12) + 1);
    const int32_t l = ItemLaneY[size_t(Random(5) + 1)];
    x = c - dx;
    y = l - dy;
    if (PlaceIsFree(kind, x, y)) return true;
  }
  for (int32_t lane = 1; lane <= 5; ++lane)
    for (int32_t column = 1; column <= 12; ++column) {
      x = ItemColumnX(column) - dx;
      y = ItemLaneY[size_t(lane)] - dy;
      if (PlaceIsFree(kind, x, y)) return true;
    }
  return false;
}

void GenerateLevel() {
  for (int32_t i = 1; i <= 8; ++i) GroundKinds[size_t(i)] = uint8_t(Random(2));
  for (int32_t r : kGeneratedRows) {
    const int32_t t = Random(RowTemplateCount[size_t(r)]) + 1;
    const int32_t code = RowCode(r);
    for (int32_t j = 1; j <= RowCellCount[size_t(r)]; ++j)
      if (RowTemplates[size_t(r)][size_t(t)][size_t(j)] == code) LevelGrid[size_t(r)][size_t(j)] = code;
  }
}

void BuildLevel() {
  for (int32_t i = 1; i <= 8; ++i)
    if (GroundTiles[size_t(i)]) GroundTiles[size_t(i)]->SetImage(GroundKinds[size_t(i)] == 0 ? "Water" : "Green");

  for (int32_t r = 1; r <= kRows; ++r) {
    const int32_t step = kScreenWidth / RowCellCount[size_t(r)];
    for (int32_t j = 1; j <= RowCellCount[size_t(r)]; ++j) {
      const double x = (j - 1) * step;
      switch (LevelGrid[size_t(r)][size_t(j)]) {
        case CellWall: AddWall("Wall", x, RowY[size_t(r)]); break;
        case CellFixed: AddPlatform("Platform1", Fixed, x, RowY[size_t(r)], 0, 0, 0); break;
        case CellShuttle:
          // Starts to the left at 1 to 100 px/s; turns at the left edge of the
          // cell before and where its right edge reaches the cell after.
          AddPlatform("Platform2", Shuttle, x, RowY[size_t(r)], (j - 2) * step, j * step, Random(100) - 100);
          break;
        // Layout clouds stand at row 9's height, whatever their grid row.
        case CellCloud: AddCloud("Cloud", x, RowY[9], Random(50) - 25); break;
        default: break;
      }
    }
  }

  const int32_t band = Level < 5 ? Level : 5;
  for (const TItemKind k : {ItemBomb, ItemMine, ItemDynamit}) {
    const int32_t count = Random(BombCountTable[size_t(k)][size_t(band)]) + 1;
    for (int32_t n = 0; n < count; ++n) {
      double x, y;
      if (FindPlace(k, true, x, y)) AddLevelItem(k, x, y);
    }
  }

  // The two resident walkers: the gun robot on platform 1, the slime on platform 2.
  AddMonster(TMonsterKind::GunRobot, 100, 100);
  AddMonster(TMonsterKind::Slime, 100, 100);
  if (MonsterUsed[1]) Monsters[1]->PlaceOnPlatform(1, 10, 10);
  if (MonsterUsed[2]) Monsters[2]->PlaceOnPlatform(2, 10, 10);
}

// Round(previous / 1.2) as the fuse interval has always been computed: the
// quotient in x87 extended precision (1.2 and the quotient each rounded to
// a 64-bit mantissa, to nearest even), then rounded to an integer with ties
// to even. Done here in integers, so that every machine gets the same series
// (10000, 8333, 6944, ..., 1937 at level 10, 1614 at 11, 2 from level 46)
// whatever its long double is.
int32_t NextFuseInterval(int32_t previous) {
  if (previous <= 0) return 0;
  using u128 = unsigned __int128;
  constexpr uint64_t kDivisor = 0x999999999999999AULL;  // 1.2 as a 64-bit mantissa (1.2 * 2^63, rounded up)
  const u128 dividend = u128(uint64_t(previous)) << 63;
  const uint64_t whole = uint64_t(dividend / kDivisor);
  u128 rest = dividend % kDivisor;
  // The quotient's 64 significant bits: the whole part, then fraction bits.
  int32_t wholeBits = 0;
  for (uint64_t w = whole; w; w >>= 1) ++wholeBits;
  const int32_t fractionBits = 64 - wholeBits;
  u128 mantissa = whole;
  auto nextBit = [&] {
    rest <<= 1;
    const bool bit = rest >= kDivisor;
    if (bit) rest -= kDivisor;
    return bit;
  };
  for (int32_t i = 0; i < fractionBits; ++i) mantissa = (mantissa << 1) | u128(nextBit());
  const bool guard = nextBit(), sticky = rest != 0;
  if (guard && (sticky || (mantissa & 1))) ++mantissa;
  // Then to an integer, ties to even.
  u128 result = mantissa >> fractionBits;
  const u128 fraction = mantissa - (result << fractionBits), half = u128(1) << (fractionBits - 1);
  if (fraction > half || (fraction == half && (result & 1))) ++result;
  return int32_t(result);
}
}  // namespace

void StartLevel(int32_t level) {
  Level = level;
  ClearLevel();
  if (Background) Background->SetImage("Background" + std::to_string(Random(5) + 1), 2);
  if (level == 1) {
    CloudInterval = 10000;
    CrossingPlatformInterval = 7000;
    MonsterInterval = 5000;
    BonusInterval = 1000;
    FuseInterval = 10000;
    BonusLifetime = 5000;
    MonsterKindEnabled.fill(false);
    MonsterKindEnabled[size_t(TMonsterKind::Slime)] = MonsterKindEnabled[size_t(TMonsterKind::GunRobot)] = true;
  } else {
    FuseInterval = NextFuseInterval(FuseInterval);
    if (level <= 6) MonsterKindEnabled[size_t(LevelNewMonsterKind[size_t(level)])] = true;
  }
  CloudTimer = CloudInterval;
  CrossingPlatformTimer = CrossingPlatformInterval;
  MonsterTimer = MonsterInterval;
  BonusTimer = BonusInterval;
  FuseTimer = FuseInterval;
  ClearLevelGrid();
  GenerateLevel();
  BuildLevel();
  if (Player) Player->Respawn();
  OpenMessageWindow(LevelIntro);
}

namespace {
// A countdown acts on the first tick that finds it at or below 0, and
// starts again from its interval.
bool CountDown(int32_t& timer, int32_t interval) {
  if (timer > 0) {
    timer -= Interval();
    return false;
  }
  timer = interval;
  return true;
}

// Bonus draw: money 10, 20, 50, gun, engine, energy, mega bomb, life; 8 to
// 20 give nothing.
constexpr TItemKind kBonusDraw[8] = {ItemMoney10, ItemMoney20, ItemMoney50,  ItemGun,
                                     ItemEngine,  ItemEnergo,  ItemMegaBomb, ItemLife};

// Lights the n-th waiting bomb in slot order.
void LightFuse(int32_t n) {
  int32_t seen = 0;
  for (int32_t i = 1; i <= kLevelItemSlots; ++i) {
    TLevelItem* it = LevelItems[size_t(i)];
    if (!LevelItemUsed[size_t(i)] || !IsBombKind(it->Kind) || it->ItemState != Waiting) continue;
    if (++seen == n) {
      it->Ignite();
      return;
    }
  }
}
}  // namespace

void UpdateSpawns() {
  if (CountDown(CloudTimer, CloudInterval)) {
    if (Random(2) == 0)
      AddCloud("Cloud", -191, RowY[9], Random(80));
    else
      AddCloud("Cloud", kScreenWidth, RowY[9], -Random(80));
  }
  if (CountDown(CrossingPlatformTimer, CrossingPlatformInterval)) {
    if (Random(2) == 0)
      AddPlatform("Platform2", Crossing, -171, RowY[7], 0, 0, 50);
    else
      AddPlatform("Platform2", Crossing, kScreenWidth, RowY[7], 0, 0, -50);
  }
  if (CountDown(MonsterTimer, MonsterInterval)) {
    bool any = false;
    for (int32_t k = 1; k <= kMonsterKinds; ++k) any = any || MonsterKindEnabled[size_t(k)];
    if (any) {
      int32_t kind;
      do kind = Random(kMonsterKinds) + 1;
      while (!MonsterKindEnabled[size_t(kind)]);
      // A draw of a walker kind adds nothing; the timer restarts all the same.
      if (CountMonstersOfKind(TMonsterKind(kind)) < MaxMonstersOfKind[size_t(kind)]) SpawnMonster(TMonsterKind(kind));
    }
  }
  if (CountDown(FuseTimer, FuseInterval)) {
    // The bound counts waiting plain bombs only; LightFuse counts all three
    // kinds in slot order, so plain bombs go first, then mines, then dynamite.
    if (CountWaitingBombs() > 0) LightFuse(Random(CountWaitingOfKind(ItemBomb)) + 1);
  }
  if (CountDown(BonusTimer, BonusInterval)) {
    const int32_t r = Random(21);
    const TItemKind kind = r < 8 ? kBonusDraw[r] : ItemNone;
    double x, y;
    // Bonuses stand with their top-left corner on the column and lane (bombs
    // are centred); kind 0 searches too, and so draws its randoms.
    if (FindPlace(kind, false, x, y)) AddLevelItem(kind, x, y);
  }
}

void SpawnMonster(TMonsterKind kind) {
  // Entry points just off the screen's left or right edge.
  switch (kind) {
    case TMonsterKind::Pod: AddMonster(kind, -44, RowY[8]); break;
    case TMonsterKind::Shark: AddMonster(kind, -98, RowY[9]); break;
    case TMonsterKind::Drone: AddMonster(kind, 898, RowY[8]); break;
    case TMonsterKind::Toad: AddMonster(kind, -45, RowY[9]); break;
    case TMonsterKind::Bomber: AddMonster(kind, 898, RowY[9]); break;
    default: break;  // the walkers only come with the level
  }
}

void RemoveFlyingMonsters() {
  for (int32_t i = 1; i <= kMonsterSlots; ++i)
    if (MonsterUsed[size_t(i)] && IsFlyingKind(Monsters[size_t(i)]->Kind)) RemoveMonster(i);
}

void BlowUpFlyingMonsters() {
  for (int32_t i = 1; i <= kMonsterSlots; ++i)
    if (MonsterUsed[size_t(i)] && IsFlyingKind(Monsters[size_t(i)]->Kind)) Monsters[size_t(i)]->Burst();
}

bool RectsTouch(double ax, double ay, double aw, double ah, double bx, double by, double bw, double bh) {
  // Closed rectangles: touching edges count.
  return ax <= bx + bw && bx <= ax + aw && ay <= by + bh && by <= ay + ah;
}

// Clouds, monsters, bullets and the hero are not in the way: items may
// appear over them.
bool PlaceIsFree(TItemKind kind, double x, double y) {
  int32_t w, h;
  ItemFootprint(kind, w, h);
  auto touches = [&](const TSprite* s) { return RectsTouch(x, y, w, h, s->X, s->Y, s->Width, s->Height); };
  for (int32_t i = 1; i <= kPlatformSlots; ++i)
    if (PlatformUsed[size_t(i)] && touches(Platforms[size_t(i)])) return false;
  for (int32_t i = 1; i <= kWallSlots; ++i)
    if (WallUsed[size_t(i)] && touches(Walls[size_t(i)])) return false;
  for (int32_t i = 1; i <= kLevelItemSlots; ++i)
    if (LevelItemUsed[size_t(i)] && touches(LevelItems[size_t(i)])) return false;
  return true;
}

void ReserveSpriteMemory() {
  // Room for a level and the next one built while the last is still being
  // freed, with the effects, spawns and shots of play.
  TRecycled<TPlatform>::Reserve(2 * kPlatformSlots);
  TRecycled<TCloud>::Reserve(2 * kCloudSlots);
  TRecycled<TWall>::Reserve(32);
  TRecycled<TLevelItem>::Reserve(2 * kLevelItemSlots);
  TRecycled<TMonster>::Reserve(2 * kMonsterSlots);
  TRecycled<TBullet>::Reserve(2 * kBulletSlots);
  TRecycled<TFire>::Reserve(160);
}

}  // namespace fusewick
