// An output file that appears whole or not at all: it is written under a temporary name
// beside its target and renamed over it by Commit. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace lullwood::render {

class ReplacingFile {
 public:
  // Creates the temporary file beside `path`. A symbolic link is followed and its target
  // replaced. A path that names an existing file that is not a regular file (a device
  // such as /dev/null, a pipe) is written directly, since it cannot be replaced.
  // Returns nullptr and sets `error` when the folder is missing or not writable, or the
  // path names a folder.
  static std::unique_ptr<ReplacingFile> Open(const std::string& path, std::string& error);

  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacingFile();

  // Buffered; returns false once any write has failed.
  bool Write(const void* data, size_t bytes);
  // Flushes and closes the file, so that Commit has only the rename left to do. On
  // failure the temporary file is removed and `error` says why.
  bool Close(std::string& error);
  // Closes the file if still open and renames the temporary file over the target. On
  // failure the temporary file is removed, the target is left as it was and `error`
  // says why.
  bool Commit(std::string& error);

  const std::string& Path() const { return path_; }
  // Empty when the target is written directly.
  const std::string& TemporaryPath() const { return temporaryPath_; }

 private:
  ReplacingFile() = default;
  void Discard();

  std::string path_;           // as given, for messages
  std::string finalPath_;      // where the rename puts it
  std::string temporaryPath_;  // empty: writing finalPath_ directly
  std::FILE* file_ = nullptr;
  int writeErrno_ = 0;
  bool closed_ = false;
  bool committed_ = false;
};

}  // namespace lullwood::render
