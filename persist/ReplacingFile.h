// A file that is replaced whole or not at all: the new bytes go to a temporary file beside
// the target, which is flushed to disk and renamed over it only by Commit. The Scenario
// writer and lullwood-render both write through it, so both keep one policy:
// - a symbolic link (or a chain of them) is followed and its final target replaced;
// - an existing file keeps its permission bits (and, where allowed, its owner); a new
//   file gets 0666 less the umask; a read-only file is refused, for the superuser too;
// - the temporary is ".NAME.PID.N.tmp" in the target's folder, created exclusively;
// - the temporary is fsync'ed before the rename and the folder after it.
// Single-threaded.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lullwood {

// What Open does with an existing target that is not a regular file (a device such as
// /dev/null, a pipe): refuse it, or write it directly since it cannot be replaced.
enum class NonRegularTarget { kRefuse, kWriteDirectly };

class ReplacingFile {
 public:
  // Creates the temporary file beside `path` (relative paths are taken from the current
  // folder). Returns nullptr and sets `error` ("cannot write "PATH": reason", ""PATH" is a
  // folder", ...) when the folder is missing or not writable, the path names a folder or
  // no file, the target is read-only or, with kRefuse, not a regular file.
  static std::unique_ptr<ReplacingFile> Open(
      const std::string& path, std::string& error,
      NonRegularTarget nonRegular = NonRegularTarget::kRefuse);

  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacingFile();

  // Buffered; returns false once any write has failed.
  bool Write(const void* data, size_t bytes);
  // Writes out what is buffered, flushes it to disk and closes the file, so that Commit
  // has only the rename left to do. On failure the temporary file is removed and `error`
  // says why.
  bool Close(std::string& error);
  // Closes the file if still open and renames the temporary file over the target. On
  // failure the temporary file is removed, the target is left as it was and `error` says
  // why.
  bool Commit(std::string& error);

  const std::string& Path() const { return path_; }
  // Empty when the target is written directly.
  const std::string& TemporaryPath() const { return temporaryPath_; }

 private:
  ReplacingFile() = default;
  bool Flush();
  std::string Reason(int errorNumber) const;
  void Discard();

  std::string path_;           // as given, for messages
  std::string finalPath_;      // where the rename puts it
  std::string temporaryPath_;  // empty: writing finalPath_ directly
  std::vector<char> buffer_;
  int fd_ = -1;
  int writeErrno_ = 0;
  bool closed_ = false;
  bool committed_ = false;
};

// Replaces the file at `path` with `bytes` in one step (Open, Write, Commit).
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace lullwood
