// What the sound server is told about the program's stream, and the buffer it is asked
// for, before the output opens.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "LiveOutput.h"
#include "SoundServerClient.h"

namespace lullwood {
namespace {

// SDL's PulseAudio output asks for no more buffer than one callback holds: the output
// asks libpulse for more, unless the user did.
TEST(SoundServerClient, PulseAudioIsAskedForALargeBufferUnlessTheUserChoseOne) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  unsetenv("PULSE_LATENCY_MSEC");
  {
    LiveOutputFactory outputs;
    ASSERT_NE(std::getenv("PULSE_LATENCY_MSEC"), nullptr);
    EXPECT_STREQ(std::getenv("PULSE_LATENCY_MSEC"), "250");
  }
  setenv("PULSE_LATENCY_MSEC", "40", 1);
  LiveOutputFactory outputs;
  EXPECT_STREQ(std::getenv("PULSE_LATENCY_MSEC"), "40");
}

TEST(SoundServerClient, APropertyIsAddedOnlyWhenTheUserHasNotSetIt) {
  EXPECT_EQ(WithPulseProperty("", "application.icon_name", "lullwood"),
            "application.icon_name=lullwood");
  EXPECT_EQ(WithPulseProperty("media.role=video", "application.icon_name", "lullwood"),
            "media.role=video application.icon_name=lullwood");
  EXPECT_EQ(WithPulseProperty("a=b ", "application.icon_name", "lullwood"),
            "a=b application.icon_name=lullwood");
  // The user's own icon stays, also quoted or spaced out.
  for (const char* own : {"application.icon_name=mine", "x=1 application.icon_name = mine",
                          "\"application.icon_name\"=\"my icon\""})
    EXPECT_EQ(WithPulseProperty(own, "application.icon_name", "lullwood"), own);
  // A longer key that begins with the same words is another key.
  EXPECT_EQ(WithPulseProperty("application.icon_name_x=1", "application.icon_name", "lullwood"),
            "application.icon_name_x=1 application.icon_name=lullwood");
  EXPECT_EQ(WithPulseProperty("my.application.icon_name=1", "application.icon_name", "lullwood"),
            "my.application.icon_name=1 application.icon_name=lullwood");

  const char* key = "application.icon-name";
  EXPECT_EQ(WithPipeWireProperty("", key, "lullwood"), "application.icon-name = lullwood");
  EXPECT_EQ(WithPipeWireProperty("node.latency=512/48000", key, "lullwood"),
            "node.latency=512/48000 application.icon-name = lullwood");
  EXPECT_EQ(WithPipeWireProperty("{ node.latency = 512/48000 }", key, "lullwood"),
            "{ node.latency = 512/48000  application.icon-name = lullwood }");
  for (const char* own : {"application.icon-name=mine", "{ \"application.icon-name\": \"mine\" }",
                          "{ a = 1, application.icon-name = mine }"})
    EXPECT_EQ(WithPipeWireProperty(own, key, "lullwood"), own);
}

// The hints and the environment are in place once an output has opened, and a
// property list the user set is kept.
TEST(SoundServerClient, TheOutputNamesItsStreamAndKeepsWhatTheUserSet) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (const char* name : {"SDL_AUDIO_DEVICE_APP_NAME", "SDL_AUDIO_DEVICE_STREAM_NAME",
                           "SDL_AUDIO_DEVICE_STREAM_ROLE", "PIPEWIRE_PROPS"})
    unsetenv(name);
  setenv("PULSE_PROP", "media.role=video", 1);  // the user's role stays
  {
    LiveOutputFactory outputs;
    AudioDevice device;
    ASSERT_TRUE(ClaimDevice(device, outputs));
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME), "Lullwood");
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME), "Soundscape");
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE), "music");
    ASSERT_NE(std::getenv("PULSE_PROP"), nullptr);
    EXPECT_STREQ(std::getenv("PULSE_PROP"), "media.role=video application.icon_name=lullwood");
    ASSERT_NE(std::getenv("PIPEWIRE_PROPS"), nullptr);
    EXPECT_STREQ(std::getenv("PIPEWIRE_PROPS"), "application.icon-name = lullwood");
    ReleaseDevice(device);
  }
  // A second output adds nothing twice.
  {
    LiveOutputFactory again;
    EXPECT_STREQ(std::getenv("PULSE_PROP"), "media.role=video application.icon_name=lullwood");
  }
  // With nothing set, the role goes with the icon, for SDL's PulseAudio output names none.
  unsetenv("PULSE_PROP");
  LiveOutputFactory fresh;
  EXPECT_STREQ(std::getenv("PULSE_PROP"), "application.icon_name=lullwood media.role=music");
}

}  // namespace
}  // namespace lullwood
