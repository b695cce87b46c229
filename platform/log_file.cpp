#include "platform/log_file.h"

#include <cstdarg>
#include <cstring>

#include "platform/format_text.h"
#include "platform/ports.h"

namespace flindor {
namespace {

constexpr std::size_t kLineCapacity = 320;
constexpr std::size_t kPathCapacity = 260;

// Where the lines go; "" while nothing can be logged.
char logPath[kPathCapacity] = {};
// The file the command line named; "" for the usual places.
char chosenPath[kPathCapacity] = {};

// `folder` + `name` into `path`; false when it does not fit.
bool joinPath(char* path, const char* folder, const char* name) {
  const std::size_t folderLength = strnlen(folder, kPathCapacity);
  const std::size_t nameLength = strnlen(name, kPathCapacity);
  if (folderLength + nameLength >= kPathCapacity) return false;
  std::memcpy(path, folder, folderLength);
  std::memcpy(path + folderLength, name, nameLength + 1);
  return true;
}

std::size_t formatLine(char* line, const char* format, std::va_list values) {
  const LocalTime now = ports().clock->localTime();
  formatTextOf(line, kLineCapacity, "%d-%02d-%02d %02d:%02d:%02d ", now.year, now.month, now.day,
               now.hour, now.minute, now.second);
  std::size_t length = strnlen(line, kLineCapacity);
  formatText(line + length, kLineCapacity - 2 - length, format, values);
  for (char* c = line; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < ' ') *c = ' ';
  }
  length = strnlen(line, kLineCapacity);
  line[length++] = '\r';
  line[length++] = '\n';
  return length;
}

// Tries the log in `folder`: a big one is renamed, then the first line written.
bool startIn(const char* folder, const char* line, std::size_t length) {
  LogFiles& files = *ports().logFiles;
  char path[kPathCapacity];
  char old[kPathCapacity];
  char older[kPathCapacity];
  if (folder[0] == '\0' || !joinPath(path, folder, kLogName) ||
      !joinPath(old, folder, kOldLogName) || !joinPath(older, folder, kOlderLogName)) {
    return false;
  }
  std::uint32_t bytes = 0;
  if (files.size(path, bytes) && bytes > kLogRotateBytes) {
    // The old log is kept until the log has taken its name: a move that fails (the log open in
    // a viewer) loses nothing.
    files.remove(older);
    const bool aside = files.rename(old, older);
    if (files.rename(path, old)) {
      if (aside) files.remove(older);
    } else if (aside) {
      files.rename(older, old);
    }
  }
  if (!files.append(path, line, static_cast<std::uint32_t>(length))) return false;
  std::memcpy(logPath, path, sizeof path);
  return true;
}

}  // namespace

void folderOf(const char* path, char* folder, std::uint32_t capacity) {
  std::size_t end = 0;
  // The folder and its terminating zero must fit, whatever the path holds.
  for (std::size_t i = 0; i + 1 < capacity && path[i] != '\0'; ++i) {
    if (path[i] == '\\') end = i + 1;
  }
  std::memcpy(folder, path, end);
  folder[end] = '\0';
}

void startLog(const char* format, ...) {
  logPath[0] = '\0';
  if (ports().logFiles == nullptr) return;
  char line[kLineCapacity];
  std::va_list values;
  va_start(values, format);
  const std::size_t length = formatLine(line, format, values);
  va_end(values);
  if (chosenPath[0] != '\0' &&
      ports().logFiles->append(chosenPath, line, static_cast<std::uint32_t>(length))) {
    std::memcpy(logPath, chosenPath, sizeof logPath);
    return;
  }
  char folder[kPathCapacity] = {};
  char program[kPathCapacity] = {};
  if (ports().system->programPath(program, sizeof program)) {
    folderOf(program, folder, sizeof folder);
    if (startIn(folder, line, length)) return;
  }
  if (ports().logFiles->temporaryFolder(folder, sizeof folder)) startIn(folder, line, length);
}

void chooseLogFile(const char* path) {
  const std::size_t length = strnlen(path, kPathCapacity);
  if (length >= kPathCapacity) return;
  std::memcpy(chosenPath, path, length + 1);
}

void stopLog() { logPath[0] = chosenPath[0] = '\0'; }

void logLine(const char* format, ...) {
  if (logPath[0] == '\0') return;
  char line[kLineCapacity];
  std::va_list values;
  va_start(values, format);
  const std::size_t length = formatLine(line, format, values);
  va_end(values);
  ports().logFiles->append(logPath, line, static_cast<std::uint32_t>(length));
}

}  // namespace flindor
