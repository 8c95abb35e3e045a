#include "host_program.h"

#include "accept_link.h"
#include "frame_steps.h"
#include "graphics_steps.h"
#include "icon_steps.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "host_transfers.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "protocol/file_transfer.h"
#include "protocol/payload_codec.h"
#include "protocol/program/dialog_messages.h"
#include "protocol/program/host_requests.h"
#include "protocol/program/menu_records.h"
#include "protocol/program/program_window.h"
#include "protocol/server_messages.h"
#include "replay.h"
#include "script.h"

namespace hostsim {

namespace proto = kovw::protocol;
namespace net = kovw::net;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPollSliceMs = 20;
constexpr int kDefaultWaitMs = 10000;  // accepting the workstation, an expect without a limit

std::string frame_name(int service, int type) {
  const char* s = net::service_name(service);
  const char* t = net::type_name(service, type);
  return std::string(s ? s : std::to_string(service)) + "/" + (t ? t : std::to_string(type));
}

std::optional<HostStep> parse_step(const std::vector<std::string>& w, std::string& error) {
  HostStep step;
  std::string command = w[0];
  if (command.rfind("KWK_", 0) == 0) command = command.substr(4);
  const std::size_t args = w.size() - 1;
  std::vector<int> ints;
  auto numbers = [&](std::size_t from) {
    for (std::size_t i = from; i < w.size(); ++i) {
      int v = 0;
      if (!script_int(w[i], v)) {
        error = "not a number: " + w[i];
        return false;
      }
      ints.push_back(v);
    }
    return true;
  };
  auto arity = [&](std::size_t least, std::size_t most) {
    if (args < least || args > most) error = command + ": wrong number of arguments";
    return args >= least && args <= most;
  };
  if (auto graphics = parse_graphics_step(w, error)) {
    step.message = std::move(*graphics);
    return step;
  }
  if (!error.empty()) return std::nullopt;
  if (auto icons = parse_icon_step(w, error)) {
    step.message = std::move(*icons);
    return step;
  }
  if (!error.empty()) return std::nullopt;
  if (command == "sleep") {
    if (!arity(1, 1) || !numbers(1)) return std::nullopt;
    step.kind = HostStep::Kind::sleep;
    step.milliseconds = ints[0];
  } else if (command == "expect") {
    if (!arity(1, 2)) return std::nullopt;
    step.kind = HostStep::Kind::expect;
    // A KWD_KOMM name, or WTAST: the workstation's key data.
    step.service = net::KWD_KOMM;
    step.type = komm_type(w[1]);
    if (step.type < 0 && (w[1] == "WTAST" || w[1] == "KWK_WTAST")) {
      step.service = net::KWD_WIN;
      step.type = net::KWK_WTAST;
    }
    if (step.type < 0 && (w[1] == "GDIALOG" || w[1] == "KWK_GDIALOG")) {
      step.service = net::KWD_DIGRA;
      step.type = net::KWK_GDIALOG;
    }
    if (step.type < 0 && (w[1] == "GGET" || w[1] == "KWK_GGET")) {
      step.service = net::KWD_DIGRA;
      step.type = net::KWK_GGET;
    }
    if (step.type < 0 && (w[1] == "GDIGRA" || w[1] == "KWK_GDIGRA")) {
      step.service = net::KWD_DIGRA;
      step.type = net::KWK_GDIGRA;
    }
    for (const auto& [name, type] :
         {std::pair{"LANTW", net::KWK_LANTW}, std::pair{"LANTWDIA", net::KWK_LANTWDIA}}) {
      if (step.type < 0 && (w[1] == name || w[1] == std::string("KWK_") + name)) {
        step.service = net::KWD_LIST;
        step.type = type;
      }
    }
    if (step.type < 0 && (w[1] == "WDIAC" || w[1] == "KWK_WDIAC")) {
      step.service = net::KWD_WIN;
      step.type = net::KWK_WDIAC;
    }
    if (step.type < 0) {
      error = "unknown message type " + w[1];
      return std::nullopt;
    }
    step.milliseconds = kDefaultWaitMs;
    if (args == 2 && !numbers(2)) return std::nullopt;
    if (args == 2) step.milliseconds = ints[0];
  } else if (command == "close") {
    if (!arity(0, 0)) return std::nullopt;
    step.kind = HostStep::Kind::close;
  } else if (command == "KINIT") {
    // KINIT "title" [PID [VERSION [PARENT [EMBED [LINK_TIMEOUT]]]]]
    if (!arity(1, 6) || !numbers(2)) return std::nullopt;
    step.kind = HostStep::Kind::kinit;
    step.kinit.program_name = w[1];
    if (ints.size() > 0) step.kinit.host_pid = ints[0];
    if (ints.size() > 1) step.kinit.host_version = ints[1];
    if (ints.size() > 2) step.kinit.parent_window = ints[2];
    if (ints.size() > 3) step.kinit.embed = ints[3];
    if (ints.size() > 4) step.kinit.link_timeout_ms = ints[4];
  } else if (command == "WINIT" || command == "LINIT") {
    // WINIT "title" [MODE [WIDTH HEIGHT [X Y]]]: a screen definition without icons, with the
    // ITEM lines before it. LINIT: the same for an icon view (service KWD_LIST).
    if (!arity(1, 6) || !numbers(2)) return std::nullopt;
    if (ints.size() == 2 || ints.size() == 4) {
      error = "WINIT: width and height, x and y come in pairs";
      return std::nullopt;
    }
    step.kind = HostStep::Kind::winit;
    step.service = command == "LINIT" ? net::KWD_LIST : net::KWD_WIN;
    step.screen.title = w[1];
    step.screen.mode_and_style = ints.size() > 0 ? ints[0] : 3;
    if (ints.size() > 1) step.screen.width = ints[1], step.screen.height = ints[2];
    if (ints.size() > 3) step.screen.x = ints[3], step.screen.y = ints[4];
    step.screen.screen_options = proto::default_screen_options();
  } else if (command == "WDAT") {
    // WDAT "stream": raw text screen output (escapes \e, \xHH and the others).
    if (!arity(1, 1)) return std::nullopt;
    step.message.service = net::KWD_WIN;
    step.message.type = net::KWK_WDAT;
    step.message.payload.assign(w[1].begin(), w[1].end());
  } else if (command == "WDIAC") {
    // WDIAC ROW COLUMN LENGTH "contents" ["help" [TYPE [FLAGS]]]: an input field over the text
    // screen's cells; TYPE is the host data type letter (X text, N number, D date, T time),
    // FLAGS the request flags (0x10 UTF-8).
    if (args < 4 || args > 7) {
      error = "WDIAC: ROW COLUMN LENGTH \"contents\" [\"help\" [TYPE [FLAGS]]] expected";
      return std::nullopt;
    }
    int row = 0, column = 0, length = 0, flags = 0;
    if (!script_int(w[1], row) || !script_int(w[2], column) || !script_int(w[3], length) ||
        (args == 7 && !script_int(w[7], flags))) {
      error = "WDIAC: not a number";
      return std::nullopt;
    }
    proto::FieldRequestMessage field;
    field.descriptor.assign(proto::kFieldRequestSize, 0);
    auto put16 = [&](std::size_t at, int value) {
      field.descriptor[at] = static_cast<std::uint8_t>(value & 0xFF);
      field.descriptor[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    };
    put16(4, row);
    put16(6, column);
    put16(8, length);
    field.descriptor[15] = 1;  // stays when full: the user leaves with Enter or Tab
    field.descriptor[16] = 4;  // blue text
    field.descriptor[17] = 7;  // on white
    field.descriptor[18] = static_cast<std::uint8_t>(flags);
    field.descriptor[19] = static_cast<std::uint8_t>(args >= 6 && !w[6].empty() ? w[6][0] : 'X');
    field.contents = w[4];
    if (args >= 5) field.help = w[5];
    step.message = proto::build_wdiac(field);
  } else if (command == "WDIALOG") {
    // WDIALOG KIND "title" "line|line" ["label=result[=key]" ...]: a host dialog (kind 0 a
    // message with buttons); the reply comes as KWK_GDIALOG.
    if (args < 3) {
      error = "WDIALOG: KIND \"title\" \"lines\" [\"label=result\" ...] expected";
      return std::nullopt;
    }
    proto::DialogMessage dialog;
    if (!script_int(w[1], dialog.kind)) {
      error = "WDIALOG: not a number: " + w[1];
      return std::nullopt;
    }
    dialog.title = w[2];
    std::stringstream lines(w[3]);
    for (std::string line; std::getline(lines, line, '|');) dialog.lines.push_back(line);
    if (dialog.kind != 0) dialog.flags = 0x0001;
    for (std::size_t i = 4; i < w.size(); ++i) {
      proto::DialogMessageButton button;
      std::stringstream parts(w[i]);
      std::string result, key;
      std::getline(parts, button.label, '=');
      std::getline(parts, result, '=');
      std::getline(parts, key, '=');
      if (!script_int(result, button.result) || (!key.empty() && !script_int(key, button.key))) {
        error = "WDIALOG: bad button " + w[i];
        return std::nullopt;
      }
      dialog.buttons.push_back(button);
    }
    step.message = proto::build_dialog_definition(net::KWD_WIN, net::KWK_WDIALOG, dialog);
  } else if (command == "DOWNLOAD") {
    // DOWNLOAD "host file" "workstation file" [FLAGS [PAUSE_MS]]: sends the file as a download
    // (KWK_KSDATEI, data blocks, KWK_KOMOK) and waits for the answer. "gen:SIZE" sends SIZE
    // bytes of generated text lines.
    if (!arity(2, 4)) return std::nullopt;
    step.kind = HostStep::Kind::download;
    step.source = w[1];
    step.target = w[2];
    if ((args >= 3 && !script_int(w[3], step.flags)) ||
        (args >= 4 && !script_int(w[4], step.milliseconds))) {
      error = "DOWNLOAD: FLAGS and PAUSE_MS are numbers";
      return std::nullopt;
    }
  } else if (command == "UPLOAD") {
    // UPLOAD "workstation file" "host file" [FLAGS]: asks for the file (KWK_KFGET) and saves
    // the blocks it gets.
    if (!arity(2, 3)) return std::nullopt;
    step.kind = HostStep::Kind::upload;
    step.source = w[1];
    step.target = w[2];
    if (args >= 3 && !script_int(w[3], step.flags)) {
      error = "UPLOAD: FLAGS is a number";
      return std::nullopt;
    }
  } else if (command == "LISTDIALOG") {
    // LISTDIALOG TOTAL "title": a selection list of TOTAL lines that the host pages through
    // (the workstation holds only the lines shown); ends when a line is chosen or cancelled.
    if (!arity(2, 2) || !script_int(w[1], step.total_lines) || step.total_lines < 1) {
      error = "LISTDIALOG: TOTAL \"title\" expected";
      return std::nullopt;
    }
    step.kind = HostStep::Kind::list_dialog;
    step.title = w[2];
  } else if (command == "WTEST") {
    if (!arity(0, 0)) return std::nullopt;
    step.message = proto::Outgoing{net::KWD_WIN, net::KWK_WTEST, {}};
  } else if (command == "WTIT") {
    if (!arity(1, 1)) return std::nullopt;
    step.message = proto::build_raw_text(net::KWD_WIN, net::KWK_WTIT, w[1]);
  } else if (command == "WMELDE") {
    // WMELDE FLAGS "text": a message box; with flag 0x1000 the answer is a Retc.
    if (!arity(2, 2)) return std::nullopt;
    int flags = 0;
    if (!script_int(w[1], flags)) {
      error = "not a number: " + w[1];
      return std::nullopt;
    }
    step.message = proto::build_wmelde({flags, w[2]});
  } else if (command == "KGETWINID") {
    if (!arity(0, 0)) return std::nullopt;
    step.message = proto::build_kgetwinid_request();
  } else if (command == "KGETDATE") {
    // KGETDATE YEAR MONTH DAY "title": the date question (year 0: no date preset).
    if (!arity(4, 4)) return std::nullopt;
    proto::KGetDate date;
    date.title = w[4];
    if (!script_int(w[1], date.year) || !script_int(w[2], date.month) ||
        !script_int(w[3], date.day)) {
      error = "KGETDATE: not a number";
      return std::nullopt;
    }
    step.message = proto::build_kgetdate(date);
  } else if (command == "KGETFNAME") {
    // KGETFNAME FLAGS "start path" "filter" "title": the path selection (flags 33 open, 37
    // save, 34 folder; 0x8000 doubled backslashes).
    if (!arity(4, 4)) return std::nullopt;
    proto::KGetFname path;
    if (!script_int(w[1], path.flags)) {
      error = "not a number: " + w[1];
      return std::nullopt;
    }
    path.start_path = w[2];
    path.filter = w[3];
    path.title = w[4];
    step.message = proto::build_kgetfname(path);
  } else if (command == "KCFLAG") {
    if (!arity(1, 1) || !numbers(1)) return std::nullopt;
    step.message = proto::build_kcflag(ints[0]);
  } else if (command == "send") {
    // send SERVICE TYPE [ITEM...]: numbers go as int items, other words as texts.
    if (args < 2) {
      error = "send: wrong number of arguments";
      return std::nullopt;
    }
    int service = 0;
    if (!script_int(w[1], service) || service < 0 || service > 31) {
      error = "send: bad service " + w[1];
      return std::nullopt;
    }
    int type = 0;
    if (!script_int(w[2], type)) type = net::type_code(service, w[2]);
    if (type < 0 && service == net::KWD_KOMM) type = komm_type(w[2]);
    if (type < 0 || type > 255) {
      error = "send: bad type " + w[2];
      return std::nullopt;
    }
    step.message.service = service;
    step.message.type = type;
    for (std::size_t i = 3; i < w.size(); ++i) {
      int v = 0;
      if (script_int(w[i], v))
        proto::PayloadWriter(step.message.payload).int_field(v);
      else
        proto::PayloadWriter(step.message.payload).text(w[i]);
    }
  } else {
    error = "unknown command " + w[0];
    return std::nullopt;
  }
  return step;
}

// ITEM BAR KIND "label" KEY ["help"]: a menu item record for the next screen definition.
std::optional<proto::MenuItemRecord> parse_item(const std::vector<std::string>& w,
                                                std::string& error) {
  int bar = 0, kind = 0, key = 0, extra = 0;
  if (w.size() < 5 || w.size() > 7 || !script_int(w[1], bar) || !script_int(w[2], kind) ||
      !script_int(w[4], key) ||
      (w.size() > 6 && (!script_int(w[6], extra) || extra < 0 || extra > 255))) {
    error = "ITEM: BAR KIND \"label\" KEY [\"help\" [BYTE169]] expected";
    return std::nullopt;
  }
  proto::MenuItemRecord record{};
  const std::string& label = w[3];
  const std::string help = w.size() > 5 ? w[5] : "";
  std::copy_n(label.begin(), std::min(label.size(), proto::kMenuLabelSize - 1),
              record.begin() + proto::kMenuLabelOffset);
  std::copy_n(help.begin(), std::min(help.size(), proto::kMenuHelpSize - 1),
              record.begin() + proto::kMenuHelpOffset);
  record[proto::kMenuBarOffset] = static_cast<std::uint8_t>(bar);
  proto::put_le16(record.data() + proto::kMenuFunctionKeyOffset, static_cast<std::uint16_t>(key));
  proto::put_le16(record.data() + proto::kMenuKindOffset, static_cast<std::uint16_t>(kind));
  record[proto::kMenuWidthOrKeyOffset] = static_cast<std::uint8_t>(extra);
  return record;
}

}  // namespace

std::optional<HostScript> parse_host_script(const std::string& text, std::string& error) {
  HostScript script;
  std::istringstream in(text);
  std::string line;
  std::vector<proto::MenuItemRecord> items;  // ITEM lines for the next WINIT
  FrameExtras extras;  // OWNFRAME, ICON, GTOOL and GICON lines for the next WINIT or GDIGRA
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> words;
    std::string why;
    std::optional<HostStep> step;
    if (split_script_line(line, words, why)) {
      if (words.empty()) continue;
      if (words[0] == "ITEM") {
        if (auto record = parse_item(words, why)) {
          items.push_back(*record);
          continue;
        }
      } else if (parse_frame_extra(words, extras, why)) {
        if (why.empty()) continue;
      } else {
        step = parse_step(words, why);
      }
    }
    if (!step) {
      error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    }
    step->text = line;
    if (step->kind == HostStep::Kind::winit) {
      step->screen.menu_items = std::exchange(items, {});
      apply_screen_extras(extras, step->screen);
    }
    if (step->kind == HostStep::Kind::send && step->message.service == net::KWD_DIGRA &&
        step->message.type == net::KWK_GDIGRA)
      apply_definition_extras(extras, step->message);
    script.steps.push_back(std::move(*step));
  }
  return script;
}

