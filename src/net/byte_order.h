#pragma once
// The byte-order mode of tagged records. Mode 2 (set when a peer announces the other byte order)
// makes tagged fields byte-reverse every number of a known record layout while copying; modes 0
// and 1 copy records unchanged.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kovw::net {

// `count` numbers of `width` bytes (2, 4 or 8), the first at `offset`, each next one `stride`
// bytes further (stride 0: a single number).
struct RecordRun {
  std::uint32_t offset;
  std::uint8_t width;
  std::uint32_t count;
  std::uint32_t stride;
};

struct RecordLayout {
  int tag;                          // tag number (low 14 bits of the tag word)
  std::size_t size;                 // record size in bytes
  std::span<const RecordRun> runs;  // the numbers inside the record
};

int byte_order_mode();
void set_byte_order_mode(int mode);

// Installs the table of record layouts (owned by the caller, kept for the process's life). The
// protocol layer, which knows the records, installs it at start-up.
void set_record_layouts(std::span<const RecordLayout> layouts);

// Copies `length` bytes of a tagged record from `source` to `target` (they may be the same):
// unchanged unless the byte-order mode is 2 and `tag` has a layout, in which case every number
// of the layout that lies wholly inside the copied bytes is byte-reversed.
void copy_tagged_record(int tag, const std::uint8_t* source, std::uint8_t* target,
                        std::size_t length);

}  // namespace kovw::net
