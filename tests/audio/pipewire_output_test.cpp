// The output straight through libpipewire, against a PipeWire server of the test's own:
// the stream joins the graph as a playback node that says who it is, is asked once per
// largest quantum, rests and wakes, notices a server that goes, and opens again on a new
// one. And which backend the program chooses.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "Eventually.h"
#include "LiveOutput.h"
#include "PipeWireBackend.h"
#include "PrivatePipeWire.h"
#include "TempFolder.h"

namespace lullwood {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct CountingSink final : AudioSink {
  void Fill(float* out, size_t frames) override {
    for (size_t i = 0; i < 2 * frames; ++i) out[i] = 0.1f;
    ++calls;
    this->frames += static_cast<long>(frames);
  }
  bool Rest() override {
    if (!restNow.exchange(false)) return false;
    rested = true;
    return true;
  }
  void Stopped() override { stopped = true; }
  std::atomic<long> calls{0};
  std::atomic<long> frames{0};
  std::atomic<bool> restNow{false};
  std::atomic<bool> rested{false};
  std::atomic<bool> stopped{false};
};

using testing::Eventually;

class PipeWireOutputTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    if (!testing::PrivatePipeWire::Installed()) GTEST_SKIP() << "PipeWire is not installed";
    server = std::make_unique<testing::PrivatePipeWire>(dir_.string());
    ASSERT_TRUE(server->Start()) << server->Log();
  }

  std::unique_ptr<testing::PrivatePipeWire> server;
};

TEST_F(PipeWireOutputTest, TheStreamIsAPlaybackNodeAskedOncePerLargestQuantum) {
  ASSERT_TRUE(PipeWireServerAnswers(2000ms));
  auto backend = MakePipeWireBackend();
  CountingSink sink;
  int rate = 0;
  const auto id = backend->Open(48000, true, &sink, &rate);
  ASSERT_NE(id, 0u) << server->Log();
  EXPECT_EQ(rate, 48000);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(sink.calls, 0) << "nothing is asked for before Start";
  backend->Start(id);
  ASSERT_TRUE(Eventually([&] { return sink.calls >= 3; })) << server->Log();
  // Over a second, the graph runs at the quantum asked for: frames at the sink's rate,
  // 23 or so calls, not the 47 or 94 of smaller quanta.
  const long calls = sink.calls, frames = sink.frames;
  const auto from = Clock::now();
  std::this_thread::sleep_for(1000ms);
  const double seconds = std::chrono::duration<double>(Clock::now() - from).count();
  EXPECT_NEAR((sink.frames - frames) / seconds, 48000, 48000 / 5);
  EXPECT_NEAR((sink.calls - calls) / seconds, 48000.0 / kPipeWireQuantumFrames, 4);
  EXPECT_FALSE(backend->IsStopped(id));

  const std::string dump = server->Dump();
  for (const char* property :
       {"\"application.name\": \"Lullwood\"", "\"media.name\": \"Soundscape\"",
        "\"application.icon-name\": \"lullwood\"", "\"media.role\": \"Music\"",
        "\"media.class\": \"Stream/Output/Audio\""}) {
    EXPECT_NE(dump.find(property), std::string::npos) << property;
  }

  backend->Close(id);
  const long closed = sink.calls;
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(sink.calls, closed) << "no call after Close";
  EXPECT_EQ(server->Dump().find("\"application.name\": \"Lullwood\""), std::string::npos);
}

// A resting stream is paused and asked for nothing while it keeps its node; woken from
// any thread, it is asked again within a cycle or two. Waking an awake or closed output
// changes nothing.
TEST_F(PipeWireOutputTest, ARestingStreamIsPausedAndWokenAtOnce) {
  auto backend = MakePipeWireBackend();
  ASSERT_TRUE(backend->Rests());
  CountingSink sink;
  const auto id = backend->Open(48000, true, &sink, nullptr);
  ASSERT_NE(id, 0u) << server->Log();
  backend->Start(id);
  backend->Wake(id);
  ASSERT_TRUE(Eventually([&] { return sink.calls >= 2; }));
  sink.restNow = true;
  ASSERT_TRUE(Eventually([&] { return sink.rested.load(); }));
  std::this_thread::sleep_for(100ms);  // the pause reaches the graph
  const long atRest = sink.calls;
  std::this_thread::sleep_for(1000ms);
  EXPECT_EQ(sink.calls, atRest) << "a resting stream is asked for nothing";
  EXPECT_FALSE(backend->IsStopped(id));
  EXPECT_NE(server->Dump().find("\"application.name\": \"Lullwood\""), std::string::npos);

  const auto woken = Clock::now();
  std::thread([&] { backend->Wake(id); }).join();
  ASSERT_TRUE(Eventually([&] { return sink.calls > atRest; }));
  // Loose enough for a loaded machine, which holds any thread back by tens of
  // milliseconds, and still short of the stream's buffer a wake left to a timer would wait.
  EXPECT_LT(Clock::now() - woken, 250ms) << "asked again within a few cycles";
  const long afterWake = sink.calls;
  EXPECT_TRUE(Eventually([&] { return sink.calls >= afterWake + 5; })) << "and again";
  backend->Wake(id + 1);
  backend->Close(id);
  backend->Wake(id);
}

