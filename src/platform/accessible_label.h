#pragma once
// The name assistive technology reads for a labelled control: the label without its mnemonic
// marks ("&&" stays one "&") and without the blanks the host pads labels with.

#include <QString>

namespace kovw::platform {

QString accessible_label(const QString& label);
// The label as text: without its mnemonic marks ("&&" stays one "&"), blanks kept.
QString label_text(const QString& label);

}  // namespace kovw::platform
