#include "PipeWireBackend.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "SoundServerClient.h"

namespace lullwood {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kChannels = 2;
constexpr uint32_t kFrameBytes = kChannels * sizeof(float);

// Once per process, before the first use of the library; never undone, as the
// library's own state lives as long as the process.
void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

std::string Text(std::string_view view) {
  return std::string(view);
}

// Polls `done` with the loop locked, leaving it unlocked between polls so its thread
// runs; false at the deadline.
template <class Done>
bool WaitLocked(pw_thread_loop* loop, Clock::time_point deadline, Done done) {
  while (!done()) {
    if (Clock::now() >= deadline) return false;
    pw_thread_loop_unlock(loop);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    pw_thread_loop_lock(loop);
  }
  return true;
}

class PipeWireBackend final : public AudioOutputBackend {
 public:
  explicit PipeWireBackend(std::chrono::milliseconds connectWait) : connectWait_(connectWait) {
    InitLibrary();
  }

  ~PipeWireBackend() override {
    while (!outputs_.empty()) Close(outputs_.begin()->first);
    Restart();
  }

  OutputId Open(int rateHz, bool /*acceptDeviceRate*/, AudioSink* sink, int* openedRate,
                Deadline until) override {
    // The stream asks for the rate it is given and the graph converts where it runs at
    // another: the graph's rate is the session's choice, and 48 kHz is its default.
    const Clock::time_point deadline = std::min(until, Clock::now() + connectWait_);
    if (rateHz <= 0 || !StartLoop()) return 0;
    auto output = std::make_unique<Output>();
    output->sink = sink;
    output->loop = loop_;
    const std::string latency =
        std::to_string(kPipeWireQuantumFrames) + "/" + std::to_string(rateHz);
    pw_properties* properties = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_MEDIA_ROLE, "Music",
        PW_KEY_APP_NAME, Text(kStreamApplicationName).c_str(), PW_KEY_APP_ICON_NAME,
        Text(kStreamIconName).c_str(), PW_KEY_MEDIA_NAME, Text(kStreamName).c_str(),
        PW_KEY_MEDIA_ICON_NAME, Text(kStreamIconName).c_str(), PW_KEY_NODE_NAME, "lullwood",
        PW_KEY_NODE_LATENCY, latency.c_str(), nullptr);
    pw_thread_loop_lock(loop_);
    // The realtime client configuration: the thread that calls Process each cycle asks
    // for realtime scheduling (the session's RTKit, or the user's own limits), so a busy
    // desktop does not make it miss the graph's cycle, which the listener hears as a
    // gap. Where it is refused the stream plays at normal priority, as before.
    output->context =
        pw_context_new(pw_thread_loop_get_loop(loop_),
                       pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    if (output->context != nullptr) output->core = pw_context_connect(output->context, nullptr, 0);
    if (output->core != nullptr) {
      output->stream = pw_stream_new(output->core, Text(kStreamName).c_str(), properties);
    } else {
      pw_properties_free(properties);
    }
    if (output->stream == nullptr) {
      Release(*output);
      pw_thread_loop_unlock(loop_);
      return 0;
    }
    pw_stream_add_listener(output->stream, &output->listener, &kEvents, output.get());
    uint8_t pod[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(pod, sizeof(pod));
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_F32;
    info.rate = static_cast<uint32_t>(rateHz);
    info.channels = kChannels;
    info.position[0] = SPA_AUDIO_CHANNEL_FL;
    info.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    // Paused until Start. The graph's thread calls the sink directly, once a cycle.
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                     PW_STREAM_FLAG_RT_PROCESS | PW_STREAM_FLAG_INACTIVE);
    const bool ready =
        pw_stream_connect(output->stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) == 0 &&
        WaitLocked(loop_, deadline,
                   [&] {
                     const pw_stream_state state = pw_stream_get_state(output->stream, nullptr);
                     return state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING ||
                            state == PW_STREAM_STATE_ERROR;
                   }) &&
        pw_stream_get_state(output->stream, nullptr) != PW_STREAM_STATE_ERROR;
    if (!ready) {
      Release(*output);
      pw_thread_loop_unlock(loop_);
      return 0;
    }
    // From now on a stream that fails (the server went) says so.
    output->watching = true;
    if (openedRate != nullptr) *openedRate = rateHz;
    pw_thread_loop_unlock(loop_);
    // Listed only with the loop's lock let go: Wake takes the two the other way round.
    const OutputId id = nextId_++;
    std::lock_guard guard(wakeLock_);
    outputs_[id] = std::move(output);
    return id;
  }

