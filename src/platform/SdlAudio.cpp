#include "platform/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <map>
#include <vector>

#include "platform/Limiter.h"

namespace fusewick::platform {

namespace {
constexpr int kOutputRate = 44100;  // Hz
// Mixed in floating point, so that effects and music that add up past full
// scale keep their true sum for the limiter instead of clipping in the mix.
constexpr SDL_AudioFormat kOutputFormat = AUDIO_F32SYS;
constexpr int kOutputChannels = 2;
constexpr int kOutputChunk = 1024;  // sample frames per mix, about 23 ms
constexpr int kFirstChannels = 16;  // mixer channels at first; doubled when all play
constexpr int kMostChannels = 256;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// The wave as a RIFF file image, for the mixer's loader, which converts it
// to the output format.
Mix_Chunk* LoadChunk(const WaveData& wave) {
  if (!wave.Format || wave.FormatSize < 16 || wave.FormatSize > 0xFFFF) return nullptr;
  std::vector<uint8_t> riff;
  riff.reserve(44 + wave.FormatSize + wave.SampleSize);
  PutTag(riff, "RIFF");
  PutU32(riff, 0);  // patched below
  PutTag(riff, "WAVE");
  PutTag(riff, "fmt ");
  PutU32(riff, uint32_t(wave.FormatSize));
  riff.insert(riff.end(), wave.Format, wave.Format + wave.FormatSize);
  if (wave.FormatSize & 1) riff.push_back(0);
  PutTag(riff, "data");
  PutU32(riff, uint32_t(wave.SampleSize));
  if (wave.SampleSize) riff.insert(riff.end(), wave.Samples, wave.Samples + wave.SampleSize);
  const uint32_t riffSize = uint32_t(riff.size() - 8);
  for (int i = 0; i < 4; ++i) riff[size_t(4 + i)] = uint8_t(riffSize >> (8 * i));
  SDL_RWops* rw = SDL_RWFromConstMem(riff.data(), int(riff.size()));
  if (!rw) return nullptr;
  return Mix_LoadWAV_RW(rw, 1);
}

struct ChunkDeleter {
  void operator()(Mix_Chunk* c) const { Mix_FreeChunk(c); }
};

// The output as the mixer runs it, and the limiter of its mixed sound.
struct TOutput {
  int Channels = 0;
  SDL_AudioFormat Format = 0;
  TLimiter Limiter;
};

// After the mixer has added up music and effects (on the audio thread).
void LimitOutput(void* udata, Uint8* stream, int len) {
  auto* out = static_cast<TOutput*>(udata);
  if (out->Format != AUDIO_F32SYS || out->Channels <= 0 || len <= 0) return;
  const size_t frames = size_t(len) / (sizeof(float) * size_t(out->Channels));
  Limit(out->Limiter, reinterpret_cast<float*>(stream), frames, out->Channels);
}
}  // namespace

struct SdlAudio::State {
  struct Buffer {
    std::shared_ptr<Mix_Chunk> Chunk;  // shared by a main buffer and its duplicates
    int Channel = -1;                  // mixer channel it was last started on
  };

  bool subsystem = false;  // SDL's audio part initialised by us
  bool mixerOpen = false;
  bool effectsOpen = false;
  std::map<BufferId, Buffer> buffers;
  std::vector<BufferId> channelOwner;  // by channel: the buffer last started there
  std::map<SongId, Mix_Music*> songs;
  uint32_t nextId = 1;
  TOutput output;  // read by the audio thread while the mixer is open

  bool OpenMixer() {
    if (mixerOpen) return true;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
      subsystem = true;
    }
    Mix_Init(MIX_INIT_MOD);  // modules load only if the decoder is there
    if (Mix_OpenAudio(kOutputRate, kOutputFormat, kOutputChannels, kOutputChunk) != 0) {
      Mix_Quit();
      QuitSubsystem();
      return false;
    }
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    output.Channels = channels;
    output.Format = format;
    output.Limiter = MakeLimiter(rate);
    Mix_SetPostMix(LimitOutput, &output);
    channelOwner.assign(size_t(Mix_AllocateChannels(kFirstChannels)), 0);
    mixerOpen = true;
    return true;
  }

  void CloseMixerIfUnused() {
    if (!mixerOpen || effectsOpen || !songs.empty() || !buffers.empty()) return;
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    QuitSubsystem();
    channelOwner.clear();
    mixerOpen = false;
  }

  void QuitSubsystem() {
    if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem = false;
  }

  Buffer* Find(BufferId id) {
    auto it = buffers.find(id);
    return it == buffers.end() ? nullptr : &it->second;
  }

