#include "ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace lullwood {
namespace {

constexpr size_t kBufferBytes = size_t{1} << 20;
constexpr int kMostLinks = 40;
// Long names are cut so that the temporary's name stays within the file system's limit.
constexpr size_t kMostNameBytes = 200;

std::string AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  std::vector<char> folder(4096);
  while (getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return path;
    folder.resize(folder.size() * 2);
  }
  std::string absolute(folder.data());
  if (!absolute.ends_with('/')) absolute += '/';
  return absolute + path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The final target of a chain of symbolic links (which may not exist yet), or path itself.
// Empty when the chain is too long.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    std::vector<char> target(static_cast<size_t>(status.st_size > 0 ? status.st_size : 255) + 1);
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) return {};
    std::string next(target.data(), static_cast<size_t>(length));
    path = next.starts_with('/') ? next : FolderOf(path) + "/" + next;
  }
  return {};
}

// Creates a new, empty file beside target; returns its descriptor and name, or -1.
int CreateTemporaryBeside(const std::string& target, std::string& temporaryName) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  const std::string base = target.substr(target.rfind('/') + 1).substr(0, kMostNameBytes);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryName = folder + "/." + base + "." + std::to_string(getpid()) + "." +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
    // 0666 so that a new file gets the user's usual permissions through the umask.
    const int fd = open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // best effort: the rename itself has already happened
  close(fd);
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::Open(const std::string& path, std::string& error,
                                                   NonRegularTarget nonRegular) {
  std::unique_ptr<ReplacingFile> out(new ReplacingFile());
  out->path_ = path;
  if (path.empty() || path.back() == '/') {
    error = "\"" + path + "\" names no file";
    return nullptr;
  }
  out->finalPath_ = FollowLinks(AbsolutePath(path));
  if (out->finalPath_.empty()) {
    error = out->Reason(ELOOP);
    return nullptr;
  }

  struct stat old {};
  const bool exists = stat(out->finalPath_.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) {
    error = out->Reason(errno);
    return nullptr;
  }
  if (exists && S_ISDIR(old.st_mode)) {
    error = "\"" + path + "\" is a folder";
    return nullptr;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    if (nonRegular == NonRegularTarget::kRefuse) {
      error = "\"" + path + "\" is not a regular file";
      return nullptr;
    }
    out->fd_ = open(out->finalPath_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (out->fd_ < 0) {
      error = out->Reason(errno);
      return nullptr;
    }
    return out;
  }
  if (exists && ((old.st_mode & 0222) == 0 || access(out->finalPath_.c_str(), W_OK) != 0)) {
    error = "\"" + path + "\" is read-only";
    return nullptr;
  }

  out->fd_ = CreateTemporaryBeside(out->finalPath_, out->temporaryPath_);
  if (out->fd_ < 0) {
    error = out->Reason(errno);
    out->temporaryPath_.clear();
    return nullptr;
  }
  if (exists) {
    if (fchmod(out->fd_, old.st_mode & 07777) != 0) {
      error = out->Reason(errno);
      return nullptr;  // the destructor removes the temporary
    }
    if (old.st_uid != geteuid() || old.st_gid != getegid()) {
      [[maybe_unused]] const int ignored = fchown(out->fd_, old.st_uid, old.st_gid);
    }
  }
  return out;
}

ReplacingFile::~ReplacingFile() {
  if (!committed_) Discard();
}

std::string ReplacingFile::Reason(int errorNumber) const {
  return "cannot write \"" + path_ + "\": " + std::strerror(errorNumber);
}

bool ReplacingFile::Flush() {
  std::string_view rest(buffer_.data(), buffer_.size());
  while (!rest.empty() && writeErrno_ == 0) {
    const ssize_t written = ::write(fd_, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      writeErrno_ = written == 0 ? ENOSPC : errno;
      break;
    }
    rest.remove_prefix(static_cast<size_t>(written));
  }
  buffer_.clear();
  return writeErrno_ == 0;
}

bool ReplacingFile::Write(const void* data, size_t bytes) {
  if (writeErrno_ != 0 || fd_ < 0 || closed_) return false;
  if (buffer_.capacity() < kBufferBytes) buffer_.reserve(kBufferBytes);
  const char* at = static_cast<const char*>(data);
  while (bytes > 0) {
    const size_t room = kBufferBytes - buffer_.size();
    const size_t part = bytes < room ? bytes : room;
    buffer_.insert(buffer_.end(), at, at + part);
    at += part;
    bytes -= part;
    if (buffer_.size() == kBufferBytes && !Flush()) return false;
  }
  return true;
}

bool ReplacingFile::Close(std::string& error) {
  if (closed_) return true;
  if (fd_ < 0) {
    error = Reason(EBADF);
    return false;
  }
  Flush();
  int failure = writeErrno_;
  // A device written directly has nothing to make durable (and /dev/null refuses fsync).
  if (failure == 0 && !temporaryPath_.empty() && fsync(fd_) != 0) failure = errno;
  if (close(fd_) != 0 && failure == 0) failure = errno;
  fd_ = -1;
  if (failure != 0) {
    error = Reason(failure);
    Discard();
    return false;
  }
  closed_ = true;
  return true;
}

bool ReplacingFile::Commit(std::string& error) {
  if (committed_) return true;
  if (!Close(error)) return false;
  if (!temporaryPath_.empty()) {
    if (std::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
      error = Reason(errno);
      Discard();
      return false;
    }
    SyncFolder(FolderOf(finalPath_));
  }
  committed_ = true;
  return true;
}

void ReplacingFile::Discard() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  if (!temporaryPath_.empty()) {
    unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error) {
  std::unique_ptr<ReplacingFile> file = ReplacingFile::Open(path, error);
  if (!file) return false;
  if (!file->Write(bytes.data(), bytes.size())) {
    file->Close(error);
    return false;
  }
  return file->Commit(error);
}

}  // namespace lullwood
