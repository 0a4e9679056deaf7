#include "PulseBackend.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "SoundServerClient.h"

namespace lullwood {
namespace {

using Clock = std::chrono::steady_clock;

// Waits, polling, until `done` or the deadline; false at the deadline. Called with the
// main loop locked, which it leaves locked; the loop's thread runs between the polls.
template <class Done>
bool WaitLocked(pa_threaded_mainloop* loop, Clock::time_point deadline, Done done) {
  while (!done()) {
    if (Clock::now() >= deadline) return false;
    pa_threaded_mainloop_unlock(loop);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    pa_threaded_mainloop_lock(loop);
  }
  return true;
}

// Waits, as WaitLocked, until the object whose state `state` reads is `ready` or has
// failed (`good` says no); true when it is ready. For contexts and streams alike.
template <class Get, class State>
bool BecomesReady(pa_threaded_mainloop* loop, Clock::time_point deadline, Get state, State ready,
                  int (*good)(State)) {
  WaitLocked(loop, deadline, [&] {
    const State now = state();
    return now == ready || !good(now);
  });
  return state() == ready;
}

std::string Text(std::string_view view) {
  return std::string(view);
}

// Who plays and what: for the desktop's volume mixer and its policies.
pa_proplist* ApplicationProperties() {
  pa_proplist* list = pa_proplist_new();
  pa_proplist_sets(list, PA_PROP_APPLICATION_NAME, Text(kStreamApplicationName).c_str());
  pa_proplist_sets(list, PA_PROP_APPLICATION_ICON_NAME, Text(kStreamIconName).c_str());
  return list;
}

pa_proplist* StreamProperties() {
  pa_proplist* list = pa_proplist_new();
  pa_proplist_sets(list, PA_PROP_MEDIA_NAME, Text(kStreamName).c_str());
  pa_proplist_sets(list, PA_PROP_MEDIA_ROLE, Text(kStreamRole).c_str());
  pa_proplist_sets(list, PA_PROP_MEDIA_ICON_NAME, Text(kStreamIconName).c_str());
  return list;
}

class PulseBackend final : public AudioOutputBackend {
 public:
  PulseBackend(std::optional<OutputBuffering> buffering, std::chrono::milliseconds connectWait)
      : chosenBuffering_(buffering), connectWait_(connectWait) {
    PrepareSoundServerClients(false);
  }

  ~PulseBackend() override {
    while (!outputs_.empty()) Close(outputs_.begin()->first);
    Restart();
  }

