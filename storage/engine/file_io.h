// Thin POSIX file layer: positioned reads and writes that report failures
// with the file's name, fsync, atomic replacement and whole-file locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quill::xb {

// Base name of a path, used to name files in error texts.
std::string BaseName(const std::string& path);
std::string FolderOf(const std::string& path);   // "." when none
bool FileExists(const std::string& path);
// Looks for folder/name with any letter case; returns the path found or "".
std::string FindFileAnyCase(const std::string& folder, const std::string& name);
// fsync of a folder, so that renames and new names inside it are durable.
void SyncFolder(const std::string& folder);
// Renames from over to and makes the rename durable.
void ReplaceFile(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);   // ignores a missing file
// Writes BYTES as a new file at PATH and makes them durable; a failure
// removes the partial file before it is raised.
void WriteNewFile(const std::string& path, const std::string& bytes);
// Writes BYTES beside PATH and swaps them in atomically, so PATH holds
// either its old content or all of BYTES.
void ReplaceWithNewFile(const std::string& path, const std::string& bytes);

void SetWriteFault(std::function<int(const std::string&, std::size_t)> hook);

class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  enum class Mode { Read, ReadWrite, CreateNew /* truncates */ };
  void Open(const std::string& path, Mode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  bool Writable() const { return writable_; }
  const std::string& Path() const { return path_; }
  std::string Name() const { return BaseName(path_); }

  std::uint64_t Size() const;
  // Reads up to n bytes at off; returns the count read (short at end of file).
  std::size_t ReadAt(std::uint64_t off, void* buf, std::size_t n) const;
  // Reads exactly n bytes or throws a damage error naming what.
  void ReadExact(std::uint64_t off, void* buf, std::size_t n, const char* what) const;
  void WriteAt(std::uint64_t off, const void* buf, std::size_t n);
  void Truncate(std::uint64_t size);
  // fsync when anything was written since the last one.
  void Sync();
  // Starts writing the changed pages out without waiting, so that a later
  // Sync of this file overlaps with the Sync of another.
  void StartWriteback();
  bool Dirty() const { return dirty_; }
  // Non-blocking whole-file lock (flock); false when somebody else holds it.
  bool TryLock(bool exclusive);

 private:
  int fd_ = -1;
  bool writable_ = false;
  bool dirty_ = false;
  std::string path_;
};

}  // namespace quill::xb
