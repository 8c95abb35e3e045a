#include "net/datagram_assembler.h"

#include <algorithm>

namespace kovw::net {

bool is_probe(std::span<const std::uint8_t> datagram) {
  return datagram.size() == kProbe.size() && datagram[0] == kProbe[0] && datagram[1] == kProbe[1];
}

bool DatagramAssembler::in_progress(const DatagramAddress& sender) const {
  return std::any_of(partial_.begin(), partial_.end(),
                     [&](const Partial& p) { return p.message.sender == sender; });
}

std::optional<DatagramAssembler::Message> DatagramAssembler::feed(
    const DatagramAddress& sender, std::span<const std::uint8_t> datagram) {
  if (datagram.size() > static_cast<std::size_t>(kDatagramPayload)) {
    datagram = datagram.first(kDatagramPayload);
  }
  auto it = std::find_if(partial_.begin(), partial_.end(),
                         [&](const Partial& p) { return p.message.sender == sender; });
  Message message;
  if (it != partial_.end()) {
    message = std::move(it->message);
    partial_.erase(it);
  } else {
    message.sender = sender;
  }
  std::size_t room = kMaxKeptBytes - message.bytes.size();
  std::size_t take = std::min(room, datagram.size());
  message.bytes.insert(message.bytes.end(), datagram.begin(), datagram.begin() + take);
  message.length += datagram.size();

  if (datagram.size() < static_cast<std::size_t>(kDatagramPayload)) return message;

  if (partial_.size() >= kMaxSenders) {
    auto oldest = std::min_element(
        partial_.begin(), partial_.end(),
        [](const Partial& a, const Partial& b) { return a.last_active < b.last_active; });
    partial_.erase(oldest);
  }
  partial_.push_back(Partial{std::move(message), ++counter_});
  return std::nullopt;
}

}  // namespace kovw::net
