// The rules behind the desktop's media controls (MPRIS) and the one-instance hand-over,
// without Qt: names on the session bus, what each property shows, and how a URI or a
// command line becomes a Scenario path. UI thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lullwood::media {

inline constexpr std::string_view kBusName = "org.mpris.MediaPlayer2.lullwood";
inline constexpr std::string_view kObjectPath = "/org/mpris/MediaPlayer2";
inline constexpr std::string_view kRootInterface = "org.mpris.MediaPlayer2";
inline constexpr std::string_view kPlayerInterface = "org.mpris.MediaPlayer2.Player";
// The program's own interface, for a second instance handing over its command line.
inline constexpr std::string_view kInstancePath = "/org/quillor/Lullwood";
inline constexpr std::string_view kInstanceInterface = "org.quillor.Lullwood";

inline constexpr std::string_view kIdentity = "Lullwood";
inline constexpr std::string_view kDesktopEntry = "lullwood";
inline constexpr std::string_view kScenarioMimeType = "application/x-lullwood-scenario";
// The one "track": the soundscape that plays.
inline constexpr std::string_view kTrackId = "/org/quillor/Lullwood/Scenario";
// The error a hand-over or OpenUri answers for a path that names no readable file.
inline constexpr std::string_view kFileNotFoundError = "org.freedesktop.DBus.Error.FileNotFound";
// How long a call on the bus may take before the program goes on without it.
inline constexpr int kCallTimeoutMs = 1000;

// "Playing" while not muted, "Paused" while muted.
std::string_view PlaybackStatusOf(bool muted);

// The title the media controls show for the Scenario the window's title names: its file
// name, without its folder; "Lullwood" when there is none or it has no file name.
std::string ScenarioTitleOf(const std::optional<std::string>& scenarioPath);

// A requested volume limited to 0..1; NaN keeps `current`.
double ClampVolume(double requested, double current);

// The local path of a "file:" URI (no host or "localhost", percent escapes decoded).
// Nothing, with the reason in `why`, for any other URI, a malformed one or a path
// that is not valid UTF-8 text.
std::optional<std::string> LocalPathOfFileUri(std::string_view uri, std::string& why);

// The command line as the running instance must see it: a relative name joined to
// `currentFolder`, an absolute one and an empty one unchanged.
std::string AbsoluteHandOverPath(std::string_view commandLine, std::string_view currentFolder);

// Why `path` cannot be opened as a Scenario, or nothing when it names a readable file.
std::optional<std::string> ScenarioFileProblem(const std::string& path);

// The installed program icon below the first of `dataFolders` that has one
// (icons/hicolor/256x256/apps/lullwood.png, then the scalable SVG); nothing otherwise.
std::optional<std::string> FindInstalledIcon(const std::vector<std::string>& dataFolders);

}  // namespace lullwood::media