  void Start(OutputId id) override {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return;
    pw_thread_loop_lock(loop_);
    pw_stream_set_active(found->second->stream, true);
    pw_thread_loop_unlock(loop_);
  }

  bool IsStopped(OutputId id) override {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return true;
    pw_thread_loop_lock(loop_);
    const pw_stream_state state = pw_stream_get_state(found->second->stream, nullptr);
    pw_thread_loop_unlock(loop_);
    return state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED;
  }

  bool ReportsStops() const override { return true; }
  bool Rests() const override { return true; }

  void Wake(OutputId id) override {
    std::lock_guard guard(wakeLock_);
    const auto found = outputs_.find(id);
    if (found == outputs_.end() || loop_ == nullptr) return;
    Output& output = *found->second;
    pw_thread_loop_lock(loop_);
    if (output.resting.exchange(false) && output.stream != nullptr) {
      pw_stream_set_active(output.stream, true);
    }
    pw_thread_loop_unlock(loop_);
  }

  void Close(OutputId id) override {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return;
    std::lock_guard guard(wakeLock_);
    pw_thread_loop_lock(loop_);
    // Disconnecting takes the stream off the graph's thread: no call of the sink after.
    Release(*found->second);
    // A pause the graph's thread queued before that still runs on the loop: the output
    // outlives it (finding no stream, it does nothing). The wait lets go of the loop's
    // lock meanwhile and takes it again after, so it is made holding it.
    pw_loop_invoke(
        pw_thread_loop_get_loop(loop_),
        [](spa_loop*, bool, uint32_t, const void*, size_t, void*) { return 0; }, 0, nullptr, 0,
        true, nullptr);
    pw_thread_loop_unlock(loop_);
    outputs_.erase(found);
  }

  void Restart() override {
    if (!outputs_.empty() || loop_ == nullptr) return;
    std::lock_guard guard(wakeLock_);
    pw_thread_loop_stop(loop_);
    pw_thread_loop_destroy(loop_);
    loop_ = nullptr;
  }

 private:
  struct Output {
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    pw_thread_loop* loop = nullptr;
    AudioSink* sink = nullptr;
    spa_hook listener{};
    bool watching = false;
    // Set on the graph's thread when the sink has nothing to be heard; the pause itself
    // is the loop's (a stream is paused only there), and a wake that comes first
    // cancels it.
    std::atomic<bool> resting{false};
  };

  // The loop the streams run on, started when there is none. Not locked.
  bool StartLoop() {
    if (loop_ != nullptr) return true;
    pw_thread_loop* loop = pw_thread_loop_new("lullwood-pw", nullptr);
    if (loop == nullptr) return false;
    if (pw_thread_loop_start(loop) < 0) {
      pw_thread_loop_destroy(loop);
      return false;
    }
    std::lock_guard guard(wakeLock_);
    loop_ = loop;
    return true;
  }

  // With the loop locked.
  static void Release(Output& output) {
    output.watching = false;
    if (output.stream != nullptr) {
      pw_stream_disconnect(output.stream);
      pw_stream_destroy(output.stream);
      output.stream = nullptr;
    }
    if (output.core != nullptr) pw_core_disconnect(output.core);
    output.core = nullptr;
    if (output.context != nullptr) pw_context_destroy(output.context);
    output.context = nullptr;
  }

