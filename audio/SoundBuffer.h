// A static sound buffer: one whole sound in its own PCM format, with the volume, pan
// and frequency controls of the audio service. All members: UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "AudioUnits.h"

namespace lullwood {

class SoundDevice;

// Ranges of the buffer controls, in the audio service's units.
inline constexpr int32_t kVolumeMin = kSilence;  // hundredths of a decibel
inline constexpr int32_t kVolumeMax = 0;         // full level; a buffer never amplifies
inline constexpr int32_t kPanLeft = -10000;
inline constexpr int32_t kPanRight = 10000;
inline constexpr uint32_t kFrequencyMin = 100;
inline constexpr uint32_t kFrequencyMax = 100000;
inline constexpr uint32_t kFrequencyOriginal = 0;  // SetFrequency(0): back to the wave's own rate

class SoundBuffer {
 public:
  virtual ~SoundBuffer() = default;

  // Starts playback from the current position. On a playing buffer only the looping
  // flag is replaced; it does not restart. A one-shot that reaches its end stops and
  // goes back to position 0.
  virtual void Play(bool looping) = 0;
  // Stops playback and keeps the position.
  virtual void Stop() = 0;
  // Each setter returns false and changes nothing when the value is out of range.
  virtual bool SetVolume(int32_t volume) = 0;
  virtual bool SetPan(int32_t pan) = 0;
  virtual bool SetFrequency(uint32_t hz) = 0;

  virtual int32_t GetVolume() const = 0;
  virtual int32_t GetPan() const = 0;
  // The playback rate in Hz; a new buffer reports its wave's own rate.
  virtual uint32_t GetFrequency() const = 0;
  virtual bool IsPlaying() const = 0;
  virtual bool IsLooping() const = 0;
};

// Finds the named wave resource, parses it and copies its samples into a new buffer on
// `device`: stopped, at position 0, volume 0, pan 0 and the wave's own rate. Returns
// nullptr, silently, when there is no device, no such resource, a malformed image, a
// format the mixer cannot play, or no samples.
std::unique_ptr<SoundBuffer> CreateBufferFromResource(SoundDevice* device,
                                                      std::string_view resourceName);

// Stops the buffer, releases it and empties the owner's pointer, in that order.
// Does nothing when the pointer is already empty.
void ReleaseSoundBuffer(std::unique_ptr<SoundBuffer>& buffer);

}  // namespace lullwood
