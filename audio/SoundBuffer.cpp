#include "SoundBuffer.h"

#include <memory>

#include "Mixer.h"
#include "SoundDevice.h"
#include "WaveImage.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

// A buffer backed by one voice of the device's mixer, holding its samples as floats.
class MixerSoundBuffer final : public SoundBuffer {
 public:
  MixerSoundBuffer(Mixer& mixer, std::shared_ptr<Mixer> keepAlive, std::unique_ptr<float[]> samples,
                   uint32_t waveRate)
      : mixer_(mixer),
        keepAlive_(std::move(keepAlive)),
        samples_(std::move(samples)),
        waveRate_(waveRate),
        frequency_(waveRate) {}

  // The voice leaves the mix before the samples are freed, both on this thread.
  ~MixerSoundBuffer() override { mixer_.RemoveVoice(voice_); }

  bool Attach(uint32_t frames, uint32_t channels) {
    voice_ = mixer_.AddVoice({samples_.get(), frames, channels}, waveRate_);
    return voice_ != Mixer::kNoVoice;
  }

  void Play(bool looping) override {
    looping_ = looping;
    mixer_.Play(voice_, looping);
  }
  void Stop() override { mixer_.Stop(voice_); }

  bool SetVolume(int32_t volume) override {
    if (volume < kVolumeMin || volume > kVolumeMax) return false;
    volume_ = volume;
    mixer_.SetGain(voice_, VolumePanToGains(volume_, pan_));
    return true;
  }

  bool SetPan(int32_t pan) override {
    if (pan < kPanLeft || pan > kPanRight) return false;
    pan_ = pan;
    mixer_.SetGain(voice_, VolumePanToGains(volume_, pan_));
    return true;
  }

  bool SetFrequency(uint32_t hz) override {
    if (hz == kFrequencyOriginal) hz = waveRate_;
    if (hz < kFrequencyMin || hz > kFrequencyMax) return false;
    frequency_ = hz;
    mixer_.SetRate(voice_, hz);
    return true;
  }

  int32_t GetVolume() const override { return volume_; }
  int32_t GetPan() const override { return pan_; }
  uint32_t GetFrequency() const override { return frequency_; }
  bool IsPlaying() const override { return mixer_.IsPlaying(voice_); }
  bool IsLooping() const override { return looping_; }

 private:
  Mixer& mixer_;
  std::shared_ptr<Mixer> keepAlive_;  // empty when the device's mixer is not shared
  std::unique_ptr<float[]> samples_;
  const uint32_t waveRate_;
  Mixer::VoiceId voice_ = Mixer::kNoVoice;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  uint32_t frequency_;
  bool looping_ = false;
};

}  // namespace

std::unique_ptr<SoundBuffer> CreateBufferFromResource(SoundDevice* device,
                                                      std::string_view resourceName) {
  if (device == nullptr) return nullptr;
  const std::optional<WaveImage> wave = FindWaveResource(resourceName);
  if (!wave || wave->data == nullptr || wave->dataBytes == 0) return nullptr;
  const PcmFormat format = DecodePcmFormat(*wave);
  const uint32_t frames = PlayableFrames(*wave, format);
  if (frames == 0) return nullptr;

  // Converted once, here, so the render loop never converts.
  auto samples = std::make_unique<float[]>(size_t{frames} * format.channels);
  DecodeSamples(*wave, format, frames, samples.get());
  Mixer& mixer = device->mixer();
  auto buffer = std::make_unique<MixerSoundBuffer>(mixer, mixer.weak_from_this().lock(),
                                                   std::move(samples), format.samplesPerSecond);
  if (!buffer->Attach(frames, format.channels)) return nullptr;
  return buffer;
}

void ReleaseSoundBuffer(std::unique_ptr<SoundBuffer>& buffer) {
  if (!buffer) return;
  buffer->Stop();
  buffer.reset();
}

}  // namespace lullwood
