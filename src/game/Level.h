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
// numbers that slot references are checked against (the objects are the
// sprite engine's: the slots hold only references).
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
// Bombs in any state: the level is complete when none is left.
int32_t CountBombsLeft();

// ---- layout, ground strip and play-field bounds

constexpr int32_t kRows = 9;
constexpr int32_t kMaxCells = 10;
constexpr int32_t kGroundTiles = 8;  // 100 px each at Y kGroundTop
constexpr int32_t kGroundTop = 566;
// The play field: the screen down to the floor line, on which the hero
// stands and bombs explode (the ground strip's grass reaches above it).
constexpr double kFieldLeft = 0, kFieldRight = kScreenWidth, kFieldTop = 0, kFieldBottom = 585;

// Item lanes 1..5: the top Y of the lanes items are placed on.
extern const std::array<int32_t, 6> ItemLaneY;

// ---- the level's state

// Everything a running level changes: its slots, the spawn parameters and
// their countdowns, the layout grid, the ground strip and the play field.
// `LevelState = {}` puts all of it back to its start-up values;
// FreeAllSlots empties only the slots.
struct TLevelState {
  TLevelSlots Slots;
  // Spawn intervals and their countdowns, ms.
  int32_t CloudInterval = 0, CrossingPlatformInterval = 0, MonsterInterval = 0, BonusInterval = 0, FuseInterval = 0,
          BonusLifetime = 0;
  int32_t CloudTimer = 0, CrossingPlatformTimer = 0, MonsterTimer = 0, BonusTimer = 0, FuseTimer = 0;
  // The monster kinds 1..7 that the monster timer may choose.
  std::array<bool, kMonsterKinds + 1> MonsterKindEnabled{};
  // LevelGrid[row][column] holds cell codes, row 1 at the bottom.
  std::array<std::array<int32_t, kMaxCells + 1>, kRows + 1> LevelGrid{};
  std::array<int32_t, kRows + 1> RowY{};  // top Y of each row
  std::array<TCaption*, kGroundTiles + 1> GroundTiles{};
  std::array<uint8_t, kGroundTiles + 1> GroundKinds{};  // 0 water, 1 grass
  double FieldLeft = kFieldLeft, FieldRight = kFieldRight, FieldTop = kFieldTop, FieldBottom = kFieldBottom;
};
extern TLevelState LevelState;

inline auto& LevelSlots = LevelState.Slots;
inline auto& CloudInterval = LevelState.CloudInterval;
inline auto& CrossingPlatformInterval = LevelState.CrossingPlatformInterval;
inline auto& MonsterInterval = LevelState.MonsterInterval;
inline auto& BonusInterval = LevelState.BonusInterval;
inline auto& FuseInterval = LevelState.FuseInterval;
inline auto& BonusLifetime = LevelState.BonusLifetime;
inline auto& CloudTimer = LevelState.CloudTimer;
inline auto& CrossingPlatformTimer = LevelState.CrossingPlatformTimer;
inline auto& MonsterTimer = LevelState.MonsterTimer;
inline auto& BonusTimer = LevelState.BonusTimer;
inline auto& FuseTimer = LevelState.FuseTimer;
inline auto& GroundTiles = LevelState.GroundTiles;
inline auto& GroundKinds = LevelState.GroundKinds;
inline auto& FieldLeft = LevelState.FieldLeft;
inline auto& FieldRight = LevelState.FieldRight;
inline auto& FieldTop = LevelState.FieldTop;
inline auto& FieldBottom = LevelState.FieldBottom;
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

// ---- level-wide operations

// The rows' top Y from their gaps (once per new game).
void ComputeRowY();
// Frees every slot without touching the objects (a new game's start).
void FreeAllSlots();
void ClearLevel();
void CreateGroundTiles();
void RemoveGroundTiles();
void StartLevel(int32_t level);
// The five spawn countdowns, once per tick while play runs.
void UpdateSpawns();
void SpawnMonster(TMonsterKind kind);
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

// Memory for the level's sprites, set aside before a game so that play
// does not ask the heap for it.
void ReserveSpriteMemory();

}  // namespace fusewick
