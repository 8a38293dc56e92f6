#include "storage/diary_backups.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "storage/diary_storage.h"
#include "storage/folder_files.h"

namespace quill {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what, int error) {
    throw std::runtime_error(what + ": " + std::strerror(error));
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

void SyncPath(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

// Copies SRC to the new file DST with SRC's permissions: a clone sharing
// the blocks where the file system can, else a kernel-side copy, else plain
// reads and writes. The copy is on disk when this returns.
void CopyOneFile(const std::string& src, const std::string& dst) {
    Fd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) Fail("cannot read " + src, errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) Fail("cannot read " + src, errno);
    Fd out(::open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777));
    if (out.get() < 0) Fail("cannot create " + dst, errno);
    ::fchmod(out.get(), st.st_mode & 07777);
    auto fail = [&](const std::string& what, int error) {
        ::unlink(dst.c_str());
        Fail(what, error);
    };
    if (::ioctl(out.get(), FICLONE, in.get()) != 0) {
        off_t left = st.st_size;
        bool kernelCopy = true;
        while (left > 0 && kernelCopy) {
            const ssize_t n = ::copy_file_range(in.get(), nullptr, out.get(), nullptr, size_t(left), 0);
            if (n > 0) {
                left -= n;
            } else if (n == 0) {
                break;  // the source got shorter while copying: take what is there
            } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
                kernelCopy = false;
            } else if (errno != EINTR) {
                fail("cannot copy " + src + " to " + dst, errno);
            }
        }
        if (!kernelCopy) {
            const off_t done = st.st_size - left;
            if (::lseek(in.get(), done, SEEK_SET) < 0 || ::lseek(out.get(), done, SEEK_SET) < 0)
                fail("cannot copy " + src, errno);
            std::vector<char> buf(1 << 20);
            for (;;) {
                const ssize_t n = ::read(in.get(), buf.data(), buf.size());
                if (n == 0) break;
                if (n < 0) {
                    if (errno == EINTR) continue;
                    fail("cannot read " + src, errno);
                }
                for (ssize_t at = 0; at < n;) {
                    const ssize_t w = ::write(out.get(), buf.data() + at, size_t(n - at));
                    if (w < 0) {
                        if (errno == EINTR) continue;
                        fail("cannot write " + dst, errno);
                    }
                    at += w;
                }
            }
        }
    }
    if (::fsync(out.get()) != 0) fail("cannot write " + dst, errno);
    if (::close(out.release()) != 0) fail("cannot write " + dst, errno);
}

std::string NoSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool IsDayName(const std::string& name, Date& day) {
    return name.size() == 8 && name.find_first_not_of("0123456789") == std::string::npos && KeyToDate(name, day);
}

std::string BackupFolder(const std::string& folder) { return WithTrailingSlash(folder) + kBackupFolderName + "/"; }

// Makes the backups folder with the diary folder's permissions.
void MakeBackupFolder(const std::string& folder) {
    const std::string path = NoSlash(BackupFolder(folder));
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) Fail("cannot read the diary folder " + folder, errno);
    if (::mkdir(path.c_str(), st.st_mode & 07777) != 0 && errno != EEXIST) Fail("cannot create " + path, errno);
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

// The diary's files in FOLDER, and what an interrupted pack or index write
// left beside them: everything a restore has to move out of the way.
std::vector<std::string> DiaryFilesIn(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (!e.is_regular_file(ec)) continue;
        const std::string name = e.path().filename().string();
        const std::string upper = Upper(name);
        for (const char* base : {kDiaryTableName, kDiaryMemoName, kDiaryIndexName, kDiaryKeyName})
            if (upper.rfind(base, 0) == 0) out.push_back(name);
    }
    return out;
}

}  // namespace

std::string TimestampedName(const std::string& prefix) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "-%Y%m%d-%H%M%S", &tm);
    return prefix + buf;
}

void CopyDiaryFiles(const std::string& folder, const std::string& dest) {
    const std::string target = NoSlash(dest);
    const std::string partial = target + ".partial";
    std::error_code ec;
    fs::remove_all(partial, ec);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) Fail("cannot read the diary folder " + folder, errno);
    const std::string parent = fs::path(target).parent_path().string();
    if (::mkdir(parent.c_str(), st.st_mode & 07777) != 0 && errno != EEXIST) Fail("cannot create " + parent, errno);
    if (::mkdir(partial.c_str(), st.st_mode & 07777) != 0) Fail("cannot create " + partial, errno);
    try {
        bool table = false;
        // The key file goes with the table: without it a protected
        // diary's copy could not be read.
        for (const char* name : {kDiaryTableName, kDiaryMemoName, kDiaryIndexName, kDiaryKeyName}) {
            const std::string found = FindFileNoCase(folder, name);
            if (found.empty()) continue;
            table = table || std::string(name) == kDiaryTableName;
            CopyOneFile(found, partial + "/" + fs::path(found).filename().string());
        }
        if (!table) throw std::runtime_error(std::string("no diary table ") + kDiaryTableName + " in " + folder);
        SyncPath(partial);
        if (::rename(partial.c_str(), target.c_str()) != 0) Fail("cannot create " + target, errno);
        SyncPath(fs::path(target).parent_path().string());
    } catch (...) {
        fs::remove_all(partial, ec);
        throw;
    }
}

