#pragma once
// Allocation wrappers for the buffers the workstation allocates itself. Every call passes
// the caller's source file and line, so that the debug modes can log and check them:
//   mode 0  plain malloc/free;
//   mode 1  every call is logged with address, running number, size and caller;
//   mode 2  like 1, and every block is guarded (a size and the word 0xdeadbeef in front, the
//           guard word and the block's number behind), kept in a list and checked on release.
// Start-up sets the mode from the verbose flag: 0x40 gives 2, else 0x20 gives 1, else 0.

#include <cstddef>

namespace kovw::foundation {

inline constexpr unsigned kAllocGuardWord = 0xdeadbeef;

void set_allocator_mode(int mode);
int allocator_mode();
// The mode the verbose flag asks for.
int allocator_mode_for_verbose(int verbose);

void* hv_malloc(std::size_t size, const char* file, int line);
void* hv_calloc(std::size_t count, std::size_t size, const char* file, int line);
// A size of 0 releases the block and returns nullptr.
void* hv_realloc(void* block, std::size_t size, const char* file, int line);
void hv_free(void* block, const char* file, int line);

// Large blocks (buffers of hundreds of kilobytes and more). Outside mode 2 they are mapped from
// the system directly, so that their memory goes back to it on release: the C library would
// keep freed large blocks in its arenas, and a burst of them would leave the process at its
// peak. Mode 1 logs them as hv_malloc does; mode 2 guards them like every other block. Release
// with hv_free_large and the size that was asked for.
void* hv_malloc_large(std::size_t size, const char* file, int line);
void hv_free_large(void* block, std::size_t size, const char* file, int line);

// Checks the guards of every guarded block; returns the number of damaged blocks (each one
// is logged).
int hvmalloc_check_all();

struct AllocatorUse {
  std::size_t current = 0;  // bytes in guarded blocks now
  std::size_t maximum = 0;  // most bytes in guarded blocks at any time
  std::size_t blocks = 0;   // guarded blocks now
};
AllocatorUse allocator_use();

}  // namespace kovw::foundation

#define HV_MALLOC(size) ::kovw::foundation::hv_malloc((size), __FILE__, __LINE__)
#define HV_CALLOC(count, size) ::kovw::foundation::hv_calloc((count), (size), __FILE__, __LINE__)
#define HV_REALLOC(block, size) ::kovw::foundation::hv_realloc((block), (size), __FILE__, __LINE__)
#define HV_FREE(block) ::kovw::foundation::hv_free((block), __FILE__, __LINE__)
#define HV_MALLOC_LARGE(size) ::kovw::foundation::hv_malloc_large((size), __FILE__, __LINE__)
#define HV_FREE_LARGE(block, size) \
  ::kovw::foundation::hv_free_large((block), (size), __FILE__, __LINE__)
