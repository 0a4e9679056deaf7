#include "SoundBuffer.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FlacImage.h"
#include "Mixer.h"
#include "SoundDevice.h"
#include "WaveImage.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

// One rendition's samples as floats, and the rate they were made at.
struct Samples {
  std::vector<float> data;
  uint32_t frames = 0;
  uint32_t channels = 0;
  uint32_t rate = 0;
};

// The catalogue's wave of `name`, converted once so that the render loop never converts.
std::optional<Samples> LoadOriginal(std::string_view name) {
  const std::optional<WaveImage> wave = FindWaveResource(name);
  if (!wave || wave->data == nullptr || wave->dataBytes == 0) return std::nullopt;
  const PcmFormat format = DecodePcmFormat(*wave);
  const uint32_t frames = PlayableFrames(*wave, format);
  if (frames == 0) return std::nullopt;
  Samples out;
  out.data.resize(size_t{frames} * format.channels);
  DecodeSamples(*wave, format, frames, out.data.data());
  out.frames = frames;
  out.channels = format.channels;
  out.rate = format.samplesPerSecond;
  return out;
}

// The full-band rendition of `name`, when the program carries one that decodes and is
// the same sound as `original` describes: as many channels and a whole multiple of its
// rate and frames.
std::optional<Samples> LoadFullBand(std::string_view name, const Samples& original) {
  const auto bytes = FindFullBandResource(name);
  if (!bytes) return std::nullopt;
  std::string error;
  std::optional<DecodedSound> sound = DecodeFlac(*bytes, error);
  if (!sound || sound->channels != original.channels || sound->rate % original.rate != 0 ||
      uint64_t{sound->frames} * original.rate != uint64_t{original.frames} * sound->rate) {
    return std::nullopt;
  }
  return Samples{std::move(sound->samples), sound->frames, sound->channels, sound->rate};
}

// A buffer backed by one voice of the device's mixer, holding its samples as floats.
class MixerSoundBuffer final : public SoundBuffer {
 public:
  MixerSoundBuffer(Mixer& mixer, std::shared_ptr<Mixer> keepAlive, std::string name,
                   uint32_t waveRate, uint32_t waveFrames)
      : mixer_(mixer),
        keepAlive_(std::move(keepAlive)),
        name_(std::move(name)),
        waveRate_(waveRate),
        waveFrames_(waveFrames),
        frequency_(waveRate) {}

  // The voices leave the mix before the samples are freed, all on this thread.
  ~MixerSoundBuffer() override {
    mixer_.RemoveVoice(voice_);
    for (const Retired& old : retired_) mixer_.RemoveVoice(old.voice);
  }

  bool Attach(Samples samples, Rendition rendition, bool missing) {
    samples_ = std::move(samples);
    rendition_ = wanted_ = rendition;
    fullBandMissing_ = missing;
    voice_ = mixer_.AddVoice(Source(), MixerRate(frequency_));
    return voice_ != Mixer::kNoVoice;
  }

  void Play(bool looping) override {
    LetGoOfFaded();
    if (wanted_ != rendition_ && !mixer_.IsPlaying(voice_)) TurnOver();
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
    mixer_.SetRate(voice_, MixerRate(frequency_));
    return true;
  }

  int32_t GetVolume() const override { return volume_; }
  int32_t GetPan() const override { return pan_; }
  uint32_t GetFrequency() const override { return frequency_; }
  bool IsPlaying() const override { return mixer_.IsPlaying(voice_); }
  bool IsLooping() const override { return looping_; }

  bool UseRendition(Rendition rendition) override {
    LetGoOfFaded();
    wanted_ = rendition;
    if (rendition_ == rendition) return true;
    // A one-shot sounding now finishes in the rendition it started in.
    if (mixer_.IsPlaying(voice_) && !looping_) return true;
    return TurnOver();
  }
  Rendition rendition() const override { return rendition_; }

