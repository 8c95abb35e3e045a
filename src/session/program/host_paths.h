#pragma once
// Paths and names between a host program and the local file system: a path that a host sends
// (host text, "\" or "/" as separator, possibly a logical path) becomes a local path, and a
// local name goes back as host text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kovw::session {

// UTF-8 of a host text (ANSI code page, or UTF-8 with its marker).
std::string utf8_of_host(std::string_view host_text);

// The local path of a path sent by a host: converted from host text and resolved through the
// path synonyms. nullopt when the result is longer than a local path may be.
std::optional<std::string> local_path(std::string_view host_path);

// The same for a path already in UTF-8.
std::optional<std::string> local_path_of_utf8(std::string_view path);

// A UTF-8 text as host text for a field of `capacity` bytes (terminating zero included): the
// ANSI code page when every character has a place in it, else UTF-8 with the marker. Cut
// between characters so that it fits.
std::string host_text_of(std::string_view utf8, std::size_t capacity);

}  // namespace kovw::session