  bool IsPlaying(BufferId id, const Buffer& b) const {
    return b.Channel >= 0 && size_t(b.Channel) < channelOwner.size() && channelOwner[size_t(b.Channel)] == id &&
           Mix_Playing(b.Channel);
  }

  void Halt(BufferId id, Buffer& b) {
    if (IsPlaying(id, b)) Mix_HaltChannel(b.Channel);
    b.Channel = -1;
  }
};

SdlAudio::SdlAudio() : s_(std::make_unique<State>()) {}

SdlAudio::~SdlAudio() {
  if (!s_->mixerOpen) return;
  for (auto& [id, m] : s_->songs) Mix_FreeMusic(m);
  s_->songs.clear();
  Mix_HaltChannel(-1);
  s_->buffers.clear();
  s_->effectsOpen = false;
  s_->CloseMixerIfUnused();
}

bool SdlAudio::OpenDevice() {
  if (!s_->OpenMixer()) return false;
  s_->effectsOpen = true;
  return true;
}

void SdlAudio::CloseDevice() {
  if (!s_->effectsOpen) return;
  for (auto& [id, b] : s_->buffers) s_->Halt(id, b);
  s_->buffers.clear();
  s_->effectsOpen = false;
  s_->CloseMixerIfUnused();
}

BufferId SdlAudio::CreateBuffer(const WaveData& wave, const std::string&) {
  if (!s_->effectsOpen) return 0;
  Mix_Chunk* chunk = LoadChunk(wave);
  if (!chunk) return 0;
  const BufferId id = s_->nextId++;
  s_->buffers[id].Chunk = std::shared_ptr<Mix_Chunk>(chunk, ChunkDeleter{});
  return id;
}

BufferId SdlAudio::DuplicateBuffer(BufferId source) {
  State::Buffer* src = s_->Find(source);
  if (!src) return 0;
  const BufferId id = s_->nextId++;
  s_->buffers[id].Chunk = src->Chunk;
  return id;
}

bool SdlAudio::ReloadBuffer(BufferId buffer, const WaveData& wave) {
  State::Buffer* b = s_->Find(buffer);
  if (!b) return false;
  Mix_Chunk* chunk = LoadChunk(wave);
  if (!chunk) return false;
  s_->Halt(buffer, *b);
  b->Chunk = std::shared_ptr<Mix_Chunk>(chunk, ChunkDeleter{});
  return true;
}

void SdlAudio::FreeBuffer(BufferId buffer) {
  State::Buffer* b = s_->Find(buffer);
  if (!b) return;
  s_->Halt(buffer, *b);
  s_->buffers.erase(buffer);
}

void SdlAudio::Play(BufferId buffer, bool looping) {
  State::Buffer* b = s_->Find(buffer);
  if (!b) return;
  s_->Halt(buffer, *b);
  int ch = Mix_PlayChannel(-1, b->Chunk.get(), looping ? -1 : 0);
  if (ch < 0 && int(s_->channelOwner.size()) < kMostChannels) {
    // Every channel is busy: make more and try again.
    s_->channelOwner.resize(size_t(Mix_AllocateChannels(int(s_->channelOwner.size()) * 2)), 0);
    ch = Mix_PlayChannel(-1, b->Chunk.get(), looping ? -1 : 0);
  }
  if (ch < 0 || size_t(ch) >= s_->channelOwner.size()) return;
  Mix_Volume(ch, MIX_MAX_VOLUME);
  s_->channelOwner[size_t(ch)] = buffer;
  b->Channel = ch;
}

void SdlAudio::Stop(BufferId buffer) {
  if (State::Buffer* b = s_->Find(buffer)) s_->Halt(buffer, *b);
}

bool SdlAudio::Playing(BufferId buffer) {
  State::Buffer* b = s_->Find(buffer);
  return b && s_->IsPlaying(buffer, *b);
}

SongId SdlAudio::SongLoadFromFile(const std::string& fileName) {
  if (!s_->OpenMixer()) return 0;
  Mix_Music* m = Mix_LoadMUS(fileName.c_str());
  if (!m) {
    s_->CloseMixerIfUnused();
    return 0;
  }
  const SongId id = s_->nextId++;
  s_->songs[id] = m;
  return id;
}

void SdlAudio::SongPlay(SongId song) {
  auto it = s_->songs.find(song);
  if (it != s_->songs.end()) Mix_PlayMusic(it->second, -1);
}

void SdlAudio::SongFree(SongId song) {
  auto it = s_->songs.find(song);
  if (it == s_->songs.end()) return;
  Mix_FreeMusic(it->second);  // halts it first if it plays
  s_->songs.erase(it);
  s_->CloseMixerIfUnused();
}

}  // namespace fusewick::platform