std::vector<std::string> DailyBackupsToKeep(const std::vector<std::string>& have, Date today) {
    const std::string weekStart = DateToKey(AddDays(today, -6));
    const int thisMonth = today.year * 12 + today.month - 1;
    std::map<int, std::string> firstOfMonth;
    for (const auto& name : have) {
        Date d{};
        if (!IsDayName(name, d)) continue;
        const int month = d.year * 12 + d.month - 1;
        if (thisMonth - month >= 12 || month > thisMonth) continue;
        auto [it, fresh] = firstOfMonth.emplace(month, name);
        if (!fresh && name < it->second) it->second = name;
    }
    std::vector<std::string> keep;
    for (const auto& name : have) {
        Date d{};
        if (!IsDayName(name, d)) continue;
        const bool recent = name >= weekStart && name <= DateToKey(today);
        const auto it = firstOfMonth.find(d.year * 12 + d.month - 1);
        if (recent || (it != firstOfMonth.end() && it->second == name)) keep.push_back(name);
    }
    std::sort(keep.begin(), keep.end());
    return keep;
}

bool MakeDailyBackup(const std::string& folder, Date today) {
    if (!FileExistsNoCase(folder, kDiaryTableName)) return false;  // nothing saved yet
    const std::string backups = BackupFolder(folder);
    const std::string name = DateToKey(today);
    std::error_code ec;
    if (fs::is_directory(backups + name, ec)) return false;
    MakeBackupFolder(folder);
    CopyDiaryFiles(folder, backups + name);
    std::vector<std::string> daily;
    for (const auto& b : ListBackups(folder))
        if (b.daily) daily.push_back(b.name);
    const auto keep = DailyBackupsToKeep(daily, today);
    for (const auto& d : daily)
        if (!std::binary_search(keep.begin(), keep.end(), d)) fs::remove_all(backups + d, ec);
    return true;
}

std::vector<DiaryBackup> ListBackups(const std::string& folder) {
    std::vector<DiaryBackup> out;
    const std::string backups = BackupFolder(folder);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(backups, ec)) {
        if (!e.is_directory(ec)) continue;
        DiaryBackup b;
        b.name = e.path().filename().string();
        if (b.name.size() > 8 && b.name.compare(b.name.size() - 8, 8, ".partial") == 0) continue;
        b.path = backups + b.name + "/";
        b.daily = IsDayName(b.name, b.day);
        for (const auto& f : fs::directory_iterator(e.path(), ec)) {
            if (!f.is_regular_file(ec)) continue;
            b.files.push_back(f.path().filename().string());
            b.bytes += f.file_size(ec);
        }
        std::sort(b.files.begin(), b.files.end());
        out.push_back(std::move(b));
    }
    std::sort(out.begin(), out.end(), [](const DiaryBackup& a, const DiaryBackup& b) {
        return a.daily != b.daily ? a.daily : a.name < b.name;
    });
    return out;
}

std::string RestoreBackup(const std::string& folder, Date day) {
    const std::string dir = WithTrailingSlash(folder);
    const std::string source = BackupFolder(folder) + DateToKey(day) + "/";
    if (FindFileNoCase(source, kDiaryTableName).empty())
        throw std::runtime_error("there is no backup of " + DateToKey(day) + " in " + BackupFolder(folder));
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& f : fs::directory_iterator(source, ec))
        if (f.is_regular_file(ec)) files.push_back(f.path().filename().string());
    // The backup's files are first copied beside the diary's, so that the
    // swap below is renames only.
    std::vector<std::string> staged;
    auto dropStaged = [&] {
        for (const auto& s : staged) ::unlink(s.c_str());
    };
    try {
        for (const auto& f : files) {
            const std::string to = dir + f + ".restore-new";
            ::unlink(to.c_str());
            CopyOneFile(source + f, to);
            staged.push_back(to);
        }
    } catch (...) {
        dropStaged();
        throw;
    }
    MakeBackupFolder(folder);
    const std::string aside = BackupFolder(folder) + TimestampedName("replaced");
    struct stat st {};
    ::stat(folder.c_str(), &st);
    if (::mkdir(aside.c_str(), st.st_mode & 07777) != 0) {
        dropStaged();
        Fail("cannot create " + aside, errno);
    }
    std::vector<std::string> moved;
    auto putBack = [&] {
        for (const auto& m : moved) ::rename((aside + "/" + m).c_str(), (dir + m).c_str());
    };
    for (const auto& f : DiaryFilesIn(dir)) {
        if (f.size() > 12 && f.compare(f.size() - 12, 12, ".restore-new") == 0) continue;
        if (::rename((dir + f).c_str(), (aside + "/" + f).c_str()) != 0) {
            const int error = errno;
            putBack();
            dropStaged();
            Fail("cannot move " + dir + f + " aside", error);
        }
        moved.push_back(f);
    }
    for (const auto& f : files) {
        if (::rename((dir + f + ".restore-new").c_str(), (dir + f).c_str()) != 0) {
            const int error = errno;
            for (const auto& g : files) ::unlink((dir + g).c_str());
            putBack();
            dropStaged();
            Fail("cannot put " + f + " back", error);
        }
    }
    SyncPath(aside);
    SyncPath(NoSlash(dir));
    return aside + "/";
}