  OutputId Open(int rateHz, bool acceptDeviceRate, AudioSink* sink, int* openedRate,
                Deadline until) override {
    // The whole attempt, connection and stream, within the backend's own limit.
    const Clock::time_point deadline = std::min(until, Clock::now() + connectWait_);
    if (rateHz <= 0 || !Connect(deadline)) return 0;
    pa_threaded_mainloop_lock(loop_);
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rateHz), 2};
    const OutputBuffering buffering = chosenBuffering_.value_or(serverBuffering_);
    pa_proplist* properties = StreamProperties();
    pa_stream* stream = pa_stream_new_with_proplist(context_, Text(kStreamName).c_str(), &spec,
                                                    nullptr, properties);
    pa_proplist_free(properties);
    if (stream == nullptr) {
      pa_threaded_mainloop_unlock(loop_);
      return 0;
    }
    auto output = std::make_unique<Output>();
    output->stream = stream;
    output->sink = sink;
    pa_stream_set_write_callback(stream, &PulseBackend::Requested, output.get());
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(Micro(buffering.target), &spec));
    // Plays as soon as it is started, whatever the first fill held, and goes on through
    // an underrun instead of waiting to fill up again.
    attributes.prebuf = 0;
    attributes.minreq = static_cast<uint32_t>(pa_usec_to_bytes(Micro(buffering.request), &spec));
    attributes.fragsize = static_cast<uint32_t>(-1);
    // The target is the whole way to the sink's output: the server sizes the sink's
    // latency from it. Paused until Start. With the device's rate, no resampling in the
    // server.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED |
                                       (acceptDeviceRate ? PA_STREAM_FIX_RATE : PA_STREAM_NOFLAGS));
    bool ready =
        pa_stream_connect_playback(stream, nullptr, &attributes, flags, nullptr, nullptr) == 0 &&
        BecomesReady(
            loop_, deadline, [&] { return pa_stream_get_state(stream); }, PA_STREAM_READY,
            PA_STREAM_IS_GOOD);
    if (!ready) {
      Release(*output);
      pa_threaded_mainloop_unlock(loop_);
      return 0;
    }
    // From now on a stream that fails (the server went, the sink vanished) says so.
    pa_stream_set_state_callback(stream, &PulseBackend::StateChanged, output.get());
    pa_stream_set_underflow_callback(stream, &PulseBackend::RanOut, output.get());
    if (openedRate != nullptr) {
      *openedRate =
          acceptDeviceRate ? static_cast<int>(pa_stream_get_sample_spec(stream)->rate) : rateHz;
    }
    pa_threaded_mainloop_unlock(loop_);
    // Listed only with the loop's lock let go: Wake takes the two the other way round.
    const OutputId id = nextId_++;
    std::lock_guard guard(wakeLock_);
    outputs_[id] = std::move(output);
    return id;
  }

  void Start(OutputId id) override {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return;
    Output& output = *found->second;
    pa_threaded_mainloop_lock(loop_);
    output.started = true;
    Play(output);
    pa_threaded_mainloop_unlock(loop_);
  }

  bool Rests() const override { return true; }

  void Wake(OutputId id) override {
    std::lock_guard guard(wakeLock_);
    const auto found = outputs_.find(id);
    if (found == outputs_.end() || loop_ == nullptr) return;
    Output& output = *found->second;
    pa_threaded_mainloop_lock(loop_);
    // The loop's thread writes and starts the stream, as it fills it at every request:
    // the sink mixes on no other thread.
    if (output.resting && output.stream != nullptr && output.resume == nullptr) {
      pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
      output.resume = api->defer_new(api, &PulseBackend::Resume, &output);
      output.api = api;
    }
    pa_threaded_mainloop_unlock(loop_);
  }

  bool IsStopped(OutputId id) override {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return true;
    pa_threaded_mainloop_lock(loop_);
    const bool stopped = !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) ||
                         !PA_STREAM_IS_GOOD(pa_stream_get_state(found->second->stream));
    pa_threaded_mainloop_unlock(loop_);
    return stopped;
  }

  bool ReportsStops() const override { return true; }

  void Close(OutputId id) override {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return;
    // The loop's thread calls the sink only while it holds the lock.
    std::lock_guard guard(wakeLock_);
    pa_threaded_mainloop_lock(loop_);
    Release(*found->second);
    pa_threaded_mainloop_unlock(loop_);
    outputs_.erase(found);
  }

  // A context that is ready, made and connected when there is none, waiting for the
  // server until `deadline`. Not locked. While an output is open on a context that is
  // no longer ready, nothing is replaced: the watchdog closes it first.
  bool Connect(Clock::time_point deadline) {
    if (loop_ != nullptr && context_ != nullptr) {
      pa_threaded_mainloop_lock(loop_);
      const bool ready = pa_context_get_state(context_) == PA_CONTEXT_READY;
      pa_threaded_mainloop_unlock(loop_);
      if (ready) return true;
    }
    if (!outputs_.empty()) return false;
    Restart();
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    if (loop == nullptr) return false;
    if (pa_threaded_mainloop_start(loop) < 0) {
      pa_threaded_mainloop_free(loop);
      return false;
    }
    {
      std::lock_guard guard(wakeLock_);
      loop_ = loop;
    }
    pa_threaded_mainloop_lock(loop_);
    pa_proplist* properties = ApplicationProperties();
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_),
                                            Text(kStreamApplicationName).c_str(), properties);
    pa_proplist_free(properties);
    const bool ready =
        context_ != nullptr &&
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) == 0 &&
        BecomesReady(
            loop_, deadline, [&] { return pa_context_get_state(context_); }, PA_CONTEXT_READY,
            PA_CONTEXT_IS_GOOD);
    if (ready) {
      serverBuffering_ = BufferingForServer(
          ServerName(std::max(deadline, Clock::now() + std::chrono::milliseconds(200))));
    }
    pa_threaded_mainloop_unlock(loop_);
    if (!ready) Restart();
    return ready;
  }

  void Restart() override {
    if (!outputs_.empty()) return;  // would close them under their owners
    if (loop_ == nullptr) return;
    pa_threaded_mainloop_lock(loop_);
    if (context_ != nullptr) {
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
      pa_context_unref(context_);
      context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    std::lock_guard guard(wakeLock_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }

 private:
  struct Output {
    pa_stream* stream = nullptr;
    AudioSink* sink = nullptr;
    bool started = false;
    // Corked, its buffer dropped, the server's requests left unanswered until woken.
    bool resting = false;
    // The wake's call on the loop's thread, while it is pending.
    pa_defer_event* resume = nullptr;
    pa_mainloop_api* api = nullptr;
    Clock::time_point playingSince{};
    unsigned long underruns = 0;
    Clock::time_point lastUnderrunNote{};
  };

  static pa_usec_t Micro(std::chrono::milliseconds ms) {
    return static_cast<pa_usec_t>(ms.count()) * PA_USEC_PER_MSEC;
  }

  // The name the connected server gives itself, or "" when it does not say by the
  // deadline. Locked. An answer that comes after the deadline lands in serverName_,
  // which lives as long as the loop that calls back.
  std::string ServerName(Clock::time_point deadline) {
    serverName_.reset();
    pa_operation* op = pa_context_get_server_info(
        context_,
        [](pa_context*, const pa_server_info* info, void* name) {
          static_cast<std::optional<std::string>*>(name)->emplace(
              info != nullptr && info->server_name != nullptr ? info->server_name : "");
        },
        &serverName_);
    if (op == nullptr) return {};
    WaitLocked(loop_, deadline, [&] { return serverName_.has_value(); });
    pa_operation_unref(op);
    return serverName_.value_or("");
  }

  // With the loop locked.
  static void Release(Output& output) {
    if (output.resume != nullptr) {
      output.api->defer_free(output.resume);
      output.resume = nullptr;
    }
    if (output.stream == nullptr) return;
    pa_stream_set_write_callback(output.stream, nullptr, nullptr);
    pa_stream_set_state_callback(output.stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(output.stream, nullptr, nullptr);
    pa_stream_disconnect(output.stream);
    pa_stream_unref(output.stream);
    output.stream = nullptr;
  }

  // The loop's thread, locked: the server has room for `bytes` more.
  static void Requested(pa_stream* stream, size_t bytes, void* output) {
    Output& o = *static_cast<Output*>(output);
    if (!o.started || o.resting) return;
    Write(o, bytes);
    if (!o.sink->Rest()) return;
    // Nothing to be heard for a while: the stream stops and its buffer, all silence, is
    // dropped, so that nothing wakes for it until the sink has sound again, which then
    // plays first.
    o.resting = true;
    if (pa_operation* op = pa_stream_cork(stream, 1, nullptr, nullptr)) pa_operation_unref(op);
    if (pa_operation* op = pa_stream_flush(stream, nullptr, nullptr)) pa_operation_unref(op);
  }

  // The loop's thread, locked: fills what the server has room for and lets the stream
  // play. A fresh stream's first fill, then the server asks for more a request at a time.
  static void Play(Output& output) {
    output.resting = false;
    output.playingSince = Clock::now();
    Write(output, pa_stream_writable_size(output.stream));
    if (pa_operation* op = pa_stream_cork(output.stream, 0, nullptr, nullptr)) {
      pa_operation_unref(op);
    }
  }

  // The loop's thread, locked: a woken output plays again.
  static void Resume(pa_mainloop_api* api, pa_defer_event* event, void* output) {
    Output& o = *static_cast<Output*>(output);
    api->defer_free(event);
    o.resume = nullptr;
    if (o.stream != nullptr && o.resting) Play(o);
  }

  // The loop's thread, locked: the server played the stream's buffer to its end before
  // more came. Noted on the error output, at most once a minute with the count so far,
  // for whoever looks into a night's glitches.
  static void RanOut(pa_stream* /*stream*/, void* output) {
    Output& o = *static_cast<Output*>(output);
    // A stream that was just started or woken has nothing in the server's buffer yet.
    if (o.resting || Clock::now() - o.playingSince < std::chrono::milliseconds(500)) return;
    ++o.underruns;
    const auto now = Clock::now();
    if (o.underruns > 1 && now - o.lastUnderrunNote < std::chrono::minutes(1)) return;
    o.lastUnderrunNote = now;
    std::fprintf(stderr, "lullwood: the sound server ran out of samples (underruns so far: %lu)\n",
                 o.underruns);
  }

  // The loop's thread, locked.
  static void StateChanged(pa_stream* stream, void* output) {
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
      static_cast<Output*>(output)->sink->Stopped();
    }
  }

  // Mixes straight into the server's buffer, as much as it has room for.
  static void Write(Output& output, size_t bytes) {
    constexpr size_t kFrameBytes = 2 * sizeof(float);
    while (bytes >= kFrameBytes) {
      void* data = nullptr;
      size_t size = bytes;
      if (pa_stream_begin_write(output.stream, &data, &size) < 0 || data == nullptr) return;
      const size_t frames = std::min(size, bytes) / kFrameBytes;
      if (frames == 0) {
        pa_stream_cancel_write(output.stream);
        return;
      }
      output.sink->Fill(static_cast<float*>(data), frames);
      if (pa_stream_write(output.stream, data, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) <
          0) {
        return;
      }
      bytes -= frames * kFrameBytes;
    }
  }

  const std::optional<OutputBuffering> chosenBuffering_;
  OutputBuffering serverBuffering_;
  std::optional<std::string> serverName_;
  const std::chrono::milliseconds connectWait_;
  // Keeps Wake, which any thread may call, from the loop and the outputs while they
  // change: held by Wake and wherever loop_ or outputs_ is changed.
  std::mutex wakeLock_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  std::map<OutputId, std::unique_ptr<Output>> outputs_;
  OutputId nextId_ = 1;
};

}  // namespace

