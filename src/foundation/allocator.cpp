// Allocation wrappers with the logging (mode 1) and guarding (mode 2) debug modes.
//
// A guarded block is laid out as
//   [8 bytes unused][4-byte size][guard word] user data [guard word][4-byte running number]
// so that the user data keeps the 16-byte alignment of malloc. The list of guarded blocks is
// the authority on each block's size: a damaged size field can never make the check read
// outside the block. Guarded blocks are recognised on release in every mode, so switching
// the mode while blocks are live never hands a guarded block to the plain free.
#include "foundation/allocator.h"

#include <sys/mman.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/log.h"
#include "foundation/verbose.h"

namespace kovw::foundation {

namespace {

constexpr std::size_t kHeader = 16;
constexpr std::size_t kTrailer = 8;
constexpr std::size_t kGuardedMax = UINT32_MAX - kHeader - kTrailer;

struct Block {
  std::size_t size;
  std::uint32_t number;
};

std::atomic<int> g_mode{0};
std::atomic<int> g_number{0};  // running number of the calls

struct GuardedList {
  std::mutex mutex;
  std::unordered_map<void*, Block> blocks;
  std::size_t current = 0;
  std::size_t maximum = 0;
};

GuardedList& guarded() {
  static auto* list = new GuardedList;  // never destroyed: blocks may be freed during exit
  return *list;
}

std::atomic<std::size_t> g_guarded_count{0};

unsigned long address(const void* block) {
  return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(block));
}

// Lines are formatted under the list's lock and written after it is released.
struct Lines {
  std::vector<std::string> lines;
  __attribute__((format(printf, 2, 3))) void add(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    lines.emplace_back(text);
  }
  ~Lines() {
    for (const std::string& line : lines) log_write(line.c_str(), line.size(), kLogPrefix);
  }
};

std::uint32_t load32(const unsigned char* at) {
  std::uint32_t value;
  std::memcpy(&value, at, 4);
  return value;
}

void store32(unsigned char* at, std::uint32_t value) {
  std::memcpy(at, &value, 4);
}

unsigned char* base_of(void* user) {
  return static_cast<unsigned char*>(user) - kHeader;
}

// Allocates a guarded block and enters it in the list. Under the list's lock.
void* guarded_alloc_locked(GuardedList& list, std::size_t size, std::uint32_t number, bool zero,
                           Lines& lines) {
  if (size > kGuardedMax) {
    errno = ENOMEM;
    return nullptr;
  }
  auto* base = static_cast<unsigned char*>(std::malloc(kHeader + size + kTrailer));
  if (!base) return nullptr;
  std::memset(base, 0, 8);
  store32(base + 8, static_cast<std::uint32_t>(size));
  store32(base + 12, kAllocGuardWord);
  unsigned char* user = base + kHeader;
  if (zero) std::memset(user, 0, size);
  store32(user + size, kAllocGuardWord);
  store32(user + size + 4, number);
  if (list.blocks.count(user))
    lines.add("hv_malloc: %lx allocated twice in malloclist", address(user));
  else
    g_guarded_count.fetch_add(1);
  list.blocks[user] = Block{size, number};
  list.current += size;
  if (list.current > list.maximum) list.maximum = list.current;
  return user;
}

// Checks the guards of a listed block; logs and returns false when one is damaged.
bool check_locked(void* user, const Block& block, int number, Lines& lines) {
  const unsigned char* base = base_of(user);
  const unsigned char* bytes = static_cast<unsigned char*>(user);
  const std::uint32_t stored_size = load32(base + 8);
  const bool before = stored_size == block.size && load32(base + 12) == kAllocGuardWord;
  const bool behind = load32(bytes + block.size) == kAllocGuardWord &&
                      load32(bytes + block.size + 4) == block.number;
  if (before && behind) return true;
  lines.add("hvmalloc_check: %lx %4d Size %u inconsistent Before: %s, Behind: %s, No. %u",
            address(user), number, stored_size, before ? "OK" : "damaged",
            behind ? "OK" : "damaged", block.number);
  return false;
}

// Releases a listed block after checking it. Under the list's lock.
void guarded_free_locked(GuardedList& list, std::unordered_map<void*, Block>::iterator it,
                         int number, Lines& lines) {
  check_locked(it->first, it->second, number, lines);
  list.current -= it->second.size;
  void* user = it->first;
  list.blocks.erase(it);
  g_guarded_count.fetch_sub(1);
  std::free(base_of(user));
}

int next_number() {
  return g_number.fetch_add(1) + 1;
}

}  // namespace

void set_allocator_mode(int mode) {
  g_mode.store(mode >= 0 && mode <= 2 ? mode : 0);
}

int allocator_mode() {
  return g_mode.load();
}

int allocator_mode_for_verbose(int verbose) {
  if (verbose & kVerboseAllocGuard) return 2;
  if (verbose & kVerboseAllocLog) return 1;
  return 0;
}

void* hv_malloc(std::size_t size, const char* file, int line) {
  const int mode = g_mode.load();
  if (mode == 0) return std::malloc(size);
  const int number = next_number();
  if (mode == 1) {
    void* block = std::malloc(size);
    log_printf("%lx %4d malloc(%zu) (%s: %d)", address(block), number, size, file, line);
    return block;
  }
  GuardedList& list = guarded();
  Lines lines;
  std::lock_guard<std::mutex> guard(list.mutex);
  void* block = guarded_alloc_locked(list, size, static_cast<std::uint32_t>(number), false, lines);
  lines.add("%lx %4d malloc(%zu) (%s: %d) (cur:%zu max:%zu)", address(block), number, size, file,
            line, list.current, list.maximum);
  return block;
}

