#include "FlacImage.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace lullwood {
namespace {

// What the callbacks share: the input still to read, and the sound being filled. The
// first failure is kept in `error`; every callback after it asks libFLAC to stop.
struct Decoding {
  std::span<const uint8_t> input;
  size_t position = 0;
  bool haveInfo = false;
  DecodedSound sound;
  size_t written = 0;  // samples (not frames) filled so far: samples.size()
  std::string error;
};

FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                   void* context) {
  Decoding& d = *static_cast<Decoding*>(context);
  const size_t count = std::min(*bytes, d.input.size() - d.position);
  *bytes = count;
  if (count == 0) return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
  std::memcpy(buffer, d.input.data() + d.position, count);
  d.position += count;
  return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__bool AtEnd(const FLAC__StreamDecoder*, void* context) {
  const Decoding& d = *static_cast<const Decoding*>(context);
  return d.position >= d.input.size();
}

void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* context) {
  Decoding& d = *static_cast<Decoding*>(context);
  if (block->type != FLAC__METADATA_TYPE_STREAMINFO || !d.error.empty()) return;
  if (d.haveInfo) {
    d.error = "FLAC: a second STREAMINFO block";
    return;
  }
  const FLAC__StreamMetadata_StreamInfo& info = block->data.stream_info;
  if (info.bits_per_sample != 16 || info.channels < 1 || info.channels > 2 ||
      info.sample_rate < 100 || info.sample_rate > 100000) {
    d.error = "FLAC: unexpected layout: " + std::to_string(info.channels) + " channels, " +
              std::to_string(info.bits_per_sample) + " bits, " + std::to_string(info.sample_rate) +
              " Hz";
    return;
  }
  if (info.total_samples == 0 || info.total_samples > kMaxFlacFrames) {
    d.error = "FLAC: unacceptable length of " + std::to_string(info.total_samples) + " frames";
    return;
  }
  d.sound.rate = info.sample_rate;
  d.sound.channels = info.channels;
  d.sound.frames = static_cast<uint32_t>(info.total_samples);
  // Reserved, not filled: pages a damaged stream never reaches are never touched.
  try {
    d.sound.samples.reserve(static_cast<size_t>(d.sound.frames) * d.sound.channels);
  } catch (const std::bad_alloc&) {
    d.error = "FLAC: out of memory";
    return;
  }
  d.haveInfo = true;
}

FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                     const FLAC__int32* const channels[], void* context) {
  Decoding& d = *static_cast<Decoding*>(context);
  if (!d.error.empty()) return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
  if (!d.haveInfo) {
    d.error = "FLAC: audio before STREAMINFO";
    return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
  }
  const FLAC__FrameHeader& header = frame->header;
  if (header.channels != d.sound.channels || header.bits_per_sample != 16 ||
      header.sample_rate != d.sound.rate) {
    d.error = "FLAC: a frame's layout differs from STREAMINFO's";
    return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
  }
  const size_t count = static_cast<size_t>(header.blocksize) * d.sound.channels;
  if (count > static_cast<size_t>(d.sound.frames) * d.sound.channels - d.written) {
    d.error = "FLAC: more frames than STREAMINFO declares";
    return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
  }
  d.sound.samples.resize(d.written + count);  // within the reserve: no reallocation
  float* out = d.sound.samples.data() + d.written;
  const uint32_t n = d.sound.channels;
  for (uint32_t c = 0; c < n; ++c) {
    const FLAC__int32* in = channels[c];
    for (uint32_t i = 0; i < header.blocksize; ++i)
      out[static_cast<size_t>(i) * n + c] = static_cast<float>(in[i]) / 32768.0f;
  }
  d.written += count;
  return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* context) {
  Decoding& d = *static_cast<Decoding*>(context);
  if (d.error.empty())
    d.error = std::string("FLAC: damaged stream: ") + FLAC__StreamDecoderErrorStatusString[status];
}

struct DecoderDeleter {
  void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

}  // namespace

std::optional<DecodedSound> DecodeFlac(std::span<const uint8_t> bytes, std::string& error) {
  std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
  if (!decoder) {
    error = "FLAC: out of memory";
    return std::nullopt;
  }
  FLAC__StreamDecoder* dec = decoder.get();
  FLAC__stream_decoder_set_md5_checking(dec, true);
  Decoding d;
  d.input = bytes;
  if (FLAC__stream_decoder_init_stream(dec, Read, nullptr, nullptr, nullptr, AtEnd, Write, Metadata,
                                       Error, &d) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
    error = "FLAC: cannot start the decoder";
    return std::nullopt;
  }
  const bool processed = FLAC__stream_decoder_process_until_end_of_stream(dec);
  const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(dec);
  // finish() compares the MD5 signature, when the stream was decoded to its end.
  const bool md5Matches = FLAC__stream_decoder_finish(dec);
  if (d.error.empty() && !processed)
    d.error = std::string("FLAC: decoding failed: ") + FLAC__StreamDecoderStateString[state];
  if (d.error.empty() && !d.haveInfo) d.error = "FLAC: no STREAMINFO";
  if (d.error.empty() && d.written != static_cast<size_t>(d.sound.frames) * d.sound.channels)
    d.error = "FLAC: the stream ends after " + std::to_string(d.written / d.sound.channels) +
              " of " + std::to_string(d.sound.frames) + " frames";
  if (d.error.empty() && !md5Matches) d.error = "FLAC: the MD5 signature does not match";
  if (!d.error.empty()) {
    error = std::move(d.error);
    return std::nullopt;
  }
  return std::move(d.sound);
}

}  // namespace lullwood
