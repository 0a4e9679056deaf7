// The output straight through libpulse, against a PulseAudio server of the test's own:
// the buffer it asks for and how often it is asked for samples, the names the desktop
// shows, a server that goes, comes back, never was or never answers, and how fast the
// output is let go.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "CapturedStderr.h"
#include "Eventually.h"
#include "LiveOutput.h"
#include "Mixer.h"
#include "PrivateSoundServer.h"
#include "PulseBackend.h"
#include "SdlBackend.h"
#include "TempFolder.h"

namespace lullwood {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What "at once" allows: less than the stream's buffer, which a close that drained it or
// a wake left to a timer would wait for, and loose enough for a loaded machine
// (sanitizers, tests side by side), which holds any thread back by tens of milliseconds.
constexpr auto kAtOnce = 250ms;

struct CountingSink final : AudioSink {
  void Fill(float* out, size_t frames) override {
    for (size_t i = 0; i < 2 * frames; ++i) out[i] = 0.1f;
    {
      std::lock_guard guard(lock);
      asked.push_back({Clock::now(), static_cast<long>(frames)});
    }
    ++calls;
    this->frames += static_cast<long>(frames);
  }
  std::atomic<long> calls{0};
  std::atomic<long> frames{0};
  // When each request came and how many frames it took.
  struct Request {
    Clock::time_point at;
    long frames;
  };
  std::mutex lock;
  std::vector<Request> asked;
};

using testing::Eventually;

// Waits until the server asks `sink` for more than it has had; false after 3 s. A null
// sink left idle sleeps out its longest latency (2 s) before it takes up a new
// stream's, so the first requests after the first fill can be that long in coming.
bool AskedAgain(const CountingSink& sink) {
  const long had = sink.frames;
  for (int i = 0; i < 300; ++i) {
    if (sink.frames > had) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// The largest "Buffer Latency" in a sink-input listing, in microseconds.
long BufferLatency(const std::string& listing) {
  long most = 0;
  const std::regex line("Buffer Latency: ([0-9]+) usec");
  for (auto it = std::sregex_iterator(listing.begin(), listing.end(), line);
       it != std::sregex_iterator(); ++it) {
    most = std::max(most, std::stol((*it)[1]));
  }
  return most;
}

class PulseOutputTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    if (!testing::PrivateSoundServer::Installed()) GTEST_SKIP() << "pulseaudio is not installed";
    unsetenv("PULSE_LATENCY_MSEC");
    unsetenv("SDL_AUDIODRIVER");
    server = std::make_unique<testing::PrivateSoundServer>(dir_.string());
    ASSERT_TRUE(server->Start()) << server->Log();
  }

  std::unique_ptr<testing::PrivateSoundServer> server;
};

TEST_F(PulseOutputTest, TheStreamAsksForItsBufferSaysWhoItIsAndIsAskedSeldom) {
  auto backend = MakePulseBackend();
  CountingSink sink;
  int rate = 0;
  const auto id = backend->Open(44100, true, &sink, &rate);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(rate, 48000) << "the sink's own rate is taken";
  EXPECT_EQ(sink.calls, 0) << "nothing is asked for before Start";
  backend->Start(id);
  // Past the first fill, the requests that keep the buffer filled: over a counted number
  // of them the frames come at the sink's rate, a few requests a second, not dozens.
  ASSERT_TRUE(AskedAgain(sink));
  constexpr long kRequests = 6;
  long request = 0;  // frames, on average
  const long first = sink.calls;
  ASSERT_TRUE(Eventually([&] { return sink.calls >= first + kRequests; }));
  {
    std::lock_guard guard(sink.lock);
    const auto from = sink.asked.begin() + (first - 1), to = from + kRequests;
    long frames = 0;
    for (auto next = from + 1; next <= to; ++next) frames += next->frames;
    request = frames / kRequests;
    const double seconds = std::chrono::duration<double>(to->at - from->at).count();
    EXPECT_NEAR(frames / seconds, 48000, 48000 / 4) << frames << " frames in " << seconds << " s";
    EXPECT_LE(kRequests / seconds, 20) << kRequests << " requests in " << seconds << " s";
  }
  EXPECT_FALSE(backend->IsStopped(id));

  const std::string listing = server->SinkInputs();
  EXPECT_NE(listing.find("application.name = \"Lullwood\""), std::string::npos) << listing;
  EXPECT_NE(listing.find("media.name = \"Soundscape\""), std::string::npos) << listing;
  EXPECT_NE(listing.find("application.icon_name = \"lullwood\""), std::string::npos) << listing;
  EXPECT_NE(listing.find("media.role = \"music\""), std::string::npos) << listing;
  // The server keeps part of the target in the sink; the stream's own part stays large:
  // PulseAudio's buffering, (target + 2 x request) / 2, reckoned in bytes at the rate
  // asked for (44100 Hz) and played at the sink's. Read at any moment, it has drained by
  // up to a request since it was last filled.
  const OutputBuffering asked = BufferingForServer("pulseaudio");
  const long own = (asked.target + 2 * asked.request).count() * 1000 / 2 * 44100 / 48000;
  const long requestUs = asked.request.count() * 1000 * 44100 / 48000;
  EXPECT_LE(BufferLatency(listing), own + 5000) << listing;
  EXPECT_GE(BufferLatency(listing), own - requestUs - 5000) << listing;
  EXPECT_GE(BufferLatency(listing), 150000) << listing;

  // A second stream on the same sink tells the server's time: once it has been asked for
  // more than three of the first one's requests since the close, the sink has woken for
  // it at least three times, and would have asked the first one too had it not been
  // closed.
  CountingSink witness;
  const auto witnessId = backend->Open(44100, true, &witness, nullptr);
  ASSERT_NE(witnessId, 0u);
  backend->Start(witnessId);
  const auto start = Clock::now();
  backend->Close(id);
  EXPECT_LT(Clock::now() - start, kAtOnce) << "the output is let go at once";
  const long after = sink.calls;
  const long witnessed = witness.frames;
  ASSERT_TRUE(Eventually([&] { return witness.frames > witnessed + 3 * request; }));
  EXPECT_EQ(sink.calls, after) << "no call after Close";
  backend->Close(witnessId);
  EXPECT_EQ(server->SinkInputs().find("Lullwood"), std::string::npos);
}

// A sink that says, once asked to, that nothing will be heard for a while.
struct RestingSink final : AudioSink {
  void Fill(float* out, size_t frames) override {
    std::fill_n(out, 2 * frames, 0.0f);
    ++calls;
  }
  bool Rest() override {
    if (!restNow.exchange(false)) return false;
    rested = true;
    return true;
  }
  std::atomic<long> calls{0};
  std::atomic<bool> restNow{false};
  std::atomic<bool> rested{false};
};

// A resting stream is corked and asked for nothing, and keeps its place on the server;
// woken from any thread, it is asked for samples again at once, and goes on being
// asked. Waking an output that is not resting, or one that is gone, changes nothing.
TEST_F(PulseOutputTest, ARestingStreamIsCorkedAskedForNothingAndWokenAtOnce) {
  auto backend = MakePulseBackend();
  ASSERT_TRUE(backend->Rests());
  RestingSink sink;
  const auto id = backend->Open(48000, true, &sink, nullptr);
  ASSERT_NE(id, 0u);
  backend->Start(id);
  backend->Wake(id);  // awake already: nothing happens
  ASSERT_TRUE(Eventually([&] { return sink.calls >= 2; }));
  sink.restNow = true;
  ASSERT_TRUE(Eventually([&] { return sink.rested.load(); }));
  const long atRest = sink.calls;
  ASSERT_TRUE(Eventually([&] {
    return server->SinkInputs().find("Corked: yes") != std::string::npos;
  })) << server->SinkInputs();
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(sink.calls, atRest) << "a resting stream is asked for nothing";
  EXPECT_FALSE(backend->IsStopped(id));

  const auto woken = Clock::now();
  std::thread([&] { backend->Wake(id); }).join();
  ASSERT_TRUE(Eventually([&] { return sink.calls > atRest; }));
  EXPECT_LT(Clock::now() - woken, kAtOnce) << "the first fill follows the wake at once";
  EXPECT_TRUE(
      Eventually([&] { return server->SinkInputs().find("Corked: no") != std::string::npos; }));
  const long afterWake = sink.calls;
  EXPECT_TRUE(Eventually([&] { return sink.calls >= afterWake + 3; })) << "asked again and again";
  backend->Wake(id + 1);
  backend->Close(id);
  backend->Wake(id);
  EXPECT_EQ(server->SinkInputs().find("Lullwood"), std::string::npos);
}

// A sink that falls behind once, well into playing: the server plays the stream's buffer
// to its end and says so, and the output notes it on the error output, once.
TEST_F(PulseOutputTest, AnUnderrunTheServerReportsIsNotedOnce) {
  struct LateSink final : AudioSink {
    void Fill(float* out, size_t frames) override {
      std::fill_n(out, 2 * frames, 0.1f);
      if (++calls == 12) std::this_thread::sleep_for(800ms);
    }
    std::atomic<long> calls{0};
  } sink;
  testing::CapturedStderr captured;
  auto backend = MakePulseBackend();
  const auto id = backend->Open(48000, true, &sink, nullptr);
  ASSERT_NE(id, 0u);
  backend->Start(id);
  ASSERT_TRUE(Eventually([&] { return sink.calls >= 16; }, 10000ms));
  EXPECT_TRUE(Eventually([&] {
    return captured.text().find("ran out of samples") != std::string::npos;
  })) << captured.text();
  backend->Close(id);
  const std::string text = captured.text();
  EXPECT_NE(text.find("lullwood: the sound server ran out of samples (underruns so far: 1)"),
            std::string::npos)
      << text;
}

TEST_F(PulseOutputTest, ALostServerIsNoticedAndTheOutputOpensAgainOnANewOne) {
  auto backend = MakePulseBackend();
  CountingSink sink;
  auto id = backend->Open(48000, false, &sink, nullptr);
  ASSERT_NE(id, 0u);
  backend->Start(id);
  for (int round = 0; round < 3; ++round) {
    server->Stop();
    bool stopped = false;
    for (int i = 0; i < 200 && !stopped; ++i) {
      stopped = backend->IsStopped(id);
      if (!stopped) std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(stopped) << "round " << round;
    backend->Close(id);
    backend->Restart();
    ASSERT_TRUE(server->Start()) << server->Log();
    id = backend->Open(48000, false, &sink, nullptr);
    ASSERT_NE(id, 0u) << "round " << round;
    backend->Start(id);
    EXPECT_TRUE(AskedAgain(sink)) << "round " << round;
  }
  backend->Close(id);
}

// While an output whose server went is still open, the backend cannot start afresh:
// an open then fails and leaves everything as it was, instead of replacing the main loop
// and the context under the open output. Once that output is closed, the next open
// reaches the new server.
TEST_F(PulseOutputTest, AnOpenWhileALostOutputIsStillOpenChangesNothing) {
  auto backend = MakePulseBackend({}, 500ms);
  CountingSink sink;
  const auto lost = backend->Open(48000, false, &sink, nullptr);
  ASSERT_NE(lost, 0u);
  backend->Start(lost);
  server->Stop();
  bool stopped = false;
  for (int i = 0; i < 200 && !stopped; ++i) {
    stopped = backend->IsStopped(lost);
    if (!stopped) std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(stopped);
  ASSERT_TRUE(server->Start()) << server->Log();
  EXPECT_EQ(backend->Open(48000, false, &sink, nullptr), 0u)
      << "opened beside an output it could not restart under";
  EXPECT_TRUE(backend->IsStopped(lost));
  backend->Close(lost);
  backend->Restart();
  const auto fresh = backend->Open(48000, false, &sink, nullptr);
  EXPECT_NE(fresh, 0u);
  backend->Close(fresh);
}

// What each server is asked for: with either, a start reaches the sink within 300 ms.
// On PulseAudio the sink keeps most of the target; on PipeWire the sink latency covers
// at least one whole quantum of the graph and a request three of them.
TEST(OutputBuffering, EachServerGetsTheBufferingThatLetsItSleep) {
  const auto sinkLatency = [](OutputBuffering b) { return (b.target - 2 * b.request) / 2; };
  const OutputBuffering pulse = BufferingForServer("pulseaudio");
  EXPECT_GE(sinkLatency(pulse), 120ms);
  EXPECT_LE(2 * sinkLatency(pulse), 280ms) << "a start waits at most two sink latencies";

  const OutputBuffering pipewire = BufferingForServer("PulseAudio (on PipeWire 0.3.65)");
  const auto quantum = std::chrono::microseconds(2048 * 1000000 / 48000);
  EXPECT_GE(sinkLatency(pipewire), quantum);
  EXPECT_GE(pipewire.request, 2 * quantum);
  EXPECT_LE(pipewire.target, 300ms) << "the whole way to the sink's output";
  EXPECT_EQ(BufferingForServer("").target, pulse.target) << "an unnamed server is PulseAudio";
  // A rest drops what the stream holds: the mixer's quiet before it must outlast that,
  // with room for the limiter's look-ahead and a late request.
  for (const OutputBuffering& b : {pulse, pipewire}) {
    EXPECT_LE(b.target + 2 * b.request, Mixer::kQuietBeforeRest) << b.target.count() << " ms";
  }
}

// The watchdog of a device playing through libpulse sleeps while the soundscape plays:
// told never to look by itself, it still notices a lost server at once from the
// stream's report, and opens the output again once a server is back.
TEST_F(PulseOutputTest, ADeviceLearnsOfALostServerFromTheStreamWithoutLooking) {
  EXPECT_TRUE(MakePulseBackend()->ReportsStops());
  EXPECT_FALSE(MakeSdlBackend()->ReportsStops()) << "SDL's output is looked at instead";
  OutputWatch neverLooks;
  neverLooks.poll = neverLooks.reportedPoll = std::chrono::hours(1);
  neverLooks.retry = 100ms;
  LiveOutputFactory outputs(MakePulseBackend({}, 500ms), neverLooks);
  auto device = outputs.OpenDefaultOutput();
  ASSERT_NE(device, nullptr);
  const auto playing = [&] {
    for (int i = 0; i < 500; ++i) {
      const std::string listing = server->SinkInputs();
      if (listing.find("Soundscape") != std::string::npos &&
          listing.find("Corked: no") != std::string::npos) {
        return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  };
  ASSERT_TRUE(playing());
  for (int round = 0; round < 2; ++round) {
    server->Stop();
    ASSERT_TRUE(server->Start()) << server->Log();
    EXPECT_TRUE(playing()) << "round " << round << ": the stream is back on the new server";
  }
  const auto start = Clock::now();
  device.reset();
  EXPECT_LT(Clock::now() - start, kAtOnce);
}

// Play against a server whose process is stopped: the window is held well under a
// second, not for two attempts of two seconds each; once it runs again, Play works.
TEST_F(PulseOutputTest, PlayGivesUpOnAFrozenServerWithinTheClaimWait) {
  LiveOutputFactory outputs(MakePulseBackend(), OutputWatch{});
  ASSERT_NE(outputs.OpenDefaultOutput(), nullptr);  // opened and let go: Play, then Mute
  server->Freeze();
  const auto start = Clock::now();
  auto frozen = outputs.OpenDefaultOutput();
  const auto took = Clock::now() - start;
  server->Thaw();
  EXPECT_EQ(frozen, nullptr);
  EXPECT_LT(took, LiveOutputFactory::kClaimWait + 300ms);
  RecordProperty(
      "claim_ms",
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  std::unique_ptr<SoundDevice> device;
  for (int i = 0; i < 10 && device == nullptr; ++i) device = outputs.OpenDefaultOutput();
  EXPECT_NE(device, nullptr) << "the thawed server plays again";
}

// A suspended sink keeps the stream connected and asks it for nothing. Effects fired
// meanwhile must not all start together when it runs again: the short ones have ended
// unheard, the long one is heard from where it stands, and the output was never closed.
TEST_F(PulseOutputTest, EffectsFiredWhileTheSinkIsSuspendedDoNotPileUpOnItsReturn) {
  // The watchdog keeps the stalled mixer's time every 50 ms instead of every 10 s, so
  // what is fired runs out while the sink is suspended, and the test waits for that.
  OutputWatch watch;
  watch.reportedPoll = 50ms;
  LiveOutputFactory outputs(MakePulseBackend(), watch);
  auto device = outputs.OpenDefaultOutput();
  ASSERT_NE(device, nullptr);
  Mixer& mixer = device->mixer();
  const uint32_t rate = static_cast<uint32_t>(device->outputRate());
  const std::vector<float> bed(rate, 0.2f);
  const std::vector<float> blip(rate / 10, 0.3f);
  const std::vector<float> long_(20 * rate, 0.3f);
  const auto background = mixer.AddVoice({bed.data(), rate, 1}, rate);
  mixer.Play(background, true);
  std::vector<Mixer::VoiceId> blips;
  for (int i = 0; i < 5; ++i)
    blips.push_back(mixer.AddVoice({blip.data(), uint32_t(blip.size()), 1}, rate));
  const auto still = mixer.AddVoice({long_.data(), uint32_t(long_.size()), 1}, rate);
  ASSERT_TRUE(Eventually([&] { return mixer.PositionFrames(background) > 0; }));
  ASSERT_TRUE(server->Suspend(true));
  ASSERT_TRUE(Eventually([&] { return mixer.Stalled(); })) << "the suspended sink still asks";
  for (auto voice : blips) mixer.Play(voice, false);
  mixer.Play(still, false);
  const auto fired = Clock::now();
  const auto anyBlipPlays = [&] {
    return std::any_of(blips.begin(), blips.end(), [&](auto v) { return mixer.IsPlaying(v); });
  };
  EXPECT_TRUE(Eventually([&] { return !anyBlipPlays(); })) << "the short ones never ended";
  EXPECT_TRUE(mixer.Stalled()) << "the sink asked while suspended";
  const auto resumed = Clock::now();
  ASSERT_TRUE(server->Suspend(false));
  ASSERT_TRUE(Eventually([&] { return !mixer.Stalled(); })) << "the sink did not ask again";
  const double since = std::chrono::duration<double>(Clock::now() - fired).count();
  const double suspended = std::chrono::duration<double>(resumed - fired).count();
  EXPECT_FALSE(anyBlipPlays()) << "a short one started again";
  EXPECT_TRUE(mixer.IsPlaying(still));
  EXPECT_GE(mixer.PositionFrames(still), suspended * rate - 1) << "heard from where it stands";
  EXPECT_LE(mixer.PositionFrames(still), (since + 1.0) * rate);
  for (auto voice : blips) mixer.RemoveVoice(voice);
  mixer.RemoveVoice(still);
  mixer.RemoveVoice(background);
}

TEST_F(PulseOutputTest, WithoutAServerNothingOpensAndTheLiveOutputIsSdls) {
  server->Stop();
  EXPECT_FALSE(PulseServerAnswers(200ms));
  auto backend = MakePulseBackend({}, 500ms);
  CountingSink sink;
  const auto start = Clock::now();
  EXPECT_EQ(backend->Open(48000, true, &sink, nullptr), 0u);
  EXPECT_LT(Clock::now() - start, 1000ms);

  // A server that takes the connection and never answers holds an attempt only as
  // long as the wait.
  const std::string path = dir_.string() + "/silent.socket";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
  const auto silent = Clock::now();
  EXPECT_FALSE(PulseServerAnswers(300ms));
  EXPECT_EQ(backend->Open(48000, true, &sink, nullptr), 0u);
  EXPECT_LT(Clock::now() - silent, 1500ms);
  close(listener);
  EXPECT_EQ(sink.calls, 0);
}

// The program's own choice: libpulse while a server answers, SDL when the user has
// named another SDL driver.
TEST_F(PulseOutputTest, TheLiveOutputPlaysThroughTheServerUnlessAnotherDriverIsNamed) {
  ASSERT_TRUE(PulseServerAnswers(1000ms));
  {
    LiveOutputFactory outputs;
    auto device = outputs.OpenDefaultOutput();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->outputRate(), 48000);
    std::string listing;
    EXPECT_TRUE(Eventually([&] {
      listing = server->SinkInputs();
      return listing.find("Corked: no") != std::string::npos;
    })) << "the stream never played";
    EXPECT_NE(listing.find("media.name = \"Soundscape\""), std::string::npos) << listing;
    EXPECT_GE(BufferLatency(listing), 150000) << listing;
    // Mute: the device goes, and with it the stream, at once.
    const auto start = Clock::now();
    device.reset();
    EXPECT_LT(Clock::now() - start, kAtOnce);
    EXPECT_EQ(server->SinkInputs().find("Soundscape"), std::string::npos);
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    LiveOutputFactory outputs;
    auto device = outputs.OpenDefaultOutput();
    ASSERT_NE(device, nullptr);
    // Once the output plays, it plays through SDL's dummy driver: nowhere.
    Mixer& mixer = device->mixer();
    const std::vector<float> level(1000, 0.1f);
    const auto voice = mixer.AddVoice({level.data(), uint32_t(level.size()), 1}, 48000);
    mixer.Play(voice, true);
    EXPECT_TRUE(Eventually([&] { return mixer.PositionFrames(voice) > 0; }))
        << "the output never asked for samples";
    EXPECT_EQ(server->SinkInputs().find("Soundscape"), std::string::npos)
        << "SDL's dummy driver plays nowhere";
    mixer.RemoveVoice(voice);
  }
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace lullwood
