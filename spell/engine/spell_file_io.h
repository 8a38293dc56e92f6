#pragma once
// Small POSIX file helpers for the dictionary files: positioned reads and
// writes that retry short transfers and interrupted calls, the banner scan,
// and syncing a file's folder so that a create, rename or unlink is on disk.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quill::spell {

// Reads up to n bytes at offset; returns the number read (short at the end
// of the file or on an error).
size_t ReadAt(int fd, int64_t offset, void* buf, size_t n) noexcept;
// Writes all n bytes at offset; false on any error.
bool WriteAt(int fd, int64_t offset, const void* buf, size_t n) noexcept;
// Offset just after the first 0x1A byte, or -1 when the file has none.
int64_t SkipBanner(int fd) noexcept;
// Size of an open file, -1 on error.
int64_t FileSizeOf(int fd) noexcept;
// fsync of the folder that holds path.
bool SyncFolderOf(const std::string& path) noexcept;

}  // namespace quill::spell