namespace {

bool IsBeforePackName(const std::string& name) {
    const std::string prefix = std::string(kBeforePackPrefix) + "-";
    return name.compare(0, prefix.size(), prefix) == 0;
}

bool SameFile(const std::string& path, uint64_t device, uint64_t inode) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && uint64_t(st.st_dev) == device && uint64_t(st.st_ino) == inode;
}

}  // namespace

BeforePackFiles KeepFilesBeforePack(const std::string& folder) {
    const std::string dir = WithTrailingSlash(folder);
    const std::string table = FindFileNoCase(dir, kDiaryTableName);
    if (table.empty()) throw std::runtime_error(std::string("no diary table ") + kDiaryTableName + " in " + dir);
    MakeBackupFolder(dir);
    const std::string backups = BackupFolder(dir);
    std::error_code ec;
    // A pack that was killed before its swap left links that now follow the
    // live files: they hold nothing worth keeping.
    for (const auto& e : fs::directory_iterator(backups, ec)) {
        const std::string name = e.path().filename().string();
        if (IsBeforePackName(name) && name.size() > 8 && name.compare(name.size() - 8, 8, ".partial") == 0)
            fs::remove_all(e.path(), ec);
    }
    BeforePackFiles kept;
    kept.partial = backups + TimestampedName(kBeforePackPrefix) + ".partial";
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) Fail("cannot read the diary folder " + dir, errno);
    if (::mkdir(kept.partial.c_str(), st.st_mode & 07777) != 0) Fail("cannot create " + kept.partial, errno);
    try {
        for (const char* name : {kDiaryTableName, kDiaryMemoName, kDiaryIndexName}) {
            const std::string found = FindFileNoCase(dir, name);
            if (found.empty()) continue;
            const std::string to = kept.partial + "/" + fs::path(found).filename().string();
            if (::link(found.c_str(), to.c_str()) == 0) continue;
            const int error = errno;
            if (error != EPERM && error != EXDEV && error != EMLINK && error != EOPNOTSUPP && error != ENOSYS)
                Fail("cannot keep " + found + " in " + kept.partial, error);
            CopyOneFile(found, to);
        }
        struct stat tableStat {};
        if (::stat(table.c_str(), &tableStat) != 0) Fail("cannot read " + table, errno);
        kept.tableDevice = uint64_t(tableStat.st_dev);
        kept.tableInode = uint64_t(tableStat.st_ino);
        SyncPath(kept.partial);
        SyncPath(NoSlash(backups));
    } catch (...) {
        fs::remove_all(kept.partial, ec);
        throw;
    }
    return kept;
}

std::string SettleFilesBeforePack(const std::string& folder, const BeforePackFiles& kept) {
    if (kept.partial.empty()) return {};
    const std::string dir = WithTrailingSlash(folder);
    const std::string backups = BackupFolder(dir);
    const std::string table = FindFileNoCase(dir, kDiaryTableName);
    std::error_code ec;
    if (!table.empty() && SameFile(table, kept.tableDevice, kept.tableInode)) {
        fs::remove_all(kept.partial, ec);
        return {};
    }
    const std::string final = kept.partial.substr(0, kept.partial.size() - 8);
    if (!table.empty()) {
        // The pack happened: the copies of earlier packs hold nothing that
        // these do not (removed entries are gone either way).
        for (const auto& e : fs::directory_iterator(backups, ec)) {
            const std::string path = NoSlash(e.path().string());
            if (path != kept.partial && IsBeforePackName(e.path().filename().string())) fs::remove_all(e.path(), ec);
        }
    }
    if (::rename(kept.partial.c_str(), final.c_str()) != 0) return kept.partial + "/";
    SyncPath(NoSlash(backups));
    return final + "/";
}

}  // namespace quill
