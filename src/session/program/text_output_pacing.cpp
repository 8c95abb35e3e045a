#include "session/program/text_output_pacing.h"

#include <QEvent>
#include <QTimerEvent>
#include <utility>

namespace kovw::session {

namespace {

QEvent::Type receipt_type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

}  // namespace

TextOutputPacer::TextOutputPacer(PostUpdate post)
    : post_(std::move(post)), receipts_(std::make_shared<EventChannel>()) {
  receipts_->bind(this);
}

TextOutputPacer::~TextOutputPacer() {
  receipts_->unbind();
}

void TextOutputPacer::changed() {
  if (in_flight_ == 0) {
    post_now();
  } else if (!held_) {
    held_ = true;
    held_since_ = Clock::now();
    deadline_.start(static_cast<int>(kLongestHold.count()), this);
  } else if (Clock::now() - held_since_ >= kLongestHold) {
    // A long burst keeps the thread from its timers: the deadline is kept here too.
    post_now();
  }
}

void TextOutputPacer::flush() {
  post_now();
}

void TextOutputPacer::post_now() {
  held_ = false;
  deadline_.stop();
  ++in_flight_;
  post_([channel = receipts_] { channel->post(new QEvent(receipt_type())); });
}

bool TextOutputPacer::event(QEvent* event) {
  if (event->type() == receipt_type()) {
    if (in_flight_ > 0) --in_flight_;
    if (held_ && in_flight_ == 0) post_now();
    return true;
  }
  if (event->type() == QEvent::Timer &&
      static_cast<QTimerEvent*>(event)->timerId() == deadline_.timerId()) {
    deadline_.stop();
    if (held_) post_now();
    return true;
  }
  return QObject::event(event);
}

}  // namespace kovw::session
