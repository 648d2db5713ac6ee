// Linked into a test build of tocwerk-cli: a SQLite VFS over the default one that
// counts the writes to every database file and, when told, dies at one of them as
// a crash would, so that a test can stop a command at each exact point.
//   TOCWERK_TEST_KILL_AT_WRITE=N   SIGKILL instead of the N-th write
//   TOCWERK_TEST_COUNT_WRITES=FILE writes the number of writes to FILE at exit
#include <sqlite3.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

sqlite3_vfs* Real = nullptr;
sqlite3_vfs Killing;
std::atomic<long> Writes{0};
long KillAt = 0;
const char* CountFile = nullptr;

// The real file follows this header in the memory SQLite gives the VFS.
struct KillingFile {
  const sqlite3_io_methods* Methods;
  sqlite3_file* RealFile() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

sqlite3_file* R(sqlite3_file* file) {
  return reinterpret_cast<KillingFile*>(file)->RealFile();
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  if (++Writes == KillAt)
    std::raise(SIGKILL);
  return R(file)->pMethods->xWrite(R(file), data, amount, offset);
}

const sqlite3_io_methods Methods = {
    3,
    [](sqlite3_file* f) { return R(f)->pMethods->xClose(R(f)); },
    [](sqlite3_file* f, void* d, int n, sqlite3_int64 o) { return R(f)->pMethods->xRead(R(f), d, n, o); },
    Write,
    [](sqlite3_file* f, sqlite3_int64 size) { return R(f)->pMethods->xTruncate(R(f), size); },
    [](sqlite3_file* f, int flags) { return R(f)->pMethods->xSync(R(f), flags); },
    [](sqlite3_file* f, sqlite3_int64* size) { return R(f)->pMethods->xFileSize(R(f), size); },
    [](sqlite3_file* f, int lock) { return R(f)->pMethods->xLock(R(f), lock); },
    [](sqlite3_file* f, int lock) { return R(f)->pMethods->xUnlock(R(f), lock); },
    [](sqlite3_file* f, int* out) { return R(f)->pMethods->xCheckReservedLock(R(f), out); },
    [](sqlite3_file* f, int op, void* arg) { return R(f)->pMethods->xFileControl(R(f), op, arg); },
    [](sqlite3_file* f) { return R(f)->pMethods->xSectorSize(R(f)); },
    [](sqlite3_file* f) { return R(f)->pMethods->xDeviceCharacteristics(R(f)); },
    [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
      return R(f)->pMethods->xShmMap(R(f), page, size, extend, out);
    },
    [](sqlite3_file* f, int offset, int n, int flags) { return R(f)->pMethods->xShmLock(R(f), offset, n, flags); },
    [](sqlite3_file* f) { R(f)->pMethods->xShmBarrier(R(f)); },
    [](sqlite3_file* f, int remove) { return R(f)->pMethods->xShmUnmap(R(f), remove); },
    [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) { return R(f)->pMethods->xFetch(R(f), o, n, out); },
    [](sqlite3_file* f, sqlite3_int64 o, void* p) { return R(f)->pMethods->xUnfetch(R(f), o, p); },
};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  auto* killing = reinterpret_cast<KillingFile*>(file);
  killing->Methods = nullptr;
  const int rc = Real->xOpen(Real, name, killing->RealFile(), flags, outFlags);
  if (killing->RealFile()->pMethods)
    killing->Methods = &Methods;
  return rc;
}

void WriteCount() {
  if (FILE* out = std::fopen(CountFile, "w")) {
    std::fprintf(out, "%ld\n", Writes.load());
    std::fclose(out);
  }
}

[[maybe_unused]] const bool Registered = [] {
  const char* killAt = std::getenv("TOCWERK_TEST_KILL_AT_WRITE");
  CountFile = std::getenv("TOCWERK_TEST_COUNT_WRITES");
  if (!killAt && !CountFile)
    return false;
  KillAt = killAt ? std::atol(killAt) : 0;
  if (CountFile)
    std::atexit(WriteCount);
  Real = sqlite3_vfs_find(nullptr);
  Killing = *Real;
  Killing.zName = "tocwerk-killing";
  Killing.szOsFile = static_cast<int>(sizeof(KillingFile)) + Real->szOsFile;
  Killing.xOpen = Open;
  return sqlite3_vfs_register(&Killing, 1) == SQLITE_OK;
}();

}
