// A static sound buffer: one whole sound in its own PCM format, with the volume, pan
// and frequency controls of the audio service. All members: UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
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

// The two renditions every sound is made in: the catalogue's wave (11025 or 22050 Hz,
// 8-bit) and the full-bandwidth one (44100 Hz, 16-bit, the same length).
enum class Rendition { kOriginal, kFullBand };

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

  // Plays the sound's other rendition from now on. Stopped or looping, the buffer turns
  // over at once: a playing loop goes on from the same place, cross-faded, with no
  // click. A one-shot that is sounding finishes as it is and turns over at its next Play.
  // Volume, pan, frequency and position carry over; frequencies stay in the original
  // wave's terms (GetFrequency reports the same; a full-band sound at 12757 Hz plays
  // its 44100 Hz wave at 4 x 12757 Hz). Also lets go of what an earlier turn left
  // fading. Returns false, and plays what it played, when that rendition is not there.
  virtual bool UseRendition(Rendition rendition) = 0;
  // The rendition it plays now.
  virtual Rendition rendition() const = 0;
};

// Finds the named wave resource, parses it and copies its samples into a new buffer on
// `device`: stopped, at position 0, volume 0, pan 0 and the wave's own rate. Returns
// nullptr, silently, when there is no device, no such resource, a malformed image, a
// format the mixer cannot play, or no samples. With kFullBand it plays the full-band
// rendition instead, when the program carries one that decodes (else the original).
std::unique_ptr<SoundBuffer> CreateBufferFromResource(SoundDevice* device,
                                                      std::string_view resourceName,
                                                      Rendition rendition = Rendition::kOriginal);

// Stops the buffer, releases it and empties the owner's pointer, in that order.
// Does nothing when the pointer is already empty.
void ReleaseSoundBuffer(std::unique_ptr<SoundBuffer>& buffer);

}  // namespace lullwood
