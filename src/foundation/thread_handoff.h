#pragma once
// Marks a hand-over of an object from one thread to another through a queue that the thread
// sanitizer cannot see into (the event queue of the system's uninstrumented Qt). The sender
// calls handoff_release(object) before queueing it, the receiver handoff_acquire(object) when it
// takes it out: the sanitizer then knows that everything the sender wrote before is visible to
// the receiver. Without the sanitizer both are empty.

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KOVW_TSAN 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define KOVW_TSAN 1
#endif

#if defined(KOVW_TSAN)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace kovw::foundation {

inline constexpr bool kThreadSanitizer =
#if defined(KOVW_TSAN)
    true;
#else
    false;
#endif

inline void handoff_release([[maybe_unused]] const void* object) {
#if defined(KOVW_TSAN)
  __tsan_release(const_cast<void*>(object));
#endif
}

inline void handoff_acquire([[maybe_unused]] const void* object) {
#if defined(KOVW_TSAN)
  __tsan_acquire(const_cast<void*>(object));
#endif
}

}  // namespace kovw::foundation
