#include "ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace lullwood::render {
namespace {

constexpr size_t kStreamBufferBytes = size_t{1} << 20;

std::string Folder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t DefaultMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::Open(const std::string& path, std::string& error) {
  std::unique_ptr<ReplacingFile> out(new ReplacingFile());
  out->path_ = path;
  out->finalPath_ = path;
  if (path.empty() || path.back() == '/') {
    error = "\"" + path + "\" names no file";
    return nullptr;
  }

  mode_t mode = DefaultMode();
  struct stat target {};
  if (stat(path.c_str(), &target) == 0) {
    if (S_ISDIR(target.st_mode)) {
      error = "\"" + path + "\" is a folder";
      return nullptr;
    }
    if (!S_ISREG(target.st_mode)) {
      out->file_ = std::fopen(path.c_str(), "wb");
      if (!out->file_) {
        error = "cannot write \"" + path + "\": " + std::strerror(errno);
        return nullptr;
      }
      std::setvbuf(out->file_, nullptr, _IOFBF, kStreamBufferBytes);
      return out;
    }
    mode = target.st_mode & 07777;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) out->finalPath_ = resolved;
  }

  const std::string folder = Folder(out->finalPath_);
  std::string pattern = folder + "/." + BaseName(out->finalPath_) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot write \"" + path + "\": " + std::strerror(errno);
    return nullptr;
  }
  out->temporaryPath_ = name.data();
  fchmod(fd, mode);
  out->file_ = fdopen(fd, "wb");
  if (!out->file_) {
    error = "cannot write \"" + path + "\": " + std::strerror(errno);
    close(fd);
    unlink(out->temporaryPath_.c_str());
    out->temporaryPath_.clear();
    return nullptr;
  }
  std::setvbuf(out->file_, nullptr, _IOFBF, kStreamBufferBytes);
  return out;
}

ReplacingFile::~ReplacingFile() {
  if (!committed_) Discard();
}

bool ReplacingFile::Write(const void* data, size_t bytes) {
  if (writeErrno_ != 0 || !file_) return false;
  if (bytes != 0 && std::fwrite(data, 1, bytes, file_) != bytes) {
    writeErrno_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool ReplacingFile::Close(std::string& error) {
  if (closed_) return true;
  if (!file_) {
    error = "cannot write \"" + path_ + "\"";
    return false;
  }
  int failure = writeErrno_;
  if (failure == 0 && std::fflush(file_) != 0) failure = errno != 0 ? errno : EIO;
  const int closeResult = std::fclose(file_);
  file_ = nullptr;
  if (failure == 0 && closeResult != 0) failure = errno != 0 ? errno : EIO;
  if (failure != 0) {
    error = "cannot write \"" + path_ + "\": " + std::strerror(failure);
    Discard();
    return false;
  }
  closed_ = true;
  return true;
}

bool ReplacingFile::Commit(std::string& error) {
  if (committed_) return true;
  if (!Close(error)) return false;
  if (!temporaryPath_.empty() && std::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
    error = "cannot write \"" + path_ + "\": " + std::strerror(errno);
    Discard();
    return false;
  }
  committed_ = true;
  return true;
}

void ReplacingFile::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporaryPath_.empty()) {
    unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
}

}  // namespace lullwood::render