std::optional<HostScript> load_host_script(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  std::stringstream all;
  all << file.rdbuf();
  auto script = parse_host_script(all.str(), error);
  if (script) script->name = path;
  return script;
}

std::string describe_program_frame(int service, int type, std::span<const std::uint8_t> payload) {
  std::string text = frame_name(service, type);
  if (service == net::KWD_KOMM && type == net::KWK_KGETWINID) {
    if (const auto ids = proto::parse_window_ids(payload)) {
      return text + " content=" + std::to_string(ids->content_window) +
             " main=" + std::to_string(ids->main_window) +
             " screen=" + std::to_string(ids->screen_width) + "x" +
             std::to_string(ids->screen_height) + " parent=" + std::to_string(ids->parent_window) +
             " thread=" + std::to_string(ids->thread_id);
    } else {
      return text + " malformed: " + ids.error().message;
    }
  }
  if (service == net::KWD_KOMM && type == net::KWK_KGETDATE) {
    if (const auto date = proto::parse_date_answer(payload))
      return text + " date=" + std::to_string(date->year) + "-" + std::to_string(date->month) +
             "-" + std::to_string(date->day) + " result=" + std::to_string(date->result);
    return text + " malformed";
  }
  if (service == net::KWD_KOMM && type == net::KWK_KGETFNAME) {
    if (const auto path = proto::parse_fname_answer(payload))
      return text + " path=\"" + path->path + "\" result=" + std::to_string(path->result);
    return text + " malformed";
  }
  if (service == net::KWD_LIST && type == net::KWK_LANTW)
    return text + describe_list_answer(payload);
  if (service == net::KWD_LIST && type == net::KWK_LANTWDIA)
    return text + describe_list_dialog_answer(payload);
  if (service == net::KWD_DIGRA && type == net::KWK_GDIGRA)
    return text + describe_definition_reply(payload);
  if (service == net::KWD_DIGRA && type == net::KWK_GGET)
    return text + describe_input_answer(payload);
  if (service == net::KWD_DIGRA && type == net::KWK_GDIALOG) {
    // A dialog's reply: the result, the selected line, the scroll position, the input.
    if (const auto reply = proto::parse_dialog_reply(payload)) {
      std::string line = text + " result=" + std::to_string(reply->result) +
                         " selected=" + std::to_string(reply->selected) +
                         " first_line=" + std::to_string(reply->first_line) +
                         " visible=" + std::to_string(reply->visible_lines);
      if (reply->key != 0) line += " key=" + std::to_string(reply->key);
      if (reply->input) line += " input=\"" + *reply->input + "\"";
      return line;
    } else {
      return text + " malformed: " + reply.error().message;
    }
  }
  if (service == net::KWD_WIN && type == net::KWK_WDIAC) {
    // A field's reply: the key that left it, the cursor, a click and the contents.
    if (const auto field = proto::parse_field_reply(payload)) {
      std::string line = text + " exit=" + std::to_string(field->exit_key) +
                         " cursor=" + std::to_string(field->cursor);
      if (field->exit_key == 101)
        line += " click=" + std::to_string(field->mouse_column) + "," +
                std::to_string(field->mouse_row);
      return line + " contents=\"" + field->text + "\"";
    } else {
      return text + " malformed: " + field.error().message;
    }
  }
  if (service == net::KWD_WIN && type == net::KWK_WTAST) {
    // Key data: 16-bit big-endian codes.
    std::string keys;
    for (std::size_t i = 0; i + 1 < payload.size(); i += 2) {
      char code[8];
      std::snprintf(code, sizeof code, "%s0x%04X", keys.empty() ? "" : ",",
                    payload[i] << 8 | payload[i + 1]);
      keys += code;
    }
    return text + " keys=" + keys;
  }
  return text + " " + std::to_string(payload.size()) + " bytes";
}

