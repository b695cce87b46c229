#include "remote_text.h"

namespace e2e {

std::optional<LRESULT> sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       Width width) {
  DWORD_PTR result = 0;
  const auto send = width == Width::Wide ? SendMessageTimeoutW : SendMessageTimeoutA;
  if (!send(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::string toAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), size, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

std::optional<std::string> controlText(HWND control) {
  const auto length = sendWithTimeout(control, WM_GETTEXTLENGTH, 0, 0, Width::Wide);
  if (!length) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
  const auto copied = sendWithTimeout(control, WM_GETTEXT, text.size(),
                                      reinterpret_cast<LPARAM>(text.data()), Width::Wide);
  if (!copied) return std::nullopt;
  text.resize(static_cast<std::size_t>(*copied));
  return toAnsi(text);
}

std::string caption(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string className(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::optional<std::vector<std::string>> comboItems(HWND combo) {
  const auto count = sendWithTimeout(combo, CB_GETCOUNT, 0, 0);
  if (!count || *count == CB_ERR) return std::nullopt;
  std::vector<std::string> items;
  for (LRESULT i = 0; i < *count; ++i) {
    const auto index = static_cast<WPARAM>(i);
    const auto length = sendWithTimeout(combo, CB_GETLBTEXTLEN, index, 0, Width::Wide);
    if (!length || *length == CB_ERR) return std::nullopt;
    std::wstring item(static_cast<std::size_t>(*length) + 1, L'\0');
    const auto copied = sendWithTimeout(combo, CB_GETLBTEXT, index,
                                        reinterpret_cast<LPARAM>(item.data()), Width::Wide);
    if (!copied || *copied == CB_ERR) return std::nullopt;
    item.resize(static_cast<std::size_t>(*copied));
    items.push_back(toAnsi(item));
  }
  return items;
}

std::string escapeLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    switch (c) {
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\t':
        line += "\\t";
        break;
      default:
        line += c;
    }
  }
  return line;
}

}  // namespace e2e
