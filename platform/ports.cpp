#include "platform/ports.h"

namespace flindor {

Ports& ports() {
  static Ports installed;
  return installed;
}

}  // namespace flindor