namespace {

// A selection list of many lines that the host pages: the workstation shows a page, reports
// scrolling (1006) and the edges (1002, 1003), and the host sends the lines of the new page
// (kind 32) and waits again (kind 33) until a line is chosen or the list is cancelled.
bool run_list_dialog(const HostStep& step, const std::function<bool(const proto::Outgoing&)>& send,
                     const std::function<std::optional<proto::DialogReply>(int)>& reply_within) {
  constexpr int kPage = 12;
  const int total = step.total_lines;
  auto page = [&](int kind, int first, int selected) {
    proto::DialogMessage dialog;
    dialog.kind = kind;
    dialog.flags = 0x0001;
    dialog.visible_lines = kPage;
    dialog.total_lines = total;
    dialog.first_line = first;
    dialog.selected = selected;
    dialog.title = step.title;
    for (int i = first; i < std::min(first + kPage, total); ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "%5d  Article %05d", i + 1, 10000 + i * 7);
      dialog.lines.push_back(line);
    }
    if (kind < 32) dialog.buttons = {{"OK", "Takes the selected line", 0, 1}, {"Cancel", "", 0, 2}};
    return proto::build_dialog_definition(net::KWD_WIN, net::KWK_WDIALOG, dialog);
  };
  int first = 0;
  if (!send(page(2, 0, 1))) return false;
  for (;;) {
    const auto reply = reply_within(120000);
    if (!reply) return false;
    int selected = 0;
    switch (reply->result) {
      case 1006:  // scrolled: the workstation says where
        first = reply->first_line;
        selected = 1;
        break;
      case 1002:  // up from the first line: the page before
        if (first == 0) {
          if (!send(page(33, first, 1))) return false;
          continue;
        }
        first = std::max(0, first - 1);
        selected = 1;
        break;
      case 1003:  // down from the last line: the page after
        first = std::min(std::max(0, total - kPage), first + 1);
        selected = std::min(kPage, total - first);
        break;
      default: {
        // A line chosen (OK, Enter, double-click) or the list cancelled.
        proto::DialogMessage close;
        close.kind = 34;
        if (!send(proto::build_dialog_definition(net::KWD_WIN, net::KWK_WDIALOG, close)))
          return false;
        return reply_within(kDefaultWaitMs).has_value();
      }
    }
    if (!send(page(32, first, selected))) return false;
    if (!reply_within(kDefaultWaitMs)) return false;
    if (!send(page(33, first, selected))) return false;
  }
}

}  // namespace