// A server that goes is reported at once and the stream counts as stopped; once a server
// is back, the backend, started afresh, opens on it.
TEST_F(PipeWireOutputTest, ALostServerIsReportedAndTheOutputOpensAgainOnANewOne) {
  auto backend = MakePipeWireBackend(1000ms);
  CountingSink sink;
  const auto id = backend->Open(48000, true, &sink, nullptr);
  ASSERT_NE(id, 0u) << server->Log();
  backend->Start(id);
  ASSERT_TRUE(Eventually([&] { return sink.calls >= 2; }));
  server->Stop();
  EXPECT_TRUE(Eventually([&] { return sink.stopped.load(); })) << "the stream says so";
  EXPECT_TRUE(backend->IsStopped(id));
  backend->Close(id);
  backend->Restart();
  EXPECT_EQ(backend->Open(48000, true, &sink, nullptr), 0u) << "no server, no output";
  EXPECT_FALSE(PipeWireServerAnswers(300ms));

  ASSERT_TRUE(server->Start()) << server->Log();
  backend->Restart();
  CountingSink again;
  const auto reopened = backend->Open(48000, true, &again, nullptr);
  ASSERT_NE(reopened, 0u) << server->Log();
  backend->Start(reopened);
  EXPECT_TRUE(Eventually([&] { return again.calls >= 2; }));
  backend->Close(reopened);
}

// Whether this process may put a thread under realtime scheduling (a user's limits, or
// the right to raise priorities): tried on a thread of its own, which then ends.
bool RealtimeAllowed() {
  bool allowed = false;
  std::thread([&] {
    sched_param param{};
    param.sched_priority = 1;
    allowed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
  }).join();
  return allowed;
}

// The graph calls the sink on a thread that asked for realtime scheduling, as a sound
// server's own do: at normal priority a busy desktop holds it past the cycle's end, and
// the listener hears the cycle as a gap. Where realtime is refused it plays on as it is.
TEST_F(PipeWireOutputTest, TheGraphThreadRunsRealtimeWhereThatIsAllowed) {
  struct PolicySink final : AudioSink {
    void Fill(float* out, size_t frames) override {
      for (size_t i = 0; i < 2 * frames; ++i) out[i] = 0.0f;
      policy = sched_getscheduler(0);
      ++calls;
    }
    bool Rest() override { return false; }
    void Stopped() override {}
    std::atomic<int> policy{-1};
    std::atomic<long> calls{0};
  } sink;
  auto backend = MakePipeWireBackend();
  const auto id = backend->Open(48000, true, &sink, nullptr);
  ASSERT_NE(id, 0u) << server->Log();
  backend->Start(id);
  ASSERT_TRUE(Eventually([&] { return sink.calls >= 3; })) << server->Log();
  // The library asks for the policy with "reset on fork", so that a child would not
  // inherit it: the policy is what is left without that flag.
  const int policy = sink.policy & ~SCHED_RESET_ON_FORK;
  backend->Close(id);
  if (!RealtimeAllowed()) GTEST_SKIP() << "this process may not use realtime scheduling";
  EXPECT_TRUE(policy == SCHED_FIFO || policy == SCHED_RR) << "policy " << policy;
}

// The user's choice first, then an SDL driver named for SDL, then whichever answers.
TEST(LiveBackendChoice, TheUsersChoiceThenAnSdlDriverThenWhicheverAnswers) {
  EXPECT_EQ(ChooseLiveBackend(nullptr, nullptr), LiveBackendKind::kFirstThatAnswers);
  EXPECT_EQ(ChooseLiveBackend("", ""), LiveBackendKind::kFirstThatAnswers);
  EXPECT_EQ(ChooseLiveBackend("pulseaudio", nullptr), LiveBackendKind::kFirstThatAnswers);
  EXPECT_EQ(ChooseLiveBackend("pulse", nullptr), LiveBackendKind::kFirstThatAnswers);
  EXPECT_EQ(ChooseLiveBackend("alsa", nullptr), LiveBackendKind::kSdl);
  EXPECT_EQ(ChooseLiveBackend("alsa", "pipewire"), LiveBackendKind::kPipeWire);
  EXPECT_EQ(ChooseLiveBackend(nullptr, "pulse"), LiveBackendKind::kPulse);
  EXPECT_EQ(ChooseLiveBackend(nullptr, "sdl"), LiveBackendKind::kSdl);
  EXPECT_EQ(ChooseLiveBackend(nullptr, "jack"), LiveBackendKind::kFirstThatAnswers);
}

}  // namespace
}  // namespace lullwood
