#pragma once
// The verbose flag (the workstation's test mode): callers test its bits before they log.

#include <atomic>

namespace kovw::foundation {

inline constexpr int kVerboseGeneral = 0x1;
inline constexpr int kVerboseTransmission = 0x2;
inline constexpr int kVerboseGraphicsStream = 0x4;
inline constexpr int kVerboseDialogDetails = 0x8;
inline constexpr int kVerboseDialogMessages = 0x10;
inline constexpr int kVerboseAllocLog = 0x20;
inline constexpr int kVerboseAllocGuard = 0x40;
inline constexpr int kVerboseGraphics = 0x100;
inline constexpr int kVerbosePrinting = 0x200;

inline std::atomic<int> g_verbose{0};

inline int verbose() { return g_verbose.load(std::memory_order_relaxed); }
inline bool verbose(int bits) { return (verbose() & bits) != 0; }
inline void set_verbose(int value) { g_verbose.store(value, std::memory_order_relaxed); }

}  // namespace kovw::foundation
