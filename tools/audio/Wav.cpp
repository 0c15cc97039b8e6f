#include "Wav.h"

#include "Bytes.h"

namespace fusewick::audio {

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, uint32_t rate) {
  ByteWriter w;
  uint32_t dataBytes = uint32_t(samples.size() * 2);
  w.Text("RIFF");
  w.U32(4 + (8 + 18) + (8 + dataBytes));
  w.Text("WAVE");
  w.Text("fmt ");
  w.U32(18);
  w.U16(1);         // PCM
  w.U16(1);         // mono
  w.U32(rate);      // samples per second
  w.U32(rate * 2);  // bytes per second
  w.U16(2);         // block align
  w.U16(16);        // bits per sample
  w.U16(0);         // no extra format bytes
  w.Text("data");
  w.U32(dataBytes);
  for (int16_t s : samples) w.U16(uint16_t(s));
  return w.Take();
}

}  // namespace fusewick::audio
