// A file system of one file, "held", that stops answering while a flag file
// exists: every request for a file's attributes waits for the flag to go, as
// a stale network mount keeps its callers waiting. Attributes are never
// cached, so that every such request reaches it.
// Usage: stalling_fs FLAG MOUNTPOINT (stays in the foreground).
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* g_flag = nullptr;
const char* const kHeld = "/held";
constexpr long kFlagPollNs = 10 * 1000 * 1000;

void WaitWhileFlagged()
{
    const timespec pause{0, kFlagPollNs};
    while (::access(g_flag, F_OK) == 0)
        ::nanosleep(&pause, nullptr);
}

void* Init(fuse_conn_info*, fuse_config* config)
{
    config->attr_timeout = 0;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    return nullptr;
}

int GetAttr(const char* path, struct stat* status, fuse_file_info*)
{
    WaitWhileFlagged();
    std::memset(status, 0, sizeof *status);
    if (std::strcmp(path, "/") == 0) {
        status->st_mode = S_IFDIR | 0755;
        status->st_nlink = 2;
        return 0;
    }
    if (std::strcmp(path, kHeld) == 0) {
        status->st_mode = S_IFREG | 0444;
        status->st_nlink = 1;
        return 0;
    }
    return -ENOENT;
}

int Open(const char* path, fuse_file_info*)
{
    return std::strcmp(path, kHeld) == 0 ? 0 : -ENOENT;
}

int Read(const char*, char*, size_t, off_t, fuse_file_info*)
{
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags)
{
    if (std::strcmp(path, "/") != 0)
        return -ENOENT;
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, kHeld + 1, nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    g_flag = argv[1];
    fuse_operations operations{};
    operations.init = Init;
    operations.getattr = GetAttr;
    operations.open = Open;
    operations.read = Read;
    operations.readdir = ReadDir;
    char foreground[] = "-f";
    char* arguments[] = {argv[0], foreground, argv[2], nullptr};
    return fuse_main(3, arguments, &operations, nullptr);
}
