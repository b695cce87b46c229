#include "platform/private_commands.h"

#include <atomic>

namespace flindor {
namespace {

// One slot per id in use (the program has four); claimed by the id's first token.
struct Slot {
  std::atomic<std::uint16_t> id{0};
  std::atomic<std::uint32_t> token{0};
};
constexpr int kSlots = 8;
Slot slots[kSlots];

// 32-bit arithmetic only: the 486 has no 64-bit atomics, and the program no division routines.
std::uint32_t keyLow = 0;
std::uint32_t keyHigh = 0;
std::atomic<std::uint32_t> drawn{0};

// A 32-bit mixer: every input bit reaches every output bit.
std::uint32_t mixed(std::uint32_t value) {
  value ^= value >> 16;
  value *= 0x7FEB352Du;
  value ^= value >> 15;
  value *= 0x846CA68Bu;
  value ^= value >> 16;
  return value;
}

Slot* slotOf(std::uint16_t id, bool claim) {
  for (Slot& slot : slots) {
    std::uint16_t seen = slot.id.load();
    if (seen == id) return &slot;
    if (seen == 0 && claim && (slot.id.compare_exchange_strong(seen, id) || seen == id)) {
      return &slot;
    }
  }
  return nullptr;
}

std::uint32_t tokenOf(const PrivateCommand& message) {
  const auto high = static_cast<std::uint32_t>((message.wParam >> 16) & 0xFFFF);
  const auto low =
      static_cast<std::uint32_t>((static_cast<std::uintptr_t>(message.lParam) >> 16) & 0xFFFF);
  return (high << 16) | low;
}

}  // namespace

void seedPrivateCommands(std::uint64_t entropy) {
  keyLow = mixed(static_cast<std::uint32_t>(entropy));
  keyHigh = mixed(static_cast<std::uint32_t>(entropy >> 32) ^ keyLow);
}

void resetPrivateCommands() {
  keyLow = keyHigh = 0;
  drawn = 0;
  for (Slot& slot : slots) {
    slot.id = 0;
    slot.token = 0;
  }
}

std::uint32_t expectCommand(std::uint16_t id) {
  const std::uint32_t n = ++drawn;
  std::uint32_t token = mixed(mixed(keyLow + n * 0x9E3779B9u) ^ keyHigh);
  if (token == 0) token = 1;  // 0 marks a slot that expects nothing
  if (Slot* slot = slotOf(id, true)) slot->token = token;
  return token;
}

void forgetCommand(std::uint16_t id) {
  if (Slot* slot = slotOf(id, false)) slot->token = 0;
}

PrivateCommand privateCommand(std::uint16_t id, std::uint32_t token) {
  // The id stays in both low words, where the window has always looked for it.
  return {(std::uintptr_t{token >> 16} << 16) | id,
          static_cast<std::intptr_t>((std::uintptr_t{token & 0xFFFF} << 16) | id)};
}

bool takeCommand(std::uint16_t id, std::uintptr_t wParam, std::intptr_t lParam) {
  const PrivateCommand message{wParam, lParam};
  if (static_cast<std::uint16_t>(wParam) != id || static_cast<std::uint16_t>(lParam) != id) {
    return false;
  }
  Slot* slot = slotOf(id, false);
  std::uint32_t expected = tokenOf(message);
  return slot != nullptr && expected != 0 && slot->token.compare_exchange_strong(expected, 0);
}

void sendPrivateCommand(WindowHandle window, std::uint16_t id, std::uint32_t token) {
  const PrivateCommand message = privateCommand(id, token);
  ports().ui->sendCommand(window, message.wParam, message.lParam);
}

void postPrivateCommand(WindowHandle window, std::uint16_t id, std::uint32_t token) {
  const PrivateCommand message = privateCommand(id, token);
  ports().ui->postCommand(window, message.wParam, message.lParam);
}

}  // namespace flindor