 private:
  struct Retired {
    Mixer::VoiceId voice;
    Samples samples;
  };

  VoiceSource Source() const { return {samples_.data.data(), samples_.frames, samples_.channels}; }

  // The rate the mixer reads the samples at for a frequency in the wave's terms: the
  // same ratio to the samples' own rate.
  uint32_t MixerRate(uint32_t hz) const {
    return static_cast<uint32_t>(uint64_t{hz} * samples_.rate / waveRate_);
  }

  // Hands the voice over to the wanted rendition. False, leaving everything as it was,
  // when that rendition cannot be had (then the wish is dropped too).
  bool TurnOver() {
    std::optional<Samples> next;
    if (wanted_ == Rendition::kFullBand) {
      // What the program carries does not change while it runs: asked once.
      if (!fullBandMissing_) {
        next = LoadFullBand(name_, Samples{{}, waveFrames_, samples_.channels, waveRate_});
      }
      fullBandMissing_ = !next;
    } else {
      next = LoadOriginal(name_);
    }
    Mixer::VoiceId voice = Mixer::kNoVoice;
    Samples old = std::move(samples_);
    if (next) {
      samples_ = std::move(*next);
      voice = mixer_.Handover(voice_, Source(), MixerRate(frequency_));
    }
    if (voice == Mixer::kNoVoice) {
      samples_ = std::move(old);
      wanted_ = rendition_;
      return false;
    }
    if (mixer_.IsPlaying(voice_)) {
      retired_.push_back({voice_, std::move(old)});
    } else {
      mixer_.RemoveVoice(voice_);
    }
    voice_ = voice;
    rendition_ = wanted_;
    return true;
  }

  // Frees the voices and samples of earlier turns once they have faded out.
  void LetGoOfFaded() {
    std::erase_if(retired_, [&](const Retired& old) {
      if (mixer_.IsPlaying(old.voice)) return false;
      mixer_.RemoveVoice(old.voice);
      return true;
    });
  }

  Mixer& mixer_;
  std::shared_ptr<Mixer> keepAlive_;  // empty when the device's mixer is not shared
  const std::string name_;
  const uint32_t waveRate_;    // the catalogue wave's own rate: frequencies are in its terms
  const uint32_t waveFrames_;  // and its length
  Samples samples_;
  Rendition rendition_ = Rendition::kOriginal;
  Rendition wanted_ = Rendition::kOriginal;
  std::vector<Retired> retired_;
  bool fullBandMissing_ = false;  // no full-band rendition of this sound to be had
  Mixer::VoiceId voice_ = Mixer::kNoVoice;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  uint32_t frequency_;
  bool looping_ = false;
};

}  // namespace

std::unique_ptr<SoundBuffer> CreateBufferFromResource(SoundDevice* device,
                                                      std::string_view resourceName,
                                                      Rendition rendition) {
  if (device == nullptr) return nullptr;
  std::optional<Samples> original = LoadOriginal(resourceName);
  if (!original) return nullptr;
  const uint32_t waveRate = original->rate;
  const uint32_t waveFrames = original->frames;
  std::optional<Samples> samples = std::move(original);
  Rendition made = Rendition::kOriginal;
  bool missing = false;
  if (rendition == Rendition::kFullBand) {
    if (auto full = LoadFullBand(resourceName, *samples)) {
      samples = std::move(full);
      made = Rendition::kFullBand;
    } else {
      missing = true;
    }
  }
  Mixer& mixer = device->mixer();
  auto buffer = std::make_unique<MixerSoundBuffer>(mixer, mixer.weak_from_this().lock(),
                                                   std::string(resourceName), waveRate, waveFrames);
  if (!buffer->Attach(std::move(*samples), made, missing)) return nullptr;
  return buffer;
}

void ReleaseSoundBuffer(std::unique_ptr<SoundBuffer>& buffer) {
  if (!buffer) return;
  buffer->Stop();
  buffer.reset();
}

}  // namespace lullwood
