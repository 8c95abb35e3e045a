#include "dialogs/view/date_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "foundation/log.h"
#include "foundation/message_table.h"

namespace kovw::dialogs {

namespace {

constexpr int kEmptyDateText = 10058;
constexpr int kOkText = 10056;
constexpr int kCancelText = 10057;

QString catalogue(int number) {
  return QString::fromUtf8(foundation::message_text(number));
}

}  // namespace

DateDialog::DateDialog(const protocol::KGetDate& request, const QString& title, QWidget* owner)
    : QDialog(owner), request_(request) {
  setWindowTitle(title);
  setObjectName(QStringLiteral("dateDialog"));
  picker_ = new QDateEdit(this);
  picker_->setCalendarPopup(true);
  picker_->setMinimumDate(QDate(100, 1, 1));
  picker_->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
  // Wide enough for the longest date of the format (weekday and month names differ in width),
  // beside the button of the calendar.
  int widest = 0;
  const QFontMetrics metrics(picker_->font());
  for (QDate day(2000, 1, 1); day.year() == 2000; day = day.addDays(1))
    widest = std::max(widest, metrics.horizontalAdvance(day.toString(picker_->displayFormat())));
  picker_->setMinimumWidth(widest + picker_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                           4 * picker_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
  empty_ = new QCheckBox(catalogue(kEmptyDateText), this);
  ok_ = new QPushButton(catalogue(kOkText), this);
  ok_->setDefault(true);
  cancel_ = new QPushButton(catalogue(kCancelText), this);

  auto* layout = new QGridLayout(this);
  layout->addWidget(picker_, 0, 0);
  layout->addWidget(ok_, 0, 1);
  layout->addWidget(empty_, 1, 0);
  layout->addWidget(cancel_, 1, 1);

  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(empty_, &QCheckBox::toggled, this, &DateDialog::empty_toggled);

  const bool no_date = request.year == 0;
  const QDate preset(request.year, request.month, request.day);
  if (!no_date && !preset.isValid())
    foundation::log_printf("Datum %d.%d.%d ungueltig, Vorgabe heute", request.day, request.month,
                           request.year);
  picker_->setDate(!no_date && preset.isValid() ? preset : QDate::currentDate());
  empty_->setChecked(no_date);
  empty_toggled(no_date);
}

void DateDialog::empty_toggled(bool checked) {
  picker_->setEnabled(!checked);
  if (checked)
    empty_->setFocus();
  else
    picker_->setFocus();
}

protocol::DateAnswer DateDialog::answer() const {
  if (result() != QDialog::Accepted) return protocol::cancelled_date(request_);
  protocol::DateAnswer answer;
  answer.result = protocol::kChoiceChosen;
  const QDate date = picker_->date();
  if (empty_->isChecked() || !date.isValid()) return answer;  // no date: 0, 0, 0
  answer.year = date.year();
  answer.month = date.month();
  answer.day = date.day();
  return answer;
}

}  // namespace kovw::dialogs
