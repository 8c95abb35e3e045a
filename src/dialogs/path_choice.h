#pragma once
// The path selection a host program asks for (KWK_KGETFNAME): what the flags select, the host's
// file filter as the file dialog's name filters, where the dialog starts, and how the chosen
// path travels back to the host.
//
// Paths on this workstation are the system's paths ("/home/user/a.txt"); hosts write paths with
// backslashes. The slash rule, both ways:
//   - from the host: after collapsing doubled backslashes (flag 0x8000), every "\" of the start
//     path is read as "/" ("\home\user\a.txt" and "/home/user/a.txt" name the same file);
//   - to the host: every "/" of the chosen path becomes "\" ("/home/user/a.txt" travels as
//     "\home\user\a.txt"), unless the server said at login that it keeps "/" in paths and either
//     its version is 3.0.8 or later or the path begins with "/". Local paths always begin with
//     "/", so a host that keeps "/" gets the path exactly as chosen. Under flag 0x8000 every
//     backslash of the answer is then doubled.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "dialogs/host_file_filter.h"

namespace kovw::dialogs {

// The selection kind (flags & kPathKindMask).
inline constexpr std::int32_t kPathKindMask = 0x7FF;
inline constexpr std::int32_t kPathOpenFile = 33;     // "!": an existing file
inline constexpr std::int32_t kPathSaveFile = 37;     // "%": a file to save
inline constexpr std::int32_t kPathFolder = 34;       // '"': a folder
inline constexpr std::int32_t kPathSettings = 8;      // a selection of the settings module
inline constexpr std::int32_t kPathFileViewer = 256;  // 256, 512, 768, 1024: the file viewer

// Message box titles and texts of the path selection.
inline constexpr const char* kPathTitle = "Pfadwahl";
inline constexpr const char* kMalformedFilterFormat =
    "Falscher Aufbau Dateifilter. \n\n%s\n\nSoll: Kommentar | Typen | Kommentar | Typen etc., "
    "Typen mit ; getrennt.";
inline constexpr const char* kFileDialogFailedText = "Fehler beim Aufruf der File-Dialogbox";
inline constexpr int kFolderTitleMessage = 10078;

// The entries as the file dialog's name filters: "comment (p1 p2)".
QStringList name_filters(const std::vector<FileFilter>& entries);

// The host's start path as a local path: doubled backslashes collapsed under flag 0x8000, then
// every backslash read as "/".
QString local_start_path(const QString& host_path, std::int32_t flags);

// Where a file dialog starts: the folder, and the file name to preselect (empty when the start
// path names a folder or nothing). A start path that names an existing folder starts there;
// otherwise the dialog starts in its folder part and offers its last part as the file name.
struct StartPlace {
  QString folder;
  QString file;
};
StartPlace start_place(const QString& local_path);

// What the file dialog shows.
struct PathDialogSetup {
  std::int32_t kind = 0;  // kPathOpenFile, kPathSaveFile or kPathFolder
  QString title;          // empty: the folder choice's standard title
  QString folder;         // where it starts (empty: the process's current folder)
  QString file;           // the file name offered (files only)
  QStringList name_filters;
};

}  // namespace kovw::dialogs