std::unique_ptr<AudioOutputBackend> MakePulseBackend(std::optional<OutputBuffering> buffering,
                                                     std::chrono::milliseconds connectWait) {
  return std::make_unique<PulseBackend>(buffering, connectWait);
}

bool PulseServerAnswers(std::chrono::milliseconds wait) {
  pa_mainloop* loop = pa_mainloop_new();
  if (loop == nullptr) return false;
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Lullwood");
  bool ready = false;
  if (context != nullptr &&
      pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) == 0) {
    const Clock::time_point deadline = Clock::now() + wait;
    while (Clock::now() < deadline) {
      const pa_context_state_t state = pa_context_get_state(context);
      if (state == PA_CONTEXT_READY) ready = true;
      if (ready || !PA_CONTEXT_IS_GOOD(state)) break;
      if (pa_mainloop_prepare(loop, 10000) < 0 || pa_mainloop_poll(loop) < 0 ||
          pa_mainloop_dispatch(loop) < 0) {
        break;
      }
    }
    pa_context_disconnect(context);
  }
  if (context != nullptr) pa_context_unref(context);
  pa_mainloop_free(loop);
  return ready;
}

std::unique_ptr<AudioOutputBackend> ConnectedPulseBackend(std::chrono::milliseconds wait) {
  auto pulse = std::make_unique<PulseBackend>(std::nullopt, std::chrono::milliseconds(2000));
  if (pulse->Connect(Clock::now() + wait)) return pulse;
  return nullptr;
}

}  // namespace lullwood
