#pragma once
// Running a piece of work on the GUI thread for another thread that needs its result at once
// (a dialog's answer, the clipboard's contents). The calling thread waits; the GUI thread never
// waits for it. Widgets may only be touched on the GUI thread, so every such call goes through
// here.

#include <functional>
#include <optional>
#include <type_traits>

class QObject;

namespace kovw::platform {

// Runs `task` on the GUI thread and returns when it has run: at once when the caller is the GUI
// thread, otherwise queued to the GUI thread's event loop while the caller waits. Returns false
// when the task did not run: there is no application object, it is closing down, or it went
// away with the task still queued.
bool run_on_gui_thread(const std::function<void()>& task);

// Queues `task` to the GUI thread's event loop and returns at once (also on the GUI thread,
// where it runs later). A task still queued when `context` (an object of the GUI thread; the
// application when null) goes away is dropped. Work that other threads hand to the GUI thread
// without waiting goes through here.
void post_to_gui_thread(std::function<void()> task, QObject* context = nullptr);

// Runs `work` on the global thread pool: for a slow read or query whose result the work hands
// back with post_to_gui_thread. The pool is waited for when the application ends, so no work
// outlives it.
void run_in_background(std::function<void()> work);

// The result of `function` run on the GUI thread, or std::nullopt when it could not run (see
// run_on_gui_thread). The function returns a value; it is never run twice.
template <typename Function>
auto gui_call(Function&& function) -> std::optional<std::invoke_result_t<Function&>> {
  using Result = std::invoke_result_t<Function&>;
  static_assert(!std::is_void_v<Result>, "gui_call needs a result; use run_on_gui_thread");
  std::optional<Result> result;
  if (!run_on_gui_thread([&] { result.emplace(function()); })) return std::nullopt;
  return result;
}

}  // namespace kovw::platform