void run_host_program(const HostScript& script, int run_id, int listen_socket,
                      const std::atomic<bool>& stop, const LogLine& log) {
  const std::string me = "program " + std::to_string(run_id) + ": ";
  // A program link starts plain, whatever the server link negotiated.
  net::link_set_options(0, false, false);

  const int socket = accept_workstation(listen_socket, kDefaultWaitMs, stop);
  if (socket < 0) {
    log(me + "the workstation did not connect");
    return;
  }
  log(me + "link accepted");

  net::FrameReader reader(socket);
  net::LinkMessage message;
  bool first = true;
  std::int32_t host_version = proto::kDefaultHostVersion;  // as the last KINIT announced
  // Receives one frame and logs it; false when the link ended.
  auto receive = [&]() {
    const int rc = net::link_receive(socket, message, reader, net::kSkipKeepAlive);
    if (rc == 1) {
      const auto payload = reader.payload_view();
      // The workstation forwards the daemon's KWK_KPROXY first, in the server link's form.
      log(me + "recv " +
          (first && message.service == net::KWD_KOMM
               ? proto::describe_server_message(message.type, payload, /*from_daemon=*/true)
               : describe_program_frame(message.service, message.type, payload)));
      first = false;
      return true;
    }
    log(me + (rc == 0 ? std::string("peer closed") : "receive failed " + std::to_string(rc)));
    return false;
  };
  // Serves frames until `deadline` or until `until` (when >= 0) arrived; false when the link
  // ended or the wait ran out for an awaited type.
  auto serve = [&](Clock::time_point deadline, int until, int until_service = net::KWD_KOMM) {
    while (!stop) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        if (until >= 0) log(me + "expect timed out");
        return until < 0;
      }
      pollfd fd{socket, POLLIN, 0};
      if (::poll(&fd, 1, static_cast<int>(std::min<long long>(left, kPollSliceMs))) <= 0) continue;
      if (!receive()) return false;
      if (until >= 0 && message.service == until_service && message.type == until) return true;
    }
    return false;
  };

  // Sends one message and logs it; false when the link failed.
  auto send_message = [&](const proto::Outgoing& out) {
    const int rc =
        net::link_send(socket, out.header(), out.payload.empty() ? nullptr : out.payload.data());
    log(me + "send " + frame_name(out.service, out.type) + " " +
        std::to_string(out.payload.size()) + " bytes" +
        (rc < 0 ? " FAILED " + std::to_string(rc) : ""));
    return rc >= 0;
  };
  // Waits for the workstation's dialog reply.
  auto serve_reply = [&](int milliseconds) -> std::optional<proto::DialogReply> {
    if (!serve(Clock::now() + std::chrono::milliseconds(milliseconds), net::KWK_GDIALOG,
               net::KWD_DIGRA))
      return std::nullopt;
    auto reply = proto::parse_dialog_reply(reader.payload_view());
    if (!reply) return std::nullopt;
    return *reply;
  };

  if (serve(Clock::now() + std::chrono::milliseconds(kDefaultWaitMs), net::KWK_KPROXY)) {
    for (const HostStep& step : script.steps) {
      if (stop) break;
      log(me + "script: " + step.text);
      bool going = true;
      switch (step.kind) {
        case HostStep::Kind::kinit:
        case HostStep::Kind::winit:
        case HostStep::Kind::send: {
          proto::Outgoing out = step.message;
          if (step.kind == HostStep::Kind::kinit) {
            proto::KInit kinit = step.kinit;
            if (kinit.host_pid == 0) kinit.host_pid = run_id;
            host_version = kinit.version();
            out = proto::build_kinit(kinit);
          } else if (step.kind == HostStep::Kind::winit) {
            const bool list = step.service == net::KWD_LIST;
            out = proto::build_screen_definition(step.screen, host_version,
                                                 list ? net::KWD_LIST : net::KWD_WIN,
                                                 list ? net::KWK_LINIT : net::KWK_WINIT);
          }
          const int rc = net::link_send(socket, out.header(),
                                        out.payload.empty() ? nullptr : out.payload.data());
          log(me + "send " + frame_name(out.service, out.type) + " " +
              std::to_string(out.payload.size()) + " bytes" +
              (rc < 0 ? " FAILED " + std::to_string(rc) : ""));
          going = rc >= 0;
          break;
        }
        case HostStep::Kind::sleep:
          going = serve(Clock::now() + std::chrono::milliseconds(step.milliseconds), -1);
          break;
        case HostStep::Kind::expect:
          going = serve(Clock::now() + std::chrono::milliseconds(step.milliseconds), step.type,
                        step.service);
          break;
        case HostStep::Kind::close:
          going = false;
          break;
        case HostStep::Kind::list_dialog:
          going = run_list_dialog(step, send_message, serve_reply);
          break;
        case HostStep::Kind::download:
          going = run_download(
              step, send_message,
              [&](int type) {
                if (!serve(Clock::now() + std::chrono::minutes(10), type)) return std::string();
                const auto answer = proto::parse_transfer_answer(reader.payload_view());
                return answer ? std::to_string(answer->error) + " " + answer->text
                              : std::string("unreadable answer");
              },
              [&](const std::string& line) { log(me + line); });
          break;
        case HostStep::Kind::upload:
          going = run_upload(
              step, send_message,
              [&]() -> std::optional<std::pair<int, std::vector<std::uint8_t>>> {
                if (!receive()) return std::nullopt;
                const auto view = reader.payload_view();
                return std::make_pair(static_cast<int>(message.type),
                                      std::vector<std::uint8_t>(view.begin(), view.end()));
              },
              [&](const std::string& line) { log(me + line); });
          break;
        case HostStep::Kind::replay:
          run_replay(*step.trace, step.fast, socket, reader, stop,
                     [&](const std::string& line) { log(me + line); });
          going = false;
          break;
      }
      if (!going) break;
    }
  }
  net::sc_close(socket);
  log(me + "ended");
}

}  // namespace hostsim