  // The graph's thread, once a cycle: as many frames as the cycle asks for.
  static void Process(void* data) {
    Output& o = *static_cast<Output*>(data);
    pw_buffer* buffer = pw_stream_dequeue_buffer(o.stream);
    if (buffer == nullptr) return;
    spa_data& plane = buffer->buffer->datas[0];
    if (plane.data == nullptr) {
      pw_stream_queue_buffer(o.stream, buffer);
      return;
    }
    uint64_t frames = plane.maxsize / kFrameBytes;
    if (buffer->requested != 0) frames = std::min<uint64_t>(frames, buffer->requested);
    o.sink->Fill(static_cast<float*>(plane.data), static_cast<size_t>(frames));
    plane.chunk->offset = 0;
    plane.chunk->stride = kFrameBytes;
    plane.chunk->size = static_cast<uint32_t>(frames * kFrameBytes);
    pw_stream_queue_buffer(o.stream, buffer);
    if (!o.resting && o.sink->Rest()) {
      o.resting = true;
      pw_loop_invoke(pw_thread_loop_get_loop(o.loop), &PipeWireBackend::Pause, 0, nullptr, 0, false,
                     &o);
    }
  }

  // The loop's thread: pauses a stream that still rests.
  static int Pause(spa_loop* /*loop*/, bool /*async*/, uint32_t /*seq*/, const void* /*data*/,
                   size_t /*size*/, void* output) {
    Output& o = *static_cast<Output*>(output);
    if (o.stream != nullptr && o.resting) pw_stream_set_active(o.stream, false);
    return 0;
  }

  // The loop's thread.
  static void StateChanged(void* data, pw_stream_state /*old*/, pw_stream_state state,
                           const char* /*error*/) {
    Output& o = *static_cast<Output*>(data);
    if (o.watching && (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED)) {
      o.sink->Stopped();
    }
  }

  static constexpr pw_stream_events kEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = &PipeWireBackend::StateChanged;
    events.process = &PipeWireBackend::Process;
    return events;
  }();

  const std::chrono::milliseconds connectWait_;
  // Keeps Wake, which any thread may call, from the loop and the outputs while they
  // change: held by Wake and wherever loop_ or outputs_ is changed.
  std::mutex wakeLock_;
  pw_thread_loop* loop_ = nullptr;
  std::map<OutputId, std::unique_ptr<Output>> outputs_;
  OutputId nextId_ = 1;
};

}  // namespace

std::unique_ptr<AudioOutputBackend> MakePipeWireBackend(std::chrono::milliseconds connectWait) {
  return std::make_unique<PipeWireBackend>(connectWait);
}

bool PipeWireServerAnswers(std::chrono::milliseconds wait) {
  InitLibrary();
  pw_main_loop* loop = pw_main_loop_new(nullptr);
  if (loop == nullptr) return false;
  pw_context* context = pw_context_new(pw_main_loop_get_loop(loop), nullptr, 0);
  bool answered = false;
  if (context != nullptr) {
    if (pw_core* core = pw_context_connect(context, nullptr, 0)) {
      // A round trip: the server is there and serving, not only its socket.
      struct Sync {
        int seq = 0;
        bool done = false;
        bool failed = false;
      } sync;
      spa_hook listener{};
      static constexpr pw_core_events kCoreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.done = [](void* data, uint32_t id, int seq) {
          auto* s = static_cast<Sync*>(data);
          if (id == PW_ID_CORE && seq == s->seq) s->done = true;
        };
        events.error = [](void* data, uint32_t id, int /*seq*/, int /*res*/, const char*) {
          if (id == PW_ID_CORE) static_cast<Sync*>(data)->failed = true;
        };
        return events;
      }();
      pw_core_add_listener(core, &listener, &kCoreEvents, &sync);
      sync.seq = pw_core_sync(core, PW_ID_CORE, 0);
      const Clock::time_point deadline = Clock::now() + wait;
      pw_loop* inner = pw_main_loop_get_loop(loop);
      pw_loop_enter(inner);
      while (!sync.done && !sync.failed && Clock::now() < deadline) pw_loop_iterate(inner, 10);
      pw_loop_leave(inner);
      answered = sync.done;
      spa_hook_remove(&listener);
      pw_core_disconnect(core);
    }
    pw_context_destroy(context);
  }
  pw_main_loop_destroy(loop);
  return answered;
}

}  // namespace lullwood