void* hv_calloc(std::size_t count, std::size_t size, const char* file, int line) {
  const int mode = g_mode.load();
  if (mode == 0) return std::calloc(count, size);
  const int number = next_number();
  if (mode == 1) {
    void* block = std::calloc(count, size);
    log_printf("%lx %4d calloc(%zu,%zu) (%s: %d)", address(block), number, count, size, file, line);
    return block;
  }
  GuardedList& list = guarded();
  Lines lines;
  std::lock_guard<std::mutex> guard(list.mutex);
  void* block = nullptr;
  if (size == 0 || count <= kGuardedMax / size)
    block =
        guarded_alloc_locked(list, count * size, static_cast<std::uint32_t>(number), true, lines);
  lines.add("%lx %4d calloc(%zu,%zu) (%s: %d) (cur:%zu max:%zu)", address(block), number, count,
            size, file, line, list.current, list.maximum);
  return block;
}

void hv_free(void* block, const char* file, int line) {
  const int mode = g_mode.load();
  if (mode == 0 && g_guarded_count.load() == 0) {
    std::free(block);
    return;
  }
  const int number = mode == 0 ? 0 : next_number();
  GuardedList& list = guarded();
  Lines lines;
  std::lock_guard<std::mutex> guard(list.mutex);
  auto it = block ? list.blocks.find(block) : list.blocks.end();
  if (it != list.blocks.end()) {
    guarded_free_locked(list, it, number, lines);
  } else if (mode == 2 && block) {
    // Not ours (or freed before): handing it to free could crash; it is reported instead.
    lines.add("hv_free: %lx not found in malloclist", address(block));
    return;
  } else {
    std::free(block);
  }
  if (mode == 1)
    lines.add("%lx %4d free (%s: %d)", address(block), number, file, line);
  else if (mode == 2)
    lines.add("%lx %4d free (%s: %d) (cur:%zu max:%zu)", address(block), number, file, line,
              list.current, list.maximum);
}

void* hv_realloc(void* block, std::size_t size, const char* file, int line) {
  const int mode = g_mode.load();
  if (block && size == 0) {
    if (mode != 0) {
      // Logged as a release by realloc; hv_free's own line is not wanted here.
      const int number = next_number();
      GuardedList& list = guarded();
      Lines lines;
      std::lock_guard<std::mutex> guard(list.mutex);
      auto it = list.blocks.find(block);
      if (it != list.blocks.end()) {
        guarded_free_locked(list, it, number, lines);
      } else if (mode == 2) {
        lines.add("hv_free: %lx not found in malloclist", address(block));
        return nullptr;
      } else {
        std::free(block);
      }
      lines.add("%lx %4d realloc free (%s: %d)", address(block), number, file, line);
      return nullptr;
    }
    hv_free(block, file, line);
    return nullptr;
  }
  if (mode == 0 && g_guarded_count.load() == 0) return std::realloc(block, size);

  const int number = mode == 0 ? 0 : next_number();
  GuardedList& list = guarded();
  Lines lines;
  std::lock_guard<std::mutex> guard(list.mutex);
  auto it = block ? list.blocks.find(block) : list.blocks.end();
  void* result = nullptr;
  if (it != list.blocks.end() || (mode == 2 && !block)) {
    // A guarded block stays guarded (and a new one is guarded in mode 2).
    result = guarded_alloc_locked(list, size, static_cast<std::uint32_t>(number), false, lines);
    if (result && it != list.blocks.end()) {
      std::memcpy(result, block, std::min(size, it->second.size));
      guarded_free_locked(list, list.blocks.find(block), number, lines);
    }
  } else if (mode == 2) {
    lines.add("hv_free: %lx not found in malloclist", address(block));
    return nullptr;
  } else {
    result = std::realloc(block, size);
  }
  if (mode == 1)
    lines.add("%lx %4d realloc(%zu) (%s: %d) alt=%lx", address(result), number, size, file, line,
              address(block));
  else if (mode == 2)
    lines.add("%lx %4d realloc(%zu) (%s: %d) alt=%lx (cur:%zu max:%zu)", address(result), number,
              size, file, line, address(block), list.current, list.maximum);
  return result;
}

void* hv_malloc_large(std::size_t size, const char* file, int line) {
  const int mode = g_mode.load();
  if (mode == 2 || size == 0) return hv_malloc(size, file, line);
  void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) block = nullptr;
  if (mode == 1)
    log_printf("%lx %4d malloc(%zu) (%s: %d)", address(block), next_number(), size, file, line);
  return block;
}

void hv_free_large(void* block, std::size_t size, const char* file, int line) {
  if (block == nullptr) return;
  if (size == 0 || g_guarded_count.load() != 0) {
    // A block guarded in mode 2 (or a block of size 0, which came from hv_malloc).
    GuardedList& list = guarded();
    bool listed;
    {
      std::lock_guard<std::mutex> guard(list.mutex);
      listed = list.blocks.count(block) != 0;
    }
    if (listed || size == 0) {
      hv_free(block, file, line);
      return;
    }
  }
  ::munmap(block, size);
  if (g_mode.load() != 0)
    log_printf("%lx %4d free (%s: %d)", address(block), next_number(), file, line);
}

int hvmalloc_check_all() {
  GuardedList& list = guarded();
  Lines lines;
  std::lock_guard<std::mutex> guard(list.mutex);
  int damaged = 0;
  for (auto& [user, block] : list.blocks)
    if (!check_locked(user, block, g_number.load(), lines)) ++damaged;
  return damaged;
}

AllocatorUse allocator_use() {
  GuardedList& list = guarded();
  std::lock_guard<std::mutex> guard(list.mutex);
  return AllocatorUse{list.current, list.maximum, list.blocks.size()};
}

}  // namespace kovw::foundation
