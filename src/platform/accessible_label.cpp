#include "platform/accessible_label.h"

namespace kovw::platform {

QString accessible_label(const QString& label) {
  return label_text(label).simplified();
}

QString label_text(const QString& label) {
  QString plain;
  plain.reserve(label.size());
  for (qsizetype i = 0; i < label.size(); ++i) {
    if (label[i] == u'&') {
      if (i + 1 < label.size() && label[i + 1] == u'&') plain.append(u'&');
      ++i;
      if (i < label.size() && label[i] != u'&') plain.append(label[i]);
      continue;
    }
    plain.append(label[i]);
  }
  return plain;
}

}  // namespace kovw::platform
