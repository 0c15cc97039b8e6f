#include "Xm.h"

#include <cmath>

#include "Bytes.h"

namespace fusewick::audio {

namespace {

void CheckEnvelope(const XmEnvelope& e, const std::string& owner) {
  size_t n = e.points.size();
  if (n > 12) throw EXmError("Envelope of instrument '" + owner + "' has more than 12 points");
  for (size_t i = 1; i < n; ++i)
    if (e.points[i].first <= e.points[i - 1].first)
      throw EXmError("Envelope of instrument '" + owner + "' does not move forward in time");
  for (auto& p : e.points)
    if (p.second > 64) throw EXmError("Envelope level above 64 in instrument '" + owner + "'");
  if ((e.sustain && e.sustainPoint >= n) || (e.loop && (e.loopStart > e.loopEnd || e.loopEnd >= n)))
    throw EXmError("Envelope point index out of range in instrument '" + owner + "'");
}

void WriteEnvelopePoints(ByteWriter& w, const XmEnvelope& e) {
  for (size_t i = 0; i < 12; ++i) {
    auto p = i < e.points.size() ? e.points[i] : std::pair<uint16_t, uint16_t>{0, 0};
    w.U16(p.first);
    w.U16(p.second);
  }
}

uint8_t EnvelopeFlags(const XmEnvelope& e) {
  if (e.points.empty()) return 0;
  return uint8_t(1 | (e.sustain ? 2 : 0) | (e.loop ? 4 : 0));
}

void WriteInstrument(ByteWriter& w, const XmInstrument& ins) {
  const XmSample& s = ins.sample;
  CheckEnvelope(ins.volume, ins.name);
  CheckEnvelope(ins.panning, ins.name);
  if (s.data.size() > 0x3FFFFFFF) throw EXmError("Sample of instrument '" + ins.name + "' is too long");
  if (s.loopLength && uint64_t(s.loopStart) + s.loopLength > s.data.size())
    throw EXmError("Loop of instrument '" + ins.name + "' runs past its sample");
  if (s.volume > 64) throw EXmError("Sample volume above 64 in instrument '" + ins.name + "'");

  // Instrument header: 263 bytes as the classic tracker writes it.
  w.U32(263);
  w.Fixed(ins.name, 22);
  w.U8(0);                               // type
  w.U16(1);                              // one sample
  w.U32(40);                             // sample header size
  for (int i = 0; i < 96; ++i) w.U8(0);  // every note plays sample 0
  WriteEnvelopePoints(w, ins.volume);
  WriteEnvelopePoints(w, ins.panning);
  w.U8(uint8_t(ins.volume.points.size()));
  w.U8(uint8_t(ins.panning.points.size()));
  w.U8(ins.volume.sustainPoint);
  w.U8(ins.volume.loopStart);
  w.U8(ins.volume.loopEnd);
  w.U8(ins.panning.sustainPoint);
  w.U8(ins.panning.loopStart);
  w.U8(ins.panning.loopEnd);
  w.U8(EnvelopeFlags(ins.volume));
  w.U8(EnvelopeFlags(ins.panning));
  w.U8(ins.vibratoType);
  w.U8(ins.vibratoSweep);
  w.U8(ins.vibratoDepth);
  w.U8(ins.vibratoRate);
  w.U16(ins.fadeout);
  for (int i = 0; i < 22; ++i) w.U8(0);  // reserved

  // Sample header; lengths are in bytes.
  w.U32(uint32_t(s.data.size() * 2));
  w.U32(s.loopLength ? s.loopStart * 2 : 0);
  w.U32(s.loopLength * 2);
  w.U8(s.volume);
  w.U8(uint8_t(s.finetune));
  w.U8(uint8_t(0x10 | (s.loopLength ? 1 : 0)));  // 16-bit, forward loop
  w.U8(s.panning);
  w.U8(uint8_t(s.relativeNote));
  w.U8(0);
  w.Fixed(s.name, 22);

  // Sample data as differences of successive samples.
  int16_t old = 0;
  for (int16_t v : s.data) {
    w.U16(uint16_t(uint16_t(v) - uint16_t(old)));
    old = v;
  }
}

}  // namespace

std::vector<uint8_t> PackPattern(const XmPattern& pattern, int channels) {
  std::vector<uint8_t> out;
  for (int i = 0; i < pattern.rows * channels; ++i) {
    const XmCell& c = pattern.cells[size_t(i)];
    if (c.note && c.instrument && c.volume && c.effect && c.param) {
      out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
      continue;
    }
    uint8_t flags = uint8_t(0x80 | (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) | (c.effect ? 8 : 0) |
                            (c.param ? 16 : 0));
    out.push_back(flags);
    for (uint8_t v : {c.note, c.instrument, c.volume, c.effect, c.param})
      if (v) out.push_back(v);
  }
  return out;
}

std::vector<uint8_t> WriteXm(const XmModule& m) {
  if (m.channels < 1 || m.channels > 32) throw EXmError("A module has 1 to 32 channels");
  if (m.orders.empty() || m.orders.size() > 256) throw EXmError("A module has 1 to 256 orders");
  if (m.patterns.empty() || m.patterns.size() > 256) throw EXmError("A module has 1 to 256 patterns");
  if (m.instruments.size() > 128) throw EXmError("A module has at most 128 instruments");
  if (m.restart < 0 || size_t(m.restart) >= m.orders.size()) throw EXmError("Restart position out of range");
  if (m.tempo < 1 || m.tempo > 31 || m.bpm < 32 || m.bpm > 255) throw EXmError("Tempo or BPM out of range");
  for (uint8_t o : m.orders)
    if (o >= m.patterns.size()) throw EXmError(Format("Order refers to missing pattern %d", (long long)o));
  for (const XmPattern& p : m.patterns) {
    if (p.rows < 1 || p.rows > 256) throw EXmError("A pattern has 1 to 256 rows");
    if (p.cells.size() != size_t(p.rows) * size_t(m.channels))
      throw EXmError("Pattern cells do not match its rows and channels");
    for (const XmCell& c : p.cells) {
      if (c.note > kXmKeyOff) throw EXmError(Format("Note value %d out of range", (long long)c.note));
      if (c.instrument > m.instruments.size())
        throw EXmError(Format("Cell refers to missing instrument %d", (long long)c.instrument));
    }
  }

  ByteWriter w;
  w.Text("Extended Module: ");
  w.Fixed(m.name, 20);
  w.U8(0x1A);
  w.Fixed("Fusewick audio", 20, ' ');
  w.U16(0x0104);
  w.U32(276);  // header size from this field on
  w.U16(uint16_t(m.orders.size()));
  w.U16(uint16_t(m.restart));
  w.U16(uint16_t(m.channels));
  w.U16(uint16_t(m.patterns.size()));
  w.U16(uint16_t(m.instruments.size()));
  w.U16(m.linearFrequencies ? 1 : 0);
  w.U16(uint16_t(m.tempo));
  w.U16(uint16_t(m.bpm));
  for (size_t i = 0; i < 256; ++i) w.U8(i < m.orders.size() ? m.orders[i] : 0);

  for (const XmPattern& p : m.patterns) {
    std::vector<uint8_t> packed = PackPattern(p, m.channels);
    if (packed.size() > 0xFFFF) throw EXmError("Packed pattern exceeds 65535 bytes");
    w.U32(9);  // pattern header size
    w.U8(0);   // packing type
    w.U16(uint16_t(p.rows));
    w.U16(uint16_t(packed.size()));
    w.Append(packed);
  }
  for (const XmInstrument& ins : m.instruments) WriteInstrument(w, ins);
  return w.Take();
}

void TuneSample(XmSample& sample, double rate, double sampleHz, double targetHz) {
  // With linear frequencies, C-4 at relative note 0 plays 8363 samples per
  // second; every semitone (128 finetune steps) scales that by 2^(1/12).
  double semis = 12.0 * std::log2(targetHz * rate / (sampleHz * 8363.0));
  int steps = int(std::lround(semis * 128.0));
  int rel = steps >= 0 ? steps / 128 : -((-steps + 127) / 128);
  int fine = steps - rel * 128;
  if (rel < -96 || rel > 95) throw EXmError("Sample tuning out of range");
  sample.relativeNote = int8_t(rel);
  sample.finetune = int8_t(fine);
}

}  // namespace fusewick::audio
