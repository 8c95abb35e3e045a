#pragma once
// Comparing a frame of the workstation with the one a session trace recorded, for replays: the
// payloads are split into their fields (named where the message is described field by field),
// fields that legitimately differ from run to run (window handles, thread ids) are skipped,
// and the first difference is described in words.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kovw::protocol {

struct TraceField {
  std::string name;  // the described field's name, else "field N" (1-based)
  std::vector<std::uint8_t> bytes;
  bool is_int = false;  // a 4-byte integer field
  std::int32_t value = 0;
};

// The fields of a payload, or nothing when the payload is not a sequence of fields (screen
// output, key data).
std::optional<std::vector<TraceField>> trace_fields(int service, int type,
                                                    std::span<const std::uint8_t> payload);

// "KWD_KOMM/KWK_KGETWINID content window=5 main window=4 ..." or, for other payloads,
// "KWD_WIN/KWK_WDAT 12 bytes \"text...\"".
std::string describe_trace_frame(int service, int type, std::span<const std::uint8_t> payload);

// True for the fields whose values differ between runs of the same session.
bool field_varies_between_runs(int service, int type, const std::string& name);

// Nothing when the received frame matches the expected one (varying fields skipped), else the
// first difference: "type: expected X, received Y", "field 3 \"name\": expected 5, received 7",
// "byte 12: expected 0x41, received 0x42", or the lengths.
std::optional<std::string> trace_frame_difference(int expected_service, int expected_type,
                                                  std::span<const std::uint8_t> expected,
                                                  int service, int type,
                                                  std::span<const std::uint8_t> received);

}  // namespace kovw::protocol
