#pragma once
// The running level: the fixed slot arrays that reference its platforms,
// clouds, walls, items, monsters and bullets; the layout templates and the
// generator; building and starting a level; the spawn timers; the rectangle
// and placement tests.
#include <array>
#include <cstdint>
#include <string>

#include "engine/Types.h"
#include "game/Kinds.h"

namespace fusewick {

class TPlatform;
class TCloud;
class TWall;
class TLevelItem;
class TMonster;
class TBullet;
class TCaption;

// ---- slots (every array is 1-based; index 0 is unused)

constexpr int32_t kPlatformSlots = 20;
constexpr int32_t kCloudSlots = 5;
constexpr int32_t kWallSlots = 200;
constexpr int32_t kLevelItemSlots = 50;
constexpr int32_t kMonsterSlots = 10;
constexpr int32_t kBulletSlots = 20;

// The slot arrays, each object array beside its flags, and the serial
// numbers that slot references are checked against; `LevelSlots = {}` frees
// them all (the objects are the sprite engine's: only the references go).
struct TLevelSlots {
  std::array<TPlatform*, kPlatformSlots + 1> Platforms{};
  std::array<bool, kPlatformSlots + 1> PlatformUsed{};
  std::array<TCloud*, kCloudSlots + 1> Clouds{};
  std::array<bool, kCloudSlots + 1> CloudUsed{};
  std::array<TWall*, kWallSlots + 1> Walls{};
  std::array<bool, kWallSlots + 1> WallUsed{};
  std::array<TLevelItem*, kLevelItemSlots + 1> LevelItems{};
  std::array<bool, kLevelItemSlots + 1> LevelItemUsed{};
  std::array<TMonster*, kMonsterSlots + 1> Monsters{};
  std::array<bool, kMonsterSlots + 1> MonsterUsed{};
  std::array<TBullet*, kBulletSlots + 1> Bullets{};
  std::array<bool, kBulletSlots + 1> BulletUsed{};
  // Serial numbers of the objects in the platform and wall slots (0 = none)
  // and the last one given out.
  std::array<uint32_t, kPlatformSlots + 1> PlatformSerial{};
  std::array<uint32_t, kWallSlots + 1> WallSerial{};
  uint32_t NextSerial = 0;
};
extern TLevelSlots LevelSlots;

inline auto& Platforms = LevelSlots.Platforms;
inline auto& PlatformUsed = LevelSlots.PlatformUsed;
inline auto& Clouds = LevelSlots.Clouds;
inline auto& CloudUsed = LevelSlots.CloudUsed;
inline auto& Walls = LevelSlots.Walls;
inline auto& WallUsed = LevelSlots.WallUsed;
inline auto& LevelItems = LevelSlots.LevelItems;
inline auto& LevelItemUsed = LevelSlots.LevelItemUsed;
inline auto& Monsters = LevelSlots.Monsters;
inline auto& MonsterUsed = LevelSlots.MonsterUsed;
inline auto& Bullets = LevelSlots.Bullets;
inline auto& BulletUsed = LevelSlots.BulletUsed;

// A reference to a platform or wall by its slot. Every object that takes a
// slot gets a new serial number, so the reference reads as 0 (nothing) once
// the slot has been freed or taken by another object.
struct TSlotRef {
  int32_t Slot = 0;
  uint32_t Serial = 0;
};
TSlotRef PlatformRef(int32_t slot);
TSlotRef WallRef(int32_t slot);
// The slot while it still holds the object referred to, else 0.
int32_t PlatformSlot(const TSlotRef& ref);
int32_t WallSlot(const TSlotRef& ref);
// The object while the slot still holds it, else null.
TPlatform* PlatformAt(const TSlotRef& ref);
TWall* WallAt(const TSlotRef& ref);

// Add operations take the first free slot and answer it; a full array adds
// nothing and answers 0.
int32_t AddPlatform(const std::string& image, TPlatformKind kind, double x, double y, double minX, double rightX,
                    double speed);
int32_t AddCloud(const std::string& image, double x, double y, double speed);
int32_t AddWall(const std::string& image, double x, double y);
// Kind 0 adds nothing.
int32_t AddLevelItem(TItemKind kind, double x, double y);
int32_t AddMonster(TMonsterKind kind, double x, double y);
int32_t AddBullet(const TBulletShot& shot);

// Remove operations free the slot and kill the object with the sprites it
// owns. A slot that is not in use is left alone.
void RemovePlatform(int32_t slot);
void RemoveCloud(int32_t slot);
void RemoveWall(int32_t slot);
void RemoveLevelItem(int32_t slot);
void RemoveMonster(int32_t slot);
void RemoveBullet(int32_t slot);

// Used slots of each array.
int32_t CountPlatforms();
int32_t CountClouds();
int32_t CountWalls();
int32_t CountLevelItems();
int32_t CountMonsters();
int32_t CountBullets();
int32_t CountMonstersOfKind(TMonsterKind kind);
// Bombs (kinds 1 to 3) waiting to be lit; waiting items of one kind.
int32_t CountWaitingBombs();
int32_t CountWaitingOfKind(TItemKind kind);
// Bombs in any state: the level is complete when none is left.
int32_t CountBombsLeft();

// ---- level parameters and their countdowns (ms)

extern int32_t CloudInterval, CrossingPlatformInterval, MonsterInterval, BonusInterval, FuseInterval, BonusLifetime;
extern int32_t CloudTimer, CrossingPlatformTimer, MonsterTimer, BonusTimer, FuseTimer;
// The monster kinds 1..7 that the monster timer may choose.
extern std::array<bool, kMonsterKinds + 1> MonsterKindEnabled;

// ---- layout

constexpr int32_t kRows = 9;
constexpr int32_t kMaxCells = 10;
// Cell codes of the layout grid.
enum TCellCode : int32_t { CellEmpty = 0, CellWall = 3, CellFixed = 21, CellShuttle = 23, CellCloud = 24 };

// LevelGrid[row][column], row 1 at the bottom.
extern std::array<std::array<int32_t, kMaxCells + 1>, kRows + 1> LevelGrid;
// Top Y of each row.
extern std::array<int32_t, kRows + 1> RowY;

extern const std::array<int32_t, kRows + 1> RowCellCount;
extern const std::array<int32_t, kRows + 1> RowTemplateCount;
extern const std::array<int32_t, kRows + 1> RowGap;
extern const std::array<int32_t, 6> ItemLaneY;
// RowTemplates[row][template][column].
extern const std::array<std::array<std::array<int32_t, kMaxCells + 1>, 5>, kRows + 1> RowTemplates;
// BombCountTable[kind 1..3][band 1..5]: items of the kind are Random(entry) + 1.
extern const std::array<std::array<int32_t, 6>, 4> BombCountTable;
extern const std::array<TMonsterKind, 7> LevelNewMonsterKind;  // levels 2..6
extern const std::array<int32_t, kMonsterKinds + 1> MaxMonstersOfKind;

// Placement footprint of an item kind.
void ItemFootprint(TItemKind kind, int32_t& w, int32_t& h);

// ---- ground strip and play-field bounds

extern std::array<TCaption*, 9> GroundTiles;  // 1..8, 100 px each at Y 566
extern std::array<uint8_t, 9> GroundKinds;    // 0 water, 1 grass
constexpr int32_t kGroundTop = 566;
// The play field: the screen down to the floor line, on which the hero
// stands and bombs explode (the ground strip's grass reaches above it).
constexpr double kFieldLeft = 0, kFieldRight = kScreenWidth, kFieldTop = 0, kFieldBottom = 585;
extern double FieldLeft, FieldRight, FieldTop, FieldBottom;

// ---- level-wide operations

// The rows' top Y from their gaps (once per new game).
void ComputeRowY();
// Frees every slot without touching the objects (a new game's start).
void FreeAllSlots();
void ClearLevel();
void CreateGroundTiles();
void RemoveGroundTiles();
void ClearLevelGrid();
void GenerateLevel();
void BuildLevel();
void StartLevel(int32_t level);
// The five spawn countdowns, once per tick while play runs.
void UpdateSpawns();
void SpawnMonster(TMonsterKind kind);
// Lights the n-th waiting bomb in slot order.
void LightFuse(int32_t n);
// Removes, or blows up, every monster but the two walker kinds.
void RemoveFlyingMonsters();
void BlowUpFlyingMonsters();

// The frame timer's interval, ms: game timers count down by it once a tick
// (nominal time, not the time measured).
int32_t Interval();

// Closed rectangles sharing at least one point (touching edges count).
bool RectsTouch(double ax, double ay, double aw, double ah, double bx, double by, double bw, double bh);
// No platform, wall or item touches the kind's footprint at (x, y).
bool PlaceIsFree(TItemKind kind, double x, double y);

// A crowded level may have no free place: a placement search gives up
// after this many random draws and a scan of every column and lane.
constexpr int32_t kPlacementDraws = 100;

// Memory for the level's sprites, set aside before a game so that play
// does not ask the heap for it.
void ReserveSpriteMemory();

// Puts every level global back to its start-up value (tests start clean).
void ResetLevelState();

}  // namespace fusewick
