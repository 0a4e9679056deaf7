#include "FlacWriter.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace lullwood::synth {
namespace {

// The encoder writes into a growing buffer; at the end it seeks back to rewrite the
// STREAMINFO block with the final sizes, sample count and MD5, hence seek and tell.
struct Sink {
  std::vector<uint8_t> bytes;
  size_t position = 0;
};

FLAC__StreamEncoderWriteStatus Write(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                     size_t count, uint32_t, uint32_t, void* context) {
  Sink& sink = *static_cast<Sink*>(context);
  if (sink.position + count > sink.bytes.size()) sink.bytes.resize(sink.position + count);
  std::memcpy(sink.bytes.data() + sink.position, buffer, count);
  sink.position += count;
  return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

FLAC__StreamEncoderSeekStatus Seek(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* context) {
  Sink& sink = *static_cast<Sink*>(context);
  if (offset > sink.bytes.size()) return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
  sink.position = static_cast<size_t>(offset);
  return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
}

FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                   void* context) {
  *offset = static_cast<const Sink*>(context)->position;
  return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

struct EncoderDeleter {
  void operator()(FLAC__StreamEncoder* e) const { FLAC__stream_encoder_delete(e); }
};
struct MetadataDeleter {
  void operator()(FLAC__StreamMetadata* m) const { FLAC__metadata_object_delete(m); }
};

}  // namespace

std::optional<std::vector<uint8_t>> EncodeFlac16(std::span<const uint8_t> data, uint32_t rate,
                                                 uint16_t channels, std::string_view title,
                                                 std::string& error) {
  if (channels < 1 || channels > 2 || !FLAC__format_sample_rate_is_subset(rate)) {
    error = "FLAC: unsupported layout of " + std::to_string(channels) + " channels at " +
            std::to_string(rate) + " Hz";
    return std::nullopt;
  }
  const size_t frameBytes = 2u * channels;
  if (data.size() % frameBytes != 0) {
    error = "FLAC: the samples end in a partial frame";
    return std::nullopt;
  }
  const size_t frames = data.size() / frameBytes;

  std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter> encoder(FLAC__stream_encoder_new());
  std::unique_ptr<FLAC__StreamMetadata, MetadataDeleter> comment(
      FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT));
  if (!encoder || !comment) {
    error = "FLAC: out of memory";
    return std::nullopt;
  }
  const std::string titleField = "TITLE=" + std::string(title);
  FLAC__StreamMetadata_VorbisComment_Entry entry{
      static_cast<FLAC__uint32>(titleField.size()),
      reinterpret_cast<FLAC__byte*>(const_cast<char*>(titleField.data()))};
  // Copied into the block, which then owns it.
  if (!FLAC__metadata_object_vorbiscomment_append_comment(comment.get(), entry, true)) {
    error = "FLAC: cannot build the Vorbis comment";
    return std::nullopt;
  }
  FLAC__StreamMetadata* blocks[] = {comment.get()};

  FLAC__StreamEncoder* e = encoder.get();
  bool ok = FLAC__stream_encoder_set_verify(e, true) &&
            FLAC__stream_encoder_set_channels(e, channels) &&
            FLAC__stream_encoder_set_bits_per_sample(e, 16) &&
            FLAC__stream_encoder_set_sample_rate(e, rate) &&
            FLAC__stream_encoder_set_compression_level(e, 8) &&
            FLAC__stream_encoder_set_total_samples_estimate(e, frames) &&
            FLAC__stream_encoder_set_metadata(e, blocks, 1);
  Sink sink;
  sink.bytes.reserve(data.size() / 2);
  if (!ok || FLAC__stream_encoder_init_stream(e, Write, Seek, Tell, nullptr, &sink) !=
                 FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
    error = std::string("FLAC: cannot start the encoder: ") +
            FLAC__stream_encoder_get_resolved_state_string(e);
    return std::nullopt;
  }

  // Whole blocks of frames at a time, widened to the 32-bit samples libFLAC takes.
  constexpr size_t kChunkFrames = 4096;
  std::vector<FLAC__int32> chunk(kChunkFrames * channels);
  for (size_t done = 0; done < frames;) {
    const size_t count = std::min(kChunkFrames, frames - done);
    const uint8_t* in = data.data() + done * frameBytes;
    for (size_t i = 0; i < count * channels; ++i)
      chunk[i] = static_cast<int16_t>(static_cast<uint16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
    if (!FLAC__stream_encoder_process_interleaved(e, chunk.data(), static_cast<uint32_t>(count))) {
      error = std::string("FLAC: encoding failed: ") +
              FLAC__stream_encoder_get_resolved_state_string(e);
      FLAC__stream_encoder_finish(e);
      return std::nullopt;
    }
    done += count;
  }
  if (!FLAC__stream_encoder_finish(e)) {
    error =
        std::string("FLAC: finishing failed: ") + FLAC__stream_encoder_get_resolved_state_string(e);
    return std::nullopt;
  }
  return std::move(sink.bytes);
}

}  // namespace lullwood::synth
